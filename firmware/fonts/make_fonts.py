#!/usr/bin/env python3
"""Builds the two character ROM images from the public-domain misc-fixed 6x12
font (Debian package xfonts-base) plus our own block, line and game symbols.

Outputs, committed beside this script so the build needs no Python:
  charrom.bin   768 bytes: 64 glyphs x 12 rows (@ A..Z [ \\ ] ^ _  space ! .. ?)
  charxrom.bin 4096 bytes: 256 glyphs x 16 bytes, rows 0-11 drawn, 12-15 zero

Usage: make_fonts.py [path/to/6x12.pcf.gz]
"""
import gzip
import os
import struct
import sys

PCF_METRICS = 1 << 2
PCF_BITMAPS = 1 << 3
PCF_BDF_ENCODINGS = 1 << 5
ROWS = 12


def read_pcf(path):
    data = gzip.open(path).read() if path.endswith('.gz') else open(path, 'rb').read()
    if data[:4] != b'\x01fcp':
        sys.exit('not a PCF font: ' + path)
    count = struct.unpack_from('<I', data, 4)[0]
    tables = {}
    for i in range(count):
        ttype, fmt, size, offset = struct.unpack_from('<IIII', data, 8 + 16 * i)
        tables[ttype] = (fmt, offset)

    def table(ttype):
        fmt, offset = tables[ttype]
        fmt = struct.unpack_from('<I', data, offset)[0]
        endian = '>' if fmt & 4 else '<'
        return fmt, endian, offset + 4

    fmt, e, pos = table(PCF_METRICS)
    metrics = []
    if fmt & 0x100:
        n = struct.unpack_from(e + 'H', data, pos)[0]
        pos += 2
        for i in range(n):
            lsb, rsb, width, asc, desc = [b - 0x80 for b in data[pos:pos + 5]]
            metrics.append((lsb, rsb, width, asc, desc))
            pos += 5
    else:
        n = struct.unpack_from(e + 'I', data, pos)[0]
        pos += 4
        for i in range(n):
            lsb, rsb, width, asc, desc, _ = struct.unpack_from(e + 'hhhhhH', data, pos)
            metrics.append((lsb, rsb, width, asc, desc))
            pos += 12

    fmt, e, pos = table(PCF_BITMAPS)
    n = struct.unpack_from(e + 'I', data, pos)[0]
    offsets = struct.unpack_from(e + '%dI' % n, data, pos + 4)
    bitmap_base = pos + 4 + 4 * n + 16
    pad = 1 << (fmt & 3)
    msb_bit_first = bool(fmt & 8)

    fmt, e, pos = table(PCF_BDF_ENCODINGS)
    min2, max2, min1, max1, default = struct.unpack_from(e + '5h', data, pos)
    ncodes = (max2 - min2 + 1) * (max1 - min1 + 1)
    indices = struct.unpack_from(e + '%dH' % ncodes, data, pos + 10)

    def glyph(code):
        """12 row bytes, bit 7 leftmost, baseline at row 8."""
        if not (min2 <= code <= max2) or min1 != 0:
            return None
        idx = indices[code - min2]
        if idx == 0xFFFF:
            return None
        lsb, rsb, width, asc, desc = metrics[idx]
        w = rsb - lsb
        stride = (w + 7) // 8
        stride = (stride + pad - 1) // pad * pad
        rows = [0] * ROWS
        base = bitmap_base + offsets[idx]
        for r in range(asc + desc):
            y = 9 - asc + r
            line = data[base + r * stride: base + (r + 1) * stride]
            for x in range(w):
                byte = line[x // 8]
                bit = (byte >> (7 - x % 8)) & 1 if msb_bit_first else (byte >> (x % 8)) & 1
                px = x + lsb + 1  # one pixel of left margin centres 6 in 8
                if bit and 0 <= y < ROWS and 0 <= px < 8:
                    rows[y] |= 0x80 >> px
        return rows
    return glyph


def art(text):
    """12 lines of 8 characters, '#' = lit pixel."""
    lines = [l for l in text.strip('\n').split('\n')]
    assert len(lines) == ROWS, text
    out = []
    for l in lines:
        l = l.ljust(8)
        v = 0
        for i, ch in enumerate(l[:8]):
            if ch == '#':
                v |= 0x80 >> i
        out.append(v)
    return out


# Game symbols B0h-BFh, drawn by hand.
GAME = [
    # B0 heart
    """
........
.##..##.
########
########
########
.######.
..####..
...##...
........
........
........
........
""",
    # B1 diamond
    """
...##...
..####..
.######.
########
.######.
..####..
...##...
........
........
........
........
........
""",
    # B2 club
    """
...##...
..####..
..####..
##.##.##
########
##.##.##
...##...
..####..
........
........
........
........
""",
    # B3 spade
    """
...##...
..####..
.######.
########
########
.##.###.
...##...
..####..
........
........
........
........
""",
    # B4 smiling face
    """
.######.
#......#
#.#..#.#
#......#
#.#..#.#
#..##..#
#......#
.######.
........
........
........
........
""",
    # B5 ball
    """
........
..####..
.######.
########
########
########
.######.
..####..
........
........
........
........
""",
    # B6 ring
    """
........
..####..
.#....#.
#......#
#......#
#......#
.#....#.
..####..
........
........
........
........
""",
    # B7 space ship
    """
...##...
...##...
..####..
..####..
.##..##.
########
########
##.##.##
#......#
........
........
........
""",
    # B8 invader
    """
..#..#..
...##...
.######.
##.##.##
########
#.####.#
#.#..#.#
..#..#..
........
........
........
........
""",
    # B9 walking man
    """
...##...
...##...
........
..####..
.#.##.#.
...##...
...##...
..#..#..
.#....#.
........
........
........
""",
    # BA ghost
    """
..####..
.######.
##.##.##
##.##.##
########
########
########
#.#..#.#
........
........
........
........
""",
    # BB tree
    """
...##...
..####..
.######.
..####..
.######.
########
...##...
...##...
........
........
........
........
""",
    # BC arrow up
    """
...##...
..####..
.######.
...##...
...##...
...##...
...##...
...##...
........
........
........
........
""",
    # BD arrow down
    """
...##...
...##...
...##...
...##...
...##...
.######.
..####..
...##...
........
........
........
........
""",
    # BE arrow left
    """
........
..#.....
.##.....
########
########
.##.....
..#.....
........
........
........
........
........
""",
    # BF arrow right
    """
........
.....#..
.....##.
########
########
.....##.
.....#..
........
........
........
........
........
""",
]


def quadrant(p):
    """80h-8Fh: bit 3 upper left, 2 upper right, 1 lower left, 0 lower right."""
    def half(l, r):
        return (0xF0 if l else 0) | (0x0F if r else 0)
    return [half(p & 8, p & 4)] * 6 + [half(p & 2, p & 1)] * 6


def sextant(p):
    """C0h-FFh: bits 5-4 top band, 3-2 middle, 1-0 bottom (left, right)."""
    def half(l, r):
        return (0xF0 if l else 0) | (0x0F if r else 0)
    return ([half(p & 32, p & 16)] * 4 + [half(p & 8, p & 4)] * 4 +
            [half(p & 2, p & 1)] * 4)


def lines(up, down, left, right):
    """Box drawing: strokes two pixels thick through rows 5-6 and columns 3-4."""
    rows = [0] * ROWS
    for y in range(ROWS):
        if (up and y <= 6) or (down and y >= 5):
            rows[y] |= 0x18
    for y in (5, 6):
        if left:
            rows[y] |= 0xF8
        if right:
            rows[y] |= 0x1F
    return rows


def line_glyphs():
    """90h-9Fh: line drawing pieces and a few fills."""
    g = []
    combos = [
        (0, 0, 1, 1),  # 90 horizontal
        (1, 1, 0, 0),  # 91 vertical
        (0, 1, 0, 1),  # 92 top left corner
        (0, 1, 1, 0),  # 93 top right corner
        (1, 0, 0, 1),  # 94 bottom left corner
        (1, 0, 1, 0),  # 95 bottom right corner
        (1, 1, 0, 1),  # 96 tee right
        (1, 1, 1, 0),  # 97 tee left
        (0, 1, 1, 1),  # 98 tee down
        (1, 0, 1, 1),  # 99 tee up
        (1, 1, 1, 1),  # 9A cross
    ]
    for c in combos:
        g.append(lines(*c))
    g.append([0xFF] * ROWS)                       # 9B full block
    g.append([0xAA, 0x55] * 6)                    # 9C checker (shade)
    g.append([0x88, 0x22] * 6)                    # 9D light shade
    g.append([0xFF, 0x00] * 6)                    # 9E horizontal stripes
    g.append([0xAA] * ROWS)                       # 9F vertical stripes
    return g


def fill_glyphs():
    """A0h-AFh: partial blocks for bars and frames."""
    g = []
    for n in range(1, 9):                        # A0-A7 bottom fill 1/8 .. 8/8 (in 12ths)
        h = (n * ROWS + 4) // 8
        g.append([0] * (ROWS - h) + [0xFF] * h)
    for n in range(1, 9):                        # A8-AF left fill 1..8 pixels
        g.append([(0xFF00 >> n) & 0xFF] * ROWS)
    return g


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    src = sys.argv[1] if len(sys.argv) > 1 else '/usr/share/fonts/X11/misc/6x12.pcf.gz'
    glyph = read_pcf(src)
    blank = [0] * ROWS

    ext = []
    for code in range(128):
        if 32 <= code < 127:
            ext.append(glyph(code) or blank)
        else:
            ext.append(blank)
    ext[127] = [0xFF] * ROWS                      # DEL shows as a solid block (cursor)
    for p in range(16):
        ext.append(quadrant(p))
    ext.extend(line_glyphs())
    ext.extend(fill_glyphs())
    ext.extend(art(a) for a in GAME)
    for p in range(64):
        ext.append(sextant(p))
    assert len(ext) == 256

    extbin = bytearray()
    for rows in ext:
        extbin += bytes(rows) + bytes(4)
    assert len(extbin) == 4096

    small = bytearray()
    for g in range(64):
        code = 0x40 + g if g < 32 else g          # @ A..Z [ \ ] ^ _ then space .. ?
        small += bytes(glyph(code) or blank)
    assert len(small) == 768

    with open(os.path.join(here, 'charrom.bin'), 'wb') as f:
        f.write(small)
    with open(os.path.join(here, 'charxrom.bin'), 'wb') as f:
        f.write(extbin)


if __name__ == '__main__':
    main()
