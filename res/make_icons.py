#!/usr/bin/python3
"""Draws Dustvale's icons and writes them beside this script.

    tray_full.ico   waste bin with contents, 16/20/24/28/32/40/48 px (the small-icon sizes from
                    100 % to 300 % scaling): white outline with a dark edge
    tray_empty.ico  the same bin without contents
    program.ico     the full bin on a solid body, at the same sizes (the executable's icon)
    options.ico     gear mark for the Options dialog, 16/32/48 px (title bar, Alt+Tab)

The shapes are described on a 16-unit grid and rendered at every size with 8 x 8 samples per
pixel; horizontal and vertical lines are snapped to the pixel grid so that small sizes stay sharp.
The build uses the committed .ico files; run this script only to change the pictures:

    /usr/bin/python3 res/make_icons.py
"""

import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import icofile  # noqa: E402

WHITE = (255, 255, 255)
DARK = (24, 24, 24)
DARK_ALPHA = 0.85
BODY = (58, 96, 136)       # the program icon's solid body
SAMPLES = 8


# ---- geometry ---------------------------------------------------------------------------

def _segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    ex, ey = ax + t * dx - px, ay + t * dy - py
    return math.sqrt(ex * ex + ey * ey)


def _inside_polygon(px, py, points):
    inside = False
    n = len(points)
    for i in range(n):
        ax, ay = points[i]
        bx, by = points[(i + 1) % n]
        if (ay > py) != (by > py):
            if px < ax + (py - ay) * (bx - ax) / (by - ay):
                inside = not inside
    return inside


class Stroke:
    """An open polyline of the given width with round ends."""

    def __init__(self, points, width):
        self.points, self.width = points, width

    def covers(self, x, y, grow):
        limit = self.width / 2 + grow
        return any(_segment_distance(x, y, *a, *b) <= limit
                   for a, b in zip(self.points, self.points[1:]))


class Fill:
    """A filled polygon."""

    def __init__(self, points):
        self.points = points

    def covers(self, x, y, grow):
        if _inside_polygon(x, y, self.points):
            return True
        if grow <= 0:
            return False
        ring = self.points + self.points[:1]
        return any(_segment_distance(x, y, *a, *b) <= grow for a, b in zip(ring, ring[1:]))


class Layer:
    """Shapes painted together: a dark halo around their union, their colour on top, then
    dark detail lines. Later layers cover earlier ones, halo first, so overlapping parts stay
    apart."""

    def __init__(self, shapes, colour=WHITE, opacity=1.0, details=(), halo=True, crisp=False):
        self.shapes, self.colour, self.details, self.halo = shapes, colour, details, halo
        self.opacity = opacity
        self.crisp = crisp  # no partly covered pixels: for straight lines at small sizes


# ---- the drawings -----------------------------------------------------------------------

class Grid:
    """Maps the 16-unit design grid onto a picture of `size` pixels with line width `line`."""

    def __init__(self, size, line):
        self.k = size / 16.0
        self.centre = size / 2.0
        self.line = line

    def x(self, u):
        # Lines of odd width sit on pixel centres, lines of even width on pixel edges; snapped
        # away from the middle alike on both sides, so the bin stays symmetric.
        d = u * self.k - self.centre
        m = abs(d)
        m = math.floor(m) + 0.5 if round(self.line) % 2 else float(round(m))
        return self.centre + math.copysign(m, d)

    y = x

    def p(self, u, v):
        return (self.x(u), self.y(v))

    def free(self, u, v):
        return (u * self.k, v * self.k)


def bin_layers(g, contents, solid_body=False):
    """The waste bin: a rim, a tapering body with two ribs; optionally paper heaped above it."""
    w = g.line
    layers = []
    if contents:
        ball = [g.free(4.0 + 2.3 * math.cos(a), 3.6 + 2.1 * math.sin(a))
                for a in (i * math.pi / 6 for i in range(12))]
        sheet = [g.free(*pt) for pt in ((8.2, 1.3), (11.6, 0.4), (13.2, 4.8), (9.4, 5.2))]
        crease = [Stroke([g.free(9.4, 2.2), g.free(11.4, 1.9), g.free(11.9, 3.9)], max(1.0, w * 0.6))]
        layers.append(Layer([Fill(sheet)], details=crease if g.k >= 1.5 else ()))
        layers.append(Layer([Fill(ball)]))
    top, bottom = 6.0, 14.7
    outline = [g.p(3.3, top), g.p(4.4, bottom), g.p(11.6, bottom), g.p(12.7, top)]
    rim = Stroke([g.p(2.3, top), g.p(13.7, top)], w)
    body = Stroke(outline, w)
    ribs = [Stroke([g.p(6.5, top + 2.5), g.p(6.5, bottom - 2.2)], w),
            Stroke([g.p(9.5, top + 2.5), g.p(9.5, bottom - 2.2)], w)]
    # At 16 and 20 pixels a grey fringe on the slanted sides reads as blur: keep them hard.
    crisp = g.k < 1.5
    # The inside of the bin is dark (or the program icon's colour), so the ribs read on any
    # taskbar and no stray transparent pixel shows between them.
    layers.append(Layer([Fill(outline)], colour=BODY if solid_body else DARK,
                        opacity=1.0 if solid_body else DARK_ALPHA, halo=False, crisp=crisp))
    layers.append(Layer([rim, body] + ribs, crisp=crisp))
    return layers


def gear_layers(g):
    """The Options mark: a small gear."""
    teeth = []
    cx, cy = 8.0, 8.0
    for i in range(16):
        a = i * math.pi / 8
        r = 6.6 if i % 2 == 0 else 4.9
        teeth.append(g.free(cx + r * math.cos(a - 0.18), cy + r * math.sin(a - 0.18)))
        teeth.append(g.free(cx + r * math.cos(a + 0.18), cy + r * math.sin(a + 0.18)))
    hole = [g.free(cx + 2.0 * math.cos(i * math.pi / 8), cy + 2.0 * math.sin(i * math.pi / 8))
            for i in range(16)]
    return [Layer([Fill(teeth)], colour=(150, 160, 172)), Layer([Fill(hole)], colour=DARK, halo=False)]


# ---- rendering --------------------------------------------------------------------------

def render(size, layers, halo):
    """Straight-alpha RGBA pixels of the layers painted in order."""
    acc = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]  # premultiplied r, g, b, a

    def paint(i, colour, alpha):
        if alpha <= 0:
            return
        p = acc[i]
        keep = 1.0 - alpha
        for c in range(3):
            p[c] = colour[c] * alpha + p[c] * keep
        p[3] = alpha + p[3] * keep

    def share(count, total, crisp):
        part = count / total
        return (1.0 if part >= 0.5 else 0.0) if crisp else part

    offsets = [(j + 0.5) / SAMPLES for j in range(SAMPLES)]
    for py in range(size):
        for px in range(size):
            i = py * size + px
            pts = [(px + ox, py + oy) for oy in offsets for ox in offsets]
            n = float(len(pts))
            for layer in layers:
                if layer.halo:
                    dark = sum(1 for x, y in pts if any(s.covers(x, y, halo) for s in layer.shapes))
                    paint(i, DARK, DARK_ALPHA * share(dark, n, layer.crisp))
                lit = sum(1 for x, y in pts if any(s.covers(x, y, 0) for s in layer.shapes))
                paint(i, layer.colour, layer.opacity * share(lit, n, layer.crisp))
                if layer.details:
                    line = sum(1 for x, y in pts if any(s.covers(x, y, 0) for s in layer.details))
                    paint(i, DARK, DARK_ALPHA * share(line, n, layer.crisp))
    pixels = []
    for r, g, b, a in acc:
        if a <= 0.004:
            pixels.append((0, 0, 0, 0))
        else:
            pixels.append(tuple(min(255, round(c / a)) for c in (r, g, b)) + (round(a * 255),))
    return pixels


# Per size: line width and dark-edge width, in pixels.
STYLE = {16: (1.0, 1.0), 20: (1.0, 1.0), 24: (2.0, 1.0), 28: (2.0, 1.5), 32: (2.0, 1.5),
         40: (3.0, 2.0), 48: (3.0, 2.0)}
# The small-icon sizes of 100, 125, 150, 175, 200, 250 and 300 % scaling: the tray shows one of
# these, and a size in between (225 %) is drawn from the next one up.
SMALL_ICON_SIZES = (16, 20, 24, 28, 32, 40, 48)
# The Options dialog's title bar at 100 %, and its large icon (Alt+Tab) at 100 % and 150 %.
OPTIONS_SIZES = (16, 32, 48)


def picture(size, contents, solid_body=False):
    line, halo = STYLE[size]
    return size, render(size, bin_layers(Grid(size, line), contents, solid_body), halo)


def gear(size):
    line, halo = STYLE[size]
    return size, render(size, gear_layers(Grid(size, line)), halo)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    icofile.write(os.path.join(here, "tray_full.ico"),
                  [picture(s, True) for s in SMALL_ICON_SIZES])
    icofile.write(os.path.join(here, "tray_empty.ico"),
                  [picture(s, False) for s in SMALL_ICON_SIZES])
    # Largest first, as the program icon always had it.
    icofile.write(os.path.join(here, "program.ico"),
                  [picture(s, True, solid_body=True) for s in reversed(SMALL_ICON_SIZES)])
    icofile.write(os.path.join(here, "options.ico"), [gear(s) for s in OPTIONS_SIZES])


if __name__ == "__main__":
    main()
