#!/usr/bin/env python3
"""Draws the Device page's brand logos: each brand's name set in our own block
letters on a plain coloured badge, 90 x 90 pixels, 8-bit BMP. Bitmap 1024 + brand
for every brand of src/knowledge/KnownBrands.h (1024 itself, for no brand, is a
drive with a question mark), and 1280 + brand, marked "SSD", for the brands listed
in SOLID_STATE. Writes resources/logos/*.bmp and resources/logos.rc.
Standard library only; run it again after changing a drawing or the brand table.
"""
import colorsys
import itertools
import os
import re
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, '..')
OUT = os.path.join(ROOT, 'resources', 'logos')
BRANDS_HEADER = os.path.join(ROOT, 'src', 'knowledge', 'KnownBrands.h')

SIZE = 90
SUPER = 4  # samples per pixel along each axis
LOGO_FIRST = 1024
SOLID_STATE_FIRST = 1280
# Brands that get a solid-state variant. Brand 2 has none on purpose: its drives
# show the brand's own logo, which is the fallback the page must handle.
SOLID_STATE = ['Samsung', 'OCZ', 'Kingston', 'Crucial', 'SanDisk', 'Toshiba', 'Plextor']

WHITE = (255, 255, 255)

# 5 x 7 block letters.
FONT = {
    'A': ['01110', '10001', '10001', '11111', '10001', '10001', '10001'],
    'B': ['11110', '10001', '10001', '11110', '10001', '10001', '11110'],
    'C': ['01111', '10000', '10000', '10000', '10000', '10000', '01111'],
    'D': ['11110', '10001', '10001', '10001', '10001', '10001', '11110'],
    'E': ['11111', '10000', '10000', '11110', '10000', '10000', '11111'],
    'F': ['11111', '10000', '10000', '11110', '10000', '10000', '10000'],
    'G': ['01111', '10000', '10000', '10011', '10001', '10001', '01111'],
    'H': ['10001', '10001', '10001', '11111', '10001', '10001', '10001'],
    'I': ['11111', '00100', '00100', '00100', '00100', '00100', '11111'],
    'J': ['00111', '00010', '00010', '00010', '00010', '10010', '01100'],
    'K': ['10001', '10010', '10100', '11000', '10100', '10010', '10001'],
    'L': ['10000', '10000', '10000', '10000', '10000', '10000', '11111'],
    'M': ['10001', '11011', '10101', '10101', '10001', '10001', '10001'],
    'N': ['10001', '11001', '10101', '10011', '10001', '10001', '10001'],
    'O': ['01110', '10001', '10001', '10001', '10001', '10001', '01110'],
    'P': ['11110', '10001', '10001', '11110', '10000', '10000', '10000'],
    'Q': ['01110', '10001', '10001', '10001', '10101', '10010', '01101'],
    'R': ['11110', '10001', '10001', '11110', '10100', '10010', '10001'],
    'S': ['01111', '10000', '10000', '01110', '00001', '00001', '11110'],
    'T': ['11111', '00100', '00100', '00100', '00100', '00100', '00100'],
    'U': ['10001', '10001', '10001', '10001', '10001', '10001', '01110'],
    'V': ['10001', '10001', '10001', '10001', '10001', '01010', '00100'],
    'W': ['10001', '10001', '10001', '10101', '10101', '11011', '10001'],
    'X': ['10001', '10001', '01010', '00100', '01010', '10001', '10001'],
    'Y': ['10001', '10001', '01010', '00100', '00100', '00100', '00100'],
    'Z': ['11111', '00001', '00010', '00100', '01000', '10000', '11111'],
    '0': ['01110', '10001', '10011', '10101', '11001', '10001', '01110'],
    '1': ['00100', '01100', '00100', '00100', '00100', '00100', '01110'],
    '2': ['01110', '10001', '00001', '00010', '00100', '01000', '11111'],
    '3': ['11110', '00001', '00001', '01110', '00001', '00001', '11110'],
    '4': ['00010', '00110', '01010', '10010', '11111', '00010', '00010'],
    '5': ['11111', '10000', '11110', '00001', '00001', '10001', '01110'],
    '6': ['01110', '10000', '10000', '11110', '10001', '10001', '01110'],
    '7': ['11111', '00001', '00010', '00100', '01000', '01000', '01000'],
    '8': ['01110', '10001', '10001', '01110', '10001', '10001', '01110'],
    '9': ['01110', '10001', '10001', '01111', '00001', '00001', '01110'],
    '-': ['00000', '00000', '00000', '11111', '00000', '00000', '00000'],
    '?': ['01110', '10001', '00001', '00010', '00100', '00000', '00100'],
    ' ': ['00000'] * 7,
}
GLYPH_W, GLYPH_H, GAP, LEADING = 5, 7, 1, 3


def brand_names():
    """The brand table as (index, name), read from the C++ header."""
    with open(BRANDS_HEADER, encoding='utf-8') as f:
        text = f.read()
    rows = re.findall(r'^\s*"([^"]*)",\s*//\s*(\d+)\s*$', text, re.M)
    names = [(int(index), name) for name, index in rows]
    assert [i for i, _ in names] == list(range(len(names))), 'brand rows out of order'
    return names


def badge_colour(index):
    """A distinct, fairly dark colour per brand, so white letters stand out."""
    hue = (index * 0.381966) % 1.0
    r, g, b = colorsys.hsv_to_rgb(hue, 0.65, 0.62)
    return (int(r * 255), int(g * 255), int(b * 255))


def text_width(line):
    return len(line) * (GLYPH_W + GAP) - GAP


def best_lines(words, width, height):
    """Splits the words into lines so that the letters can be as large as possible;
    answers (lines, unit) with unit the size of one font pixel."""
    best = None
    for cuts in itertools.product([False, True], repeat=max(len(words) - 1, 0)):
        lines, current = [], [words[0]]
        for word, cut in zip(words[1:], cuts):
            if cut:
                lines.append(' '.join(current))
                current = [word]
            else:
                current.append(word)
        lines.append(' '.join(current))
        units_w = max(text_width(line) for line in lines)
        units_h = len(lines) * GLYPH_H + (len(lines) - 1) * LEADING
        unit = min(width / units_w, height / units_h, 3.4)
        if best is None or unit > best[1] + 1e-9:
            best = (lines, unit)
    return best


class Canvas:
    """Supersampled drawing: shapes are tests on sample points, layered in order."""

    def __init__(self, background):
        n = SIZE * SUPER
        self.samples = [[background] * n for _ in range(n)]

    def fill(self, inside, colour):
        n = SIZE * SUPER
        for sy in range(n):
            y = (sy + 0.5) / SUPER
            row = self.samples[sy]
            for sx in range(n):
                if inside((sx + 0.5) / SUPER, y):
                    row[sx] = colour

    def rect(self, left, top, right, bottom, colour):
        n = SIZE * SUPER
        for sy in range(max(int(top * SUPER), 0), min(int(bottom * SUPER + 0.999), n)):
            y = (sy + 0.5) / SUPER
            if not top <= y < bottom:
                continue
            row = self.samples[sy]
            for sx in range(max(int(left * SUPER), 0), min(int(right * SUPER + 0.999), n)):
                if left <= (sx + 0.5) / SUPER < right:
                    row[sx] = colour

    def text(self, lines, unit, centre_x, centre_y, colour):
        total_h = (len(lines) * GLYPH_H + (len(lines) - 1) * LEADING) * unit
        top = centre_y - total_h / 2
        for line in lines:
            left = centre_x - text_width(line) * unit / 2
            for ch in line:
                glyph = FONT.get(ch, FONT['?'])
                for gy, bits in enumerate(glyph):
                    for gx, bit in enumerate(bits):
                        if bit == '1':
                            x0, y0 = left + gx * unit, top + gy * unit
                            self.rect(x0, y0, x0 + unit, y0 + unit, colour)
                left += (GLYPH_W + GAP) * unit
            top += (GLYPH_H + LEADING) * unit

    def pixels(self):
        """Averages the samples, each channel rounded to a multiple of 17 so that
        the whole image fits a 256-colour palette."""
        out = []
        for y in range(SIZE):
            row = []
            for x in range(SIZE):
                r = g = b = 0
                for sy in range(y * SUPER, (y + 1) * SUPER):
                    for p in self.samples[sy][x * SUPER:(x + 1) * SUPER]:
                        r, g, b = r + p[0], g + p[1], b + p[2]
                count = SUPER * SUPER
                row.append(tuple(int(round(c / count / 17.0)) * 17 for c in (r, g, b)))
            out.append(row)
        return out


def rounded(left, top, right, bottom, radius):
    def inside(x, y):
        if not (left <= x < right and top <= y < bottom):
            return False
        cx = min(max(x, left + radius), right - radius)
        cy = min(max(y, top + radius), bottom - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2
    return inside


def draw_brand(index, name, solid_state):
    colour = badge_colour(index)
    canvas = Canvas(WHITE)
    canvas.fill(rounded(3, 3, 87, 87, 12), colour)
    words = name.upper().split()
    if solid_state:
        lines, unit = best_lines(words, 78, 40)
        canvas.text(lines, unit, 45, 35, WHITE)
        # A light strip across the badge's foot carries the mark.
        strip = tuple(int(c + (255 - c) * 0.8) for c in colour)
        canvas.fill(lambda x, y: 60 <= y < 80 and rounded(3, 3, 87, 87, 12)(x, y) and 8 <= x < 82, strip)
        canvas.text(['SSD'], 2.0, 45, 70, colour)
    else:
        lines, unit = best_lines(words, 80, 62)
        canvas.text(lines, unit, 45, 45, WHITE)
    return canvas.pixels()


def draw_generic():
    """No known brand: a grey badge with a drive platter and a question mark."""
    grey = (96, 104, 116)
    canvas = Canvas(WHITE)
    canvas.fill(rounded(3, 3, 87, 87, 12), grey)
    canvas.fill(lambda x, y: (x - 45) ** 2 + (y - 45) ** 2 <= 32 ** 2, (200, 204, 210))
    canvas.fill(lambda x, y: (x - 45) ** 2 + (y - 45) ** 2 <= 27 ** 2, (226, 229, 233))
    canvas.text(['?'], 5.0, 45, 45, grey)
    return canvas.pixels()


def write_bmp(path, pixels):
    """8-bit palette BMP, bottom-up rows padded to four bytes."""
    height, width = len(pixels), len(pixels[0])
    palette = sorted({p for row in pixels for p in row})
    assert len(palette) <= 256, f'{path}: {len(palette)} colours'
    lookup = {p: i for i, p in enumerate(palette)}
    row_bytes = (width + 3) // 4 * 4
    body = b''.join(bytes(lookup[p] for p in row) + bytes(row_bytes - width) for row in reversed(pixels))
    colours = b''.join(bytes((p[2], p[1], p[0], 0)) for p in palette)
    header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 8, 0, len(body), 2835, 2835, len(palette), 0)
    offset = 14 + len(header) + len(colours)
    file_header = struct.pack('<2sIHHI', b'BM', offset + len(body), 0, 0, offset)
    with open(path, 'wb') as f:
        f.write(file_header + header + colours + body)


def main():
    os.makedirs(OUT, exist_ok=True)
    brands = brand_names()
    known = {name for _, name in brands}
    missing = [name for name in SOLID_STATE if name not in known]
    assert not missing, f'solid-state brands not in the table: {missing}'
    entries = []
    for index, name in brands:
        resource = LOGO_FIRST + index
        pixels = draw_generic() if index == 0 else draw_brand(index, name, False)
        write_bmp(os.path.join(OUT, f'logo-{resource}.bmp'), pixels)
        entries.append((resource, name))
    for index, name in brands:
        if name in SOLID_STATE:
            resource = SOLID_STATE_FIRST + index
            write_bmp(os.path.join(OUT, f'logo-{resource}.bmp'), draw_brand(index, name, True))
            entries.append((resource, name + ' SSD'))
    with open(os.path.join(ROOT, 'resources', 'logos.rc'), 'w', encoding='utf-8', newline='\n') as f:
        f.write('// Brand logos of the Device page: 1024 + brand, and 1280 + brand for the\n')
        f.write('// solid-state variants. Generated by tools/make-logos.py; do not edit.\n')
        for resource, name in entries:
            f.write(f'{resource} BITMAP "logos/logo-{resource}.bmp"\n')
    print(f'wrote {len(entries)} logos to resources/logos and resources/logos.rc')


if __name__ == '__main__':
    main()
