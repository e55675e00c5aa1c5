#!/usr/bin/env python3
"""Draws the folder dialog's four 16 x 16 tool-button images into FolderButtons.bmp, a 24-bit
bitmap strip of 64 x 16 pixels: new folder, new folder disabled, delete, delete disabled.
Magenta is the transparent colour. Run it again after changing a picture:
    python3 app/resources/make_folder_buttons.py
"""
import os
import struct

# '.' transparent, 'k' outline, 'y' folder, 'Y' folder light, 'o' folder shade, '*' spark,
# 'r' red, 'R' dark red.
NEW_FOLDER = [
    "..........*.....",
    ".........*.*..*.",
    "..........*..*..",
    "...........*....",
    ".kkkk...*..*.*..",
    "kYYYYk.....*....",
    "kYyyyykkkkkkk...",
    "kYyyyyyyyyyyok..",
    "kYyyyyyyyyyyok..",
    "kYyyyyyyyyyyok..",
    "kYyyyyyyyyyyok..",
    "kYyyyyyyyyyyok..",
    "kYyyyyyyyyyyok..",
    "kooooooooooook..",
    ".kkkkkkkkkkkkk..",
    "................",
]
DELETE = [
    "................",
    "................",
    "..Rr.......rR...",
    "..Rrr.....rrR...",
    "...Rrr...rrR....",
    "....Rrr.rrR.....",
    ".....RrrrR......",
    "......rrr.......",
    ".....RrrrR......",
    "....Rrr.rrR.....",
    "...Rrr...rrR....",
    "..Rrr.....rrR...",
    "..Rr.......rR...",
    "................",
    "................",
    "................",
]

COLOURS = {
    ".": (255, 0, 255),
    "k": (0, 0, 0),
    "y": (255, 204, 0),
    "Y": (255, 240, 160),
    "o": (176, 128, 0),
    "*": (255, 255, 0),
    "r": (224, 0, 0),
    "R": (128, 0, 0),
}


def colour(code):
    return COLOURS[code]


def disabled(picture):
    """The grey, embossed look of a disabled button: every drawn pixel in dark grey with a
    white copy one pixel down and to the right."""
    size = len(picture)
    grey = [[(255, 0, 255)] * size for _ in range(size)]
    for y, row in enumerate(picture):
        for x, code in enumerate(row):
            if code != "." and x + 1 < size and y + 1 < size:
                grey[y + 1][x + 1] = (255, 255, 255)
    for y, row in enumerate(picture):
        for x, code in enumerate(row):
            if code != ".":
                grey[y][x] = (128, 128, 128)
    return grey


def rows(picture):
    return [[colour(code) for code in row] for row in picture]


def write_bmp(path, images):
    size = 16
    width = size * len(images)
    stride = (width * 3 + 3) // 4 * 4
    pixels = bytearray()
    for y in reversed(range(size)):  # bottom-up
        line = bytearray()
        for image in images:
            for red, green, blue in image[y]:
                line += bytes((blue, green, red))
        line += b"\0" * (stride - len(line))
        pixels += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, size, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info + pixels)


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    write_bmp(os.path.join(here, "FolderButtons.bmp"),
              [rows(NEW_FOLDER), disabled(NEW_FOLDER), rows(DELETE), disabled(DELETE)])
