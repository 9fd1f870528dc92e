#!/usr/bin/env python3
"""Draws Pelorin's pictures at build time.

Writes the three bitmaps linked into Pelorin.plg (PELORIN1..3.bmp), the "WA"
icon of the song title tip (WA.ico, 8 to 16 pixels) and the default skin set
that ships beside the plug-in (Pelorin1..5.bmp). Every colour comes from the
table below and every symbol from the shapes below, so the built-in look and
the default skins cannot drift apart.

Usage: make_skins.py --builtin-dir DIR --skin-dir DIR
"""

import argparse
import os
import struct

WIDTH, HEIGHT = 55, 23
BAR_ROWS = 2            # the position bar; row 2 is a plain gap below it
CELL_TOP = (3, 13)      # first pixel row of cell row 0 and cell row 1
CELL_WIDTH, CELL_HEIGHT = 11, 10
SYMBOL_LEFT, SYMBOL_TOP = 3, 2   # where a 5 x 5 symbol sits inside its cell
DISPLAY_CELL = 5

# Background, one colour per pixel row: flat down to row 8, then a gradient
# of thirteen steps over the fourteen rows 9 to 22, its darkest colour
# filling the last two rows.
GRADIENT = [0xE1E3E5] * 9 + [
    0xDADEE2, 0xD5DBDF, 0xD1D9DE, 0xCAD3D9, 0xC3CDD6, 0xBBCAD5, 0xB2C8D1,
    0xA8C2D0, 0xA0BBCC, 0x95B7C7, 0x89B0C6, 0x80AABE, 0x79A6B7, 0x79A6B7,
]

# One row per picture of the skin set. "bar" None means the position bar
# rows show the background; "active" colours Play, Pause and Stop, "symbol"
# the other buttons; "display" is what the Display cell holds (the status
# blink takes the pressed picture's play and the mouse-over picture's pause).
# "look" says how button cells are drawn: flat, or sunk into the bar, with
# the mouse-over-pressed picture lifting the sunken cell's background.
SKINS = {
    "normal": dict(bar=None, symbol=0x617BA3, active=0x617BA3, cross=0xFF7171,
                   display=None, look="flat"),
    "mouse-over": dict(bar=0xA0BBCC, symbol=0x36455C, active=0x36455C,
                       cross=0x800000, display=("pause", 0xFFFF00), look="flat"),
    "pressed": dict(bar=0x000000, symbol=0x000080, active=0x0000FF,
                    cross=0xFF0000, display=("play", 0x00FF00), look="flat"),
    "pressed-buttons": dict(bar=None, symbol=0x2B3E5E, active=0x1F4FC8,
                            cross=0xC62828, display=None, look="sunken"),
    "mouse-over-pressed": dict(bar=None, symbol=0x2B3E5E, active=0x2A66F0,
                               cross=0xE53935, display=None, look="sunken-lit"),
}

SUNKEN_SHADE = 0.82        # sunken cell background: the gradient darkened
LIT_TINT = (0xD4E6F7, 0.55)  # then, when lit, blended toward a pale blue
EDGE_DARK = 0x687A8F       # top and left inner edge of a sunken cell
EDGE_LIGHT = 0xF5F7FA      # bottom and right inner edge

BUILTIN_FILES = {"PELORIN1.bmp": "normal", "PELORIN2.bmp": "mouse-over",
                 "PELORIN3.bmp": "pressed"}
SKIN_FILES = {"Pelorin1.bmp": "normal", "Pelorin2.bmp": "mouse-over",
              "Pelorin3.bmp": "pressed", "Pelorin4.bmp": "pressed-buttons",
              "Pelorin5.bmp": "mouse-over-pressed"}


def shape(*rows):
    return [(x, y) for y, row in enumerate(rows)
            for x, c in enumerate(row) if c == "#"]


SHAPES = {
    "cross": shape("#...#", ".#.#.", "..#..", ".#.#.", "#...#"),
    "play": shape(".#...", ".##..", ".###.", ".##..", ".#..."),
    "pause": shape("##.##", "##.##", "##.##", "##.##", "##.##"),
    "stop": shape("#####", "#####", "#####", "#####", "#####"),
    "up": shape(".....", "..#..", ".###.", "##.##", "#...#"),
    "eject": shape("..#..", ".###.", "#####", ".....", "#####"),
    "prev": shape("#...#", "#..##", "#.###", "#..##", "#...#"),
    "next": shape("#...#", "##..#", "###.#", "##..#", "#...#"),
    "down": shape("#...#", "##.##", ".###.", "..#..", "....."),
}

# Cell index (5 x row + column) -> (shape, which colour of the skin).
BUTTONS = {
    0: ("cross", "cross"), 1: ("play", "active"), 2: ("pause", "active"),
    3: ("stop", "active"), 4: ("up", "symbol"), 6: ("eject", "symbol"),
    7: ("prev", "symbol"), 8: ("next", "symbol"), 9: ("down", "symbol"),
}


def mix(a, b, t):
    """Blend colour a toward b by t (0 keeps a, 1 gives b)."""
    out = 0
    for shift in (16, 8, 0):
        ca, cb = (a >> shift) & 255, (b >> shift) & 255
        out |= int(round(ca + (cb - ca) * t)) << shift
    return out


def cell_origin(index):
    return (index % 5) * CELL_WIDTH, CELL_TOP[index // 5]


def draw_sunken_cell(pixels, index, lit):
    left, top = cell_origin(index)
    right, bottom = left + CELL_WIDTH - 1, top + CELL_HEIGHT - 1
    for y in range(top, bottom + 1):
        fill = mix(GRADIENT[y], 0x000000, 1 - SUNKEN_SHADE)
        if lit:
            fill = mix(fill, LIT_TINT[0], LIT_TINT[1])
        for x in range(left, right + 1):
            if y == top or x == left:
                pixels[y][x] = EDGE_DARK
            elif y == bottom or x == right:
                pixels[y][x] = EDGE_LIGHT
            else:
                pixels[y][x] = fill


def draw_symbol(pixels, index, name, colour, pushed):
    left, top = cell_origin(index)
    # A pushed-in button shows its symbol one pixel down and right.
    dx = left + SYMBOL_LEFT + (1 if pushed else 0)
    dy = top + SYMBOL_TOP + (1 if pushed else 0)
    for x, y in SHAPES[name]:
        pixels[dy + y][dx + x] = colour


def render(skin):
    """Returns the picture as rows of 0xRRGGBB, row 0 on top."""
    pixels = [[GRADIENT[y]] * WIDTH for y in range(HEIGHT)]
    if skin["bar"] is not None:
        for y in range(BAR_ROWS):
            pixels[y] = [skin["bar"]] * WIDTH
    pushed = skin["look"] != "flat"
    for index, (name, colour_key) in BUTTONS.items():
        if pushed:
            draw_sunken_cell(pixels, index, skin["look"] == "sunken-lit")
        draw_symbol(pixels, index, name, skin[colour_key], pushed)
    if skin["display"] is not None:
        name, colour = skin["display"]
        draw_symbol(pixels, DISPLAY_CELL, name, colour, False)
    return pixels


def bmp_bytes(pixels):
    """A 24-bit bottom-up BMP file; each row padded to four bytes."""
    height, width = len(pixels), len(pixels[0])
    stride = (width * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(pixels):
        for rgb in row:
            body += bytes((rgb & 255, (rgb >> 8) & 255, rgb >> 16))
        body += bytes(stride - width * 3)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0,
                       len(body), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0,
                         14 + len(info))
    return header + info + bytes(body)


ICON_SIZES = (8, 10, 12, 14, 16)
ICON_DISC = (0x5C8FD0, 0x1E3F73)   # disc colour at its top and at its bottom
ICON_GLYPH = 0xFFFFFF
ICON_SAMPLES = 4                   # samples per pixel edge, for smooth edges


def icon_pixel(size, px, py):
    """Colour and coverage (0..1) of one pixel of a disc with a play glyph."""
    disc = glyph = 0
    n = ICON_SAMPLES
    for sy in range(n):
        for sx in range(n):
            x = (px + (sx + 0.5) / n) / size   # 0..1 across the icon
            y = (py + (sy + 0.5) / n) / size
            if (x - 0.5) ** 2 + (y - 0.5) ** 2 > 0.25:
                continue
            disc += 1
            # Right-pointing triangle with corners (0.36, 0.27), (0.36, 0.73)
            # and (0.74, 0.5): its centre of area sits on the disc's centre.
            if x >= 0.36 and abs(y - 0.5) <= 0.23 * (0.74 - x) / 0.38:
                glyph += 1
    if disc == 0:
        return 0, 0.0
    shade = mix(ICON_DISC[0], ICON_DISC[1], py / max(1.0, size - 1.0))
    colour = mix(shade, ICON_GLYPH, glyph / disc)
    return colour, disc / float(n * n)


def icon_image(size):
    """One icon image: a bottom-up 32-bit DIB with alpha, then its AND mask."""
    colour_rows, mask_rows = [], []
    mask_stride = ((size + 31) // 32) * 4
    for py in range(size):
        row = bytearray()
        mask = bytearray(mask_stride)
        for px in range(size):
            colour, coverage = icon_pixel(size, px, py)
            alpha = int(round(coverage * 255))
            row += bytes((colour & 255, (colour >> 8) & 255, colour >> 16,
                          alpha))
            if alpha == 0:
                mask[px // 8] |= 0x80 >> (px % 8)
        colour_rows.append(bytes(row))
        mask_rows.append(bytes(mask))
    colour_rows.reverse()
    mask_rows.reverse()
    xor = b"".join(colour_rows)
    and_mask = b"".join(mask_rows)
    # An icon's header counts the colour image and the mask together.
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                       len(xor) + len(and_mask), 0, 0, 0, 0)
    return info + xor + and_mask


def ico_bytes(sizes):
    images = [icon_image(s) for s in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data),
                           offset)
        offset += len(data)
    for data in images:
        out += data
    return bytes(out)


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--builtin-dir", required=True)
    parser.add_argument("--skin-dir", required=True)
    args = parser.parse_args()
    os.makedirs(args.builtin_dir, exist_ok=True)
    os.makedirs(args.skin_dir, exist_ok=True)
    for name, role in BUILTIN_FILES.items():
        write(os.path.join(args.builtin_dir, name), bmp_bytes(render(SKINS[role])))
    write(os.path.join(args.builtin_dir, "WA.ico"), ico_bytes(ICON_SIZES))
    for name, role in SKIN_FILES.items():
        write(os.path.join(args.skin_dir, name), bmp_bytes(render(SKINS[role])))


if __name__ == "__main__":
    main()
