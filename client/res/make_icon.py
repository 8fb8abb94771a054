#!/usr/bin/env python3
"""Draws the KVX application icon (16 and 32 px, 32-bit with alpha) and writes it as .ico.

The mark: a rounded dark-blue tile with a yellow "K" stroke and a green presence dot,
the colours of the bar's own texts.
"""
import struct
import sys


def inside_rounded(x, y, size, radius):
    cx = min(max(x, radius), size - 1 - radius)
    cy = min(max(y, radius), size - 1 - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def near_segment(px, py, ax, ay, bx, by, width):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / float(dx * dx + dy * dy)))
    qx, qy = ax + t * dx, ay + t * dy
    return (px - qx) ** 2 + (py - qy) ** 2 <= width * width


def pixel(x, y, n):
    s = n / 32.0
    fx, fy = x + 0.5, y + 0.5
    if not inside_rounded(x, y, n, max(2, n // 5)):
        return (0, 0, 0, 0)
    if (fx - 24 * s) ** 2 + (fy - 24 * s) ** 2 <= (4.5 * s) ** 2:
        return (0, 255, 0, 255)
    w = 2.4 * s
    strokes = [(9, 6, 9, 26), (9, 17, 21, 6), (12, 15, 19, 26)]
    if any(near_segment(fx, fy, ax * s, ay * s, bx * s, by * s, w) for ax, ay, bx, by in strokes):
        return (255, 255, 0, 255)
    shade = 96 + int(64 * (1 - y / float(n)))
    return (0, 0, shade, 255)


def image(n):
    rows = []
    for y in reversed(range(n)):  # DIB rows bottom-up
        for x in range(n):
            r, g, b, a = pixel(x, y, n)
            rows.append(struct.pack('<BBBB', b, g, r, a))
    xor = b''.join(rows)
    mask_row = ((n + 31) // 32) * 4
    and_mask = b'\0' * (mask_row * n)
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def main(path):
    sizes = [16, 32]
    images = [image(n) for n in sizes]
    out = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for n, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


if __name__ == '__main__':
    main(sys.argv[1])
