#!/usr/bin/env python3
"""Checks the Group Policy template a release carries before it is packaged:

    check-policy.py FOLDER [KEY LIMIT]

FOLDER holds NAME.admx and, in one folder per language (zh-CN, en-US), the
NAME.adml that translates it. Every file must be well-formed XML, the ADMX
must define at least one policy, and every language must define each string
($(string.ID)) and presentation ($(presentation.ID)) the ADMX refers to:
the Group Policy editor refuses a template whose language file lacks one,
and shows nothing of it. A policy's presentation must give each of its
elements (a text value, say) one control of the kind that sets it, and no
control for an element the policy does not have. A .reg file beside the
template (an example for PCs without Group Policy) may only set values that
the template's policies set. Given the registry key and the connection
string's limit that the programs use (scripts/release.sh asks the release
texts' helper for them), every policy, language file and .reg file must name
that key (or one below it), and every connection string take that many
characters at most. Prints
each finding and exits 1 when there is one.
"""
import glob
import os
import re
import sys
import xml.etree.ElementTree as ElementTree

NAMESPACE = "{http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions}"
REFERENCE = re.compile(r"\$\((string|presentation)\.([^)]*)\)")
# The element each presentation control sets.
CONTROL_SETS = {"textBox": "text", "comboBox": "text", "decimalTextBox": "decimal",
                "longDecimalTextBox": "longDecimal", "checkBox": "boolean", "dropdownList": "enum",
                "listBox": "list", "multiTextBox": "multiText"}
HIVES = {"Machine": ["HKEY_LOCAL_MACHINE"], "User": ["HKEY_CURRENT_USER"],
         "Both": ["HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER"]}
REG_HEADER = "Windows Registry Editor Version 5.00"


def local(tag):
    return tag[len(NAMESPACE):]


def presentation_findings(adml, table, policies):
    """What the language file's presentations get wrong about the elements
    of the policies that show them."""
    findings = []
    shown = {p.get("id"): p for p in table.iter(NAMESPACE + "presentation")}
    for policy in policies:
        elements = {e.get("id"): local(e.tag) for e in policy.findall("./%selements/*" % NAMESPACE)}
        wanted = REFERENCE.findall(policy.get("presentation", ""))
        presentation = shown.get(wanted[0][1]) if wanted else None
        if presentation is None:
            continue  # no presentation, or one reported as undefined
        set_here = set()
        for control in presentation:
            kind, element = local(control.tag), control.get("refId")
            if element is None:
                continue  # a label
            if element not in elements:
                findings.append("%s: presentation %s has a %s for %s, which policy %s has no element of"
                                % (adml, presentation.get("id"), kind, element, policy.get("name")))
            elif CONTROL_SETS.get(kind) != elements[element]:
                findings.append("%s: a %s cannot set the %s element %s" % (adml, kind, elements[element], element))
            set_here.add(element)
        for element in sorted(set(elements) - set_here):
            findings.append("%s: presentation %s has no control for element %s"
                            % (adml, presentation.get("id"), element))
    return findings


def registry_findings(path, policies):
    """What a .reg file sets that no policy of the template sets. Keys and
    names compare without case, as the registry compares them."""
    values = set()
    for policy in policies:
        for item in [policy] + policy.findall("./%selements/*" % NAMESPACE):
            if not item.get("valueName"):
                continue
            for hive in HIVES.get(policy.get("class"), []):
                key = hive + "\\" + (item.get("key") or policy.get("key"))
                values.add((key.lower(), item.get("valueName").lower()))
    with open(path, "rb") as f:
        data = f.read()
    try:
        text = data[2:].decode("utf-16-le") if data.startswith(b"\xff\xfe") else data.decode("ascii")
    except UnicodeDecodeError:
        return ["%s: neither UTF-16 with a byte-order mark nor ASCII" % path]
    lines = text.splitlines()
    if not lines or lines[0] != REG_HEADER:
        return ["%s: the first line is not %s" % (path, REG_HEADER)]
    findings, key = [], None
    for line in lines[1:]:
        if line.startswith("["):
            key = line.strip("[]")
        elif line.startswith('"'):
            name = line[1:].split('"', 1)[0]
            if (str(key).lower(), name.lower()) not in values:
                findings.append("%s: sets %s under %s, which no policy of the template sets" % (path, name, key))
    return findings


def program_findings(folder, key, limit):
    """Where the template names another key than the programs (or a key
    below theirs, where a list's values lie), or lets a connection string
    (a value named ...Database, and its help's "at most N characters") take
    another length than they read."""
    findings = []
    for path in sorted(glob.glob(os.path.join(folder, "**", "*.ad[mx]*"), recursive=True) +
                       glob.glob(os.path.join(folder, "*.reg"))):
        with open(path, encoding="utf-8-sig", errors="replace") as f:
            text = f.read()
        for named in re.findall(r"SOFTWARE\\Policies\\[^\]\s\"<;:,，；：）)]*", text):
            if named != key and not named.startswith(key + "\\"):
                findings.append("%s: names %s, the programs read %s" % (path, named, key))
        connections = re.findall(r'valueName="[A-Za-z]*Database"[^/]*maxLength="([0-9]+)"', text)
        for string in re.findall(r'<string id="[A-Za-z]*Database_Help">(.*?)</string>', text, re.S):
            connections += ["".join(n) for n in re.findall(r"at most ([0-9]+) characters|最多 ([0-9]+) 个字符", string)]
        for length in connections:
            if length != limit:
                findings.append("%s: maxLength %s, the programs read %s characters" % (path, length, limit))
    return findings


def main():
    if len(sys.argv) not in (2, 4):
        print("usage: check-policy.py FOLDER [KEY LIMIT]", file=sys.stderr)
        sys.exit(2)
    folder = sys.argv[1]
    findings = program_findings(folder, sys.argv[2], sys.argv[3]) if len(sys.argv) == 4 else []
    templates = glob.glob(os.path.join(folder, "*.admx"))
    if not templates:
        findings.append("%s: no .admx file" % folder)
    for admx in templates:
        try:
            root = ElementTree.parse(admx).getroot()
        except ElementTree.ParseError as error:
            findings.append("%s: %s" % (admx, error))
            continue
        policies = root.findall("./%spolicies/%spolicy" % (NAMESPACE, NAMESPACE))
        if not policies:
            findings.append("%s: defines no policy" % admx)
        for policy in policies:
            if policy.find("./%selements" % NAMESPACE) is not None and not policy.get("presentation"):
                findings.append("%s: policy %s has elements but no presentation" % (admx, policy.get("name")))
        for reg in sorted(glob.glob(os.path.join(folder, "*.reg"))):
            findings += registry_findings(reg, policies)
        wanted = {(kind, name) for element in root.iter() for value in element.attrib.values()
                  for kind, name in REFERENCE.findall(value)}
        translations = glob.glob(os.path.join(folder, "*", os.path.basename(admx)[:-1] + "l"))
        if not translations:
            findings.append("%s: no language folder holds its .adml" % admx)
        for adml in translations:
            try:
                table = ElementTree.parse(adml).getroot()
            except ElementTree.ParseError as error:
                findings.append("%s: %s" % (adml, error))
                continue
            defined = {(local(element.tag), element.get("id")) for element in table.iter()}
            for kind, name in sorted(wanted - defined):
                findings.append("%s: no %s %s, which %s refers to" % (adml, kind, name, admx))
            findings += presentation_findings(adml, table, policies)
    for finding in findings:
        print(finding, file=sys.stderr)
    sys.exit(1 if findings else 0)


if __name__ == "__main__":
    main()
