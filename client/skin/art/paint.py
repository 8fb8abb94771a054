"""Drawing primitives for the skins.

A Canvas is either smooth (true colour: blends, gradients, anti-aliased shapes) or flat
(palette art: every pixel keeps exactly one of the colours it was given; gradients become a
2x2 ordered pattern of their two end colours and shape edges are cut at half coverage).
Shapes are "inside" tests on continuous coordinates, where pixel (x, y) covers
[x, x + 1) x [y, y + 1).
"""
import math

# 2x2 ordered-dither thresholds: the pattern repeats every 2 pixels, which divides every
# tile height the bar uses.
_BAYER2 = ((0.125, 0.625), (0.875, 0.375))


def mix(a, b, t):
    return tuple(int(round(p + (q - p) * t)) for p, q in zip(a, b))


class Canvas:
    def __init__(self, width, height, smooth, background=(0, 0, 0)):
        self.width, self.height, self.smooth = width, height, smooth
        self.rows = [[background] * width for _ in range(height)]

    def put(self, x, y, colour, cover=1.0):
        if not (0 <= x < self.width and 0 <= y < self.height) or cover <= 0:
            return
        if self.smooth:
            self.rows[y][x] = mix(self.rows[y][x], colour, min(cover, 1.0))
        elif cover >= 0.5:
            self.rows[y][x] = colour

    def shade(self, a, b, t, x, y):
        """The colour a fraction t of the way from a to b at pixel (x, y)."""
        if self.smooth:
            return mix(a, b, t)
        return b if t > _BAYER2[y & 1][x & 1] else a

    def fill(self, x0, y0, x1, y1, colour):
        """Inclusive corners, like the bar's own rectangles."""
        x0, x1 = max(x0, 0), min(x1, self.width - 1)
        for y in range(max(y0, 0), min(y1, self.height - 1) + 1):
            self.rows[y][x0:x1 + 1] = [colour] * (x1 + 1 - x0)

    def gradient(self, x0, y0, x1, y1, top, bottom):
        span = max(y1 - y0, 1)
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, self.shade(top, bottom, (y - y0) / span, x, y))

    def shape(self, inside, box, colour, samples=4):
        """Paints where inside(px, py) holds within box (x0, y0, x1, y1 inclusive pixels).
        colour is an (r, g, b) or a function of the pixel (x, y) returning one."""
        x0, y0, x1, y1 = box
        step = 1.0 / samples
        offsets = [(i + 0.5) * step for i in range(samples)]
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                hits = sum(1 for oy in offsets for ox in offsets if inside(x + ox, y + oy))
                if hits:
                    c = colour(x, y) if callable(colour) else colour
                    self.put(x, y, c, hits / float(samples * samples))


def capsule(ax, ay, bx, by, radius):
    """A stroke from (ax, ay) to (bx, by) with round ends."""
    dx, dy = bx - ax, by - ay
    length2 = float(dx * dx + dy * dy) or 1.0

    def inside(px, py):
        t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
        return (px - ax - t * dx) ** 2 + (py - ay - t * dy) ** 2 <= radius * radius
    return inside


def polygon(points):
    def inside(px, py):
        result = False
        for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
            if (ay > py) != (by > py) and px < ax + (py - ay) * (bx - ax) / (by - ay):
                result = not result
        return result
    return inside


def disc(cx, cy, radius):
    return lambda px, py: math.hypot(px - cx, py - cy) <= radius


def union(*shapes):
    return lambda px, py: any(s(px, py) for s in shapes)


def moved(shape, dx, dy):
    return lambda px, py: shape(px - dx, py - dy)


def slanted(shape, pivot_y, slope):
    """Italic: leans the shape right by slope pixels per pixel above pivot_y."""
    return lambda px, py: shape(px - (pivot_y - py) * slope, py)
