# Checks that an .ico file is the icon group the build expects: exactly the
# seven sizes 16-256 px, each a 32-bit DIB whose offsets and sizes agree.
"""Usage: python3 scripts/check_icon.py ICO

Prints one line per image and exits 0, or prints the first problem found to
stderr and exits 1.
"""

import struct
import sys

SIZES = (16, 24, 32, 48, 64, 128, 256)
DIR_HEADER = 6
DIR_ENTRY = 16
BMP_HEADER = 40


class Bad(Exception):
    pass


def expected_bytes(size):
    mask_stride = ((size + 31) // 32) * 4
    return BMP_HEADER + 4 * size * size + mask_stride * size


def check_image(data, n, size, offset, length):
    where = "image %d (%d px)" % (n, size)
    if data[offset:offset + 8] == b"\x89PNG\r\n\x1a\n":
        raise Bad("%s is PNG-compressed, expected a DIB" % where)
    (bi_size, width, height, planes, bits, compression,
     image_size) = struct.unpack_from("<IiiHHII", data, offset)
    if bi_size != BMP_HEADER:
        raise Bad("%s: header size %d, expected %d" % (where, bi_size, BMP_HEADER))
    if width != size or height != 2 * size:
        raise Bad("%s: bitmap is %dx%d, expected %dx%d"
                  % (where, width, height, size, 2 * size))
    if planes != 1 or bits != 32 or compression != 0:
        raise Bad("%s: planes=%d bits=%d compression=%d, expected 1, 32, 0"
                  % (where, planes, bits, compression))
    if length != expected_bytes(size):
        raise Bad("%s: %d bytes, expected %d for pixels and mask"
                  % (where, length, expected_bytes(size)))
    if image_size not in (0, length - BMP_HEADER):
        raise Bad("%s: biSizeImage %d disagrees with %d bytes of data"
                  % (where, image_size, length - BMP_HEADER))
    alpha = data[offset + BMP_HEADER + 3:offset + BMP_HEADER + 4 * size * size:4]
    if 0 not in alpha or 255 not in alpha:
        raise Bad("%s: alpha channel has no transparent or no opaque pixels" % where)


def check(data):
    """Return [(size, bytes)] in directory order, or raise Bad."""
    if len(data) < DIR_HEADER:
        raise Bad("file is %d bytes, too short for an icon header" % len(data))
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1:
        raise Bad("not an icon file (reserved=%d, type=%d)" % (reserved, kind))
    if count != len(SIZES):
        raise Bad("%d images, expected %d" % (count, len(SIZES)))
    table_end = DIR_HEADER + DIR_ENTRY * count
    if len(data) < table_end:
        raise Bad("file ends inside the image directory")

    images = []
    spans = []
    for n in range(count):
        w, h, colours, reserved, planes, bits, length, offset = struct.unpack_from(
            "<BBBBHHII", data, DIR_HEADER + DIR_ENTRY * n)
        size = w or 256
        if w != h:
            raise Bad("image %d is not square (%dx%d)" % (n, w or 256, h or 256))
        if colours != 0 or reserved != 0 or planes != 1 or bits != 32:
            raise Bad("image %d (%d px): colours=%d reserved=%d planes=%d bits=%d,"
                      " expected 0, 0, 1, 32" % (n, size, colours, reserved, planes, bits))
        if offset < table_end or offset + length > len(data):
            raise Bad("image %d (%d px): bytes %d..%d lie outside %d..%d"
                      % (n, size, offset, offset + length, table_end, len(data)))
        if length < BMP_HEADER:
            raise Bad("image %d (%d px): only %d bytes" % (n, size, length))
        spans.append((offset, offset + length, n))
        images.append((size, length, offset))

    spans.sort()
    for (_, end, a), (start, _, b) in zip(spans, spans[1:]):
        if start < end:
            raise Bad("images %d and %d overlap" % (a, b))
    if spans[-1][1] != len(data):
        raise Bad("%d stray bytes after the last image" % (len(data) - spans[-1][1]))

    sizes = sorted(size for size, _, _ in images)
    if sizes != sorted(SIZES):
        raise Bad("sizes are %s, expected %s" % (sizes, list(SIZES)))
    for n, (size, length, offset) in enumerate(images):
        check_image(data, n, size, offset, length)
    return [(size, length) for size, length, _ in images]


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__.splitlines()[0] + "\n")
        return 2
    try:
        with open(argv[1], "rb") as f:
            data = f.read()
        images = check(data)
    except (OSError, Bad) as e:
        sys.stderr.write("%s: %s\n" % (argv[1], e))
        return 1
    for size, length in images:
        print("%3d x %-3d px  32-bit  %6d bytes" % (size, size, length))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
