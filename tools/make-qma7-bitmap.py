#!/usr/bin/env python3
"""Draws the control's toolbox bitmap, a small air-handling unit, as a 31 x 31 palette PNG.

usage: make-qma7-bitmap.py OUTPUT.png [--scale N]   (N > 1: an enlarged copy for viewing)
"""
import math
import struct
import sys
import zlib

# The 16 colours of the classic 4-bit display palette.
PALETTE = [
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
]
BLACK, NAVY, TEAL, SILVER, GREY, RED, BLUE, CYAN, WHITE = 0, 4, 6, 7, 8, 9, 12, 14, 15
SIZE = 31


def draw():
    px = [[SILVER] * SIZE for _ in range(SIZE)]

    def put(x, y, c):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            px[y][x] = c

    # The casing: a box with a shadow, white inside.
    for y in range(6, 25):
        for x in range(4, 27):
            put(x, y, WHITE)
    for x in range(4, 27):
        put(x, 6, BLACK)
        put(x, 24, BLACK)
        put(x + 1, 25, GREY)
    for y in range(6, 25):
        put(4, y, BLACK)
        put(26, y, BLACK)
        put(27, y + 1, GREY)

    # The fan: a ring with three blades around a hub.
    cx, cy = 15, 15
    for y in range(SIZE):
        for x in range(SIZE):
            r = math.hypot(x - cx, y - cy)
            if 6.5 <= r < 7.5:
                put(x, y, NAVY)
            elif 1.5 <= r < 6.5:
                angle = math.degrees(math.atan2(y - cy, x - cx)) % 120
                if angle < 40 + 6 * (r / 6.5):
                    put(x, y, BLUE)
    for y in range(cy - 1, cy + 2):
        for x in range(cx - 1, cx + 2):
            put(x, y, BLACK)

    # The air: in from the left (fresh, cyan) and out to the right (supply, red).
    for x in range(0, 7):
        put(x, 3, TEAL)
    for d in range(1, 3):
        put(6 - d, 3 - d, TEAL)
        put(6 - d, 3 + d, TEAL)
    # The last row and column stay background: the control draws only the top-left 30 x 30.
    for x in range(23, 30):
        put(x, 27, RED)
    for d in range(1, 3):
        put(29 - d, 27 - d, RED)
        put(29 - d, 27 + d, RED)
    # A cooling coil at the inlet and a heating coil at the outlet.
    for y in range(9, 22, 2):
        put(6, y, CYAN)
        put(7, y + 1, CYAN)
        put(24, y, RED)
        put(23, y + 1, RED)
    return px


def png(rows):
    width, height = len(rows[0]), len(rows)
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for i in range(0, width, 2):
            hi = row[i]
            lo = row[i + 1] if i + 1 < width else 0
            raw.append(hi << 4 | lo)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    plte = b"".join(struct.pack(">I", c)[1:] for c in PALETTE)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 4, 3, 0, 0, 0))
            + chunk(b"PLTE", plte) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def main():
    out = sys.argv[1]
    scale = int(sys.argv[3]) if len(sys.argv) > 3 and sys.argv[2] == "--scale" else 1
    rows = draw()
    rows = [[c for c in row for _ in range(scale)] for row in rows for _ in range(scale)]
    with open(out, "wb") as f:
        f.write(png(rows))


if __name__ == "__main__":
    main()
