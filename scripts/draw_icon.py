# Draws the Glyvant icon: a white insulin drop marked with a plus on a teal rounded square.
# The build runs it to make the Windows icon resource, so no binary image is committed.
"""Usage: python3 scripts/draw_icon.py OUT.ico

Writes one icon group of seven 32-bit images (16 to 256 px). Every shape is
described by a signed distance function in pixel units (negative inside);
pixels near an edge are supersampled, the rest take their colour directly.
Only the standard library is used and the output is the same on every run.
"""

import math
import struct
import sys

SIZES = (16, 24, 32, 48, 64, 128, 256)

# Background gradient, top to bottom, around #1F6F8B.
TEAL_TOP = (0x2A, 0x86, 0xA4)
TEAL_BOTTOM = (0x16, 0x58, 0x70)
DROP_TOP = (0xFF, 0xFF, 0xFF)
DROP_BOTTOM = (0xE4, 0xF1, 0xF5)


def lerp(a, b, t):
    return tuple(p + (q - p) * t for p, q in zip(a, b))


def sd_round_rect(x, y, x0, y0, x1, y1, r):
    hx = (x1 - x0) / 2 - r
    hy = (y1 - y0) / 2 - r
    qx = abs(x - (x0 + x1) / 2) - hx
    qy = abs(y - (y0 + y1) / 2) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - r


def sd_drop(x, y, cx, cy, r1, r2, h):
    """Exact distance to the hull of two circles on a vertical axis: radius r1
    at (cx, cy) and radius r2 at distance h above it (a drop when r2 is small)."""
    px = abs(x - cx)
    py = cy - y
    b = (r1 - r2) / h
    a = math.sqrt(1.0 - b * b)
    k = a * py - b * px
    if k < 0.0:
        return math.hypot(px, py) - r1
    if k > a * h:
        return math.hypot(px, py - h) - r2
    return a * px + b * py - r1


class Geometry:
    """Shape layout for one image size, in pixel coordinates (y grows down)."""

    def __init__(self, size):
        s = float(size)
        m = round(size / 32)  # margin: none at 16 px, 8 px at 256 px
        self.rect = (m, m, s - m, s - m, 0.2 * s if size > 16 else 3.5)

        cx = s / 2
        r = 0.215 * s
        cy = round(0.6 * s)
        tip = 0.16 * s
        if size == 16:
            # No plus fits at 16 px, so the drop alone fills the square.
            r, cy, tip = 4.6, 10.0, 1.6
        self.drop_box = (cx - r, tip, cx + r, cy + r)
        # Above 48 px the tip is rounded a little: it becomes a small circle
        # whose tangents are the same as those of the sharp tip.
        round_by = 0.012 * s if size > 48 else 0.0
        self.drop = (cx, cy, r, round_by, (cy - tip) * (1 - round_by / r))

        # The plus sits in the round part of the drop. Up to 64 px its bars are
        # snapped to whole pixels with square ends so they stay crisp; larger
        # ones get slightly rounded ends. At 16 px it is left out.
        half = 0.12 * s
        thick = 0.075 * s
        ends = 0.15 * thick
        if size <= 64:
            half = float(round(half))
            thick = float(max(2, 2 * round(thick / 2)))
            ends = 0.0
        self.plus = None if size <= 16 else (cx, cy, half, thick / 2, ends)

        # Soft shadow below the drop, only where it has room to look soft.
        self.shadow = (0.025 * s, 0.05 * s) if size >= 48 else (0.0, 0.0)
        # Beyond this distance from the drop's box nothing of the drop shows.
        self.reach = sum(self.shadow) + EDGE

    def sd_back(self, x, y):
        return sd_round_rect(x, y, *self.rect)

    def sd_drop(self, x, y):
        return sd_drop(x, y, *self.drop)

    def sd_plus(self, x, y):
        if self.plus is None:
            return math.inf
        cx, cy, h, t, rr = self.plus
        return min(sd_round_rect(x, y, cx - h, cy - t, cx + h, cy + t, rr),
                   sd_round_rect(x, y, cx - t, cy - h, cx + t, cy + h, rr))

    def near_drop(self, x, y, slack=0.0):
        """Cheap test: could the drop or its shadow reach within `slack`?"""
        x0, y0, x1, y1 = self.drop_box
        m = self.reach + slack
        return x0 - m < x < x1 + m and y0 - m < y < y1 + m

    def layer(self, x, y):
        """0 outside, 1 plus, 2 drop, 3 background."""
        if self.sd_back(x, y) >= 0:
            return 0
        if not self.near_drop(x, y):
            return 3
        if self.sd_drop(x, y) >= 0:
            return 3
        return 1 if self.sd_plus(x, y) < 0 else 2

    def shade(self, x, y):
        """Brightness factor of the background under the drop's shadow."""
        off, blur = self.shadow
        if not blur or not self.near_drop(x, y):
            return 1.0
        t = max(0.0, min(1.0, 0.5 - self.sd_drop(x, y - off) / (2 * blur)))
        return 1.0 - 0.28 * t * t * (3 - 2 * t)


# A pixel whose centre is further than this from every edge is uniform
# (a pixel's corners are 0.71 px from its centre).
EDGE = 0.75


def classify(g, x, y, slack):
    """Layer covering every pixel centred within `slack` of (x, y), or None
    if an edge may cross one of them. Valid because each distance function
    changes by at most the distance moved."""
    lim = EDGE + slack
    db = g.sd_back(x, y)
    if db > lim:
        return 0
    if db < -lim:
        if not g.near_drop(x, y, slack):
            return 3
        dd = g.sd_drop(x, y)
        if dd > lim:
            return 3
        if dd < -lim:
            dp = g.sd_plus(x, y)
            if dp > lim:
                return 2
            if dp < -lim:
                return 1
    return None


def layer_grid(g, size):
    """Per-pixel layer, or None for edge pixels, found by splitting the
    image into blocks until each block is uniform or a single pixel."""
    grid = [[None] * size for _ in range(size)]

    def visit(x0, y0, w, h):
        k = classify(g, x0 + w / 2, y0 + h / 2, math.hypot(w - 1, h - 1) / 2)
        if k is not None or (w == 1 and h == 1):
            for row in grid[y0:y0 + h]:
                row[x0:x0 + w] = [k] * w
            return
        w1, h1 = (w + 1) // 2, (h + 1) // 2
        for bx, bw in ((x0, w1), (x0 + w1, w - w1)):
            for by, bh in ((y0, h1), (y0 + h1, h - h1)):
                if bw and bh:
                    visit(bx, by, bw, bh)

    visit(0, 0, size, size)
    return grid


def render(size):
    """Return rows (top first) of (r, g, b, a) tuples with straight alpha."""
    g = Geometry(size)
    n = 6 if size <= 48 else 4
    offsets = [(k + 0.5) / n for k in range(n)]
    _, top, _, bottom = g.drop_box
    grid = layer_grid(g, size)
    rows = []
    for j in range(size):
        y = j + 0.5
        back = lerp(TEAL_TOP, TEAL_BOTTOM, j / (size - 1))
        white = lerp(DROP_TOP, DROP_BOTTOM, min(1.0, max(0.0, (y - top) / (bottom - top))))
        row = []
        for i in range(size):
            x = i + 0.5
            k = grid[j][i]
            if k is not None:
                counts = {k: 1}
            else:
                counts = {}
                for oy in offsets:
                    for ox in offsets:
                        k = g.layer(i + ox, j + oy)
                        counts[k] = counts.get(k, 0) + 1
            total = sum(counts.values())
            covered = total - counts.get(0, 0)
            if covered == 0:
                row.append((0, 0, 0, 0))
                continue
            rgb = [0.0, 0.0, 0.0]
            for k, cnt in counts.items():
                if k == 1:
                    colour = back
                elif k == 2:
                    colour = white
                elif k == 3:
                    shade = g.shade(x, y)
                    colour = tuple(c * shade for c in back)
                else:
                    continue
                for c in range(3):
                    rgb[c] += colour[c] * cnt
            row.append(tuple(int(v / covered + 0.5) for v in rgb)
                       + (int(255 * covered / total + 0.5),))
        rows.append(row)
    return rows


def dib(size, rows):
    """BITMAPINFOHEADER + bottom-up BGRA pixels + 1-bit AND mask."""
    mask_stride = ((size + 31) // 32) * 4
    pixels = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for i, (r, g, b, a) in enumerate(row):
            pixels += bytes((b, g, r, a))
            if a == 0:
                bits[i >> 3] |= 0x80 >> (i & 7)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0,
                         len(pixels) + len(mask), 0, 0, 0, 0)
    return header + bytes(pixels) + bytes(mask)


def ico(images):
    """Pack (size, dib bytes) pairs into one icon group."""
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    return bytes(out)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__.splitlines()[0] + "\n")
        return 2
    images = [(s, dib(s, render(s))) for s in SIZES]
    with open(argv[1], "wb") as f:
        f.write(ico(images))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
