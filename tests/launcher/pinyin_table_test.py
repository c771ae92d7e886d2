#!/usr/bin/env python3
"""The pinyin table's generator on two lines of the Han database: ü, toned
or not, is written v, as a pinyin keyboard types it."""
import bz2, os, re, subprocess, sys, tempfile, unittest


class PinyinTable(unittest.TestCase):
    def test_u_with_diaeresis_is_v(self):
        with tempfile.TemporaryDirectory() as folder:
            readings, source, out = (os.path.join(folder, name) for name in ("r.txt.bz2", "t.cpp", "t.out"))
            with bz2.open(readings, "wt", encoding="utf-8") as f:
                f.write("U+5973\tkMandarin\tnǚ\nU+7387\tkHanyuPinyin\t10289.030:shuài,lǜ,lüè\n")
            with open(source, "w", encoding="utf-8") as f:
                f.write('L"女率"')
            script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "pinyin_table.py")
            subprocess.run([sys.executable, script, out, readings, source], check=True)
            with open(out, encoding="utf-8") as f:
                self.assertEqual([("5973", "nv"), ("7387", "lv"), ("7387", "lve"), ("7387", "shuai")],
                                 re.findall(r'\{0x(\w+), "(\w+)"', f.read()))


unittest.main()
