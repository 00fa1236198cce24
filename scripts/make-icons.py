#!/usr/bin/env python3
"""Draws the ribbon and dialog bitmaps of share/tavrin/ICONS (24-bit BMP, no dependencies).

Each icon is a coloured tile with a small pictogram, so the buttons stay apart at a glance.
Run it again after changing a pictogram; the output is deterministic."""
import os
import struct
import sys

SIZE = 32

# 5x7 glyphs for the letters the pictograms use.
GLYPHS = {
    'A': ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    'D': ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    'F': ["11111", "10000", "10000", "11110", "10000", "10000", "10000"],
    'I': ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    'N': ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    'P': ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    'S': ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    'T': ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    'V': ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    'Z': ["11111", "00001", "00010", "00100", "01000", "10000", "11111"],
    '+': ["00000", "00100", "00100", "11111", "00100", "00100", "00000"],
    '>': ["10000", "01000", "00100", "00010", "00100", "01000", "10000"],
    '=': ["00000", "00000", "11111", "00000", "11111", "00000", "00000"],
}

ICONS = {
    "TavrinDir24.bmp": ((40, 110, 200), "V"),
    "TavrinNow24.bmp": ((40, 150, 90), "Z"),
    "AddHistory.bmp": ((200, 130, 30), "A"),
    "TV_INFO_DROP.bmp": ((200, 90, 30), "I+"),
    "TavrinAdmin.bmp": ((120, 60, 160), "A"),
    "TavrinFormat.bmp": ((120, 60, 160), "F"),
    "TavrinPlotter.bmp": ((120, 60, 160), "P"),
    "TavrinTransform.bmp": ((120, 60, 160), "T"),
    "TavrinterFormatName.bmp": ((120, 60, 160), "FN"),
    "TavrinterINFO.bmp": ((120, 60, 160), "I"),
    "TavrinMenu24.bmp": ((60, 60, 60), "T"),
    "Start.bmp": ((30, 140, 60), ">"),
    "Store_Standard.bmp": ((60, 90, 150), "S="),
}


def draw(color, text):
    px = [[(255, 255, 255)] * SIZE for _ in range(SIZE)]
    for y in range(2, SIZE - 2):
        for x in range(2, SIZE - 2):
            px[y][x] = color
    scale = 3 if len(text) == 1 else 2
    width = len(text) * 5 * scale + (len(text) - 1) * scale
    x0 = (SIZE - width) // 2
    y0 = (SIZE - 7 * scale) // 2
    for i, ch in enumerate(text):
        for gy, row in enumerate(GLYPHS[ch]):
            for gx, bit in enumerate(row):
                if bit == "1":
                    for dy in range(scale):
                        for dx in range(scale):
                            px[y0 + gy * scale + dy][x0 + i * 6 * scale + gx * scale + dx] = (255, 255, 255)
    return px


def write_bmp(path, px):
    row_bytes = SIZE * 3
    pad = (4 - row_bytes % 4) % 4
    data = bytearray()
    for row in reversed(px):
        for r, g, b in row:
            data += bytes((b, g, r))
        data += b"\0" * pad
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "share", "tavrin", "ICONS")
    os.makedirs(out, exist_ok=True)
    for name, (color, text) in ICONS.items():
        write_bmp(os.path.join(out, name), draw(color, text))


if __name__ == "__main__":
    main()
