#!/usr/bin/env python3
"""Draws the bar's two skins and the 256-colour palette they share.

    make_skins.py OUTDIR          writes OUTDIR/web.pal and OUTDIR/skins/{HiDef,LoDef}-{T,M,B}.bmp
    make_skins.py --check OUTDIR  verifies them: formats, sizes, palette, seamless joins

The bar paints the top piece at y=0, tiles the middle piece below it and paints the bottom
piece last at the bottom of the client area, so every coordinate below is where the client
expects a control or a text: moving one means changing the client too.
"""
import math
import os
import sys

sys.dont_write_bytecode = True  # the build runs this from the source tree; leave no caches there
from bitmaps import read_bmp, read_pal, write_bmp24, write_bmp8, write_pal
from paint import Canvas, capsule, disc, mix, moved, polygon, slanted, union

WIDTH = 199
PIECES = (('T', 150), ('M', 10), ('B', 60))
SCROLL_X0, SCROLL_X1 = 167, 186  # the scroll column: its arrow buttons and the track
CORNER_RADIUS = 9  # a touch inside the window region's rounding, so the cut edge stays dark

# One set of colours serves both skins; all of them are palette entries, so the low-colour
# skin can use them as they are while the true-colour one blends between them.
COLOURS = {
    'deep': (4, 6, 14),             # bottom of recesses, button outlines
    'border': (10, 14, 26),         # the outermost frame line
    'panel': (8, 12, 28),           # under the contact list and the program's texts
    'ad': (20, 24, 34),             # the banner well when no banner is shown
    'track': (18, 24, 42),
    'shade': (24, 32, 54),
    'plate_low': (32, 43, 68),
    'plate': (44, 58, 90),
    'plate_high': (66, 86, 124),
    'face_low': (50, 66, 104),
    'face_high': (92, 114, 160),
    'light': (122, 146, 192),
    'hilite': (176, 196, 230),
    'glyph': (228, 236, 250),
    'mark': (126, 154, 204),        # lower end of the name mark's sheen
    'accent': (52, 136, 236),       # the lit channels along the frame
    'exit_low': (104, 24, 32),
    'exit_high': (176, 54, 58),
    'exit_hilite': (226, 124, 124),
}
C = COLOURS
GREYS = [(v, v, v) for v in range(16, 256, 16)]
# Half-intensity primaries: with them the low-colour skin's palette still holds the
# standard 16-colour set, so other windows keep their colours while the bar has the palette.
HALF_PRIMARIES = [(128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128)]


def web_palette():
    """0-215: the 6x6x6 cube, index 36*r + 6*g + b with r, g, b in 0..5 for levels 0, 51 .. 255
    (0 black, 215 white);
    216-230: greys 16..240; 231-249: the skin colours in COLOURS order; 250-255: half primaries."""
    levels = range(0, 256, 51)
    cube = [(r, g, b) for r in levels for g in levels for b in levels]
    palette = cube + GREYS + list(COLOURS.values()) + HALF_PRIMARIES
    assert len(palette) == 256 and len(set(palette)) == 256
    return palette


# --- building blocks -------------------------------------------------------------------

def brushed(x):
    """Per-column brightness wobble of the true-colour metal; depends on x only, so it tiles."""
    return ((x * 2654435761) >> 13) % 7 - 3


def plate(canvas, tint):
    """Fills the piece with the frame metal; tint(y) in 0..1 moves it from plate towards
    plate_high (negative: towards plate_low). The flat skin keeps the plain plate."""
    for y in range(canvas.height):
        t = tint(y) if canvas.smooth else 0.0
        base = mix(C['plate'], C['plate_high'] if t > 0 else C['plate_low'], abs(t))
        row = canvas.rows[y]
        for x in range(canvas.width):
            row[x] = tuple(min(255, max(0, v + brushed(x))) for v in base) if canvas.smooth else base


def frame(canvas, round_top, round_bottom):
    """The outer border: a dark line with a bevel inside it, rounded at the bar's corners."""
    w, h, r = canvas.width, canvas.height, CORNER_RADIUS
    for y in range(h):
        for x in range(w):
            px, py = x + 0.5, y + 0.5
            left = px < w / 2.0
            across = px if left else w - px
            above = py if round_top else float('inf')
            below = h - py if round_bottom else float('inf')
            top, down = above <= below, min(above, below)
            if across < r and down < r:
                cx, cy = (r if left else w - r), (r if top else h - r)
                depth = r - math.hypot(px - cx, py - cy)
                lit = (px - cx) + (py - cy) < 0
            else:
                depth = min(across, down)
                lit = left if across <= down else top
            if depth < 1:
                canvas.rows[y][x] = C['border']
            elif depth < 2:
                canvas.rows[y][x] = C['light'] if lit else C['shade']


def ring(canvas, x0, y0, x1, y1, top_left, bottom_right):
    canvas.fill(x0, y0, x1 - 1, y0, top_left)
    canvas.fill(x0, y0, x0, y1 - 1, top_left)
    canvas.fill(x0, y1, x1, y1, bottom_right)
    canvas.fill(x1, y0, x1, y1, bottom_right)


def recess(canvas, x0, y0, x1, y1, fill):
    """A two-pixel sunken well; its plain inside is (x0 + 2, y0 + 2)-(x1 - 2, y1 - 2)."""
    ring(canvas, x0, y0, x1, y1, C['shade'], C['light'])
    ring(canvas, x0 + 1, y0 + 1, x1 - 1, y1 - 1, C['deep'], C['plate_high'])
    canvas.fill(x0 + 2, y0 + 2, x1 - 2, y1 - 2, fill)


def groove(canvas, x0, y0, x1, y1):
    """An engraved line: dark, with a lit edge below or to the right of it."""
    canvas.fill(x0, y0, x1, y1, C['shade'])
    if x0 == x1:
        canvas.fill(x0 + 1, y0, x1 + 1, y1, C['light'])
    else:
        canvas.fill(x0, y0 + 1, x1, y1 + 1, C['light'])


def button(canvas, x0, y0, x1, y1, high='face_high', low='face_low', hilite='hilite'):
    """A raised face with a dark outline whose corner pixels are left off to soften it."""
    canvas.fill(x0 + 1, y0, x1 - 1, y0, C['deep'])
    canvas.fill(x0 + 1, y1, x1 - 1, y1, C['deep'])
    canvas.fill(x0, y0 + 1, x0, y1 - 1, C['deep'])
    canvas.fill(x1, y0 + 1, x1, y1 - 1, C['deep'])
    for x, y in ((x0, y0), (x1, y0), (x0, y1), (x1, y1)):
        canvas.put(x, y, C['deep'], 0.35)
    ring(canvas, x0 + 1, y0 + 1, x1 - 1, y1 - 1, C[hilite], C['shade'])
    canvas.gradient(x0 + 2, y0 + 2, x1 - 2, y1 - 2, C[high], C[low])


def glyph(canvas, shape, box, colour='glyph'):
    """An embossed mark: a dark copy one pixel down-right, then the mark itself."""
    x0, y0, x1, y1 = box
    canvas.shape(moved(shape, 1, 1), (x0, y0, x1 + 1, y1 + 1), C['deep'])
    canvas.shape(shape, box, C[colour] if isinstance(colour, str) else colour)


def contact_well(canvas, top, bottom):
    """The contact list panel (x 12..166) and the scroll track (x 167..186) with their edges;
    top and bottom may lie outside the piece, as the well runs through all three pieces."""
    ring(canvas, 10, top, 188, bottom, C['shade'], C['light'])
    ring(canvas, 11, top + 1, 187, bottom - 1, C['deep'], C['plate_high'])
    canvas.fill(12, top + 2, 166, bottom - 2, C['panel'])
    canvas.fill(SCROLL_X0, top + 2, SCROLL_X1, bottom - 2, C['track'])
    canvas.fill(SCROLL_X0, top + 2, SCROLL_X0, bottom - 2, C['deep'])
    middle = (SCROLL_X0 + SCROLL_X1 + 1) // 2
    canvas.fill(middle - 1, top + 2, middle - 1, bottom - 2, C['deep'])  # the slot a thumb would ride in
    canvas.fill(middle, top + 2, middle, bottom - 2, C['shade'])


def channel(canvas, x0, y0, x1, y1, fade=None):
    """A lit channel (vertical when x0 == x1): an engraved groove with a light strip in it.
    fade(along) in 0..1 dims the strip towards its ends in the true-colour skin."""
    vertical = x0 == x1
    dx, dy = (1, 0) if vertical else (0, 1)
    groove(canvas, x0 - dx, y0 - dy, x1 - dx, y1 - dy)
    groove(canvas, x0 + dx, y0 + dy, x1 + dx, y1 + dy)
    for y in range(max(y0, 0), min(y1, canvas.height - 1) + 1):
        for x in range(x0, x1 + 1):
            strength = fade(y if vertical else x) if canvas.smooth and fade else 1.0
            canvas.put(x, y, C['accent'], strength)


def rail_channels(canvas, y0, y1, fade=None):
    channel(canvas, 5, y0, 5, y1, fade)
    channel(canvas, 192, y0, 192, y1, fade)


def scroll_button(canvas, y0, up):
    button(canvas, SCROLL_X0, y0, SCROLL_X1, y0 + 15)
    cx = (SCROLL_X0 + SCROLL_X1 + 1) / 2.0
    tip, base = (y0 + 5.5, y0 + 10.5) if up else (y0 + 10.5, y0 + 5.5)
    arrow = polygon([(cx - 4.5, base), (cx + 4.5, base), (cx, tip)])
    glyph(canvas, arrow, (int(cx) - 6, y0 + 4, int(cx) + 6, y0 + 12))


# Pixel letters for the main-menu button, 5x7 each.
LETTERS = {
    'M': ('#...#', '##.##', '#.#.#', '#.#.#', '#...#', '#...#', '#...#'),
    'E': ('#####', '#....', '#....', '####.', '#....', '#....', '#####'),
    'N': ('#...#', '#...#', '##..#', '#.#.#', '#..##', '#...#', '#...#'),
    'U': ('#...#', '#...#', '#...#', '#...#', '#...#', '#...#', '.###.'),
    '=': ('#######', '.......', '.......', '#######', '.......', '.......', '#######'),
}


def pixel_text(canvas, x, y, text):
    for ch in text:
        rows = LETTERS[ch]
        for dy, bits in enumerate(rows):
            for dx, bit in enumerate(bits):
                if bit == '#':
                    canvas.put(x + dx + 1, y + dy + 1, C['deep'])
        for dy, bits in enumerate(rows):
            for dx, bit in enumerate(bits):
                if bit == '#':
                    canvas.put(x + dx, y + dy, C['glyph'])
        x += len(rows[0]) + 1


def name_mark(canvas):
    """The name mark "KVX" in leaning strokes between the account number and the title buttons."""
    r = 1.2
    strokes = [
        (110.5, 7.5, 110.5, 19.5), (118.0, 7.5, 111.5, 14.0), (113.5, 12.5, 118.5, 19.5),  # K
        (121.5, 7.5, 126.0, 19.5), (130.5, 7.5, 126.0, 19.5),                              # V
        (133.5, 7.5, 142.5, 19.5), (142.5, 7.5, 133.5, 19.5),                              # X
    ]
    shape = slanted(union(*[capsule(ax, ay, bx, by, r) for ax, ay, bx, by in strokes]), 13.5, 0.18)

    def sheen(x, y):
        return mix(C['glyph'], C['mark'], min(max((y - 7) / 12.0, 0.0), 1.0))
    # Flat, the strokes are too thin for a dithered or banded sheen to read well.
    glyph(canvas, shape, (107, 5, 146, 21), sheen if canvas.smooth else 'glyph')


def grille(canvas, x0, y0, x1, y1):
    """Decorative staggered holes filling the button row between the left and right buttons."""
    for row, y in enumerate(range(y0 + 1, y1, 4)):
        for x in range(x0 + 1 + 2 * (row % 2), x1 - 1, 4):
            canvas.shape(disc(x + 1.1, y + 1.1, 1.2), (x - 1, y - 1, x + 3, y + 3), C['light'])
            canvas.shape(disc(x + 0.6, y + 0.6, 1.2), (x - 1, y - 1, x + 2, y + 2), C['deep'])


# --- the pieces ------------------------------------------------------------------------

def draw_top(canvas):
    plate(canvas, lambda y: max(0.0, 1.0 - y / 110.0))
    frame(canvas, True, False)
    rail_channels(canvas, 28, canvas.height, lambda y: min(1.0, (y - 27) / 24.0))

    recess(canvas, 10, 3, 105, 23, C['panel'])  # account number text (13,6)-(103,20)
    name_mark(canvas)
    button(canvas, 151, 6, 168, 21)
    glyph(canvas, polygon([(156, 16), (164, 16), (164, 18), (156, 18)]), (155, 15, 165, 19))
    button(canvas, 173, 6, 189, 21, 'exit_high', 'exit_low', 'exit_hilite')
    cross = union(capsule(178.5, 11.0, 184.5, 17.0, 1.0), capsule(184.5, 11.0, 178.5, 17.0, 1.0))
    glyph(canvas, cross, (177, 9, 186, 19))

    recess(canvas, 10, 28, 189, 79, C['ad'])  # banner 176x48 at (12,30)
    for x0 in (12, 36, 164):  # game launch, preferences, system events; icons at +3,+3
        button(canvas, x0, 89, x0 + 22, 111)
    grille(canvas, 64, 93, 160, 107)
    channel(canvas, 14, 116, 184, 116, lambda x: min(1.0, (x - 13) / 30.0, (185 - x) / 30.0))

    contact_well(canvas, 122, canvas.height + 10)
    scroll_button(canvas, 126, up=True)


def draw_middle(canvas):
    plate(canvas, lambda y: 0.0)
    frame(canvas, False, False)
    rail_channels(canvas, 0, canvas.height)
    contact_well(canvas, -10, canvas.height + 10)


def draw_bottom(canvas):
    plate(canvas, lambda y: -max(0.0, (y - 18) / 41.0))
    frame(canvas, False, True)
    rail_channels(canvas, 0, 49, lambda y: min(1.0, (50 - y) / 24.0))
    contact_well(canvas, -10, 18)  # panel rows 0..16, its lower edge at rows 17-18
    scroll_button(canvas, 0, up=False)

    button(canvas, 12, 29, 63, 48)  # main menu
    pixel_text(canvas, 21, 35, '=')
    pixel_text(canvas, 31, 35, 'MENU')
    recess(canvas, 69, 28, 188, 49, C['panel'])  # status icon at (75,31), text from x=100


DRAW = {'T': draw_top, 'M': draw_middle, 'B': draw_bottom}


# --- output ----------------------------------------------------------------------------

def skin_path(outdir, skin, piece):
    return os.path.join(outdir, 'skins', '%s-%s.bmp' % (skin, piece))


def generate(outdir):
    palette = web_palette()
    index = {rgb: i for i, rgb in enumerate(palette)}
    os.makedirs(os.path.join(outdir, 'skins'), exist_ok=True)
    write_pal(os.path.join(outdir, 'web.pal'), palette)
    for piece, height in PIECES:
        hi = Canvas(WIDTH, height, smooth=True)
        DRAW[piece](hi)
        write_bmp24(skin_path(outdir, 'HiDef', piece), hi.rows)
        lo = Canvas(WIDTH, height, smooth=False)
        DRAW[piece](lo)
        indices = [[index[rgb] for rgb in row] for row in lo.rows]
        write_bmp8(skin_path(outdir, 'LoDef', piece), indices, palette)


def check(outdir):
    """Returns a list of problems with a generated folder (empty when it is good)."""
    problems = []
    try:
        palette = read_pal(os.path.join(outdir, 'web.pal'))
        if palette != web_palette():
            problems.append('web.pal differs from the palette this generator writes')
    except (OSError, ValueError) as e:
        problems.append(str(e))
        palette = None
    for skin, bits in (('HiDef', 24), ('LoDef', 8)):
        pieces = {}
        for piece, height in PIECES:
            path = skin_path(outdir, skin, piece)
            try:
                width, h, depth, table, rows = read_bmp(path)
            except (OSError, ValueError) as e:
                problems.append(str(e))
                continue
            if (width, h, depth) != (WIDTH, height, bits):
                problems.append('%s: %dx%d at %d bits, expected %dx%d at %d'
                                % (path, width, h, depth, WIDTH, height, bits))
            elif bits == 8 and palette is not None and table != palette:
                problems.append('%s: colour table is not web.pal' % path)
            else:
                pieces[piece] = rows
        if len(pieces) == len(PIECES):
            problems += ['%s: %s' % (skin, p) for p in seam_problems(pieces, bits // 8)]
    return problems


def seam_problems(pieces, depth):
    """The middle is vertically uniform, so every row of it must meet the top's last row and
    the bottom's first row (which lands on any middle row) pixel for pixel - apart from the
    scroll-down button, which starts at that first row."""
    top, middle, bottom = pieces['T'], pieces['M'], pieces['B']
    outside_button = slice(0, SCROLL_X0 * depth), slice((SCROLL_X1 + 1) * depth, None)
    problems = []
    for y, row in enumerate(middle):
        if row != top[-1]:
            problems.append('middle row %d does not continue the top piece' % y)
        if any(row[part] != bottom[0][part] for part in outside_button):
            problems.append('middle row %d does not meet the bottom piece' % y)
    return problems


def main(args):
    if len(args) == 2 and args[0] == '--check':
        problems = check(args[1])
        for p in problems:
            print(p, file=sys.stderr)
        return 1 if problems else 0
    if len(args) != 1:
        print(__doc__, file=sys.stderr)
        return 2
    generate(args[0])
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
