#!/usr/bin/env python3
"""Draws the link labels' pointing hand and writes it as HandCursor.cur, the cursor resource
"VTCOMMON_HANDCURSOR" of the executable:

  32 x 32, monochrome (an AND mask and an XOR bitmap), a hand with the index finger pointing
  up, black outline, white inside, transparent around it; the hot spot is the fingertip, at
  (6, 0).

Run it from anywhere; it writes next to itself. The output is deterministic.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

SIZE = 32
HOT_SPOT = (6, 0)

# "#" black, "o" white, anything else transparent. Rows shorter than 32 are padded.
HAND = [
    "......##",
    ".....#oo#",
    ".....#oo#",
    ".....#oo#",
    ".....#oo#",
    ".....#oo###",
    ".....#oo#oo###",
    ".....#oo#oo#oo###",
    ".....#oo#oo#oo#oo#",
    ".##..#oo#oo#oo#oo#",
    "#oo#.#ooooooooooo#",
    "#ooo##ooooooooooo#",
    ".#ooo#ooooooooooo#",
    "..#oooooooooooooo#",
    "..#oooooooooooooo#",
    "...#ooooooooooooo#",
    "...#oooooooooooo#",
    "....#ooooooooooo#",
    ".....#oooooooooo#",
    ".....#oooooooooo#",
    ".....############",
]


def mono_rows(rows, pixel_bit):
    """Bottom-up rows of 1-bit pixels, 4 bytes each (32 pixels need no padding)."""
    data = b""
    for y in reversed(range(SIZE)):
        row = rows[y] if y < len(rows) else ""
        bits = 0
        for x in range(SIZE):
            ch = row[x] if x < len(row) else "."
            bits = (bits << 1) | pixel_bit(ch)
        data += struct.pack(">I", bits)
    return data


def draw_cursor():
    # Black: AND 0, XOR 0. White: AND 0, XOR 1. Transparent: AND 1, XOR 0.
    xor = mono_rows(HAND, lambda ch: 1 if ch == "o" else 0)
    mask = mono_rows(HAND, lambda ch: 0 if ch in "#o" else 1)
    colours = struct.pack("<BBBBBBBB", 0, 0, 0, 0, 255, 255, 255, 0)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 1, 0, len(xor) + len(mask), 0, 0,
                       2, 0)
    image = info + colours + xor + mask
    directory = struct.pack("<HHH", 0, 2, 1)  # type 2: cursor
    # For a cursor the planes and bit count fields of the entry hold the hot spot.
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 2, 0, HOT_SPOT[0], HOT_SPOT[1], len(image),
                        6 + 16)
    return directory + entry + image


def main():
    assert HAND[HOT_SPOT[1]][HOT_SPOT[0]] == "#", "the hot spot is on the fingertip"
    with open(os.path.join(HERE, "HandCursor.cur"), "wb") as f:
        f.write(draw_cursor())


if __name__ == "__main__":
    main()
