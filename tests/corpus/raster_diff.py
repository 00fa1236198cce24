#!/usr/bin/python3
"""Counts the pixels of two grey pictures (PGM, the same size) that differ beyond a shift of
one pixel: a pixel counts when no pixel of the other picture within one pixel of it comes
within THRESHOLD grey levels. Anti-aliased edges and thin lines that round to the next row
do not count; a lost, added or moved line does.
  raster_diff.py A.pgm B.pgm [THRESHOLD]   prints the count"""
import sys

import numpy as np


def read_pgm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields, at = [], 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    if fields[0] != b"P5":
        raise SystemExit(f"{path}: not a binary PGM")
    w, h = int(fields[1]), int(fields[2])
    return np.frombuffer(data[at + 1:at + 1 + w * h], dtype=np.uint8).reshape(h, w).astype(np.int16)


def unexplained(a, b, threshold):
    padded = np.pad(b, 1, mode="edge")
    h, w = b.shape
    near = [padded[dy:dy + h, dx:dx + w] for dy in range(3) for dx in range(3)]
    low, high = np.minimum.reduce(near), np.maximum.reduce(near)
    return (a < low - threshold) | (a > high + threshold)


a, b = read_pgm(sys.argv[1]), read_pgm(sys.argv[2])
threshold = int(sys.argv[3]) if len(sys.argv) > 3 else 96
if a.shape != b.shape:
    print(a.size)
else:
    # the two outermost pixels are left out: a line on the page's edge falls inside or outside it
    # by a thousandth of a point
    differ = unexplained(a, b, threshold) | unexplained(b, a, threshold)
    print(int(np.count_nonzero(differ[2:-2, 2:-2])))
