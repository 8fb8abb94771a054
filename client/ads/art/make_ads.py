#!/usr/bin/env python3
"""Draws the banners of the client's six built-in ads.

    make_ads.py OUTDIR          writes OUTDIR/ads/ad000.ad .. ad005.ad
    make_ads.py --check OUTDIR  verifies them: format, size, palette colours, up to date

The banners are Windows bitmaps despite the extension. The bar draws one at its own size at
(12, 30), filling the sunken well of the skin's top piece, so they are exactly that well's
176 x 48. Every pixel is a colour of web.pal (taken from the skins' generator), so a banner
looks the same on an 8-bit display, where the bar realises that palette.
Each banner matches the text and address the client writes into the ad's info file.
"""
import os
import sys

sys.dont_write_bytecode = True  # the build runs this from the source tree; leave no caches there
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', '..', 'skin', 'art'))
from bitmaps import read_bmp, write_bmp24
from letters import HEIGHT, ink, text_width
from make_skins import COLOURS as C, web_palette
from paint import Canvas, capsule, disc, polygon, union

WIDTH, HEIGHT_PX = 176, 48
TEXT_X = 50  # right of the picture tile
GREEN = (0, 255, 0)


def box(x0, y0, x1, y1):
    return lambda px, py: x0 <= px < x1 + 1 and y0 <= py < y1 + 1


def outlined(canvas, x0, y0, x1, y1, fill, edge=None):
    """A filled rectangle (inclusive corners) with a one-pixel edge."""
    canvas.fill(x0, y0, x1, y1, edge or C['deep'])
    canvas.fill(x0 + 1, y0 + 1, x1 - 1, y1 - 1, fill)


def solid(canvas, shape, bounds, fill, edge=None):
    """A shape with a one-pixel dark rim: the shape drawn grown, then itself."""
    x0, y0, x1, y1 = bounds
    grown = lambda px, py: any(shape(px + dx, py + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
    canvas.shape(grown, (x0 - 1, y0 - 1, x1 + 1, y1 + 1), edge or C['deep'])
    canvas.shape(shape, bounds, fill)


# --- the pictures, each inside the tile (4,4)-(43,43) -----------------------------------

def skins_picture(canvas, tint):
    """Two small bars, one over the other: a skin is the bar's whole look."""
    for x0, y0, face, well in ((11, 9, C['plate_high'], C['panel']), (23, 14, tint['mid'], tint['dark'])):
        outlined(canvas, x0, y0, x0 + 13, y0 + 25, face)
        canvas.fill(x0 + 2, y0 + 2, x0 + 11, y0 + 4, tint['light'] if face != C['plate_high'] else C['face_high'])
        outlined(canvas, x0 + 2, y0 + 7, x0 + 11, y0 + 22, well, C['shade'])
        for y in range(y0 + 9, y0 + 21, 3):
            canvas.fill(x0 + 4, y, x0 + 8, y, C['light'])


def contacts_picture(canvas, tint):
    """Two people and an online mark."""
    solid(canvas, disc(29.0, 15.5, 4.5), (24, 10, 34, 21), tint['mid'])
    solid(canvas, lambda px, py: py < 33 and disc(29.0, 32.0, 9.0)(px, py), (19, 22, 39, 33), tint['mid'])
    solid(canvas, disc(19.0, 19.0, 5.0), (13, 13, 25, 25), tint['light'])
    solid(canvas, lambda px, py: py < 40 and disc(19.0, 38.0, 10.0)(px, py), (8, 27, 30, 40), tint['light'])
    solid(canvas, disc(36.0, 36.0, 3.5), (32, 32, 40, 40), GREEN)


def games_picture(canvas, tint):
    """A game pad."""
    pad = union(capsule(16.0, 23.5, 32.0, 23.5, 7.5), capsule(15.0, 27.0, 12.0, 34.0, 4.0),
                capsule(33.0, 27.0, 36.0, 34.0, 4.0))
    solid(canvas, pad, (7, 15, 41, 39), tint['mid'])
    canvas.fill(12, 22, 20, 24, tint['dark'])
    canvas.fill(15, 19, 17, 27, tint['dark'])
    for cx, cy in ((30.5, 20.5), (34.5, 24.5), (26.5, 24.5), (30.5, 28.5)):
        canvas.shape(disc(cx, cy, 1.8), (int(cx) - 2, int(cy) - 2, int(cx) + 2, int(cy) + 2), tint['light'])


def servers_picture(canvas, tint):
    """A rack of three servers, one of them lit."""
    for i, y0 in enumerate((9, 19, 29)):
        outlined(canvas, 9, y0, 38, y0 + 8, C['plate_high'])
        canvas.fill(11, y0 + 2, 38 - 2, y0 + 2, C['face_high'])
        outlined(canvas, 12, y0 + 4, 27, y0 + 6, C['panel'], C['shade'])
        light = GREEN if i == 1 else tint['mid']
        canvas.shape(disc(33.5, y0 + 5.0, 1.8), (31, y0 + 2, 36, y0 + 7), light)
    canvas.fill(23, 38, 24, 40, C['plate_high'])
    canvas.fill(12, 40, 35, 40, tint['mid'])


def dock_picture(canvas, tint):
    """A screen with the bar pinned to its right edge."""
    outlined(canvas, 7, 9, 40, 33, C['plate_high'])
    outlined(canvas, 9, 11, 38, 31, tint['dark'], C['shade'])
    outlined(canvas, 31, 12, 37, 30, tint['mid'])
    canvas.fill(32, 13, 36, 14, tint['light'])
    arrow = polygon([(12.0, 19.5), (22.0, 19.5), (22.0, 16.5), (28.0, 21.5), (22.0, 26.5), (22.0, 23.5),
                     (12.0, 23.5)])
    canvas.shape(arrow, (11, 15, 29, 27), tint['light'])
    canvas.fill(21, 34, 26, 36, C['plate_high'])
    outlined(canvas, 15, 37, 32, 39, C['plate_high'])


def invite_picture(canvas, tint):
    """A letter with a plus: room for one more on the list."""
    outlined(canvas, 7, 12, 38, 34, C['glyph'])
    flap = union(capsule(8.5, 13.5, 23.0, 25.0, 1.0), capsule(37.5, 13.5, 23.0, 25.0, 1.0))
    canvas.shape(flap, (7, 12, 38, 27), tint['mid'])
    solid(canvas, disc(35.0, 34.0, 6.5), (28, 27, 42, 41), tint['mid'])
    canvas.fill(32, 33, 38, 34, C['glyph'])
    canvas.fill(34, 31, 35, 36, C['glyph'])


# Index = ad number. The title, tagline and address repeat the info record's text
# ("[KVX <title>]" and its tagline) and its url, in the banner's capitals.
ADS = [
    ('SKINS', 'HIDEF + LODEF INSIDE', 'KVX.EXAMPLE/SKINS', skins_picture,
     {'light': (204, 153, 255), 'mid': (153, 102, 255), 'dark': (51, 0, 102)}),
    ('CONTACTS', 'WHO IS ONLINE', 'KVX.EXAMPLE/CONTACTS', contacts_picture,
     {'light': (153, 255, 153), 'mid': (51, 204, 102), 'dark': (0, 51, 0)}),
    ('GAMES', 'LAUNCH FROM THE BAR', 'KVX.EXAMPLE/GAMES', games_picture,
     {'light': (255, 204, 102), 'mid': (255, 153, 0), 'dark': (102, 51, 0)}),
    ('SERVERS', 'JOIN IN ONE CLICK', 'KVX.EXAMPLE/SERVERS', servers_picture,
     {'light': (153, 255, 255), 'mid': (0, 204, 204), 'dark': (0, 51, 102)}),
    ('DOCK', 'PIN IT TO AN EDGE', 'KVX.EXAMPLE/DOCK', dock_picture,
     {'light': (255, 255, 153), 'mid': (255, 204, 0), 'dark': (102, 102, 0)}),
    ('INVITE', 'A KVX# FOR A FRIEND', 'KVX.EXAMPLE/INVITE', invite_picture,
     {'light': (255, 153, 153), 'mid': (255, 51, 102), 'dark': (102, 0, 51)}),
]


def lettering(canvas, x, y, text, colour, scale=1, shadow=True):
    assert x + text_width(text, scale) <= WIDTH, '%r does not fit the banner' % text
    if shadow:
        for dx, dy in ink(text, scale):
            canvas.put(x + dx + 1, y + dy + 1, C['deep'])
    for dx, dy in ink(text, scale):
        canvas.put(x + dx, y + dy, colour)


def draw(title, tagline, address, picture, tint):
    canvas = Canvas(WIDTH, HEIGHT_PX, smooth=False)
    canvas.gradient(0, 0, WIDTH - 1, HEIGHT_PX - 1, C['shade'], C['panel'])
    canvas.fill(0, 0, WIDTH - 1, 0, tint['dark'])
    canvas.fill(0, HEIGHT_PX - 1, WIDTH - 1, HEIGHT_PX - 1, tint['dark'])
    # The picture's tile, its corners cut.
    outlined(canvas, 4, 4, 43, 43, tint['dark'], tint['mid'])
    for x, y in ((4, 4), (43, 4), (4, 43), (43, 43)):
        canvas.put(x, y, C['shade'])
    picture(canvas, tint)
    lettering(canvas, TEXT_X, 5, title, C['glyph'], scale=2)
    canvas.fill(TEXT_X, 21, TEXT_X + text_width(title, 2), 21, tint['mid'])
    lettering(canvas, TEXT_X, 26, tagline, tint['light'])
    lettering(canvas, TEXT_X, 26 + HEIGHT + 4, address, C['light'], shadow=False)
    return canvas.rows


def ad_path(outdir, n):
    return os.path.join(outdir, 'ads', 'ad%03d.ad' % n)


def generate(outdir):
    os.makedirs(os.path.join(outdir, 'ads'), exist_ok=True)
    for n, ad in enumerate(ADS):
        write_bmp24(ad_path(outdir, n), draw(*ad))


def check(outdir):
    """Returns a list of problems with a generated folder (empty when it is good)."""
    problems = []
    colours = set(web_palette())
    seen = {}
    for n, ad in enumerate(ADS):
        path = ad_path(outdir, n)
        try:
            width, height, bits, _, rows = read_bmp(path)
        except (OSError, ValueError) as e:
            problems.append(str(e))
            continue
        if (width, height, bits) != (WIDTH, HEIGHT_PX, 24):
            problems.append('%s: %dx%d at %d bits, expected %dx%d at 24'
                            % (path, width, height, bits, WIDTH, HEIGHT_PX))
            continue
        pixels = {(row[i + 2], row[i + 1], row[i]) for row in rows for i in range(0, len(row), 3)}
        if not pixels <= colours:
            problems.append('%s: %d colours that are not in web.pal' % (path, len(pixels - colours)))
        expected = [b''.join(bytes((b, g, r)) for r, g, b in row) for row in draw(*ad)]
        if rows != expected:
            problems.append('%s: not the banner this generator draws; build again' % path)
        if b''.join(rows) in seen:
            problems.append('%s: the same picture as ad %d' % (path, seen[b''.join(rows)]))
        seen[b''.join(rows)] = n
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
