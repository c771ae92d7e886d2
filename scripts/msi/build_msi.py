#!/usr/bin/env python3
"""Builds the suite's Windows Installer package from a staged release folder.

    build_msi.py ARCH VERSION MAKER WEBSITE STAGE MANIFEST ICON OUT

ARCH is win64 or win32; STAGE the release's staged folder (the programs, the
guides in 使用说明, the catalogue, the deployment note, the Group Policy
template in policy, SHA256SUMS.txt);
MANIFEST one line per program, "<program>.exe<TAB><title><TAB><summary>", the
suite's launcher first; ICON the program icon for Programs and Features.

The Start-menu folder holds the launcher's shortcut and a folder 全部工具 with
one shortcut per tool and one to the guides; the launcher also gets a
shortcut on the desktop of every user, which DESKTOPSHORTCUT=0 on the
command line leaves out.

wixl 0.101 crashes on non-ASCII folder names and drops non-ASCII shortcut
names, so the package is written with ASCII stand-ins first; the database is
then switched to code page 936 and the Chinese names are written into their
rows with msibuild, as is the desktop shortcut's condition (wixl reads no
condition on a component), and every row is read back with msiinfo. The same
stage gives the same bytes: identities are derived from fixed names, and the
cabinet and summary times are those of SOURCE_DATE_EPOCH.
"""
import hashlib
import os
import subprocess
import sys
import tempfile
import time
import uuid
from xml.sax.saxutils import quoteattr

# Never change: every upgrade code and component identity of every version is
# derived from it, and a changed one would make the next version install
# beside the last instead of replacing it.
IDENTITY_NAMESPACE = uuid.UUID("6b3f0d52-8c1e-4a57-9d2b-3f4e5a6c7d80")

INSTALL_FOLDER = "OrvoMedSuite"    # under Program Files, and in the Start menu
GUIDE_FOLDER = "使用说明"
ALL_TOOLS_FOLDER = "全部工具"      # in the Start-menu folder, beside the launcher
# IT leaves the desktop shortcut out with DESKTOPSHORTCUT=0.
DESKTOP_CONDITION = "DESKTOPSHORTCUT = 1"
CATALOGUE = "工具目录.txt"
# The Group Policy template: the .admx, and its .adml in one folder per
# language, installed as staged for IT to copy to PolicyDefinitions.
POLICY_FOLDER = "policy"
NOTE = "部署说明-DEPLOYMENT.txt"
SUMS = "SHA256SUMS.txt"
DOWNGRADE_MESSAGE = ("已安装更高版本的 OrvoMedSuite，不能用较低版本覆盖；"
                     "如确需降级，请先卸载。 A newer version of OrvoMedSuite is "
                     "installed; uninstall it first to install an older one.")

ARCHES = {
    # wixl's architecture, the Program Files folder, the summary's platform
    "win64": ("x64", "ProgramFiles64Folder", "x64"),
    "win32": ("x86", "ProgramFilesFolder", "Intel"),
}

# Characters that a Windows file name (a shortcut's name) cannot hold, and
# the quote that msibuild's SQL strings cannot escape (nor a summary hold).
# A title's shortcut shows each as its full-width form, which a Chinese
# reader reads as the same sign ("RASS/CAM-ICU" as "RASS／CAM-ICU").
NOT_IN_NAMES = set('\\/:*?"<>|\'')
SHORTCUT_NAME = str.maketrans({c: chr(ord(c) + 0xFEE0) for c in NOT_IN_NAMES})


def fail(message):
    sys.stderr.write("build_msi: %s\n" % message)
    sys.exit(1)


def identity(*words):
    """A GUID that depends only on the words: the same in every build."""
    return "{%s}" % str(uuid.uuid5(IDENTITY_NAMESPACE, "/".join(words))).upper()


def key(prefix, name):
    """An MSI row key (an identifier) made from an ASCII file name."""
    return prefix + "_" + "".join(c if c.isalnum() else "_" for c in name)


def read_manifest(path, stage):
    programs = []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            fields = line.rstrip("\n").split("\t")
            if len(fields) != 3 or not fields[0].endswith(".exe"):
                fail("%s line %d: expected <program>.exe, title and summary" % (path, number))
            exe, title, summary = fields
            title = title.translate(SHORTCUT_NAME)
            if not exe.isascii() or not os.path.isfile(os.path.join(stage, exe)):
                fail("%s line %d: %s is not a staged program" % (path, number, exe))
            if not title or "'" in summary or len(summary) > 255:
                fail("%s line %d: the title or summary of %s cannot go on a shortcut"
                     % (path, number, exe))
            programs.append((exe, title, summary))
    if not programs:
        fail("%s lists no program" % path)
    if len({title for _, title, _ in programs}) != len(programs):
        fail("two programs have the same title: their shortcuts would collide")
    staged = sorted(n for n in os.listdir(stage) if n.endswith(".exe"))
    if staged != sorted(exe for exe, _, _ in programs):
        fail("the manifest does not list exactly the staged programs")
    return programs


def staged_folder(stage, relative, component):
    """The Directory element of a staged folder of ASCII names, with a
    component for each file in it and below it, and those components."""
    parts, components = [], []
    for name in sorted(os.listdir(os.path.join(stage, relative))):
        path = relative + "/" + name
        if not name.isascii():
            fail("%s: wixl takes no name that is not ASCII" % path)
        if os.path.isdir(os.path.join(stage, path)):
            inner, inner_components = staged_folder(stage, path, component)
            parts.append(inner)
            components += inner_components
        else:
            components.append(component(path, key("f", path), name))
            parts.append(components[-1])
    return ('<Directory Id=%s Name=%s>%s</Directory>'
            % (quoteattr(key("D", relative)), quoteattr(os.path.basename(relative)), "".join(parts)),
            components)


def write_wxs(path, arch, version, maker, website, stage, programs, icon):
    """Writes the package's source; wixl is to read it in the stage folder."""
    wixl_arch, program_files, _ = ARCHES[arch]
    win64 = ' Win64="yes"' if arch == "win64" else ""

    def component(relative, file_key, name):
        return ('<Component Id=%s Guid="%s"%s><File Id=%s Name=%s Source=%s KeyPath="yes"/>'
                '</Component>' % (quoteattr("c" + file_key[1:]), identity(arch, "file", relative),
                                  win64, quoteattr(file_key), quoteattr(name), quoteattr(relative)))

    tools, guides, shortcuts = [], [], []
    for exe, _, _ in programs:
        stem = exe[:-4]
        tools.append(component(exe, key("f", exe), exe))
        guides.append(component(GUIDE_FOLDER + "/" + stem + ".txt", key("g", stem), stem + ".txt"))
        shortcuts.append('<Shortcut Id=%s Name=%s Target="[#%s]" WorkingDirectory="INSTALLFOLDER"/>'
                         % (quoteattr(key("s", exe)), quoteattr(stem), key("f", exe)))
    shortcuts.append('<Shortcut Id="s_guides" Name="GUIDES" Target="[GUIDEFOLDER]"/>')
    launcher = programs[0][0]
    top = [component(CATALOGUE, "f_catalogue", "CATALOG.txt"),
           component(NOTE, "f_note", "DEPLOY.txt"),
           component(SUMS, "f_sums", SUMS)]
    # Each Start-menu folder is the key of its own component: no registry
    # value or file stands in for it. The folders' components are named
    # afresh for this layout: the older one kept every shortcut in one.
    menu = ('<Component Id="c_menu" Guid="%s"%s>%s<RemoveFolder Id="menu_folder" On="uninstall"/>'
            '</Component>' % (identity(arch, "start menu", "launcher"), win64, shortcuts[0]))
    all_tools = ('<Component Id="c_all_tools" Guid="%s"%s>%s'
                 '<RemoveFolder Id="all_tools_folder" On="uninstall"/></Component>'
                 % (identity(arch, "start menu", "all tools"), win64, "".join(shortcuts[1:])))
    desktop = ('<Component Id="c_desktop" Guid="%s"%s><Shortcut Id=%s Name="%s" Target="[#%s]" WorkingDirectory="INSTALLFOLDER"/>'
               '</Component>' % (identity(arch, "desktop"), win64, quoteattr(key("d", launcher)),
                                 launcher[:-4], key("f", launcher)))
    policy, policy_components = staged_folder(stage, POLICY_FOLDER, component)
    components = tools + top + guides + policy_components + [menu, all_tools, desktop]
    refs = "".join('<ComponentRef Id=%s/>' % quoteattr(c.split('"')[1]) for c in components)
    with open(path, "w", encoding="utf-8") as f:
        f.write('''<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
 <Product Id="%(product)s" Name="%(folder)s" Language="2052" Version="%(version)s"
          Manufacturer=%(maker)s UpgradeCode="%(upgrade)s">
  <Package InstallerVersion="500" Compressed="yes" InstallScope="perMachine"
           Description="%(folder)s" Manufacturer=%(maker)s/>
  <Media Id="1" Cabinet="suite.cab" EmbedCab="yes"/>
  <MajorUpgrade DowngradeErrorMessage="DOWNGRADE"/>
  <Icon Id="glyvant.ico" SourceFile=%(icon)s/>
  <Property Id="ARPPRODUCTICON" Value="glyvant.ico"/>
  <Property Id="ARPURLINFOABOUT" Value=%(url)s/>
  <Property Id="ARPNOMODIFY" Value="1"/>
  <Property Id="DESKTOPSHORTCUT" Value="1"/>
  <Directory Id="TARGETDIR" Name="SourceDir">
   <Directory Id="%(program_files)s">
    <Directory Id="INSTALLFOLDER" Name="%(folder)s">
     %(tools)s
     %(top)s
     <Directory Id="GUIDEFOLDER" Name="GUIDES">%(guides)s</Directory>
     %(policy)s
    </Directory>
   </Directory>
   <Directory Id="ProgramMenuFolder">
    <Directory Id="MENUFOLDER" Name="%(folder)s">%(menu)s
     <Directory Id="ALLTOOLSFOLDER" Name="ALLTOOLS">%(all_tools)s</Directory>
    </Directory>
   </Directory>
   <Directory Id="DesktopFolder">%(desktop)s</Directory>
  </Directory>
  <Feature Id="Suite" Level="1">%(refs)s</Feature>
 </Product>
</Wix>
''' % dict(product=identity(arch, "product", version), folder=INSTALL_FOLDER, version=version,
           maker=quoteattr(maker), upgrade=identity(arch, "upgrade"),
           icon=quoteattr(os.path.relpath(icon, stage)), url=quoteattr("https://" + website + "/"),
           program_files=program_files, tools="\n     ".join(tools), top="\n     ".join(top),
           guides="".join(guides), policy=policy, menu=menu, all_tools=all_tools, desktop=desktop,
           refs=refs))
    return wixl_arch


def rows_after_wixl(programs):
    """(table, key column, key, column, text) of every row that wixl cannot
    write: the Chinese names, and the condition on the desktop shortcut."""
    rows = [("Component", "Component", "c_desktop", "Condition", DESKTOP_CONDITION),("Directory", "Directory", "GUIDEFOLDER", "DefaultDir", GUIDE_FOLDER),
            ("Directory", "Directory", "ALLTOOLSFOLDER", "DefaultDir", ALL_TOOLS_FOLDER),
            ("File", "File", "f_catalogue", "FileName", CATALOGUE),
            ("File", "File", "f_note", "FileName", NOTE),
            ("Shortcut", "Shortcut", "s_guides", "Name", GUIDE_FOLDER),
            ("LaunchCondition", "Condition", "NOT WIX_DOWNGRADE_DETECTED", "Description",
             DOWNGRADE_MESSAGE)]
    for exe, title, summary in programs:
        shortcuts = [key("s", exe)] + ([key("d", exe)] if exe == programs[0][0] else [])
        for shortcut in shortcuts:
            rows.append(("Shortcut", "Shortcut", shortcut, "Name", title))
            if summary:
                rows.append(("Shortcut", "Shortcut", shortcut, "Description", summary))
    return rows


def run(command, folder=None):
    result = subprocess.run(command, cwd=folder, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if result.returncode != 0:
        fail("%s failed:\n%s%s" % (command[0], result.stdout.decode(errors="replace"),
                                    result.stderr.decode(errors="replace")))
    return result.stdout.decode("utf-8")


def exported(msi, table):
    """An MSI table as msiinfo exports it: the column names, then the rows."""
    lines = run(["msiinfo", "export", msi, table]).split("\r\n")
    return lines[0].split("\t"), [line.split("\t") for line in lines[3:] if line]


def main():
    if len(sys.argv) != 9 or sys.argv[1] not in ARCHES:
        fail("usage: build_msi.py win64|win32 VERSION MAKER WEBSITE STAGE MANIFEST ICON OUT")
    arch, version, maker, website, stage, manifest, icon, out = sys.argv[1:]
    stage, icon = os.path.abspath(stage), os.path.abspath(icon)
    programs = read_manifest(manifest, stage)
    for name in (CATALOGUE, NOTE, SUMS):
        if not os.path.isfile(os.path.join(stage, name)):
            fail("%s is not staged" % name)
    if not os.path.isdir(os.path.join(stage, POLICY_FOLDER)):
        fail("%s is not staged" % POLICY_FOLDER)

    epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "315532800"))
    # The cabinet keeps each file's time.
    for folder, _, files in os.walk(stage):
        for name in files:
            os.utime(os.path.join(folder, name), (epoch, epoch))
    # wixl and msibuild write their own clock's time into the summary: they
    # run under one stopped at the epoch.
    os.environ["TZ"] = "UTC"
    frozen = ["faketime", "-f", time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime(epoch))]

    with tempfile.TemporaryDirectory() as work:
        wxs = os.path.join(work, "suite.wxs")
        wixl_arch = write_wxs(wxs, arch, version, maker, website, stage, programs, icon)
        msi = os.path.join(work, "suite.msi")
        run(frozen + ["wixl", "-a", wixl_arch, "-o", msi, wxs], stage)

        # The package code names these exact contents.
        with open(os.path.join(stage, SUMS), "rb") as f:
            contents = hashlib.sha256(f.read()).hexdigest()
        platform = ARCHES[arch][2]
        run(frozen + ["msibuild", msi, "-s", INSTALL_FOLDER, maker, platform + ";2052",
                      identity(arch, "package", version, contents)])
        codepage = os.path.join(work, "_ForceCodepage.idt")
        with open(codepage, "w", newline="") as f:
            f.write("\r\n\r\n936\t_ForceCodepage\r\n")
        run(frozen + ["msibuild", msi, "-i", codepage])
        rows = rows_after_wixl(programs)
        updates = []
        for table, key_column, row, column, text in rows:
            updates += ["-q", "UPDATE `%s` SET `%s` = '%s' WHERE `%s` = '%s'"
                        % (table, column, text, key_column, row)]
        run(frozen + ["msibuild", msi] + updates)

        # Every written name read back: an UPDATE that matched no row, or a
        # name that the code page lost, must not reach a hospital.
        tables = {}
        for table, key_column, row, column, text in rows:
            if table not in tables:
                tables[table] = exported(msi, table)
            header, table_rows = tables[table]
            found = [r for r in table_rows if r[header.index(key_column)] == row]
            if len(found) != 1 or found[0][header.index(column)] != text:
                fail("%s row %s: %s is not %r" % (table, row, column, text))
        os.replace(msi, out)


if __name__ == "__main__":
    main()
