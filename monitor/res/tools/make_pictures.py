#!/usr/bin/env python3
"""Draws the Monitor's button pictures and application icon.

Run it after changing a picture; it rewrites monitor/res/bitmaps/*.png and
monitor/res/icon/*.png, which are committed so the build needs no Python.
Only the standard library is used: every shape is a signed distance field,
so edges are anti-aliased exactly and the output is byte-for-byte
reproducible.

Pictures are designed on a 48 x 48 grid. Toolbar and current-data pictures sit
on the dark panel and use white strokes with a light-blue accent; title-bar
pictures sit on the light-blue button face and use the panel blue.
"""

import math
import os
import struct
import sys
import zlib

WHITE = (255, 255, 255)
ACCENT = (136, 210, 255)
PANEL = (0, 76, 154)
RED = (226, 35, 35)

GRID = 48.0
STROKE = 3.0        # the one line width of every glyph
DETAIL = 2.5        # small inner details (list lines, gear) that need air


# ---------------------------------------------------------------- distances

def seg_dist(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    qx, qy = ax + t * dx - px, ay + t * dy - py
    return math.sqrt(qx * qx + qy * qy)


def polyline_dist(px, py, pts, closed):
    n = len(pts)
    last = n if closed else n - 1
    return min(seg_dist(px, py, *pts[i], *pts[(i + 1) % n]) for i in range(last))


def inside_polygon(px, py, pts):
    inside = False
    n = len(pts)
    j = n - 1
    for i in range(n):
        xi, yi = pts[i]
        xj, yj = pts[j]
        if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def polygon_sdf(px, py, pts):
    d = polyline_dist(px, py, pts, True)
    return -d if inside_polygon(px, py, pts) else d


def rrect_sdf(px, py, x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r
    qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - r


def arc_point(cx, cy, r, deg):
    a = math.radians(deg)
    return cx + r * math.cos(a), cy - r * math.sin(a)


def arc_dist(px, py, cx, cy, r, a0, a1):
    """Distance to the arc from a0 to a1 degrees (counter-clockwise on screen)."""
    phi = math.degrees(math.atan2(-(py - cy), px - cx))
    while phi < a0:
        phi += 360.0
    while phi >= a0 + 360.0:
        phi -= 360.0
    if phi <= a1:
        return abs(math.hypot(px - cx, py - cy) - r)
    e0 = arc_point(cx, cy, r, a0)
    e1 = arc_point(cx, cy, r, a1)
    return min(math.hypot(px - e0[0], py - e0[1]), math.hypot(px - e1[0], py - e1[1]))


# ------------------------------------------------------------------- canvas

class Canvas:
    """A premultiplied RGBA buffer that glyph coordinates (0..48) map onto."""

    def __init__(self, size):
        self.size = size
        self.scale = size / GRID
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]

    def _shade(self, sdf, bounds, colour, alpha, erase=False):
        x0, y0, x1, y1 = bounds
        s = self.scale
        lo_x = max(0, int(math.floor(x0 * s)) - 1)
        lo_y = max(0, int(math.floor(y0 * s)) - 1)
        hi_x = min(self.size, int(math.ceil(x1 * s)) + 2)
        hi_y = min(self.size, int(math.ceil(y1 * s)) + 2)
        r, g, b = (c / 255.0 for c in colour)
        for iy in range(lo_y, hi_y):
            gy = (iy + 0.5) / s
            for ix in range(lo_x, hi_x):
                gx = (ix + 0.5) / s
                # One pixel of ramp across the edge gives the anti-aliasing.
                cover = 0.5 - sdf(gx, gy) * s
                if cover <= 0.0:
                    continue
                cover = min(cover, 1.0) * alpha
                p = self.px[iy * self.size + ix]
                if erase:
                    keep = 1.0 - cover
                    for k in range(4):
                        p[k] *= keep
                else:
                    keep = 1.0 - cover
                    p[0] = r * cover + p[0] * keep
                    p[1] = g * cover + p[1] * keep
                    p[2] = b * cover + p[2] * keep
                    p[3] = cover + p[3] * keep

    # Strokes have round caps and joins: a union of capsules is still an
    # exact distance field, so joins never show seams.
    def stroke(self, pts, colour, width=STROKE, closed=False, alpha=1.0):
        h = width / 2
        bounds = _bounds(pts, h)
        self._shade(lambda x, y: polyline_dist(x, y, pts, closed) - h, bounds, colour, alpha)

    def line(self, a, b, colour, width=STROKE, alpha=1.0):
        self.stroke([a, b], colour, width, alpha=alpha)

    def fill(self, pts, colour, alpha=1.0, erase=False):
        self._shade(lambda x, y: polygon_sdf(x, y, pts), _bounds(pts, 0), colour, alpha, erase)

    def disc(self, c, r, colour, alpha=1.0, erase=False):
        cx, cy = c
        self._shade(lambda x, y: math.hypot(x - cx, y - cy) - r,
                    (cx - r, cy - r, cx + r, cy + r), colour, alpha, erase)

    def ring(self, c, r, colour, width=STROKE, alpha=1.0):
        cx, cy = c
        h = width / 2
        self._shade(lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - h,
                    (cx - r - h, cy - r - h, cx + r + h, cy + r + h), colour, alpha)

    def arc(self, c, r, a0, a1, colour, width=STROKE):
        cx, cy = c
        h = width / 2
        self._shade(lambda x, y: arc_dist(x, y, cx, cy, r, a0, a1) - h,
                    (cx - r - h, cy - r - h, cx + r + h, cy + r + h), colour, 1.0)

    def rrect(self, rect, radius, colour, alpha=1.0, erase=False):
        x0, y0, x1, y1 = rect
        self._shade(lambda x, y: rrect_sdf(x, y, x0, y0, x1, y1, radius),
                    rect, colour, alpha, erase)

    def rrect_stroke(self, rect, radius, colour, width=STROKE):
        x0, y0, x1, y1 = rect
        h = width / 2
        self._shade(lambda x, y: abs(rrect_sdf(x, y, x0, y0, x1, y1, radius)) - h,
                    (x0 - h, y0 - h, x1 + h, y1 + h), colour, 1.0)

    def png(self):
        rows = []
        for iy in range(self.size):
            row = bytearray([0])  # filter type 0 (none) for every scanline
            for ix in range(self.size):
                r, g, b, a = self.px[iy * self.size + ix]
                if a <= 0.0:
                    row += b"\x00\x00\x00\x00"
                    continue
                row += bytes((_byte(r / a), _byte(g / a), _byte(b / a), _byte(a)))
            rows.append(bytes(row))
        return _png_bytes(self.size, self.size, b"".join(rows))


def _bounds(pts, pad):
    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]
    return (min(xs) - pad, min(ys) - pad, max(xs) + pad, max(ys) + pad)


def _byte(v):
    return max(0, min(255, int(round(v * 255.0))))


def _png_bytes(width, height, raw):
    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


# ------------------------------------------------------------------- glyphs

def pulse_points(x0, x1, base, height, rise_at, rise, decay, step=0.5):
    """The detector's pulse shape: a fast smooth rise, then an exponential decay."""
    pts = []
    x = x0
    while x <= x1 + 1e-9:
        t = x - rise_at
        if t <= 0:
            v = 0.0
        elif t < rise:
            v = math.sin(t / rise * math.pi / 2)
        else:
            v = math.exp(-(t - rise) / decay)
        pts.append((x, base - height * v))
        x += step
    return pts


def open_folder(c):
    c.stroke([(7, 36), (7, 11), (17, 11), (21, 15), (37, 15), (37, 21)], WHITE)
    front = [(7, 37), (13.5, 22), (43, 22), (36.5, 37)]
    c.fill(front, ACCENT, alpha=0.45)
    c.stroke(front, WHITE, closed=True)


def save_disk(c):
    c.stroke([(8, 8), (34, 8), (40, 14), (40, 40), (8, 40)], WHITE, closed=True)
    c.stroke([(15, 8), (15, 17), (30, 17), (30, 8)], WHITE)
    c.rrect((24.5, 10.5, 27.5, 14.5), 0.5, WHITE)
    c.rrect((14, 25, 34, 40), 1.0, ACCENT, alpha=0.45)
    c.stroke([(14, 40), (14, 25), (34, 25), (34, 40)], WHITE)


def printer(c):
    c.stroke([(14, 18), (14, 7), (29, 7), (34, 12), (34, 18)], WHITE)
    c.rrect_stroke((6, 18, 42, 34), 4, WHITE)
    c.disc((36.5, 23.5), 2.0, ACCENT)
    # The sheet coming out lies in front of the body: clear the body's line under it.
    c.rrect((11.5, 25.5, 36.5, 44.5), 1.0, WHITE, erase=True)
    c.fill([(14, 28), (34, 28), (34, 42), (14, 42)], ACCENT, alpha=0.3)
    c.stroke([(14, 28), (34, 28), (34, 42), (14, 42)], WHITE, closed=True)
    c.line((19, 33), (29, 33), WHITE, DETAIL)
    c.line((19, 37.5), (26, 37.5), WHITE, DETAIL)


def gate_windows(c):
    c.fill([(13, 9), (21, 9), (21, 40), (13, 40)], ACCENT, alpha=0.5)
    c.fill([(28, 9), (36, 9), (36, 40), (28, 40)], ACCENT, alpha=0.5)
    c.stroke([(5, 7), (5, 41), (44, 41)], WHITE)
    c.stroke(pulse_points(9, 43, 37, 27, 10, 4, 7), WHITE)


def board_chip(c):
    for p in (19, 24, 29):
        c.line((p, 6), (p, 14), WHITE)
        c.line((p, 34), (p, 42), WHITE)
        c.line((6, p), (14, p), WHITE)
        c.line((34, p), (42, p), WHITE)
    c.rrect((14, 14, 34, 34), 3, PANEL, erase=True)
    c.rrect_stroke((14, 14, 34, 34), 3, WHITE)
    c.rrect((19.5, 19.5, 28.5, 28.5), 1.5, ACCENT)


def clock_events(c):
    c.ring((24, 24), 17, WHITE)
    for deg in (90, 0, 270, 180):
        c.line(arc_point(24, 24, 11.5, deg), arc_point(24, 24, 13, deg), ACCENT, DETAIL)
    c.stroke([(24, 13.5), (24, 24), (31, 28)], WHITE)
    c.disc((24, 24), 2.2, ACCENT)


def gear_points(cx, cy, teeth, r_out, r_in):
    pts = []
    step = 360.0 / teeth
    for k in range(teeth):
        a = k * step
        for deg, r in ((a - step * 0.30, r_in), (a - step * 0.15, r_out),
                       (a + step * 0.15, r_out), (a + step * 0.30, r_in)):
            pts.append(arc_point(cx, cy, r, deg + 90))
    return pts


def data_settings(c):
    c.stroke([(5, 16), (22, 16), (28, 22), (28, 43), (5, 43)], WHITE, closed=True)
    c.stroke([(11, 16), (11, 23), (21, 23), (21, 16)], WHITE)
    c.stroke([(11, 43), (11, 33), (22, 33), (22, 43)], WHITE)
    gear = gear_points(34.5, 14, 6, 11.5, 8.5)
    # The gear lies in front of the disk's corner.
    c.disc((34.5, 14), 13.5, WHITE, erase=True)
    c.fill(gear, ACCENT, alpha=0.45)
    c.stroke(gear, WHITE, DETAIL, closed=True)
    c.ring((34.5, 14), 3.2, WHITE, DETAIL)


def log_list(c):
    page = [(10, 5), (30, 5), (38, 13), (38, 43), (10, 43)]
    c.stroke(page, WHITE, closed=True)
    c.stroke([(30, 5), (30, 13), (38, 13)], WHITE)
    for y in (20, 27, 34):
        c.disc((16, y), 2.0, ACCENT)
        c.line((21, y), (32, y), WHITE)


def reset_arrow(c):
    cx, cy, r = 24, 25, 14
    c.arc((cx, cy), r, 40, 300, WHITE)
    # The head points clockwise along the circle, at the arc's open end.
    a = math.radians(30)
    tip_dir = (math.sin(a), math.cos(a))
    base = arc_point(cx, cy, r, 30)
    normal = (tip_dir[1], -tip_dir[0])
    tip = (base[0] + 5.5 * tip_dir[0], base[1] + 5.5 * tip_dir[1])
    back = (base[0] - 3.0 * tip_dir[0], base[1] - 3.0 * tip_dir[1])
    head = [tip, (back[0] + 6.5 * normal[0], back[1] + 6.5 * normal[1]),
            (back[0] - 6.5 * normal[0], back[1] - 6.5 * normal[1])]
    c.fill(head, WHITE)


def zoom_out(c):
    c.ring((20, 20), 12.5, WHITE)
    c.line((29.5, 29.5), (40.5, 40.5), WHITE, 5.5)
    c.line((14, 20), (26, 20), WHITE)


def zoom_fit(c):
    c.rrect((20, 20, 28, 28), 1.5, ACCENT)
    for sx, sy in ((-1, -1), (1, -1), (1, 1), (-1, 1)):
        corner = (24 + sx * 16, 24 + sy * 16)
        c.line((24 + sx * 7.5, 24 + sy * 7.5), corner, WHITE)
        c.stroke([(corner[0], corner[1] - sy * 8), corner, (corner[0] - sx * 8, corner[1])], WHITE)


def about_info(c):
    c.ring((24, 24), 18, WHITE)
    c.disc((24, 15.5), 2.4, WHITE)
    c.line((24, 22), (24, 34), WHITE, 3.5)


def title_close(c):
    c.line((15, 15), (33, 33), PANEL, 3.5)
    c.line((33, 15), (15, 33), PANEL, 3.5)


def title_maximise(c):
    c.rrect_stroke((13, 13, 35, 35), 2, PANEL)
    c.rrect((13, 12, 35, 18), 1.5, PANEL)


def title_minimise(c):
    c.line((14, 33), (34, 33), PANEL, 3.5)


def record(c):
    c.ring((24, 24), 18.5, WHITE, DETAIL)
    c.disc((24, 24), 14, RED)


def stop(c):
    c.ring((24, 24), 18.5, WHITE, DETAIL)
    c.rrect((15, 15, 33, 33), 2.5, WHITE)


def app_icon(c):
    c.rrect((2, 2, 46, 46), 9, PANEL)
    for v in (14, 24, 34):
        c.line((v, 8), (v, 38), ACCENT, 0.8, alpha=0.3)
        c.line((8, v), (40, v), ACCENT, 0.8, alpha=0.3)
    c.line((8, 38.5), (40, 38.5), ACCENT, 2.0)
    c.fill([(17, 8), (23, 8), (23, 38), (17, 38)], ACCENT, alpha=0.25)
    c.stroke(pulse_points(8, 40, 36, 26, 11, 4, 6.5), WHITE, 3.2)


# Control bitmaps by resource id: the toolbar, the title bar, record and stop.
BITMAPS = {
    143: open_folder,
    150: save_disk,
    148: printer,
    147: gate_windows,
    144: board_chip,
    145: clock_events,
    165: data_settings,
    149: log_list,
    163: reset_arrow,
    1011: zoom_out,
    1012: zoom_fit,
    1006: about_info,
    130: title_close,
    131: title_maximise,
    132: title_minimise,
    1013: record,
    1014: stop,
}

BITMAP_SIZE = 48
ICON_FILES = {"128.png": 48, "128_256.png": 256}


def render(draw, size):
    canvas = Canvas(size)
    draw(canvas)
    return canvas.png()


def main():
    res = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else res
    os.makedirs(os.path.join(out, "bitmaps"), exist_ok=True)
    os.makedirs(os.path.join(out, "icon"), exist_ok=True)
    for ident, draw in BITMAPS.items():
        with open(os.path.join(out, "bitmaps", "%d.png" % ident), "wb") as f:
            f.write(render(draw, BITMAP_SIZE))
    for name, size in ICON_FILES.items():
        with open(os.path.join(out, "icon", name), "wb") as f:
            f.write(render(app_icon, size))


if __name__ == "__main__":
    main()
