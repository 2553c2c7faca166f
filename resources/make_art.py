#!/usr/bin/env python3
"""Draws the program icon (16 x 16 and 32 x 32, 16 colours) and the hand cursor
of the About box, and writes them as zindle.ico and hand.cur beside this file."""
import os
import struct

# The 16 colours of the standard VGA palette, as (r, g, b).
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, DGREY, LGREY, WHITE, NAVY, BLUE, TEAL, CYAN, YELLOW, RED, GREEN = 0, 8, 7, 15, 4, 12, 6, 14, 11, 9, 10


def monitor(size):
    """A monitor whose picture has been shifted apart in blocks."""
    s = size / 32.0
    px = [[None] * size for _ in range(size)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                if 0 <= x < size and 0 <= y < size:
                    px[y][x] = colour

    rect(1, 2, 31, 25, DGREY)      # case
    rect(2, 3, 30, 24, LGREY)
    rect(4, 5, 28, 22, NAVY)       # screen
    rect(4, 14, 28, 22, TEAL)      # a landscape: sea
    rect(6, 7, 11, 11, YELLOW)     # sun
    rect(13, 10, 28, 14, GREEN)    # hills
    # zindled blocks: pieces of the picture read from a few pixels away
    rect(9, 8, 16, 13, YELLOW)
    rect(18, 12, 24, 17, NAVY)
    rect(7, 16, 13, 20, GREEN)
    rect(21, 6, 26, 10, CYAN)
    rect(12, 25, 20, 28, DGREY)    # stand
    rect(8, 28, 24, 30, DGREY)
    rect(9, 28, 23, 29, LGREY)
    return px


def hand():
    """32 x 32 monochrome hand with the index finger up; 1 = black outline,
    2 = white inside, None = transparent."""
    rows = [
        "            XX",
        "           X..X",
        "           X..X",
        "           X..X",
        "           X..X",
        "           X..XXX",
        "           X..X..XXX",
        "        XX X..X..X..XX",
        "       X..XX..X..X..X.X",
        "       X...X........X..X",
        "        X..X...........X",
        "         X.............X",
        "         X.............X",
        "          X............X",
        "          X...........X",
        "           X..........X",
        "           X.........X",
        "            X........X",
        "            X........X",
        "            XXXXXXXXXX",
    ]
    px = [[None] * 32 for _ in range(32)]
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            px[y + 3][x] = 1 if ch == "X" else (2 if ch == "." else None)
    return px


def pack_bits(values, bits, width):
    out = bytearray()
    per = 8 // bits
    for i in range(0, width, per):
        byte = 0
        for j in range(per):
            byte = (byte << bits) | values[i + j]
        out.append(byte)
    while len(out) % 4:
        out.append(0)
    return bytes(out)


def icon_image(px):
    size = len(px)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in PALETTE)
    xor = b"".join(pack_bits([c if c is not None else 0 for c in row], 4, size) for row in reversed(px))
    andm = b"".join(pack_bits([1 if c is None else 0 for c in row], 1, size) for row in reversed(px))
    return header + palette + xor + andm


def cursor_image(px):
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = struct.pack("BBBB", 0, 0, 0, 0) + struct.pack("BBBB", 255, 255, 255, 0)
    xor = b"".join(pack_bits([1 if c == 2 else 0 for c in row], 1, 32) for row in reversed(px))
    andm = b"".join(pack_bits([1 if c is None else 0 for c in row], 1, 32) for row in reversed(px))
    return header + palette + xor + andm


def directory(kind, images, hotspots=None):
    out = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    for i, (size, colours, data) in enumerate(images):
        a, b = hotspots[i] if hotspots else (1, 4)
        out += struct.pack("<BBBBHHII", size, size, colours, 0, a, b, len(data), offset)
        offset += len(data)
    return out + b"".join(d for _, _, d in images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    icon = directory(1, [(16, 16, icon_image(monitor(16))), (32, 16, icon_image(monitor(32)))])
    with open(os.path.join(here, "zindle.ico"), "wb") as f:
        f.write(icon)
    cursor = directory(2, [(32, 2, cursor_image(hand()))], hotspots=[(12, 4)])
    with open(os.path.join(here, "hand.cur"), "wb") as f:
        f.write(cursor)


if __name__ == "__main__":
    main()
