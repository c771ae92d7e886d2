#!/usr/bin/env python3
"""Checks that each Windows program given carries the suite's manifest as
Windows reads it when it starts the program: resource 1 of type 24
(RT_MANIFEST), asking for the common controls of version 6, per-monitor DPI
awareness (version 2, with the older line for Windows 8.1 and earlier) and
naming Windows 7 to 11. Used on the programs of the release zips and
packages. Usage: check-manifest.py PROGRAM.exe..."""
import struct
import sys

RT_MANIFEST = 24
WANTED = [
    ('the common controls of version 6', b'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"'),
    ('per-monitor DPI awareness v2', b'>PerMonitorV2, PerMonitor</dpiAwareness>'),
    ('DPI awareness for Windows 8.1 and earlier', b'>true/pm</dpiAware>'),
    ('Windows 7', b'{35138b9a-5d96-4fbd-8e2d-a2440225f93a}'),
    ('Windows 10 and 11', b'{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}'),
]


def manifest_of(data):
    """The bytes of resource RT_MANIFEST/1 (any language), or None."""
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    if data[pe:pe + 4] != b'PE\0\0':
        return None
    sections, optional_size = struct.unpack_from('<H', data, pe + 6)[0], struct.unpack_from('<H', data, pe + 20)[0]
    optional = pe + 24
    magic = struct.unpack_from('<H', data, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    resource_rva = struct.unpack_from('<I', data, directories + 2 * 8)[0]
    table = optional + optional_size

    def offset(rva):
        for k in range(sections):
            _, size, address, raw_size, raw = struct.unpack_from('<8sIIII', data, table + 40 * k)
            if address <= rva < address + max(size, raw_size):
                return raw + rva - address
        return None

    base = offset(resource_rva)
    if base is None:
        return None

    def entries(directory):
        named, numbered = struct.unpack_from('<HH', data, base + directory + 12)
        for k in range(named + numbered):
            name, target = struct.unpack_from('<II', data, base + directory + 16 + 8 * k)
            yield name, target

    for kind, types in entries(0):
        if kind != RT_MANIFEST or not types & 0x80000000:
            continue
        for ident, languages in entries(types & 0x7FFFFFFF):
            if ident != 1 or not languages & 0x80000000:
                continue
            for _, leaf in entries(languages & 0x7FFFFFFF):
                rva, size = struct.unpack_from('<II', data, base + leaf)
                at = offset(rva)
                return None if at is None else data[at:at + size]
    return None


def main(paths):
    failed = False
    for path in paths:
        with open(path, 'rb') as f:
            manifest = manifest_of(f.read())
        if manifest is None:
            print('%s: carries no manifest' % path)
            failed = True
            continue
        missing = [what for what, text in WANTED if text not in manifest]
        if missing:
            print('%s: its manifest does not name %s' % (path, ', '.join(missing)))
            failed = True
    if not paths:
        print('check-manifest.py: no program given')
    return 1 if failed or not paths else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
