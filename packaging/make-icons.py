#!/usr/bin/env python3
"""Makes Runlog's desktop icon from the logo's emblem (a spark over a ring, on a dark
plate): a scalable SVG and PNGs of 48 and 256 pixels, in icons/.

No imaging library is needed: the PNGs are rasterised here and written by hand.
Run it from this folder; the icons are committed.
"""
import math
import os
import struct
import zlib

# The emblem in the logo's own coordinates (docs/make-logo.py), on a square around the ring.
LEFT, TOP, SIDE = 19, 0, 60
CENTRE, RING = (49, 30), (21, 25)
BOLT = [(52, 4), (36, 31), (47, 31), (40, 56), (62, 24), (50, 24), (58, 4)]
CORE = [(52, 10), (42, 29), (50, 29), (45, 47), (57, 26), (47, 26), (55, 10)]
PLATE, EDGE, RING_COLOUR, SPARK, SPARK_CORE = "#121e33", "#0b1322", "#3c7dd9", "#f5b81c", "#ff6a13"
CORNER = 8


def svg():
    points = lambda poly: " ".join(f"{x},{y}" for x, y in poly)
    return f"""<svg xmlns="http://www.w3.org/2000/svg" viewBox="{LEFT} {TOP} {SIDE} {SIDE}" width="256" height="256">
  <rect x="{LEFT + 0.5}" y="{TOP + 0.5}" width="{SIDE - 1}" height="{SIDE - 1}" rx="{CORNER}" fill="{PLATE}" stroke="{EDGE}"/>
  <circle cx="{CENTRE[0]}" cy="{CENTRE[1]}" r="{sum(RING) / 2}" fill="none" stroke="{RING_COLOUR}" stroke-width="{RING[1] - RING[0]}"/>
  <polygon points="{points(BOLT)}" fill="{SPARK}"/>
  <polygon points="{points(CORE)}" fill="{SPARK_CORE}"/>
</svg>
"""


def inside(poly, x, y):
    hit = False
    for i in range(len(poly)):
        x1, y1 = poly[i]
        x2, y2 = poly[i - 1]
        if (y1 > y) != (y2 > y) and x < (x2 - x1) * (y - y1) / (y2 - y1) + x1:
            hit = not hit
    return hit


def rgb(colour):
    return tuple(int(colour[i:i + 2], 16) for i in (1, 3, 5))


def sample(x, y):
    """The colour at a point of the emblem, or None outside the rounded plate."""
    cx = min(max(x, LEFT + CORNER), LEFT + SIDE - CORNER)
    cy = min(max(y, TOP + CORNER), TOP + SIDE - CORNER)
    if math.hypot(x - cx, y - cy) > CORNER:
        return None
    if inside(CORE, x, y):
        return rgb(SPARK_CORE)
    if inside(BOLT, x, y):
        return rgb(SPARK)
    if RING[0] <= math.hypot(x - CENTRE[0], y - CENTRE[1]) <= RING[1]:
        return rgb(RING_COLOUR)
    return rgb(PLATE)


def png(size, grid=4):
    rows = []
    for py in range(size):
        row = bytearray([0])
        for px in range(size):
            r = g = b = a = 0
            for sy in range(grid):
                for sx in range(grid):
                    c = sample(LEFT + (px + (sx + 0.5) / grid) * SIDE / size, TOP + (py + (sy + 0.5) / grid) * SIDE / size)
                    if c:
                        r, g, b, a = r + c[0], g + c[1], b + c[2], a + 1
            row += bytes((r // a, g // a, b // a, 255 * a // grid ** 2) if a else (0, 0, 0, 0))
        rows.append(bytes(row))
    chunk = lambda kind, data: struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))


os.makedirs("icons", exist_ok=True)
with open("icons/runlog.svg", "w") as f:
    f.write(svg())
for size in (48, 256):
    with open(f"icons/runlog-{size}.png", "wb") as f:
        f.write(png(size))
