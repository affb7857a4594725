#!/usr/bin/env python3
"""Draws the program's icon on the pixel grid of each size the desktop asks for, so no size is a blurred scaling of
another: a dark rounded square with four green bars standing on the middle line and four red bars hanging from it,
as in zovodazad.svg (the 16-pixel design). Run it after changing the design; it writes zovodazad-<size>.png here."""

import struct
import zlib
from pathlib import Path

BACKGROUND = (0x1E, 0x2A, 0x33)
GREEN = (0x3D, 0xDC, 0x4A)
RED = (0xFF, 0x4A, 0x3D)

# Per size: margin, bar width and gap, in whole pixels, so that the four bars fill the width evenly; the three
# largest are for menus and software centres.
GRIDS = {
    16: (1, 2, 2), 22: (2, 3, 2), 24: (1, 4, 2), 32: (2, 4, 4), 48: (3, 6, 6),
    64: (4, 8, 8), 128: (8, 16, 16), 256: (16, 32, 32),
}
# Bar heights on the 16-pixel design: green above the middle line (rows 1..7), red below it (rows 9..15).
UP = (5, 3, 6, 4)
DOWN = (2, 4, 5, 2)


def draw(size):
    margin, width, gap = GRIDS[size]
    unit = size / 16
    radius = 2.5 * unit
    pixels = [[(0, 0, 0, 0)] * size for _ in range(size)]

    # The rounded square, its corners covered by 4 x 4 samples per pixel.
    for y in range(size):
        for x in range(size):
            inside = 0
            for sy in range(4):
                for sx in range(4):
                    px, py = x + (sx + 0.5) / 4, y + (sy + 0.5) / 4
                    cx = min(max(px, radius), size - radius)
                    cy = min(max(py, radius), size - radius)
                    inside += (px - cx) ** 2 + (py - cy) ** 2 <= radius**2
            pixels[y][x] = BACKGROUND + (round(255 * inside / 16),)

    middle = round(8 * unit)  # the first row below the green bars
    line = max(1, round(unit))  # the dark line between the two directions
    for i in range(4):
        left = margin + i * (width + gap)
        up = max(1, round(UP[i] * unit))
        down = max(1, round(DOWN[i] * unit))
        for x in range(left, left + width):
            for y in range(middle - up, middle):
                pixels[y][x] = GREEN + (255,)
            for y in range(middle + line, middle + line + down):
                pixels[y][x] = RED + (255,)
    return pixels


def png(pixels):
    size = len(pixels)
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in pixels)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


if __name__ == "__main__":
    here = Path(__file__).resolve().parent
    for size in GRIDS:
        (here / f"zovodazad-{size}.png").write_bytes(png(draw(size)))
