#!/usr/bin/env python3
"""Draws the Launcher's button pictures, its list picture and its icon.

Run it after changing a picture; it rewrites launcher/res/bitmaps/*.png and
launcher/res/icon/*.png, which are committed so the build needs no Python.
The drawing primitives are the Monitor's (monitor/res/tools/make_pictures.py):
signed distance fields, anti-aliased exactly and reproducible byte for byte.

Button pictures are designed on a 48 x 48 grid. The bars' pictures sit on the
dark panel and use white strokes with a light-blue accent; the title bar's
close button sits on the light grey title and uses the panel blue. The list
picture (100 x 144) shows one instrument: the detector unit with its pulse
on the display.
"""

import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(HERE)))
sys.path.insert(0, os.path.join(ROOT, "monitor", "res", "tools"))

import make_pictures as mp  # noqa: E402  (the Monitor's primitives)

WHITE, ACCENT, PANEL = mp.WHITE, mp.ACCENT, mp.PANEL
GREEN = (46, 180, 90)
DARK = (0, 52, 110)


class RectCanvas(mp.Canvas):
    """A canvas of width x height pixels; glyph units are pixels / scale."""

    def __init__(self, width, height, scale=1.0):
        self.width = width
        self.height = height
        self.size = max(width, height)
        self.scale = scale
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]

    def _shade(self, sdf, bounds, colour, alpha, erase=False):
        x0, y0, x1, y1 = bounds
        s = self.scale
        lo_x = max(0, int(math.floor(x0 * s)) - 1)
        lo_y = max(0, int(math.floor(y0 * s)) - 1)
        hi_x = min(self.width, int(math.ceil(x1 * s)) + 2)
        hi_y = min(self.height, int(math.ceil(y1 * s)) + 2)
        r, g, b = (c / 255.0 for c in colour)
        for iy in range(lo_y, hi_y):
            gy = (iy + 0.5) / s
            for ix in range(lo_x, hi_x):
                gx = (ix + 0.5) / s
                cover = 0.5 - sdf(gx, gy) * s
                if cover <= 0.0:
                    continue
                cover = min(cover, 1.0) * alpha
                p = self.px[iy * self.width + ix]
                keep = 1.0 - cover
                if erase:
                    for k in range(4):
                        p[k] *= keep
                else:
                    p[0] = r * cover + p[0] * keep
                    p[1] = g * cover + p[1] * keep
                    p[2] = b * cover + p[2] * keep
                    p[3] = cover + p[3] * keep

    def png(self):
        rows = []
        for iy in range(self.height):
            row = bytearray([0])
            for ix in range(self.width):
                r, g, b, a = self.px[iy * self.width + ix]
                if a <= 0.0:
                    row += b"\x00\x00\x00\x00"
                    continue
                row += bytes((mp._byte(r / a), mp._byte(g / a), mp._byte(b / a), mp._byte(a)))
            rows.append(bytes(row))
        return mp._png_bytes(self.width, self.height, b"".join(rows))


# ------------------------------------------------------------------ buttons

def title_close(c):
    c.line((15, 15), (33, 33), PANEL, 3.5)
    c.line((33, 15), (15, 33), PANEL, 3.5)


def small_unit(c, dx=0.0, dy=0.0):
    """An instrument's outline, for the list commands."""
    c.rrect_stroke((6 + dx, 12 + dy, 34 + dx, 40 + dy), 3, WHITE)
    c.rrect((11 + dx, 17 + dy, 29 + dx, 27 + dy), 1.5, ACCENT, alpha=0.45)
    c.stroke(mp.pulse_points(12 + dx, 28 + dx, 25.5 + dy, 7, 15 + dx, 2, 3), WHITE, 2.0)
    c.disc((13 + dx, 34 + dy), 1.8, ACCENT)
    c.line((18 + dx, 34 + dy), (28 + dx, 34 + dy), WHITE, mp.DETAIL)


def badge(c, centre, radius=8.5):
    """Clears a round place at the unit's corner for a sign."""
    c.disc(centre, radius + 2.5, WHITE, erase=True)
    c.disc(centre, radius, ACCENT)


def add_unit(c):
    small_unit(c)
    centre = (36, 12)
    badge(c, centre)
    c.line((centre[0] - 4.5, centre[1]), (centre[0] + 4.5, centre[1]), PANEL, 3.0)
    c.line((centre[0], centre[1] - 4.5), (centre[0], centre[1] + 4.5), PANEL, 3.0)


def edit_unit(c):
    small_unit(c)
    # A pencil across the unit's corner.
    tip = (22, 33)
    end = (42, 9)
    d = (end[0] - tip[0], end[1] - tip[1])
    n = math.hypot(*d)
    u = (d[0] / n, d[1] / n)
    w = (-u[1] * 3.6, u[0] * 3.6)
    body = [(tip[0] + u[0] * 6 + w[0], tip[1] + u[1] * 6 + w[1]),
            (end[0] + w[0], end[1] + w[1]),
            (end[0] - w[0], end[1] - w[1]),
            (tip[0] + u[0] * 6 - w[0], tip[1] + u[1] * 6 - w[1])]
    outline = [tip] + body[:1] + body[1:3] + body[3:]
    c.fill(outline, PANEL, erase=True)
    c.fill(outline, ACCENT)
    c.stroke(outline, WHITE, 2.0, closed=True)
    c.line((end[0] - u[0] * 6 + w[0], end[1] - u[1] * 6 + w[1]),
           (end[0] - u[0] * 6 - w[0], end[1] - u[1] * 6 - w[1]), WHITE, 2.0)


def delete_unit(c):
    # A bin: lid, handle and body with ribs.
    c.line((9, 13), (39, 13), WHITE)
    c.stroke([(19, 13), (19, 8.5), (29, 8.5), (29, 13)], WHITE, mp.DETAIL)
    body = [(12, 17), (36, 17), (33.5, 42), (14.5, 42)]
    c.fill(body, ACCENT, alpha=0.35)
    c.stroke(body, WHITE, closed=True)
    for x0, x1 in ((19, 19.6), (24, 24), (29, 28.4)):
        c.line((x0, 22), (x1, 37), WHITE, mp.DETAIL)


def manual_book(c):
    # An open book with a question mark on its right page.
    left = [(24, 12), (14, 8), (5, 10), (5, 38), (14, 36), (24, 40)]
    right = [(24, 12), (34, 8), (43, 10), (43, 38), (34, 36), (24, 40)]
    c.fill(left, ACCENT, alpha=0.35)
    c.fill(right, ACCENT, alpha=0.35)
    c.stroke(left, WHITE, closed=False)
    c.stroke(right, WHITE, closed=False)
    c.line((24, 12), (24, 40), WHITE)
    for y in (17, 22, 27):
        c.line((9, y + 0.5), (19, y - 1.5), WHITE, 2.0)
    c.arc((33.5, 19.5), 4.2, -60, 180, WHITE, 2.6)
    c.stroke([mp.arc_point(33.5, 19.5, 4.2, -60), (33.5, 26.5)], WHITE, 2.6)
    c.disc((33.5, 31), 1.7, WHITE)


def analyzer_peaks(c):
    c.stroke([(5, 7), (5, 41), (44, 41)], WHITE)
    pts = []
    x = 7.0
    while x <= 43.0:
        y = 37.0
        for centre, height, width in ((15, 22, 1.8), (25, 13, 2.2), (34, 27, 1.6)):
            y -= height * math.exp(-((x - centre) ** 2) / (2 * width * width))
        pts.append((x, y))
        x += 0.25
    c.fill(pts + [(43, 37), (7, 37)], ACCENT, alpha=0.35)
    c.stroke(pts, WHITE)


# -------------------------------------------------------------------- list

def instrument(c):
    """One instrument on the list, 100 x 144: the detector unit on its stand."""
    # Shadow, body, face.
    c.rrect((12, 20, 92, 132), 9, (0, 0, 0), alpha=0.12)
    c.rrect((8, 14, 88, 126), 9, PANEL)
    c.rrect((8, 14, 88, 30), 9, DARK)
    c.rrect((8, 24, 88, 30), 0, DARK)
    c.line((18, 22), (46, 22), ACCENT, 2.5)
    c.disc((78, 22), 3.2, GREEN)
    # The display with a pulse and its gate windows.
    c.rrect((16, 38, 80, 84), 4, (10, 28, 58))
    c.fill([(30, 44), (38, 44), (38, 79), (30, 79)], ACCENT, alpha=0.25)
    c.fill([(52, 44), (60, 44), (60, 79), (52, 79)], ACCENT, alpha=0.25)
    c.stroke(mp.pulse_points(20, 76, 76, 28, 27, 4, 10), WHITE, 2.4)
    # Knobs and the serial socket.
    for x in (26, 46):
        c.disc((x, 100), 7, DARK)
        c.ring((x, 100), 7, ACCENT, 2.0)
        c.line((x, 100), (x + 3.5, 95), WHITE, 2.0)
    c.rrect((62, 94, 80, 106), 3, DARK)
    for x in (66.5, 71, 75.5):
        c.disc((x, 98.5), 1.2, ACCENT)
    for x in (68.75, 73.25):
        c.disc((x, 102), 1.2, ACCENT)
    c.line((18, 116), (78, 116), ACCENT, 2.0, alpha=0.5)
    # Feet.
    c.rrect((16, 126, 30, 132), 2, DARK)
    c.rrect((66, 126, 80, 132), 2, DARK)


def app_icon(c):
    c.rrect((2, 2, 46, 46), 9, PANEL)
    # Three instruments on a shelf, the one picked lit, its pulse on its display.
    for i, x in enumerate((6.5, 19, 31.5)):
        lit = i == 0
        c.rrect((x, 11, x + 10, 35), 2.2, ACCENT if lit else WHITE, alpha=1.0 if lit else 0.5)
        c.rrect((x + 1.6, 14, x + 8.4, 22), 1.2, DARK)
        if lit:
            c.stroke(mp.pulse_points(x + 2.2, x + 7.8, 20.5, 5, x + 3.4, 0.8, 1.3, 0.2), WHITE, 1.2)
        c.disc((x + 5, 29), 1.8, DARK)
    c.line((5, 39.5), (43, 39.5), ACCENT, 2.2)


BITMAPS = {
    135: title_close,
    136: add_unit,
    139: edit_unit,
    138: delete_unit,
    143: manual_book,
    144: analyzer_peaks,
}

BITMAP_SIZE = 48
ICON_FILES = {"128.png": 48, "128_256.png": 256}


def render(draw, size):
    canvas = mp.Canvas(size)
    draw(canvas)
    return canvas.png()


def main():
    res = os.path.dirname(HERE)
    out = sys.argv[1] if len(sys.argv) > 1 else res
    os.makedirs(os.path.join(out, "bitmaps"), exist_ok=True)
    os.makedirs(os.path.join(out, "icon"), exist_ok=True)
    for ident, draw in BITMAPS.items():
        with open(os.path.join(out, "bitmaps", "%d.png" % ident), "wb") as f:
            f.write(render(draw, BITMAP_SIZE))
    canvas = RectCanvas(100, 144)
    instrument(canvas)
    with open(os.path.join(out, "bitmaps", "147.png"), "wb") as f:
        f.write(canvas.png())
    for name, size in ICON_FILES.items():
        with open(os.path.join(out, "icon", name), "wb") as f:
            f.write(render(app_icon, size))


if __name__ == "__main__":
    main()
