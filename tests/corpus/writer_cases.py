#!/usr/bin/python3
"""Writes DXF drawings that exercise the PDF writer (with ezdxf, an independent writer):
texts among lines and under hatches, line types, arcs and bulges, a wipeout, and a paper
layout with turned and scaled viewports over the model.
  writer_cases.py OUTDIR"""
import math
import os
import sys

import ezdxf


def model_content(msp):
    for i in range(12):
        msp.add_line((0, i * 10), (200, i * 10 + 5), dxfattribs={"color": 1 + i % 7})
        msp.add_text(f"Zeile {i}", height=2.5, dxfattribs={"insert": (5, i * 10 + 1)})
    msp.add_circle((150, 60), 30, dxfattribs={"linetype": "DASHED"})
    msp.add_arc((150, 60), 20, 300, 120, dxfattribs={"linetype": "CENTER"})
    msp.add_lwpolyline([(20, 20, 0, 0, 0.5), (60, 20, 0, 0, -1), (60, 50), (20, 50)], close=True,
                       format="xyseb")
    msp.add_point((100, 100))
    # a hatch over a text (the text must stay hidden) and one beside the texts
    msp.add_text("UNTER DER SCHRAFFUR", height=5, dxfattribs={"insert": (100, 20)})
    hatch = msp.add_hatch(color=3)
    hatch.paths.add_polyline_path([(95, 15), (190, 15), (190, 30), (95, 30)], is_closed=True)
    hole = msp.add_hatch(color=5)
    hole.paths.add_polyline_path([(210, 0), (260, 0), (260, 50), (210, 50)], is_closed=True)
    hole.paths.add_polyline_path([(220, 10), (250, 10), (250, 40), (220, 40)], is_closed=True)
    msp.add_mtext("Mehrzeiliger\\PText", dxfattribs={"insert": (210, 80), "char_height": 4})
    wipeout = msp.add_wipeout([(120, 50), (180, 50), (180, 70), (120, 70)])
    wipeout.dxf.flags = 7
    msp.add_text("Auf der Maske", height=3, dxfattribs={"insert": (125, 58)})


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    doc = ezdxf.new("R2010", setup=True)
    doc.header["$INSUNITS"] = 4
    model_content(doc.modelspace())
    doc.saveas(os.path.join(out, "model.dxf"))

    doc = ezdxf.new("R2010", setup=True)
    doc.header["$INSUNITS"] = 4
    model_content(doc.modelspace())
    layout = doc.layouts.new("Blatt")
    layout.page_setup(size=(420, 297), margins=(0, 0, 0, 0), units="mm")
    layout.add_lwpolyline([(10, 10), (410, 10), (410, 287), (10, 287)], close=True)
    layout.add_text("Ansichten", height=7, dxfattribs={"insert": (20, 270)})
    layout.add_viewport(center=(110, 150), size=(180, 120), view_center_point=(100, 60),
                        view_height=130)
    turned = layout.add_viewport(center=(310, 150), size=(160, 160), view_center_point=(150, 60),
                                 view_height=80)
    turned.dxf.view_twist_angle = 30
    layout.add_viewport(center=(310, 45), size=(150, 50), view_center_point=(30, 35),
                        view_height=40)
    doc.saveas(os.path.join(out, "layout.dxf"))

    doc = ezdxf.new("R2010", setup=True)  # a site plan far beyond 200 inches
    doc.header["$INSUNITS"] = 4
    msp = doc.modelspace()
    for i in range(40):
        angle = i * math.pi / 20
        msp.add_line((0, 0), (4000 * math.cos(angle), 4000 * math.sin(angle)))
        msp.add_text(f"R{i}", height=60,
                     dxfattribs={"insert": (3000 * math.cos(angle), 3000 * math.sin(angle))})
    doc.saveas(os.path.join(out, "site.dxf"))


if __name__ == "__main__":
    main()
