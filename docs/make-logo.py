#!/usr/bin/env python3
"""Draws the Korvane logo (a spark over a ring, on a dark plate) and writes it as a GIF.

No imaging library is needed: the picture is rasterised here and LZW-encoded by hand.
Run it from this folder; the .gif is committed.
"""
import math
import struct

W, H = 99, 60
PALETTE = [
    (0x12, 0x1E, 0x33),  # 0 plate
    (0xF5, 0xB8, 0x1C),  # 1 spark
    (0xFF, 0xFF, 0xFF),  # 2 white
    (0x3C, 0x7D, 0xD9),  # 3 ring
    (0x0B, 0x13, 0x22),  # 4 edge
    (0xFF, 0x6A, 0x13),  # 5 spark core
    (0x8F, 0xA9, 0xC8),  # 6 letters
    (0x00, 0x00, 0x00),  # 7
]


def inside(poly, x, y):
    hit = False
    for i in range(len(poly)):
        x1, y1 = poly[i]
        x2, y2 = poly[i - 1]
        if (y1 > y) != (y2 > y) and x < (x2 - x1) * (y - y1) / (y2 - y1) + x1:
            hit = not hit
    return hit


bolt = [(52, 4), (36, 31), (47, 31), (40, 56), (62, 24), (50, 24), (58, 4)]
core = [(52, 10), (42, 29), (50, 29), (45, 47), (57, 26), (47, 26), (55, 10)]
pixels = []
for y in range(H):
    for x in range(W):
        c = 0
        if x in (0, W - 1) or y in (0, H - 1):
            c = 4
        r = math.hypot(x - 49, y - 30)
        if 21 <= r <= 25:
            c = 3
        if inside(bolt, x + 0.5, y + 0.5):
            c = 1
        if inside(core, x + 0.5, y + 0.5):
            c = 5
        # a "K" mark at the left, two bars
        if 8 <= x <= 11 and 18 <= y <= 42:
            c = 6
        if abs((x - 11) - abs(y - 30) * 0.6) < 1.6 and 18 <= y <= 42 and x > 11:
            c = 6
        pixels.append(c)


def lzw(data, min_size):
    clear, end = 1 << min_size, (1 << min_size) + 1
    out, bits, nbits = bytearray(), 0, 0
    size = min_size + 1

    def emit(code):
        nonlocal bits, nbits
        bits |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8

    table = {(i,): i for i in range(clear)}
    nxt = end + 1
    emit(clear)
    seq = (data[0],)
    for p in data[1:]:
        cand = seq + (p,)
        if cand in table:
            seq = cand
            continue
        emit(table[seq])
        if nxt < 4096:
            table[cand] = nxt
            nxt += 1
            if nxt > (1 << size) and size < 12:
                size += 1
        else:
            emit(clear)
            table = {(i,): i for i in range(clear)}
            nxt, size = end + 1, min_size + 1
        seq = (p,)
    emit(table[seq])
    emit(end)
    if nbits:
        out.append(bits & 0xFF)
    return bytes(out)


body = lzw(pixels, 3)
gif = bytearray(b"GIF89a" + struct.pack("<HHBBB", W, H, 0xF2, 0, 0))
for r, g, b in PALETTE:
    gif += bytes((r, g, b))
gif += b"\x2C" + struct.pack("<HHHHB", 0, 0, W, H, 0) + bytes((3,))
for i in range(0, len(body), 255):
    chunk = body[i:i + 255]
    gif += bytes((len(chunk),)) + chunk
gif += b"\x00\x3B"
with open("Korvane_Logo.gif", "wb") as f:
    f.write(gif)
