#!/usr/bin/env python3
"""Draws the program's icon and writes resources/stowr.ico.

The picture is a sheet of paper (the executable) with three coloured blocks stacked at its
foot (the chunks behind it). Every size is drawn from the same vector description, sampled
4 x 4 per pixel for smooth edges, and stored as an uncompressed 32-bit BMP entry with alpha.
Only the standard library is used, so the file can be rebuilt anywhere: python3 make_icon.py
"""
import os
import struct

SIZES = (16, 24, 32, 48)
SAMPLES = 4

# Shapes in a unit square (0..1, y downwards): (left, top, right, bottom, corner radius, RGBA).
SHEET_EDGE = (0.16, 0.04, 0.84, 0.96, 0.06, (70, 78, 92, 255))
SHEET = (0.20, 0.08, 0.80, 0.92, 0.04, (250, 250, 246, 255))
LINES = [(0.28, y, 0.72, y + 0.045, 0.0, (150, 160, 176, 255)) for y in (0.18, 0.28, 0.38)]
CHUNKS = [
    (0.10, 0.50, 0.90, 0.63, 0.03, (46, 125, 210, 255)),
    (0.10, 0.66, 0.90, 0.79, 0.03, (60, 170, 95, 255)),
    (0.10, 0.82, 0.90, 0.95, 0.03, (235, 150, 40, 255)),
]
SHAPES = [SHEET_EDGE, SHEET] + LINES + CHUNKS


def inside(shape, x, y):
    left, top, right, bottom, radius, _ = shape
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def pixel(size, px, py):
    """Average of the sub-samples, each the colour of the topmost shape under it."""
    total = [0, 0, 0, 0]
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            x = (px + (sx + 0.5) / SAMPLES) / size
            y = (py + (sy + 0.5) / SAMPLES) / size
            colour = (0, 0, 0, 0)
            for shape in SHAPES:
                if inside(shape, x, y):
                    colour = shape[5]
            a = colour[3]
            for i in range(3):
                total[i] += colour[i] * a
            total[3] += a
    n = SAMPLES * SAMPLES
    if total[3] == 0:
        return (0, 0, 0, 0)
    r, g, b = (round(total[i] / total[3]) for i in range(3))
    return (r, g, b, round(total[3] / n))


def bmp_entry(size):
    """BITMAPINFOHEADER, bottom-up BGRA rows, then an all-clear AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for py in reversed(range(size)):
        row = bytearray()
        for px in range(size):
            r, g, b, a = pixel(size, px, py)
            row += bytes((b, g, r, a))
        rows.append(bytes(row))
    mask_row = ((size + 31) // 32) * 4
    return header + b"".join(rows) + bytes(mask_row * size)


def main():
    entries = [bmp_entry(size) for size in SIZES]
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for size, data in zip(SIZES, entries):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(entries)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "stowr.ico")
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
