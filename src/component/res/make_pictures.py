#!/usr/bin/env python3
"""Draws the control's pictures: a clock with twelve hour dots and two hands on a light
grey raised square. Writes cadencer.ico (32x32, 16 colours, 766 bytes), face.bmp (32x32,
24-bit) and toolbox.bmp (16x15, 24-bit) next to this script, and about.ico, the about box's
picture: the clock alone, round and smoothed, on a transparent ground, at 48x48 and at the
sizes of 125, 150 and 200 percent (32-bit with alpha). Standard library only; run it again
after changing the drawing and commit the results."""
import math
import os
import struct

GREY = (192, 192, 192)
WHITE = (255, 255, 255)
DARK = (128, 128, 128)
BLACK = (0, 0, 0)
FACE = (255, 255, 255)
HAND = (0, 0, 128)
DOT = (0, 0, 0)

# The 16 colours of the standard palette, in their usual order.
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def seg_dist(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def colour_at(x, y, w, h):
    """Colour of the point (x, y) (pixel units, y down) of a w x h picture."""
    # Raised square: white top/left edge, dark grey then black bottom/right edges.
    if x >= w - 1 or y >= h - 1:
        return BLACK
    if x >= w - 2 or y >= h - 2:
        return DARK
    if x < 1 or y < 1:
        return WHITE
    cx, cy = (w - 1) / 2.0, (h - 1) / 2.0
    r = min(w, h) / 2.0 - 2.2
    d = math.hypot(x - cx, y - cy)
    if d > r:
        return GREY
    if d > r - max(1.0, r / 9.0):
        return BLACK
    # Hands at ten past ten: the hour hand towards 10, the minute hand towards 2.
    hand_w = max(0.7, r / 10.0)
    for clock_pos, length in ((10.33, 0.5), (2.0, 0.78)):
        a = clock_pos / 12.0 * 2 * math.pi
        ex, ey = cx + math.sin(a) * r * length, cy - math.cos(a) * r * length
        if seg_dist(x, y, cx, cy, ex, ey) <= hand_w:
            return HAND
    dot_r = max(0.6, r / 11.0)
    for hour in range(12):
        a = hour / 12.0 * 2 * math.pi
        hx, hy = cx + math.sin(a) * r * 0.78, cy - math.cos(a) * r * 0.78
        if math.hypot(x - hx, y - hy) <= dot_r:
            return DOT
    return FACE


def render(w, h, samples):
    """Rows top-down of (r, g, b), supersampled samples x samples per pixel."""
    rows = []
    for py in range(h):
        row = []
        for px in range(w):
            acc = [0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    c = colour_at(px + (sx + 0.5) / samples - 0.5 + 0.5 * (samples == 1),
                                  py + (sy + 0.5) / samples - 0.5 + 0.5 * (samples == 1), w, h)
                    for i in range(3):
                        acc[i] += c[i]
            n = samples * samples
            row.append(tuple(round(v / n) for v in acc))
        rows.append(row)
    return rows


def info_header(w, h, bpp, image_size, colours=0):
    return struct.pack('<IiiHHIIiiII', 40, w, h, 1, bpp, 0, image_size, 0, 0, colours, 0)


def bmp24(rows):
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        data += line + bytes(stride - len(line))
    header = info_header(w, h, 24, len(data))
    file_header = struct.pack('<2sIHHI', b'BM', 14 + len(header) + len(data), 0, 0, 14 + len(header))
    return file_header + header + bytes(data)


def nearest(c):
    return min(range(16), key=lambda i: sum((a - b) ** 2 for a, b in zip(c, PALETTE[i])))


def ico16(rows):
    h, w = len(rows), len(rows[0])
    xor = bytearray()
    for row in reversed(rows):
        idx = [nearest(c) for c in row]
        for i in range(0, w, 2):
            xor.append((idx[i] << 4) | idx[i + 1])
    mask = bytes(((w + 31) // 32) * 4 * h)  # fully opaque
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    image = info_header(w, h * 2, 4, len(xor) + len(mask), 16) + palette + bytes(xor) + mask
    directory = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', w, h, 16, 0, 1, 4, len(image), 22)
    return directory + image


def clock_only_at(x, y, w, h):
    """(r, g, b, alpha) of the point (x, y) of the round clock alone, transparent around it."""
    cx, cy = w / 2.0, h / 2.0
    r = min(w, h) / 2.0 - 0.5
    d = math.hypot(x - cx, y - cy)
    if d > r:
        return (0, 0, 0, 0)
    if d > r * 0.9:
        return DARK + (255,) if d > r * 0.95 else BLACK + (255,)
    hand_w = r / 14.0
    for clock_pos, length in ((10.33, 0.5), (2.0, 0.75)):
        a = clock_pos / 12.0 * 2 * math.pi
        ex, ey = cx + math.sin(a) * r * length, cy - math.cos(a) * r * length
        if seg_dist(x, y, cx, cy, ex, ey) <= hand_w:
            return HAND + (255,)
    if d <= r / 10.0:
        return HAND + (255,)
    for hour in range(12):
        a = hour / 12.0 * 2 * math.pi
        hx, hy = cx + math.sin(a) * r * 0.78, cy - math.cos(a) * r * 0.78
        if math.hypot(x - hx, y - hy) <= r / (12.0 if hour % 3 else 9.0):
            return DOT + (255,)
    return FACE + (255,)


def render_rgba(size, samples=6):
    """Rows top-down of (r, g, b, a), colours averaged over the opaque samples only."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0]
            alpha = 0
            for sy in range(samples):
                for sx in range(samples):
                    c = clock_only_at(px + (sx + 0.5) / samples, py + (sy + 0.5) / samples, size, size)
                    if c[3]:
                        alpha += c[3]
                        for i in range(3):
                            acc[i] += c[i] * c[3]
            n = samples * samples
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(round(v / alpha) for v in acc) + (round(alpha / n),))
        rows.append(row)
    return rows


def ico32(images):
    """An icon file of 32-bit images (with alpha; the mask marks the transparent pixels)."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for rows in images:
        size = len(rows)
        xor = bytearray()
        for row in reversed(rows):
            for r, g, b, a in row:
                xor += bytes((b, g, r, a))
        stride = ((size + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rows):
            bits = bytearray(stride)
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        image = info_header(size, size * 2, 32, len(xor) + len(mask)) + bytes(xor) + bytes(mask)
        entries.append(struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(image), offset))
        blobs.append(image)
        offset += len(image)
    return struct.pack('<HHH', 0, 1, len(images)) + b''.join(entries) + b''.join(blobs)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    icon = ico16(render(32, 32, 1))
    assert len(icon) == 766, len(icon)
    for name, data in (('cadencer.ico', icon), ('face.bmp', bmp24(render(32, 32, 4))),
                       ('toolbox.bmp', bmp24(render(16, 15, 1))),
                       ('about.ico', ico32([render_rgba(size) for size in (48, 60, 72, 96)]))):
        with open(os.path.join(here, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
