#!/usr/bin/python3
"""Writes the DXF example drawings with python3-ezdxf, beside this script.

schild.dxf  A3 landscape (420 x 297): frame, a part view, a title block inserted as a
            block reference whose attributes carry the INFO names of the title block.
skizze.dxf  A plain drawing without title block and without drawing number.
welle.dxf   A stepped shaft drawn in model space and laid out on two paper-space sheets:
            "Blatt 1" (A3 landscape: the shaft at 1:1, a detail at 2:1, frame and title
            block) and "Blatt 2" (A4 portrait: the section at 2:1).

Run:  /usr/bin/python3 examples/make-dxf-examples.py [NAME.dxf ...]   (default: all)
"""
import math
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


# shaft steps from the left: (length, diameter)
STEPS = [(40, 30), (60, 40), (20, 50), (50, 40), (30, 30)]


def shaft(msp):
    x = 0.0
    for length, d in STEPS:
        r = d / 2
        c = 1.0  # chamfer on every step's outer corners
        msp.add_lwpolyline([(x, -r + c), (x + c, -r), (x + length - c, -r), (x + length, -r + c),
                            (x + length, r - c), (x + length - c, r), (x + c, r), (x, r - c)],
                           close=True, dxfattribs={"layer": "KONTUR"})
        x += length
    msp.add_line((-8, 0), (x + 8, 0), dxfattribs={"layer": "MITTE"})
    # the keyway on the second step, seen from above
    msp.add_lwpolyline([(50, -6, 0), (86, -6, -1), (86, 6, 0), (50, 6, -1)], format="xyb",
                       close=True, dxfattribs={"layer": "KONTUR"})
    # the section A-A through the keyway, beside the shaft
    cx, cy = 270.0, 0.0
    msp.add_line((cx - 28, cy), (cx + 28, cy), dxfattribs={"layer": "MITTE"})
    msp.add_line((cx, cy - 28), (cx, cy + 28), dxfattribs={"layer": "MITTE"})
    a = math.degrees(math.asin(6 / 20))
    msp.add_arc((cx, cy), 20, 90 + a, 90 - a + 360, dxfattribs={"layer": "KONTUR"})
    section = [(cx + 6, cy + 20 * math.cos(math.radians(a))), (cx + 6, cy + 15),
               (cx - 6, cy + 15), (cx - 6, cy + 20 * math.cos(math.radians(a)))]
    msp.add_lwpolyline(section, dxfattribs={"layer": "KONTUR"})
    hatch = msp.add_hatch(color=256, dxfattribs={"layer": "SCHRAFFUR"})
    hatch.set_pattern_fill("ANSI31", scale=0.8)
    path = hatch.paths.add_edge_path()
    path.add_arc((cx, cy), 20, 90 + a, 90 - a + 360)
    path.add_line(section[0], section[1])
    path.add_line(section[1], section[2])
    path.add_line(section[2], section[3])
    msp.add_text("A-A", dxfattribs={"layer": "SCHRIFT", "height": 3.5}).set_placement(
        (cx, cy + 30), align=ezdxf.enums.TextEntityAlignment.BOTTOM_CENTER)
    # dimensions: overall length and the diameters
    dim = {"layer": "MASSE"}
    msp.add_linear_dim(base=(0, -40), p1=(0, -15), p2=(200, -15), dimstyle="MM",
                       dxfattribs=dim).render()
    msp.add_linear_dim(base=(40, -32), p1=(40, -20), p2=(100, -20), dimstyle="MM",
                       dxfattribs=dim).render()
    for (x0, d), text in [((110, 50), "Ø50"), ((20, 30), "Ø30"), ((160, 40), "Ø40 k6")]:
        msp.add_linear_dim(base=(x0, 0), p1=(x0, -d / 2), p2=(x0, d / 2), angle=90,
                           text=text, dimstyle="MM", dxfattribs=dim).render()


def welle():
    doc = ezdxf.new("R2010", setup=True)
    doc.header["$INSUNITS"] = 4  # millimetres
    doc.layers.add("RAHMEN", color=7, lineweight=50)
    doc.layers.add("KONTUR", color=7, lineweight=50)
    doc.layers.add("MITTE", color=1, linetype="CENTER", lineweight=18)
    doc.layers.add("SCHRAFFUR", color=8, lineweight=18)
    doc.layers.add("MASSE", color=4, lineweight=18)
    doc.layers.add("SCHRIFT", color=3, lineweight=25)
    # viewport frames: seen while drawing, not plotted
    doc.layers.add("ANSICHTEN", color=9).dxf.plot = 0
    style = doc.dimstyles.duplicate_entry("EZDXF", "MM")
    style.dxf.update({"dimlfac": 1, "dimtxt": 3.5, "dimasz": 3, "dimexo": 1, "dimexe": 2,
                      "dimgap": 1, "dimdec": 0, "dimtad": 1})
    title_block(doc)
    shaft(doc.modelspace())

    def sheet(name, size, views, texts, title):
        layout = doc.layouts.get(name) if name in doc.layouts else doc.layouts.new(name)
        layout.page_setup(size=size, margins=(0, 0, 0, 0), units="mm")
        w, h = size
        layout.add_lwpolyline([(20, 10), (w - 10, 10), (w - 10, h - 10), (20, h - 10)], close=True,
                              dxfattribs={"layer": "RAHMEN"})
        for centre, vsize, model_centre, scale in views:
            layout.add_viewport(center=centre, size=vsize, view_center_point=model_centre,
                                view_height=vsize[1] / scale, dxfattribs={"layer": "ANSICHTEN"})
        for text, pos, height in texts:
            layout.add_text(text, dxfattribs={"layer": "SCHRIFT", "height": height}).set_placement(pos)
        ref = layout.add_blockref("SCHRIFTFELD", (w - 190, 10), dxfattribs={"layer": "SCHRIFT"})
        fields = {tag: value for tag, value, _, _ in TITLE_FIELDS}
        fields.update(title)
        ref.add_auto_attribs(fields)

    doc.layouts.rename("Layout1", "Blatt 1")
    sheet("Blatt 1", (420, 297),
          [((150, 160), (240, 150), (100, -8), 1.0), ((330, 190), (110, 100), (68, 0), 2.0)],
          [("Einzelheit Passfedernut (2:1)", (285, 245), 3.5),
           ("Allgemeintoleranz ISO 2768-m", (30, 50), 2.5),
           ("Kanten gebrochen 0,5 x 45°", (30, 45), 2.5)],
          {"BENENNUNG": "Antriebswelle", "ZEICHNUNGSNUMMER": "TV-2026-0923"})
    sheet("Blatt 2", (210, 297),
          [((115, 170), (150, 150), (270, 3), 2.0)],
          [("Schnitt A-A (2:1)", (30, 260), 3.5)],
          {"BENENNUNG": "Antriebswelle, Schnitt", "ZEICHNUNGSNUMMER": "TV-2026-0923"})
    doc.saveas(os.path.join(HERE, "welle.dxf"))


DRAWINGS = {"schild.dxf": schild, "skizze.dxf": skizze, "welle.dxf": welle}

if __name__ == "__main__":
    for name in sys.argv[1:] or DRAWINGS:
        DRAWINGS[name]()
    sys.exit(0)
