#!/usr/bin/env python3
"""Draws the log view's two row marks and writes src/res/LogError.bmp and src/res/LogInfo.bmp.

Error entries get a red disc with a white cross, all others a blue disc with a white "i": the
colour and the shape each tell them apart. Each file is one strip holding the mark drawn for
the pixel grid of every size the list may ask for (16, 20, 24 and 32 pixels: 100, 125, 150
and 200 % scaling), left to right, top-aligned; magenta (255, 0, 255) is transparent. Every
pixel is either disc, glyph or magenta (cut at half coverage): nothing mixes with the magenta
that the list turns transparent, and the cross's diagonals fall on the pixel grid as even
staircases.

Standard library only: python3 tools/make_log_images.py [output-directory]
"""

import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_icon import bar, coverage, disk  # noqa: E402  (the icon's own geometry)

# Must match the cell sizes the list takes them by (framework/win32/Win32DialogView.cpp).
SIZES = (16, 20, 24, 32)
MAGENTA = (255, 0, 255)
WHITE = (255, 255, 255)
ERROR_DISC = (0xC4, 0x2B, 0x1C)
INFO_DISC = (0x00, 0x5F, 0xB8)

# Per size, in pixels: the cross's half width and reach from the centre (a half width of 0.9
# makes each row of a diagonal three pixels wide, 1.5 five), and the i's stroke, dot top and
# stem (from the top edge).
STYLE = {
    16: dict(half=0.9, reach=3.5, stroke=2, dot=3, stem=(7, 13)),
    20: dict(half=0.9, reach=4.5, stroke=2, dot=4, stem=(8, 16)),
    24: dict(half=0.9, reach=5.5, stroke=2, dot=5, stem=(10, 19)),
    32: dict(half=1.5, reach=7.5, stroke=4, dot=6, stem=(13, 26)),
}


def rectangle(left, top, right, bottom):
    """Signed distance to an axis-aligned box."""
    def sdf(x, y):
        dx = max(left - x, x - right)
        dy = max(top - y, y - bottom)
        outside = (max(dx, 0.0) ** 2 + max(dy, 0.0) ** 2) ** 0.5
        return outside + min(max(dx, dy), 0.0)
    return sdf


def cross(size):
    s = STYLE[size]
    c, r = size / 2, s['reach']
    first = bar(c - r, c - r, c + r, c + r, s['half'], False)
    second = bar(c - r, c + r, c + r, c - r, s['half'], False)
    return lambda x, y: min(first(x, y), second(x, y))


def letter_i(size):
    s = STYLE[size]
    c, w = size / 2, s['stroke']
    dot = rectangle(c - w / 2, s['dot'], c + w / 2, s['dot'] + w)
    stem = rectangle(c - w / 2, s['stem'][0], c + w / 2, s['stem'][1])
    return lambda x, y: min(dot(x, y), stem(x, y))


def mark(size, disc_colour, glyph):
    """Rows of RGB pixels: magenta, the disc's colour or the glyph's white."""
    c = size / 2
    rim = disk(c, c, c - 0.25)
    rows = []
    for j in range(size):
        row = []
        for i in range(size):
            x, y = i + 0.5, j + 0.5
            if coverage(rim(x, y)) < 0.5:
                row.append(MAGENTA)
            else:
                row.append(WHITE if coverage(glyph(x, y)) >= 0.5 else disc_colour)
        rows.append(row)
    return rows


def strip(disc_colour, glyph_of):
    """All sizes side by side on one magenta strip as tall as the largest."""
    height = max(SIZES)
    pixels = [[MAGENTA] * sum(SIZES) for _ in range(height)]
    left = 0
    for size in SIZES:
        for j, row in enumerate(mark(size, disc_colour, glyph_of(size))):
            pixels[j][left:left + size] = row
        left += size
    return pixels


def bmp_bytes(pixels):
    """A 24-bit bottom-up Windows bitmap, as the resource compiler embeds it."""
    height, width = len(pixels), len(pixels[0])
    stride = (width * 3 + 3) // 4 * 4
    body = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        for r, g, b in row:
            line.extend((b, g, r))
        body.extend(line + bytes(stride - len(line)))
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(body), 0, 0, 14 + len(info))
    return header + info + bytes(body)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, 'src', 'res')
    for name, colour, glyph in (('LogError.bmp', ERROR_DISC, cross), ('LogInfo.bmp', INFO_DISC, letter_i)):
        with open(os.path.join(out_dir, name), 'wb') as f:
            f.write(bmp_bytes(strip(colour, glyph)))


if __name__ == '__main__':
    main()
