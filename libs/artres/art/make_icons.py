#!/usr/bin/env python3
"""Draws the 25 named 16 x 16 icons of artres and writes what the DLL is built from.

    make_icons.py OUT_DIR

writes OUT_DIR/icons/<id>.ico (32-bit with alpha, plus an AND mask for low-colour
displays), OUT_DIR/icons.rc (one ICON resource per name, numbered: resource names are
case-insensitive and the library has both "NA" and "Na") and OUT_DIR/IconTable.inc (the
name-to-id table the library looks names up in). The name list below is the only one.
"""
import os
import struct
import sys

SIZE = 16
SAMPLES = 4  # per axis: shapes get soft edges from 16 coverage samples per pixel

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
GREY = (128, 128, 128)
DARK = (48, 48, 48)
LIGHT = (208, 208, 208)
GREEN = (0, 176, 0)
LIME = (96, 232, 96)
YELLOW = (240, 208, 0)
RED = (208, 0, 0)
BLUE = (32, 96, 208)
SKY = (120, 176, 240)
BROWN = (120, 72, 32)
ORANGE = (232, 120, 0)

# 5 x 7 letters for the game tiles.
GLYPHS = {
    'Q': ['01110', '10001', '10001', '10001', '10101', '10010', '01101'],
    '2': ['01110', '10001', '00001', '00110', '01000', '10000', '11111'],
    'U': ['10001', '10001', '10001', '10001', '10001', '10001', '01110'],
    'S': ['01111', '10000', '10000', '01110', '00001', '00001', '11110'],
    'T': ['11111', '00100', '00100', '00100', '00100', '00100', '00100'],
    'F': ['11111', '10000', '10000', '11110', '10000', '10000', '10000'],
}


class Canvas:
    """Straight RGBA pixels; shapes are coverage functions composited over what is there."""

    def __init__(self):
        self.px = [[(0, 0, 0, 0)] * SIZE for _ in range(SIZE)]

    def fill(self, inside, colour, alpha=1.0):
        step = 1.0 / SAMPLES
        for y in range(SIZE):
            for x in range(SIZE):
                hits = sum(1 for i in range(SAMPLES) for j in range(SAMPLES)
                           if inside(x + (i + 0.5) * step, y + (j + 0.5) * step))
                if hits:
                    self.over(x, y, colour, alpha * hits / float(SAMPLES * SAMPLES))

    def over(self, x, y, colour, a):
        r0, g0, b0, a0 = self.px[y][x]
        a0 /= 255.0
        out = a + a0 * (1 - a)
        mix = [(c * a + c0 * a0 * (1 - a)) / out for c, c0 in zip(colour, (r0, g0, b0))]
        self.px[y][x] = tuple(int(round(v)) for v in mix) + (int(round(out * 255)),)

    def dots(self, rows, left, top, colour):
        for j, row in enumerate(rows):
            for i, bit in enumerate(row):
                if bit == '1':
                    self.fill(box(left + i, top + j, left + i + 1, top + j + 1), colour)


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, outer, inner):
    return lambda x, y: inner * inner < (x - cx) ** 2 + (y - cy) ** 2 <= outer * outer


def box(x0, y0, x1, y1, radius=0.0):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius
    return inside


def stroke(points, width):
    """A polyline of the given width with round ends and joints."""
    half = width / 2.0
    segments = list(zip(points, points[1:]))

    def near(x, y, a, b):
        dx, dy = b[0] - a[0], b[1] - a[1]
        t = max(0.0, min(1.0, ((x - a[0]) * dx + (y - a[1]) * dy) / float(dx * dx + dy * dy)))
        return (x - a[0] - t * dx) ** 2 + (y - a[1] - t * dy) ** 2 <= half * half
    return lambda x, y: any(near(x, y, a, b) for a, b in segments)


def polygon(points):
    def inside(x, y):
        hit = False
        for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                hit = not hit
        return hit
    return inside


def status_disc(canvas, colour):
    canvas.fill(disc(8, 8, 7.5), DARK)
    canvas.fill(disc(8, 8, 6.5), colour)
    canvas.fill(disc(6, 5.5, 2.2), WHITE, 0.45)


def game_tile(canvas, colour, letters):
    canvas.fill(box(0.5, 0.5, 15.5, 15.5, 3), DARK)
    canvas.fill(box(1.5, 1.5, 14.5, 14.5, 2.5), colour)
    width = 6 * len(letters) - 1
    left = (SIZE - width) // 2
    for n, letter in enumerate(letters):
        canvas.dots(GLYPHS[letter], left + 6 * n, 4, WHITE)


def page(canvas):
    canvas.fill(polygon([(2.5, 0.5), (10.5, 0.5), (13.5, 3.5), (13.5, 15.5), (2.5, 15.5)]), DARK)
    canvas.fill(polygon([(3.5, 1.5), (10, 1.5), (12.5, 4), (12.5, 14.5), (3.5, 14.5)]), WHITE)
    canvas.fill(polygon([(10, 1.5), (12.5, 4), (10, 4)]), LIGHT)


def icon_off(c):
    status_disc(c, GREY)


def icon_on(c):
    status_disc(c, GREEN)


def icon_away(c):
    status_disc(c, YELLOW)
    c.fill(stroke([(8, 4), (8, 8), (11, 10)], 1.6), DARK)


def icon_na(c):
    status_disc(c, RED)
    c.fill(box(4, 7, 12, 9.5, 1), WHITE)


def icon_launch(c):
    c.fill(disc(8, 8, 7.5), DARK)
    c.fill(disc(8, 8, 6.5), BLUE)
    c.fill(polygon([(6, 4.5), (12, 8), (6, 11.5)]), WHITE)


def icon_system(c):
    for k in range(8):
        dx, dy = [(0, -1), (0.7, -0.7), (1, 0), (0.7, 0.7), (0, 1), (-0.7, 0.7), (-1, 0), (-0.7, -0.7)][k]
        c.fill(stroke([(8 + 4 * dx, 8 + 4 * dy), (8 + 6.3 * dx, 8 + 6.3 * dy)], 2.6), DARK)
    c.fill(ring(8, 8, 5.5, 2), GREY)
    c.fill(ring(8, 8, 2.6, 2), DARK)


def icon_prefs(c):
    for row, knob in ((3.5, 10), (8, 5), (12.5, 8.5)):
        c.fill(stroke([(2, row), (14, row)], 1.4), DARK)
        c.fill(box(knob - 1.6, row - 2.2, knob + 1.6, row + 2.2, 0.8), DARK)
        c.fill(box(knob - 0.8, row - 1.4, knob + 0.8, row + 1.4), ORANGE)


def icon_check(c):
    c.fill(stroke([(2.5, 8.5), (6, 12), (13.5, 3.5)], 3.4), DARK)
    c.fill(stroke([(2.5, 8.5), (6, 12), (13.5, 3.5)], 2), LIME)


def icon_msg(c):
    c.fill(polygon([(1.5, 2.5), (14.5, 2.5), (14.5, 11.5), (7, 11.5), (3.5, 14.5), (4, 11.5), (1.5, 11.5)]), DARK)
    c.fill(polygon([(2.5, 3.5), (13.5, 3.5), (13.5, 10.5), (6.6, 10.5), (5, 12), (5, 10.5), (2.5, 10.5)]), YELLOW)
    for row in (5.5, 8):
        c.fill(stroke([(4.5, row), (11.5, row)], 1), BROWN)


def icon_del(c):
    c.fill(stroke([(3, 3), (13, 13)], 4), DARK)
    c.fill(stroke([(13, 3), (3, 13)], 4), DARK)
    c.fill(stroke([(3, 3), (13, 13)], 2.4), RED)
    c.fill(stroke([(13, 3), (3, 13)], 2.4), RED)


def icon_add(c):
    c.fill(box(5.5, 1.5, 10.5, 14.5, 1), DARK)
    c.fill(box(1.5, 5.5, 14.5, 10.5, 1), DARK)
    c.fill(box(6.5, 2.5, 9.5, 13.5), GREEN)
    c.fill(box(2.5, 6.5, 13.5, 9.5), GREEN)


def icon_chat(c):
    c.fill(box(0.5, 0.5, 11.5, 8.5, 2.5), DARK)
    c.fill(box(1.5, 1.5, 10.5, 7.5, 2), SKY)
    c.fill(box(4.5, 5.5, 15.5, 13.5, 2.5), DARK)
    c.fill(polygon([(11, 13), (14, 15.5), (13.5, 12)]), DARK)
    c.fill(box(5.5, 6.5, 14.5, 12.5, 2), BLUE)


def icon_spy(c):
    eye = polygon([(0.5, 8), (4, 4), (8, 3), (12, 4), (15.5, 8), (12, 12), (8, 13), (4, 12)])
    c.fill(eye, DARK)
    c.fill(polygon([(1.8, 8), (4.5, 5), (8, 4.2), (11.5, 5), (14.2, 8), (11.5, 11), (8, 11.8), (4.5, 11)]), WHITE)
    c.fill(disc(8, 8, 3.3), BLUE)
    c.fill(disc(8, 8, 1.5), BLACK)


def icon_search(c):
    c.fill(stroke([(10, 10), (14.5, 14.5)], 3.4), BROWN)
    c.fill(disc(6.5, 6.5, 5.8), DARK)
    c.fill(disc(6.5, 6.5, 4.3), SKY)
    c.fill(disc(5.2, 5.2, 1.6), WHITE, 0.6)


def icon_email(c):
    c.fill(box(0.5, 2.5, 15.5, 13.5), DARK)
    c.fill(box(1.5, 3.5, 14.5, 12.5), WHITE)
    c.fill(stroke([(1.5, 3.5), (8, 9), (14.5, 3.5)], 1.2), DARK)


def icon_file(c):
    page(c)
    c.fill(stroke([(8, 5.5), (8, 11)], 1.6), BLUE)
    c.fill(polygon([(5, 9), (11, 9), (8, 12.5)]), BLUE)


def icon_log(c):
    page(c)
    for row, end in ((5, 10.5), (7.5, 10.5), (10, 10.5), (12.5, 8)):
        c.fill(stroke([(5, row), (end, row)], 1), GREY)


def icon_blank(c):
    """Fully transparent: the dark phase of a blinking tray icon."""


# Names in resource order: the id of a name is 101 + its index, and never changes.
ICONS = [
    ('Off', icon_off),
    ('On', icon_on),
    ('Away', icon_away),
    ('NA', icon_na),
    ('Na', icon_na),
    ('Quake2', lambda c: game_tile(c, BROWN, 'Q2')),
    ('Quake', lambda c: game_tile(c, (96, 64, 40), 'Q')),
    ('Unreal', lambda c: game_tile(c, (56, 72, 120), 'U')),
    ('Subspace', lambda c: game_tile(c, (24, 24, 72), 'S')),
    ('Tanarus', lambda c: game_tile(c, (72, 96, 40), 'T')),
    ('Fireteam', lambda c: game_tile(c, (168, 48, 16), 'F')),
    ('Launch', icon_launch),
    ('System', icon_system),
    ('Prefs', icon_prefs),
    ('Check', icon_check),
    ('Msg', icon_msg),
    ('Del', icon_del),
    ('Add', icon_add),
    ('Chat', icon_chat),
    ('Spy', icon_spy),
    ('Search', icon_search),
    ('email', icon_email),
    ('file', icon_file),
    ('Log', icon_log),
    ('Blank', icon_blank),
]
FIRST_ID = 101


def ico_bytes(canvas):
    """One 16 x 16 32-bit image with its AND mask (set where fully transparent)."""
    xor = b''.join(struct.pack('<BBBB', b, g, r, a)
                   for row in reversed(canvas.px) for r, g, b, a in row)
    mask = b''
    for row in reversed(canvas.px):
        bits = 0
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits |= 0x80000000 >> x
        mask += struct.pack('>I', bits)  # rows padded to 32 bits, leftmost pixel in the top bit
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, 2 * SIZE, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    directory = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, 1, 32, len(image), 22)
    return directory + image


def main(out_dir):
    icon_dir = os.path.join(out_dir, 'icons')
    os.makedirs(icon_dir, exist_ok=True)
    rc = ['// Generated by make_icons.py: one numbered icon resource per name.']
    table = ['// Generated by make_icons.py: every icon name with its resource id.']
    for index, (name, draw) in enumerate(ICONS):
        canvas = Canvas()
        draw(canvas)
        ident = FIRST_ID + index
        path = os.path.join(icon_dir, '%d.ico' % ident)
        with open(path, 'wb') as f:
            f.write(ico_bytes(canvas))
        rc.append('%d ICON "%s"' % (ident, os.path.abspath(path).replace('\\', '/')))
        table.append('{"%s", %d},' % (name, ident))
    with open(os.path.join(out_dir, 'icons.rc'), 'w') as f:
        f.write('\n'.join(rc) + '\n')
    with open(os.path.join(out_dir, 'IconTable.inc'), 'w') as f:
        f.write('\n'.join(table) + '\n')


if __name__ == '__main__':
    if len(sys.argv) != 2:
        sys.exit('usage: make_icons.py OUT_DIR')
    main(sys.argv[1])
