#!/usr/bin/env python3
"""Draws the program's artwork and writes it as the files the resource script embeds:

  Logo.bmp       105 x 44, 256-colour palette: "Veritally" in tall, narrow blue letters with
                 a darker outline on black, inside a one-pixel white frame, and a blue bar of
                 three segments under the right end of the name.
  Veritally.ico  32 x 32, 16 colours: "MD5" in tall white-and-grey strokes on a black
                 square, with a white bar beneath.

Letters are polylines stroked with a round pen, so the drawing stays a few lines a glyph.
Run it from anywhere; it writes next to itself. The output is deterministic.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def stroke_distance(x, y, polylines):
    """Distance from a pixel centre to the nearest stroke of a glyph."""
    best = 1e9
    for line in polylines:
        for (ax, ay), (bx, by) in zip(line, line[1:] or line):
            best = min(best, segment_distance(x, y, ax, ay, bx, by))
    return best


def place(glyphs, text, spacing):
    """Polylines of a word: each glyph is (width, polylines), set left to right."""
    x, placed = 0.0, []
    for ch in text:
        width, lines = glyphs[ch]
        placed += [[(px + x, py) for px, py in line] for line in lines]
        x += width + spacing
    return placed, x - spacing


# Logo glyphs: cap height 0..24 (baseline 24), x-height from 8, descender to 30.
LOGO_GLYPHS = {
    "V": (11, [[(1.5, 0), (5.5, 24), (9.5, 0)]]),
    "e": (8, [[(1.5, 15), (6.5, 15), (6.5, 11), (5, 9.5), (3, 9.5), (1.5, 11), (1.5, 21.5),
               (3, 23), (5, 23), (6.5, 21.5)]]),
    "r": (7, [[(1.5, 8.5), (1.5, 24)], [(1.5, 11), (3.5, 9), (6, 9)]]),
    "i": (3, [[(1.5, 9), (1.5, 24)], [(1.5, 3), (1.5, 4.5)]]),
    "t": (6, [[(2, 2), (2, 21.5), (3.5, 23), (5, 23)], [(0.5, 9), (5, 9)]]),
    "a": (8, [[(6.5, 11), (6.5, 24)], [(1.5, 10.5), (3, 9), (5, 9), (6.5, 10.5)],
              [(6.5, 15.5), (3, 15.5), (1.5, 17), (1.5, 21.5), (3, 23), (5, 23), (6.5, 21.5)]]),
    "l": (3, [[(1.5, 0), (1.5, 24)]]),
    "y": (8, [[(1.5, 9), (1.5, 19), (3, 21), (6.5, 21)],
              [(6.5, 9), (6.5, 27.5), (5, 29), (2, 29)]]),
}

# Icon glyphs: 22 pixels tall.
ICON_GLYPHS = {
    "M": (10, [[(1, 21), (1, 1), (5, 12), (9, 1), (9, 21)]]),
    "D": (8, [[(1, 1), (1, 21), (4, 21), (7, 18), (7, 4), (4, 1), (1, 1)]]),
    "5": (8, [[(7, 1), (1, 1), (1, 10), (5, 10), (7, 12), (7, 19), (5, 21), (1, 21)]]),
}


def bmp_8bit(width, height, pixels, palette):
    """A bottom-up 8-bit BMP file; rows padded to four bytes."""
    stride = (width + 3) & ~3
    rows = b"".join(bytes(pixels[y]) + b"\0" * (stride - width) for y in reversed(range(height)))
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    colours += b"\0" * (4 * 256 - len(colours))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(rows), 3780, 3780, 256, 0)
    offset = 14 + len(info) + len(colours)
    header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    return header + info + colours + rows


def draw_logo():
    width, height = 105, 44
    black, white, outline = 0, 1, 2
    shades = 24  # palette 3 .. 26: the letters' blue, lighter towards the top
    palette = [(0, 0, 0), (255, 255, 255), (0, 16, 112)]
    palette += [(40 + 4 * i, 90 + 5 * i, 255 - i) for i in reversed(range(shades))]
    bar_colour = 3 + shades // 2

    lines, word_width = place(LOGO_GLYPHS, "Veritally", 2)
    left, top = (width - word_width) / 2, 6
    lines = [[(x + left, y + top) for x, y in line] for line in lines]
    pixels = [[black] * width for _ in range(height)]
    for y in range(1, height - 1):
        for x in range(1, width - 1):
            d = stroke_distance(x + 0.5, y + 0.5, lines)
            if d <= 1.45:
                shade = min(shades - 1, max(0, int((y - top) * shades / 31)))
                pixels[y][x] = 3 + (shades - 1 - shade)
            elif d <= 2.5:
                pixels[y][x] = outline
    for start in (60, 71, 82):  # the bar under the right end of the name
        for y in (39, 40):
            for x in range(start, start + 9):
                pixels[y][x] = bar_colour
    for x in range(width):
        pixels[0][x] = pixels[height - 1][x] = white
    for y in range(height):
        pixels[y][0] = pixels[y][width - 1] = white
    return bmp_8bit(width, height, pixels, palette)


VGA_PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
               (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
               (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def draw_icon():
    size = 32
    black, grey, light, white = 0, 8, 7, 15
    lines, word_width = place(ICON_GLYPHS, "MD5", 2)
    left, top = (size - word_width) / 2, 2
    lines = [[(x + left, y + top) for x, y in line] for line in lines]
    pixels = [[black] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            d = stroke_distance(x + 0.5, y + 0.5, lines)
            if d <= 0.75:
                pixels[y][x] = white
            elif d <= 1.25:
                pixels[y][x] = light
            elif d <= 1.6:
                pixels[y][x] = grey
    for y in (27, 28):
        for x in range(3, 29):
            pixels[y][x] = white

    xor = b"".join(bytes((row[x] << 4) | row[x + 1] for x in range(0, size, 2))
                   for row in reversed(pixels))
    mask = b"\0" * (size * 4)  # fully opaque square
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in VGA_PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0, len(xor) + len(mask), 0, 0,
                       16, 0)
    image = info + colours + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    with open(os.path.join(HERE, "Logo.bmp"), "wb") as f:
        f.write(draw_logo())
    with open(os.path.join(HERE, "Veritally.ico"), "wb") as f:
        f.write(draw_icon())


if __name__ == "__main__":
    main()
