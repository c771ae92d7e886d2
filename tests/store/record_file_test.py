#!/usr/bin/env python3
"""The record file as a spreadsheet will read it, after the writers ran.

  record_file_test.py load   WRITER TOOL_ID PROCESSES ROWS WORK [EMULATOR]
  record_file_test.py faults WRITER TOOL_ID WORK [EMULATOR]
  record_file_test.py readonly-report PROGRAM

load: PROCESSES writers save ROWS rows each into the same file at once; the
file must hold one byte-order mark, one header line and every row whole.
faults: a folder in the record file's place (and, natively, a records file
and folder that cannot be written): the failure is reported, nothing is
written, and the next save that can write succeeds. (Faults the system can
only be made to show on demand, a full disk among them, are injected through
the seam's table in tests/store/store_faults_test.cpp.)
readonly-report: the self-test asked to replace a read-only report exits 3
and leaves the old file as it was (natively, as a user other than root).

EMULATOR runs Windows writers (the build's wine-run.sh); the records then go
to the Wine prefix's %LOCALAPPDATA%. Natively they go to WORK/data.
"""
import csv
import io
import os
import shutil
import subprocess
import sys
import tempfile

BOM = b"\xef\xbb\xbf"
HEADER = ["时间", "工具", "行号", "进程", "结果", "记录编号", "住院号", "姓名", "床号", "科室", "护士工号", "护士姓名",
          "Windows 用户", "计算机名", "保存时间", "就诊号", "入院时间", "评估时间", "主要结果", "下次评估"]


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


class Writer:
    def __init__(self, program, tool_id, work, emulator):
        self.program, self.tool_id, self.work, self.emulator = program, tool_id, work, emulator
        self.env = dict(os.environ)
        if not emulator:
            self.env["XDG_DATA_HOME"] = os.path.join(work, "data")

    def command(self, rows):
        prefix = [self.emulator] if self.emulator else []
        return prefix + [self.program, str(self.tool_id), str(rows)]

    def start(self, rows, preexec=None):
        return subprocess.Popen(self.command(rows), env=self.env, stdout=subprocess.PIPE,
                                text=True, preexec_fn=preexec)

    def run(self, rows, preexec=None):
        """Returns (saved, failed, path of the records file on this machine)."""
        process = self.start(rows, preexec)
        out, _ = process.communicate(timeout=600)
        return parse_summary(out, self.emulator)


def parse_summary(out, emulator):
    fields = dict(part.split("=", 1) for part in out.strip().split(" ", 2))
    path = fields["path"]
    if emulator and path:
        path = subprocess.run([emulator, "winepath", "-u", path], capture_output=True, text=True,
                              check=True).stdout.strip()
    return int(fields["saved"]), int(fields["failed"]), path


def read_rows(path):
    """The file's rows as a CSV reader sees them, after the byte checks."""
    data = open(path, "rb").read()
    if not data.startswith(BOM) or data.count(BOM) != 1:
        fail("the file must start with exactly one byte-order mark")
    if not data.endswith(b"\r\n"):
        fail("the file ends in the middle of a row")
    rows = list(csv.reader(io.StringIO(data[3:].decode("utf-8"), newline="")))
    if rows[0] != HEADER:
        fail("header is %r" % rows[0])
    for row in rows[1:]:
        if row == HEADER:
            fail("a second header line")
        if len(row) != len(HEADER):
            fail("a row of %d fields: %r" % (len(row), row))
        row_number, pid = int(row[2].split("=")[1]), int(row[3].split("=")[1])
        expected = ("进程 %d 第 %d 行，\"引号\"\r\n餐时胰岛素：6.0 U\r\n"
                    "结论：请核对输入参数后重新计算\r\n提示等级：绿色（完成）\r\n" % (pid, row_number))
        if row[1] != "记录负载测试" or row[4] != expected:
            fail("a torn row: %r" % row)
    return rows[1:]


def fresh_file(writer):
    """Saves one row to learn where the file is, then removes it."""
    saved, _, path = writer.run(1)
    if saved != 1:
        fail("the first save failed")
    os.remove(path)
    return path


def load(writer, processes, rows):
    path = fresh_file(writer)
    started = [writer.start(rows) for _ in range(processes)]
    for process in started:
        out, _ = process.communicate(timeout=600)
        saved, failed, _ = parse_summary(out, writer.emulator)
        if (saved, failed) != (rows, 0):
            fail("a writer saved %d and failed %d" % (saved, failed))
    found = read_rows(path)
    if len(found) != processes * rows:
        fail("%d rows, expected %d" % (len(found), processes * rows))
    keys = {(int(r[3].split("=")[1]), int(r[2].split("=")[1])) for r in found}
    if len(keys) != processes * rows:
        fail("rows repeated or lost")
    # Rows of different writers take turns in the file when the writers
    # really ran at the same time.
    turns = sum(1 for a, b in zip(found, found[1:]) if a[3] != b[3])
    print("%d processes x %d rows: %d rows whole, writers took %d turns" %
          (processes, rows, len(found), turns))
    return path


def as_other_user():
    # Root writes through any permission bits; the checks need a user that
    # the bits stop.
    if os.geteuid() == 0:
        os.setgid(65534)
        os.setuid(65534)


def expect(result, saved, failed, what):
    if result[:2] != (saved, failed):
        fail("%s: saved %d, failed %d" % (what, result[0], result[1]))


def faults(writer):
    path = fresh_file(writer)
    # A folder where the file should be: nothing can be written there.
    os.mkdir(path)
    expect(writer.run(1), 0, 1, "a row where a folder holds the file's name")
    os.rmdir(path)
    expect(writer.run(1), 1, 0, "a row once the folder is gone")
    if len(read_rows(path)) != 1:
        fail("expected 1 whole row in the new file")
    print("a folder in the file's place: failure reported, next save whole")

    if writer.emulator:
        return path
    # The file and then its folder made read-only, for another user than
    # root, which needs a writer and a data folder that user can reach.
    reachable = reachable_folder()
    writer.program = shutil.copy(writer.program, reachable)
    writer.env["XDG_DATA_HOME"] = os.path.join(reachable, "data")
    saved, _, path = writer.run(1, as_other_user)
    if saved != 1:
        fail("a row as another user")
    folder = os.path.dirname(path)
    os.chmod(path, 0o444)
    before = open(path, "rb").read()
    expect(writer.run(1, as_other_user), 0, 1, "a row into a read-only file")
    if open(path, "rb").read() != before:
        fail("the read-only file changed")
    os.chmod(path, 0o644)
    expect(writer.run(1, as_other_user), 1, 0, "a row once the file is writable")
    os.remove(path)
    os.chmod(folder, 0o555)
    expect(writer.run(1, as_other_user), 0, 1, "a row into a read-only folder")
    if os.path.exists(path):
        fail("a file appeared in the read-only folder")
    os.chmod(folder, 0o755)
    expect(writer.run(1, as_other_user), 1, 0, "a row once the folder is writable")
    if len(read_rows(path)) != 1:
        fail("expected 1 whole row in the new file")
    shutil.rmtree(reachable)
    print("read-only file and folder: failure reported, nothing written, next save whole")
    return ""


def reachable_folder():
    """A fresh folder that the other user can reach (the build tree may lie in
    a folder only its owner can enter)."""
    folder = tempfile.mkdtemp(prefix="glyvant-")
    os.chmod(folder, 0o777)
    return folder


def remove_records(path):
    """Under Wine the records folder is the one the window tests use too."""
    if path and os.path.exists(path):
        os.remove(path)
    for folder in (os.path.dirname(path), os.path.dirname(os.path.dirname(path))):
        try:
            os.rmdir(folder)
        except OSError:
            break


def readonly_report(program):
    work = reachable_folder()
    program = shutil.copy(program, work)
    report = os.path.join(work, "report.txt")
    with open(report, "wb") as old:
        old.write(b"an earlier report\r\n")
    os.chmod(report, 0o444)
    code = subprocess.run([program, "--selftest", report], preexec_fn=as_other_user).returncode
    if code != 3:
        fail("exit code %d for a read-only report, expected 3" % code)
    if open(report, "rb").read() != b"an earlier report\r\n":
        fail("the read-only report changed")
    shutil.rmtree(work)
    print("read-only report: exit 3, the old file untouched")


def main():
    if sys.argv[1] == "readonly-report":
        readonly_report(sys.argv[2])
        return
    mode, program, tool_id = sys.argv[1], sys.argv[2], int(sys.argv[3])
    if mode == "load":
        processes, rows, work = int(sys.argv[4]), int(sys.argv[5]), sys.argv[6]
        emulator = sys.argv[7] if len(sys.argv) > 7 else ""
    else:
        work = sys.argv[4]
        emulator = sys.argv[5] if len(sys.argv) > 5 else ""
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    writer = Writer(program, tool_id, work, emulator)
    if mode == "load":
        path = load(writer, processes, rows)
    else:
        path = faults(writer)
    remove_records(path)


if __name__ == "__main__":
    main()
