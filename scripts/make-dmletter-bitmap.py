#!/usr/bin/env python3
"""Builds the marquee's letter bitmap (DMLETTER) from its glyph table.

Usage: make-dmletter-bitmap.py GLYPH_TABLE OUTPUT.bmp

The bitmap is 737 x 95 pixels with 16 colours: a grid of 11 x 19 cells, one
column per glyph (67) and one row per colour (green, red, yellow, cyan, white).
Each lit dot of a glyph's 5 x 9 picture is one pixel at x = 1, 3, .. 9 and
y = 1, 3, .. 17 inside its cell, on black.
"""
import struct
import sys

GLYPHS = 67
BLANK = 41
CELL_W, CELL_H = 11, 19
DOT_COLS, DOT_ROWS = 5, 9
# The usual 16-colour palette, so the bitmap also looks right on 16-colour screens.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
ROW_COLOURS = [10, 9, 11, 14, 15]  # green, red, yellow, cyan, white


def fail(path, line_no, message):
    sys.exit(f"{path}:{line_no}: {message}")


def read_glyphs(path):
    glyphs = []
    current = None
    with open(path, encoding="ascii") as table:
        for line_no, raw in enumerate(table, 1):
            line = raw.rstrip("\n")
            if not line.strip() or line.startswith("//"):
                continue
            if line.startswith("glyph "):
                parts = line.split(" ", 2)
                if len(parts) < 3 or parts[1] != str(len(glyphs)):
                    fail(path, line_no, f"expected 'glyph {len(glyphs)} <name>'")
                current = []
                glyphs.append((line_no, current))
                continue
            if current is None or len(line) != DOT_COLS or set(line) - set("#."):
                fail(path, line_no, f"a picture row is {DOT_COLS} of '#' and '.'")
            if len(current) == DOT_ROWS:
                fail(path, line_no, f"more than {DOT_ROWS} picture rows")
            current.append(line)
    if len(glyphs) != GLYPHS:
        sys.exit(f"{path}: {len(glyphs)} glyphs, expected {GLYPHS}")
    for line_no, rows in glyphs:
        if len(rows) != DOT_ROWS:
            fail(path, line_no, f"{len(rows)} picture rows, expected {DOT_ROWS}")
    if any("#" in row for row in glyphs[BLANK][1]):
        fail(path, glyphs[BLANK][0], f"glyph {BLANK} is the blank and has no dots")
    return [rows for _, rows in glyphs]


def build_pixels(glyphs):
    width, height = CELL_W * GLYPHS, CELL_H * len(ROW_COLOURS)
    pixels = [[0] * width for _ in range(height)]
    for r, colour in enumerate(ROW_COLOURS):
        for g, rows in enumerate(glyphs):
            for dy, row in enumerate(rows):
                for dx, dot in enumerate(row):
                    if dot == "#":
                        pixels[CELL_H * r + 1 + 2 * dy][CELL_W * g + 1 + 2 * dx] = colour
    return width, height, pixels


def bmp_bytes(width, height, pixels):
    stride = ((width * 4 + 31) // 32) * 4
    body = bytearray()
    for y in reversed(range(height)):  # bottom-up rows
        row = pixels[y] + [0]
        packed = bytes((row[x] << 4) | row[x + 1] for x in range(0, width, 2))
        body += packed + b"\0" * (stride - len(packed))
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(body), 3780, 3780, 16, 16)
    header = struct.pack("<2sIHHI", b"BM", offset + len(body), 0, 0, offset)
    return header + info + palette + bytes(body)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    data = bmp_bytes(*build_pixels(read_glyphs(sys.argv[1])))
    with open(sys.argv[2], "wb") as out:
        out.write(data)


if __name__ == "__main__":
    main()
