#!/usr/bin/env python3
"""Writes the DXF corpus of the end-to-end benchmark with ezdxf, an independent writer.

  small/NN.dxf   20 title-block drawings (A3 frame, title block of attributes, some geometry)
  medium.dxf     20,000 entities
  large.dxf      300,000 entities
Usage: make-corpus.py OUTDIR"""
import math
import os
import random
import sys

import ezdxf


def title_block(doc):
    block = doc.blocks.new(name="SCHRIFTFELD")
    block.add_lwpolyline([(0, 0), (180, 0), (180, 40), (0, 40)], close=True)
    for y in (10, 20, 30):
        block.add_line((0, y), (180, y))
    for i, tag in enumerate(["BENENNUNG", "ZEICHNUNGSNUMMER", "GEZEICHNET", "DATUM"]):
        block.add_attdef(tag, (2, 32 - 10 * i), dxfattribs={"height": 3.5})
    return block


def small(path, n):
    doc = ezdxf.new("R2010")
    doc.header["$INSUNITS"] = 4  # millimetres
    title_block(doc)
    msp = doc.modelspace()
    msp.add_lwpolyline([(0, 0), (420, 0), (420, 297), (0, 297)], close=True)
    rng = random.Random(n)
    for _ in range(60):
        x, y = rng.uniform(20, 380), rng.uniform(60, 270)
        msp.add_circle((x, y), rng.uniform(2, 20))
        msp.add_line((x, y), (x + rng.uniform(-40, 40), y + rng.uniform(-40, 40)))
    msp.add_text(f"Zeichnung {n}", dxfattribs={"height": 5}).set_placement((20, 280))
    ref = msp.add_blockref("SCHRIFTFELD", (240, 0))
    ref.add_auto_attribs({"BENENNUNG": f"Halter {n}", "ZEICHNUNGSNUMMER": f"B-{n:04d}",
                          "GEZEICHNET": "Konstruktion", "DATUM": "2026-12-08"})
    doc.saveas(path)


def big(path, count):
    doc = ezdxf.new("R2010")
    doc.header["$INSUNITS"] = 4  # millimetres
    msp = doc.modelspace()
    rng = random.Random(count)
    side = math.sqrt(count) * 4
    msp.add_lwpolyline([(0, 0), (side, 0), (side, side), (0, side)], close=True)
    for i in range(count - 1):
        x, y = rng.uniform(0, side), rng.uniform(0, side)
        kind = i % 4
        if kind == 0:
            msp.add_line((x, y), (x + rng.uniform(-5, 5), y + rng.uniform(-5, 5)))
        elif kind == 1:
            msp.add_circle((x, y), rng.uniform(0.5, 3))
        elif kind == 2:
            msp.add_arc((x, y), rng.uniform(0.5, 3), rng.uniform(0, 180), rng.uniform(180, 360))
        else:
            msp.add_text("P%d" % i, dxfattribs={"height": 1.5}).set_placement((x, y))
    doc.saveas(path)


def main():
    out = sys.argv[1]
    os.makedirs(os.path.join(out, "small"), exist_ok=True)
    for n in range(1, 21):
        small(os.path.join(out, "small", f"{n:02d}.dxf"), n)
    big(os.path.join(out, "medium.dxf"), 20_000)
    big(os.path.join(out, "large.dxf"), 300_000)


if __name__ == "__main__":
    main()
