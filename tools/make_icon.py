#!/usr/bin/env python3
"""Draws the program icon (32x32 and 16x16, 32-bit) and writes it as an .ico file.

The icon is a small evening landscape: a gradient sky, a pale moon, dark hills
and a band of water, so it reads as a scenic screensaver in the file list.
"""
import struct
import sys


def pixel(x, y, size):
    fx, fy = x / (size - 1), y / (size - 1)
    # moon
    mx, my, mr = 0.7, 0.28, 0.13
    if (fx - mx) ** 2 + (fy - my) ** 2 < mr * mr:
        return (250, 240, 200, 255)
    hill = 0.62 - 0.12 * (1 - (2 * fx - 0.7) ** 2)
    if fy > 0.8:  # water
        shade = int(90 + 60 * ((x + y) % 3 == 0))
        return (40, 70, shade, 255)
    if fy > hill:
        return (30, 60 + int(40 * fx), 40, 255)
    # sky from deep blue to orange near the horizon
    t = fy / 0.65
    return (int(40 + 200 * t), int(50 + 110 * t), int(140 - 40 * t), 255)


def image(size):
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up
        row = b"".join(bytes((b, g, r, a)) for (r, g, b, a) in (pixel(x, y, size) for x in range(size)))
        rows.append(row)
    xor = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    and_mask = b"\0" * (mask_row * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def main(path):
    sizes = [32, 16]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1])
