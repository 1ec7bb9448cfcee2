#!/usr/bin/env python3
"""Draws Vexa's own small images and writes them as Windows resources:
resources/vexa.ico (the program icon: a drive platter with a read arm, 16, 32
and 48 pixels) and resources/rescan.bmp (the rescan button's 16 x 16 glyph: a
circular arrow). Standard library only; run it again after changing a drawing.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, '..', 'resources')


def blend(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def icon_pixels(size):
    """RGBA rows, top first: a blue rounded badge with a silver platter and arm."""
    pixels = [[(0, 0, 0, 0)] * size for _ in range(size)]
    c = (size - 1) / 2.0
    radius = size * 0.47
    for y in range(size):
        for x in range(size):
            # Badge: rounded square, deep blue to teal from top to bottom.
            dx, dy = abs(x - c), abs(y - c)
            r = size * 0.18
            inner = size / 2.0 - r
            ex, ey = max(dx - inner, 0), max(dy - inner, 0)
            if math.hypot(ex, ey) > r + 0.5:
                continue
            base = blend((32, 72, 160), (24, 140, 150), y / max(size - 1, 1))
            pixels[y][x] = base + (255,)
            d = math.hypot(x - c, y - c)
            if d <= radius * 0.78:
                shade = blend((235, 238, 242), (170, 178, 190), d / (radius * 0.78))
                pixels[y][x] = shade + (255,)
            if d <= radius * 0.16:
                pixels[y][x] = (60, 70, 90, 255)
    # Read arm from the lower right corner towards the centre.
    steps = size * 4
    for i in range(steps):
        t = i / steps
        x = c + (size * 0.42) * (1 - t) + 0.5
        y = c + (size * 0.42) * (1 - t) * 0.35 + size * 0.3 * (1 - t) * 0.0 + 0.5
        xi, yi = int(x), int(min(y + size * 0.25 * (1 - t), size - 1))
        for w in range(max(1, size // 16)):
            if 0 <= xi < size and 0 <= yi - w < size:
                pixels[yi - w][xi] = (250, 190, 40, 255)
    return pixels


def ico_image(size):
    pixels = icon_pixels(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    body = b''.join(bytes((p[2], p[1], p[0], p[3])) for row in reversed(pixels) for p in row)
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)
    return header + body + mask


def write_ico(path, sizes):
    images = [ico_image(s) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


def rescan_pixels():
    """16 x 16, magenta background (the button's transparent colour) and a green arrow."""
    size = 16
    bg = (255, 0, 255)
    pixels = [[bg] * size for _ in range(size)]
    c = 7.5
    for y in range(size):
        for x in range(size):
            d = math.hypot(x - c, y - c)
            angle = math.degrees(math.atan2(y - c, x - c)) % 360
            if 4.2 <= d <= 6.6 and not (300 <= angle <= 360):
                pixels[y][x] = blend((20, 120, 40), (60, 180, 80), angle / 360)
    # Arrow head at the gap, pointing down.
    for row, (a, b) in enumerate([(10, 15), (11, 14), (12, 13)]):
        for x in range(a, b + 1):
            pixels[6 + row][x] = (20, 120, 40)
    return pixels


def write_bmp(path, pixels):
    """8-bit palette BMP: the top-left pixel's colour is the transparent one, which
    Windows replaces by the button face when the bitmap is loaded transparent."""
    height, width = len(pixels), len(pixels[0])
    palette = []
    for row in pixels:
        for p in row:
            if p not in palette:
                palette.append(p)
    assert len(palette) <= 256
    row_bytes = ((width + 3) // 4) * 4
    body = b''
    for row in reversed(pixels):
        line = bytes(palette.index(p) for p in row)
        body += line + bytes(row_bytes - len(line))
    colours = b''.join(bytes((p[2], p[1], p[0], 0)) for p in palette)
    header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 8, 0, len(body), 2835, 2835, len(palette), 0)
    offset = 14 + len(header) + len(colours)
    file_header = struct.pack('<2sIHHI', b'BM', offset + len(body), 0, 0, offset)
    with open(path, 'wb') as f:
        f.write(file_header + header + colours + body)


if __name__ == '__main__':
    os.makedirs(OUT, exist_ok=True)
    write_ico(os.path.join(OUT, 'vexa.ico'), [16, 32, 48])
    write_bmp(os.path.join(OUT, 'rescan.bmp'), rescan_pixels())
    print('wrote resources/vexa.ico and resources/rescan.bmp')
