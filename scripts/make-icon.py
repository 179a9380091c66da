#!/usr/bin/env python3
"""Builds the program's icon (a folder with a dark square on it) at every size
Windows asks for: 16, 20, 24 and 32 for the notification area and title bars at
100 to 200 %, 40, 48 and 64 for Explorer and the task switcher.

Usage: make-icon.py OUTPUT.ico

Each size is drawn from the 32-pixel design, its corners placed on whole pixels
and its outlines at least a pixel wide, so no size is a blurred copy of another.
The images have 16 colours and a mask.
"""
import struct
import sys

SIZES = [16, 20, 24, 32, 40, 48, 64]
DESIGN = 32
DARK = (128, 96, 0)
LIGHT = (247, 216, 90)
FILL = (255, 224, 96)
SQUARE = (0, 0, 128)


def draw(size):
    pixels = [[None] * size for _ in range(size)]
    unit = size / DESIGN
    line = max(1, round(unit))

    def at(u):
        return round(u * unit)

    def rect(x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(size, y1)):
            for x in range(max(0, x0), min(size, x1)):
                pixels[y][x] = colour

    def framed(x0, y0, x1, y1, right, bottom):
        # The dark outline (wider at the right and bottom: the shadow), a light
        # edge inside it, then the fill.
        rect(x0, y0, x1, y1, DARK)
        rect(x0 + line, y0 + line, x1 - right, y1 - bottom, LIGHT)
        rect(x0 + 2 * line, y0 + 2 * line, x1 - right - line, y1 - bottom - line, FILL)

    framed(at(3), at(6), at(16), at(10) + line, 2 * line, line)  # the tab
    framed(at(3), at(10), at(30), at(29), 2 * line, 2 * line)  # the folder
    rect(at(18), at(15), at(25), at(22), SQUARE)
    return pixels


def image(size):
    """A 16-colour image: a few hundred bytes where 32 bits would take tens of
    kilobytes of the program's size, and shown by every Windows version."""
    pixels = draw(size)
    colours = [(0, 0, 0), DARK, LIGHT, FILL, SQUARE]
    palette = b"".join(bytes((c[2], c[1], c[0], 0)) for c in colours) + bytes(4 * (16 - len(colours)))
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0, 0, 0, 0, 16, 0)
    stride = (size * 4 + 31) // 32 * 4
    mask_stride = (size + 31) // 32 * 4
    colour = bytearray()
    mask = bytearray()
    for row in reversed(pixels):  # bottom-up
        line = bytearray(stride)
        bits = bytearray(mask_stride)
        for x, p in enumerate(row):
            index = colours.index(p) if p else 0
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
            if p is None:
                bits[x // 8] |= 0x80 >> (x % 8)  # set: transparent
        colour += line
        mask += bits
    return header + palette + colour + mask


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    images = [image(s) for s in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
