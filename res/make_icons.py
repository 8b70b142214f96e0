#!/usr/bin/env python3
"""Draws the application icon (a small fireworks burst, 32x32 and 16x16) and
the hand cursor, and writes them as .ico / .cur files beside this script."""
import math
import struct
import os

HERE = os.path.dirname(os.path.abspath(__file__))

COLOURS = [(255, 80, 40), (255, 220, 60), (80, 200, 255), (255, 255, 255),
           (120, 255, 120), (255, 90, 200)]


def burst(size):
    """RGBA rows, top row first: rays of sparks round a bright centre."""
    px = [[(0, 0, 0, 0) for _ in range(size)] for _ in range(size)]
    c = (size - 1) / 2.0
    rays = 12
    for r in range(rays):
        ang = 2 * math.pi * r / rays
        col = COLOURS[r % len(COLOURS)]
        steps = size * 3
        for s in range(steps):
            t = s / steps
            rad = t * (size / 2.0 - 0.5)
            x = int(round(c + rad * math.cos(ang)))
            y = int(round(c + rad * math.sin(ang)))
            if 0 <= x < size and 0 <= y < size:
                fade = 1.0 - 0.6 * t
                px[y][x] = (int(col[0] * fade), int(col[1] * fade), int(col[2] * fade), 255)
    for dy in (-1, 0, 1):
        for dx in (-1, 0, 1):
            px[int(c) + dy][int(c) + dx] = (255, 255, 230, 255)
    return px


def hand(size=32):
    """A pointing hand, black outline on white, hot spot at the finger tip."""
    art = [
        "      XX        ",
        "     X..X       ",
        "     X..X       ",
        "     X..X       ",
        "     X..XXX     ",
        "     X..X..XXX  ",
        "  XX X..X..X..XX",
        " X..XX..X..X..X.X",
        " X...X........X.X",
        "  X...........X.X",
        "  X.............X",
        "   X...........X ",
        "   X...........X ",
        "    X.........X  ",
        "    X.........X  ",
        "    XXXXXXXXXXX  ",
    ]
    px = [[(0, 0, 0, 0) for _ in range(size)] for _ in range(size)]
    for y, line in enumerate(art):
        for x, ch in enumerate(line[:size]):
            if ch == 'X':
                px[y][x] = (0, 0, 0, 255)
            elif ch == '.':
                px[y][x] = (255, 255, 255, 255)
    return px, (6, 0)


def dib(px):
    """A 32-bit icon image: header, XOR bitmap bottom-up, AND mask."""
    size = len(px)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(struct.pack('<BBBB', p[2], p[1], p[0], p[3])
                   for row in reversed(px) for p in row)
    row_bytes = ((size + 31) // 32) * 4
    mask = b''
    for row in reversed(px):
        out = bytearray(row_bytes)
        for x, p in enumerate(row):
            if p[3] == 0:
                out[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(out)
    return header + xor + mask


def write_group(path, images, kind, hotspots=None):
    data = struct.pack('<HHH', 0, kind, len(images))
    offset = 6 + 16 * len(images)
    blobs = []
    for i, px in enumerate(images):
        blob = dib(px)
        size = len(px)
        if kind == 1:
            planes, bits = 1, 32
        else:
            planes, bits = hotspots[i]
        data += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, planes, bits, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    with open(path, 'wb') as f:
        f.write(data + b''.join(blobs))


if __name__ == '__main__':
    write_group(os.path.join(HERE, 'Glimmerax.ico'), [burst(32), burst(16)], 1)
    cursor, hot = hand()
    write_group(os.path.join(HERE, 'hand.cur'), [cursor], 2, [hot])
