#!/usr/bin/env python3
"""Writes the pinyin readings of every Han character that the suite's
descriptors write, from the Unicode Han database (Debian's unicode-data), as
a C++ table for the launcher's search.

Usage: pinyin_table.py OUT.cpp UNIHAN_READINGS.txt.bz2 DESCRIPTOR.cpp...

Every reading counts (kMandarin, kHanyuPinyin, kXHC1983), so a character
read two ways is found by either; kMandarin's, the customary one, is marked
common, so that a title found through its customary readings ranks first. Tones are dropped and "ü" is written "v",
as a pinyin keyboard types it. A character without any reading stops the
build: a title that cannot be found by its initials is a fault to see.
"""
import bz2
import re
import sys
import unicodedata

FIELDS = ("kMandarin", "kHanyuPinyin", "kXHC1983")


def is_han(c):
    code = ord(c)
    return 0x3400 <= code <= 0x9FFF or 0xF900 <= code <= 0xFAFF or 0x20000 <= code <= 0x3FFFF


def plain(syllable):
    """'lǜ' -> 'lv', 'yā' -> 'ya'."""
    # The toned ü (ǖ ǘ ǚ ǜ) are code points of their own: only once decomposed
    # do they, like ü itself, show as u and a combining diaeresis.
    decomposed = unicodedata.normalize("NFD", syllable.lower()).replace("u\u0308", "v")
    return "".join(c for c in decomposed if "a" <= c <= "z")


def main():
    out, readings_path, sources = sys.argv[1], sys.argv[2], sys.argv[3:]
    wanted = set()
    for path in sources:
        with open(path, encoding="utf-8") as f:
            for literal in re.findall(r'L"((?:[^"\\]|\\.)*)"', f.read()):
                wanted.update(c for c in literal if is_han(c))

    readings, common = {}, set()
    with bz2.open(readings_path, "rt", encoding="utf-8") as f:
        for line in f:
            fields = line.rstrip("\n").split("\t")
            if len(fields) != 3 or fields[1] not in FIELDS:
                continue
            c = chr(int(fields[0][2:], 16))
            if c not in wanted:
                continue
            for value in fields[2].split():
                syllables = value.split(":")[-1].split(",")  # "10019.020:tiàn,tián"
                readings.setdefault(c, set()).update(plain(s) for s in syllables if plain(s))
                if fields[1] == "kMandarin":
                    common.update((c, plain(s)) for s in syllables)

    missing = sorted(wanted - set(readings))
    if missing:
        sys.exit("pinyin_table: no reading for " + " ".join("%s (U+%04X)" % (c, ord(c)) for c in missing))

    rows = [(ord(c), s) for c in readings for s in sorted(readings[c])]
    rows.sort()
    with open(out, "w", encoding="utf-8") as f:
        f.write("// Made by scripts/pinyin_table.py from the Unicode Han database's readings\n")
        f.write("// for the characters of the suite's descriptors. Do not edit.\n")
        f.write('#include "launcher/tool_search.h"\n\n')
        f.write("const PinyinReading pinyin_readings[] = {\n")
        for code, syllable in rows:
            f.write('    {0x%04X, "%s", %s},\n'
                    % (code, syllable, "true" if (chr(code), syllable) in common else "false"))
        f.write("};\n")
        f.write("const int pinyin_reading_count = %d;\n" % len(rows))


if __name__ == "__main__":
    main()
