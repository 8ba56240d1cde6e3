#!/usr/bin/env python3
"""Draws the program's icon (a white quill over layered sheets on a blue tile) and writes it as
a Windows .ico file with 16, 24, 32, 48 and 64 pixel images in 32-bit colour with alpha.

Usage: make-icon.py OUTPUT.ico
Only the Python standard library is used; the drawing is done here, shape by shape, with
4 x 4 samples per pixel for smooth edges.
"""
import math
import struct
import sys

SIZES = (16, 24, 32, 48, 64)
SAMPLES = 4


def rounded_square(x, y, radius):
    """True inside the tile: the unit square with rounded corners."""
    cx = min(max(x, radius), 1 - radius)
    cy = min(max(y, radius), 1 - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2 and 0 <= x <= 1 and 0 <= y <= 1


def rotate(x, y, angle, ox=0.5, oy=0.5):
    c, s = math.cos(angle), math.sin(angle)
    dx, dy = x - ox, y - oy
    return ox + c * dx - s * dy, oy + s * dx + c * dy


def sheet(x, y, left, top, right, bottom):
    return left <= x <= right and top <= y <= bottom


def quill(x, y):
    """The feather: a lens between two circles along the diagonal, bottom left to top right.
    Returns 'shaft', 'vane', 'rim' or None."""
    # Work in the feather's own frame: u along the feather (0 at the nib), v across it.
    u, v = rotate(x, y, math.radians(45), 0.5, 0.5)
    u, v = u - 0.5, v - 0.5
    # u now runs from -0.45 (nib) to 0.45 (tip) along the feather.
    half_length = 0.42
    if abs(u) > half_length:
        return None
    t = (u + half_length) / (2 * half_length)  # 0 at the nib, 1 at the tip
    if t < 0.2:  # the bare shaft and nib
        return 'shaft' if abs(v) <= 0.018 + 0.01 * (t / 0.2) else None
    # The vane widens from the shaft and narrows to the tip, a little fuller on one side.
    width = 0.16 * math.sin(math.pi * (t - 0.2) / 0.8) ** 0.8
    if abs(v) <= 0.014:
        return 'shaft'
    if -width * 0.75 <= v <= width:
        # Notches in the vane, as barbs parted by use.
        if v > 0 and 0.55 < t < 0.6:
            return None
        # A dark rim keeps the white vane apart from the light sheets.
        if v > width - 0.03 or v < -width * 0.75 + 0.03:
            return 'rim'
        return 'vane'
    return None


def colour_at(x, y):
    """RGBA of the icon at (x, y) in the unit square, y downwards."""
    if not rounded_square(x, y, 0.2):
        return (0, 0, 0, 0)
    # The tile: blue, lighter towards the top.
    shade = 1 - y
    r, g, b = 24 + 30 * shade, 78 + 60 * shade, 150 + 70 * shade
    # Two sheets, the layers of a document, offset from each other.
    if sheet(x, y, 0.16, 0.30, 0.62, 0.84):
        r, g, b = 166, 200, 235
    if sheet(x, y, 0.26, 0.20, 0.72, 0.74):
        r, g, b = 214, 232, 250
    part = quill(x, y)
    if part == 'vane':
        r, g, b = 255, 255, 255
    elif part == 'rim':
        r, g, b = 20, 50, 100
    elif part == 'shaft':
        r, g, b = 230, 120, 40
    return (r, g, b, 255)


def render(size):
    pixels = []
    for row in range(size):
        line = []
        for column in range(size):
            total = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (column + (sx + 0.5) / SAMPLES) / size
                    y = (row + (sy + 0.5) / SAMPLES) / size
                    r, g, b, a = colour_at(x, y)
                    total[0] += r * a
                    total[1] += g * a
                    total[2] += b * a
                    total[3] += a
            count = SAMPLES * SAMPLES
            alpha = total[3] / count
            if alpha == 0:
                line.append((0, 0, 0, 0))
            else:
                line.append(tuple(int(round(total[i] / total[3])) for i in range(3)) +
                            (int(round(alpha)),))
        pixels.append(line)
    return pixels


def icon_image(size):
    """The image of one size as stored in an .ico: a bitmap header with doubled height, the
    colour rows bottom-up as B, G, R, A, then the 1-bit mask (set where fully transparent)."""
    pixels = render(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for line in reversed(pixels):
        for r, g, b, a in line:
            colour += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for line in reversed(pixels):
        row = bytearray(mask_stride)
        for column, (_, _, _, a) in enumerate(line):
            if a == 0:
                row[column // 8] |= 0x80 >> (column % 8)
        mask += row
    return header + bytes(colour) + bytes(mask)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    images = [icon_image(size) for size in SIZES]
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(SIZES, images):
        data += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    for image in images:
        data += image
    with open(sys.argv[1], 'wb') as output:
        output.write(data)


if __name__ == '__main__':
    main()
