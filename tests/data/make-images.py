#!/usr/bin/env python3
"""Writes the golden 256-byte EEPROM images the tests feed to the simulated module.

Run it from this folder after changing an image; the .bin files are committed.
"""

ECHO = dict(status=53, stats=64, user=112)
PLAIN = dict(status=148, stats=160, user=224)
TEMPS = 144


def image(layout, bands, total, limit, maxrpm, starts, wot, flags, status, user, temps=None):
    img = bytearray(256)
    s = layout["stats"]
    for k, count in enumerate(bands):
        img[s + 2 * k:s + 2 * k + 2] = count.to_bytes(2, "little")
    img[s + 26:s + 28] = total.to_bytes(2, "little")
    img[s + 28:s + 30] = limit.to_bytes(2, "little")
    img[s + 30] = maxrpm
    img[s + 31] = 0x5A  # not decoded, cleared with the RPM-limit data
    img[s + 32:s + 34] = starts.to_bytes(2, "little")
    img[s + 34:s + 36] = wot.to_bytes(2, "little")
    for i in range(36, 47):
        img[s + i] = 0xA0 + i  # undecoded bytes must survive every write
    img[s + 47] = flags
    if temps:
        for j, count in enumerate(temps):
            img[TEMPS + 2 * j:TEMPS + 2 * j + 2] = count.to_bytes(2, "little")
    img[layout["status"]] = status
    text = user.encode("cp1252").ljust(32, b" ")
    img[layout["user"]:layout["user"] + 32] = text
    # fill the rest of the map so a stray write anywhere shows
    for a in range(256):
        if a < 48 or (a >= 48 and a not in range(s, s + 48) and a not in range(layout["user"], layout["user"] + 32)
                      and a not in range(TEMPS, TEMPS + 14) and a != layout["status"] and img[a] == 0):
            img[a] = 0xEE
    return bytes(img)


BANDS = [1200, 800, 950, 1400, 2100, 2600, 2300, 1700, 1100, 600, 250, 90, 12]

images = {
    # Both flags, WOT counter above the total, break-in and rebuild set, "&" free user text.
    "echo-full.bin": image(ECHO, BANDS, 15200, 950, 214, 1234, 20000, 3, 0xC5, "AB",
                           temps=[1900, 3100, 5200, 3600, 1000, 240, 60]),
    # WOT only, break-in set, other status bits that must be carried.
    "plain-wot.bin": image(PLAIN, BANDS, 15200, 65535, 255, 65535, 1500, 1, 0x47, "HULL 4471"),
    # No flags, a total whose high byte is 255, status clear.
    "echo-plain-flags0.bin": image(ECHO, [256, 1, 65535] + [0] * 10, 0xFF00, 1, 1, 7, 999, 0, 0x00,
                                   "SN 1"),
    # A plain module that claims temperatures: its status byte sits inside that block.
    "plain-temps.bin": image(PLAIN, BANDS, 100, 950, 214, 1234, 1500, 3, 0x05, "PLAIN",
                             temps=[1, 2, 3, 4, 5, 6, 7]),
}

for name, data in images.items():
    assert len(data) == 256
    with open(name, "wb") as f:
        f.write(data)
