#!/usr/bin/env python3
"""Draws the desktop icons of the installation in the sizes of the hicolor theme.

Run it after changing an icon; it rewrites packaging/icons/<size>/*.png, which
are committed so the build needs no Python. The Launcher's and the Monitor's
icons are the ones their windows show (their resource pictures are drawn by
the same functions); the Analyzer's and the data file's are drawn here.
"""

import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "monitor", "res", "tools"))
import make_pictures as monitor  # noqa: E402

sys.path.insert(0, os.path.join(ROOT, "launcher", "res", "tools"))
import importlib.util  # noqa: E402

_spec = importlib.util.spec_from_file_location(
    "launcher_pictures", os.path.join(ROOT, "launcher", "res", "tools", "make_pictures.py"))
launcher = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(launcher)

WHITE, ACCENT, PANEL = monitor.WHITE, monitor.ACCENT, monitor.PANEL
PAPER = (250, 250, 252)
EDGE = (120, 130, 145)

SIZES = (16, 24, 32, 48, 64, 128, 256)


def peaks(x0, x1, base, scale):
    pts = []
    x = x0
    while x <= x1 + 1e-9:
        y = base
        for centre, height, width in ((0.25, 0.75, 0.045), (0.5, 0.42, 0.06), (0.74, 0.95, 0.04)):
            t = (x - x0) / (x1 - x0)
            y -= scale * height * math.exp(-((t - centre) ** 2) / (2 * width * width))
        pts.append((x, y))
        x += 0.25
    return pts


def analyzer_icon(c):
    c.rrect((2, 2, 46, 46), 9, PANEL)
    c.stroke([(9, 9), (9, 39), (40, 39)], ACCENT, 2.4)
    pts = peaks(10, 39, 36.5, 25)
    c.fill(pts + [(39, 36.5), (10, 36.5)], ACCENT, alpha=0.35)
    c.stroke(pts, WHITE, 2.6)


def data_file_icon(c):
    page = [(9, 3), (31, 3), (40, 12), (40, 45), (9, 45)]
    c.fill(page, PAPER)
    c.stroke(page, EDGE, 1.6, closed=True)
    c.fill([(31, 3), (31, 12), (40, 12)], (215, 220, 230))
    c.stroke([(31, 3), (31, 12), (40, 12)], EDGE, 1.6)
    pts = peaks(13, 36, 39, 22)
    c.fill(pts + [(36, 39), (13, 39)], ACCENT, alpha=0.5)
    c.stroke(pts, PANEL, 2.2)


ICONS = {
    ("apps", "tarvolin-launcher"): launcher.app_icon,
    ("apps", "tarvolin-monitor"): monitor.app_icon,
    ("apps", "tarvolin-analyzer"): analyzer_icon,
    ("mimetypes", "application-x-tarvolin-klyn"): data_file_icon,
}


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(HERE), "icons")
    for size in SIZES:
        for (context, name), draw in ICONS.items():
            folder = os.path.join(out, "%dx%d" % (size, size), context)
            os.makedirs(folder, exist_ok=True)
            canvas = monitor.Canvas(size)
            draw(canvas)
            with open(os.path.join(folder, name + ".png"), "wb") as f:
                f.write(canvas.png())


if __name__ == "__main__":
    main()
