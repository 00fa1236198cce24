#!/usr/bin/python3
"""Writes the DXF example drawings with python3-ezdxf, beside this script.

schild.dxf  A3 landscape (420 x 297): frame, a part view, a title block inserted as a
            block reference whose attributes carry the INFO names of the title block.
skizze.dxf  A plain drawing without title block and without drawing number.

Run:  /usr/bin/python3 examples/make-dxf-examples.py
"""
import os
import sys

import ezdxf

HERE = os.path.dirname(os.path.abspath(__file__))

# tag, value, position in the block, text height
TITLE_FIELDS = [
    ("BENENNUNG", "Lagerdeckel", (2, 23), 3.5),
    ("ZEICHNUNGSNUMMER", "TV-2026-0815", (2, 13), 3.5),
    ("GEZEICHNET", "Müller", (92, 23), 2.5),
    ("GEPRUEFT", "Schäfer", (92, 16), 2.5),
    ("DATUM", "18.03.2026", (92, 9), 2.5),
    ("MASSSTAB", "1:1", (92, 2), 2.5),
]


def title_block(doc):
    blk = doc.blocks.new("SCHRIFTFELD", base_point=(0, 0))
    blk.add_lwpolyline([(0, 0), (180, 0), (180, 30), (0, 30)], close=True)
    blk.add_line((90, 0), (90, 30))
    blk.add_line((0, 10), (90, 10))
    blk.add_line((0, 20), (180, 20))
    blk.add_text("Benennung", dxfattribs={"height": 1.8}).set_placement((2, 27.5))
    blk.add_text("Zeichnungsnummer", dxfattribs={"height": 1.8}).set_placement((2, 17.5))
    for tag, _, pos, height in TITLE_FIELDS:
        blk.add_attdef(tag, pos, dxfattribs={"height": height})
    return blk


def schild():
    doc = ezdxf.new("R2000", setup=True)
    doc.header["$INSUNITS"] = 4  # millimetres
    doc.layers.add("RAHMEN", color=7, lineweight=50)
    doc.layers.add("KONTUR", color=7, lineweight=35)
    doc.layers.add("MITTE", color=1, linetype="CENTER", lineweight=18)
    doc.layers.add("SCHRIFT", color=3)
    title_block(doc)
    msp = doc.modelspace()
    msp.add_lwpolyline([(0, 0), (420, 0), (420, 297), (0, 297)], close=True,
                       dxfattribs={"layer": "RAHMEN", "lineweight": 25})
    msp.add_lwpolyline([(20, 10), (410, 10), (410, 287), (20, 287)], close=True,
                       dxfattribs={"layer": "RAHMEN"})
    # a cover plate: outline with rounded corners, bore, bolt circle and centre lines
    msp.add_lwpolyline([(80, 100, 0), (200, 100, 0.41421356), (220, 120, 0),
                        (220, 220, 0.41421356), (200, 240, 0), (80, 240, 0.41421356),
                        (60, 220, 0), (60, 120, 0.41421356)],
                       format="xyb", close=True, dxfattribs={"layer": "KONTUR"})
    msp.add_circle((140, 170), 30, dxfattribs={"layer": "KONTUR"})
    for x, y in [(90, 130), (190, 130), (190, 210), (90, 210)]:
        msp.add_circle((x, y), 5, dxfattribs={"layer": "KONTUR"})
    msp.add_arc((140, 170), 50, 0, 180, dxfattribs={"layer": "MITTE"})
    msp.add_line((50, 170), (230, 170), dxfattribs={"layer": "MITTE"})
    msp.add_line((140, 90), (140, 250), dxfattribs={"layer": "MITTE"})
    msp.add_text("Ø 60 H7", dxfattribs={"layer": "SCHRIFT", "height": 3.5}).set_placement((175, 195))
    msp.add_mtext("Allgemeintoleranz ISO 2768-m\\PKanten gebrochen 0,5×45°",
                  dxfattribs={"layer": "SCHRIFT", "char_height": 2.5, "insert": (250, 80)})
    ref = msp.add_blockref("SCHRIFTFELD", (230, 10), dxfattribs={"layer": "SCHRIFT"})
    ref.add_auto_attribs({tag: value for tag, value, _, _ in TITLE_FIELDS})
    doc.saveas(os.path.join(HERE, "schild.dxf"))


def skizze():
    doc = ezdxf.new("R2000", setup=True)
    doc.header["$INSUNITS"] = 4  # millimetres
    msp = doc.modelspace()
    msp.add_lwpolyline([(0, 0), (120, 0), (120, 60), (0, 60)], close=True)
    msp.add_circle((30, 30), 12)
    msp.add_circle((90, 30), 12)
    msp.add_line((0, 30), (120, 30), dxfattribs={"linetype": "CENTER", "color": 1})
    msp.add_text("Skizze Halter", dxfattribs={"height": 5}).set_placement((0, 70))
    doc.saveas(os.path.join(HERE, "skizze.dxf"))


if __name__ == "__main__":
    schild()
    skizze()
    sys.exit(0)
