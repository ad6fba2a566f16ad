#!/usr/bin/env python3
"""Draws Horvane's clock icon and writes src/res/Horvane.ico and src/res/icon-preview.png.

Every size is drawn for its own pixel grid rather than scaled from a large master: the
small sizes (the notification area at 100 to 200 % scaling) get thick strokes and hands
along the pixel axes so that they stay sharp; the large ones get a 10:10 pose, minute
ticks, a seconds hand and a soft shadow. Shapes are signed distance fields whose pixel
coverage is taken from the distance at the pixel centre, which keeps edges that lie on
pixel boundaries crisp and anti-aliases the rest.

Standard library only: python3 tools/make_icon.py [output-directory]
"""

import math
import os
import struct
import sys
import zlib

SIZES = (16, 20, 24, 32, 48, 256)
# Sizes up to this one show the simplified face with axis-aligned hands.
LARGEST_SIMPLE = 32

RING_TOP = (0x3B, 0x82, 0xF6)
RING_BOTTOM = (0x1D, 0x4E, 0xD8)
RING_FLAT = (0x25, 0x63, 0xEB)
RING_EDGE = (0x17, 0x3B, 0x8F)
FACE_CENTRE = (0xFF, 0xFF, 0xFF)
FACE_EDGE = (0xE8, 0xEE, 0xF6)
TICK = (0x33, 0x41, 0x55)
HAND = (0x0F, 0x17, 0x2A)
ACCENT = (0xE1, 0x1D, 0x48)
SHADOW = (0x00, 0x00, 0x00)


# --- geometry ------------------------------------------------------------------------

def clamp(x, lo=0.0, hi=1.0):
    return lo if x < lo else hi if x > hi else x


def smoothstep(e0, e1, x):
    t = clamp((x - e0) / (e1 - e0))
    return t * t * (3 - 2 * t)


def disk(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def bar(ax, ay, bx, by, half_width, round_caps):
    """A stroke from a to b; butt caps end exactly at a and b, round caps go beyond."""
    length = math.hypot(bx - ax, by - ay)
    ux, uy = (bx - ax) / length, (by - ay) / length

    def sdf(x, y):
        px, py = x - ax, y - ay
        u = px * ux + py * uy
        v = -px * uy + py * ux
        if round_caps:
            t = clamp(u, 0.0, length)
            return math.hypot(u - t, v) - half_width
        qx = abs(u - length / 2) - length / 2
        qy = abs(v) - half_width
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0)

    return sdf


def coverage(d):
    return clamp(0.5 - d)


# --- drawing -------------------------------------------------------------------------

class Canvas:
    def __init__(self, size):
        self.size = size
        self.pixels = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]

    def fill(self, sdf, colour, alpha_of=coverage, opacity=1.0):
        """Composites a shape; colour is an RGB triple or a function of the pixel centre."""
        for j in range(self.size):
            row = self.pixels[j]
            y = j + 0.5
            for i in range(self.size):
                x = i + 0.5
                a = alpha_of(sdf(x, y)) * opacity
                if a <= 0.0:
                    continue
                c = colour(x, y) if callable(colour) else colour
                row[i] = over(c, a, row[i])

    def rgba_rows(self):
        for row in self.pixels:
            yield [(round(r), round(g), round(b), round(a * 255)) for r, g, b, a in row]


def over(colour, alpha, below):
    r, g, b = colour
    br, bg, bb, ba = below
    out = alpha + ba * (1 - alpha)
    if out <= 0.0:
        return (0.0, 0.0, 0.0, 0.0)
    keep = ba * (1 - alpha)
    return ((r * alpha + br * keep) / out, (g * alpha + bg * keep) / out,
            (b * alpha + bb * keep) / out, out)


def mix(c0, c1, t):
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def vertical_gradient(top, bottom, y0, y1):
    return lambda x, y: mix(top, bottom, clamp((y - y0) / (y1 - y0)))


def radial_gradient(centre, edge, cx, cy, r):
    return lambda x, y: mix(centre, edge, clamp(math.hypot(x - cx, y - cy) / r) ** 2)


def point_at(cx, cy, radius, clock_degrees):
    a = math.radians(clock_degrees)
    return cx + radius * math.sin(a), cy - radius * math.cos(a)


# --- the clock -----------------------------------------------------------------------

# Per size, in whole pixels so that every edge along a row or column falls on a pixel
# boundary: margin round the dial, ring width, hand width, tick count and length, and the
# hand lengths from the centre. Even sizes put the centre on a pixel corner, so an even
# hand width fills whole pixels.
SIMPLE_STYLE = {
    16: dict(margin=0, ring=2, hand=2, ticks=0, tick_len=0, minute=5, hour=3),
    20: dict(margin=0, ring=2, hand=2, ticks=4, tick_len=1, minute=6, hour=4),
    24: dict(margin=1, ring=2, hand=2, ticks=4, tick_len=2, minute=6, hour=4),
    32: dict(margin=1, ring=3, hand=2, ticks=12, tick_len=2, minute=9, hour=6),
}
DETAILED_STYLE = {
    48: dict(margin=2.0, ring=4.0, shadow=(1.0, 1.5, 0.30), hour_tick=(3.5, 2.0), minute_tick=None,
             hour_hand=3.0, minute_hand=2.2, second=None, cap=2.4),
    256: dict(margin=12.0, ring=17.0, shadow=(5.0, 8.0, 0.35), hour_tick=(17.0, 7.0), minute_tick=(7.0, 2.4),
              hour_hand=13.0, minute_hand=9.0, second=2.6, cap=10.0),
}


def draw_simple(size):
    s = SIMPLE_STYLE[size]
    canvas = Canvas(size)
    c = size / 2
    outer = c - s['margin']
    face = outer - s['ring']
    canvas.fill(disk(c, c, outer), RING_FLAT)
    canvas.fill(disk(c, c, face), FACE_CENTRE)
    half = s['hand'] / 2
    for k in range(s['ticks']):
        degrees = k * 360 / s['ticks']
        length = s['tick_len'] if k % 3 == 0 or s['ticks'] == 4 else s['tick_len'] / 2
        x0, y0 = point_at(c, c, face, degrees)
        x1, y1 = point_at(c, c, face - length, degrees)
        width = half if k % 3 == 0 or s['ticks'] == 4 else half / 2
        canvas.fill(bar(x0, y0, x1, y1, width, False), TICK)
    # Minute hand to twelve, hour hand to three: both lie along pixel rows and columns.
    canvas.fill(bar(c, c + half, c, c - s['minute'], half, False), HAND)
    canvas.fill(bar(c - half, c, c + s['hour'], c, half, False), HAND)
    return canvas


def draw_detailed(size):
    s = DETAILED_STYLE[size]
    canvas = Canvas(size)
    c = size / 2
    outer = c - s['margin']
    face = outer - s['ring']

    offset, blur, opacity = s['shadow']
    canvas.fill(disk(c, c + offset, outer), SHADOW,
                alpha_of=lambda d: 1 - smoothstep(-blur, blur, d), opacity=opacity)
    canvas.fill(disk(c, c, outer), RING_EDGE)
    canvas.fill(disk(c, c, outer - max(1.0, size / 128)), vertical_gradient(RING_TOP, RING_BOTTOM, c - outer, c + outer))
    canvas.fill(disk(c, c, face), radial_gradient(FACE_CENTRE, FACE_EDGE, c, c, face))

    inset = face * 0.06
    if s['minute_tick']:
        length, width = s['minute_tick']
        for k in range(60):
            if k % 5:
                x0, y0 = point_at(c, c, face - inset, k * 6)
                x1, y1 = point_at(c, c, face - inset - length, k * 6)
                canvas.fill(bar(x0, y0, x1, y1, width / 2, False), TICK)
    length, width = s['hour_tick']
    for k in range(12):
        x0, y0 = point_at(c, c, face - inset, k * 30)
        x1, y1 = point_at(c, c, face - inset - length, k * 30)
        canvas.fill(bar(x0, y0, x1, y1, width / 2, False), TICK)

    # Ten past ten: the hands frame the upper half of the dial.
    hx, hy = point_at(c, c, face * 0.52, (10 + 10 / 60) * 30)
    mx, my = point_at(c, c, face * 0.78, 10 * 6)
    canvas.fill(bar(c, c, hx, hy, s['hour_hand'] / 2, True), HAND)
    canvas.fill(bar(c, c, mx, my, s['minute_hand'] / 2, True), HAND)
    if s['second']:
        tx, ty = point_at(c, c, -face * 0.20, 35 * 6)
        sx, sy = point_at(c, c, face * 0.84, 35 * 6)
        canvas.fill(bar(tx, ty, sx, sy, s['second'] / 2, True), ACCENT)
    canvas.fill(disk(c, c, s['cap']), ACCENT)
    canvas.fill(disk(c, c, s['cap'] * 0.4), FACE_CENTRE)
    return canvas


def draw(size):
    return draw_simple(size) if size <= LARGEST_SIMPLE else draw_detailed(size)


# --- file formats --------------------------------------------------------------------

def png_bytes(canvas):
    raw = bytearray()
    for row in canvas.rgba_rows():
        raw.append(0)
        for pixel in row:
            raw.extend(pixel)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack('>IIBBBBB', canvas.size, canvas.size, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', zlib.compress(bytes(raw), 9))
            + chunk(b'IEND', b''))


def dib_bytes(canvas):
    """A 32-bit bottom-up bitmap with its AND mask, the form every Windows version reads."""
    size = canvas.size
    rows = list(canvas.rgba_rows())
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            colour.extend((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for i, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[i // 8] |= 0x80 >> (i % 8)
        mask.extend(bits)
    return header + bytes(colour) + bytes(mask)


def ico_bytes(images):
    """images: (size, encoded image) pairs; 256 is stored as 0 in the directory."""
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b''
    for size, data in images:
        edge = 0 if size >= 256 else size
        directory += struct.pack('<BBBBHHII', edge, edge, 0, 0, 1, 32, len(data), offset + len(body))
        body += data
    return directory + body


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, 'src', 'res')
    images = []
    preview = None
    for size in SIZES:
        canvas = draw(size)
        # Vista and later read PNG entries; the large image would be ten times bigger as a bitmap.
        encoded = png_bytes(canvas) if size >= 256 else dib_bytes(canvas)
        images.append((size, encoded))
        if size == 256:
            preview = png_bytes(canvas)
    with open(os.path.join(out_dir, 'Horvane.ico'), 'wb') as f:
        f.write(ico_bytes(images))
    with open(os.path.join(out_dir, 'icon-preview.png'), 'wb') as f:
        f.write(preview)


if __name__ == '__main__':
    main()
