#!/usr/bin/python3
"""Writes the seed drawings of the DXF fuzz corpora: small files that reach every entity
kind, blocks, attributes, text encodings and the binary form, plus a few malformed cuts.
Run: /usr/bin/python3 tests/fuzz/seeds/make_dxf_seeds.py tests/fuzz/corpus/dxf_import"""
import io
import math
import pathlib
import sys

import ezdxf

out = pathlib.Path(sys.argv[1])
out.mkdir(parents=True, exist_ok=True)


def save(doc, name, binary=False):
    path = out / name
    if binary:
        doc.saveas(path, fmt="bin")
    else:
        stream = io.StringIO()
        doc.write(stream)
        # the handle-heavy object section adds nothing for the importer: keep seeds small
        path.write_text(stream.getvalue(), encoding="utf-8", newline="\n")


def entities(version):
    doc = ezdxf.new(version)
    msp = doc.modelspace()
    doc.layers.add("RED", color=1, linetype="DASHED")
    doc.layers.add("OFF", color=3).off()
    msp.add_line((0, 0), (100, 50), dxfattribs={"layer": "RED", "lineweight": 50})
    msp.add_circle((50, 50), 20, dxfattribs={"color": 3})
    msp.add_arc((10, 10), 5, 30, 300)
    msp.add_polyline2d([(0, 0), (5, 5), (9, 1)])
    msp.add_text("Höhe 25 °", dxfattribs={"height": 3.5, "rotation": 30}).set_placement(
        (5, 5), align=ezdxf.enums.TextEntityAlignment.MIDDLE_CENTER)
    if version != "R12":
        msp.add_ellipse((0, 0), (10, 2), 0.4, 0, math.pi)
        msp.add_lwpolyline([(0, 0, 0, 0, 0.5), (10, 0), (10, 10)], format="xyseb", close=True)
        msp.add_spline([(0, 0), (3, 5), (6, -2), (9, 4)])
        msp.add_mtext("Zeile\\Pzwei {\\fArial|b1;fett} \\U+00E4", dxfattribs={"char_height": 2.5})
    msp.add_point((1, 1))
    msp.add_solid([(0, 0), (1, 0), (0, 1), (1, 1)])
    if version != "R12":
        hatch = msp.add_hatch(color=2)
        hatch.paths.add_polyline_path([(0, 0), (4, 0), (4, 4)], is_closed=True)
    return doc


def blocks(version):
    doc = ezdxf.new(version)
    inner = doc.blocks.new("INNER", base_point=(1, 1))
    inner.add_line((0, 0), (2, 2))
    inner.add_text("in", dxfattribs={"height": 1})
    outer = doc.blocks.new("OUTER")
    outer.add_blockref("INNER", (5, 0), dxfattribs={"xscale": -1, "rotation": 45})
    outer.add_attdef("NR", (0, -3), dxfattribs={"height": 2})
    msp = doc.modelspace()
    ref = msp.add_blockref("OUTER", (10, 10), dxfattribs={"xscale": 2, "yscale": 0.5})
    ref.add_auto_attribs({"NR": "A-4711"})
    msp.add_blockref("OUTER", (40, 10), dxfattribs={"layer": "OFF"})
    arr = msp.add_blockref("INNER", (0, 40))
    arr.dxf.column_count = 3
    arr.dxf.row_count = 2
    arr.dxf.column_spacing = 5
    arr.dxf.row_spacing = 5
    return doc


for version in ("R12", "R2000", "R2018"):
    save(entities(version), f"entities_{version}.dxf")
    save(blocks(version), f"blocks_{version}.dxf")
save(entities("R2000"), "entities_R2000_bin.dxf", binary=True)
save(blocks("R12"), "blocks_R12_bin.dxf", binary=True)

# Hand-made cuts: the smallest files and the malformed ones that readers meet in practice.
(out / "minimal_r12.dxf").write_text("0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0\n20\n0\n11\n1\n21\n1\n0\nENDSEC\n0\nEOF\n")
(out / "no_eof.dxf").write_text("0\nSECTION\n2\nENTITIES\n0\nCIRCLE\n8\n0\n10\n0\n20\n0\n40\n5\n")
(out / "crlf_codepage.dxf").write_bytes(
    b"0\r\nSECTION\r\n2\r\nHEADER\r\n9\r\n$ACADVER\r\n1\r\nAC1009\r\n9\r\n$DWGCODEPAGE\r\n3\r\nANSI_1251\r\n0\r\nENDSEC\r\n"
    b"0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\nTEXT\r\n8\r\n0\r\n10\r\n0\r\n20\r\n0\r\n40\r\n2\r\n1\r\n\xcf\xf0\xe8\r\n0\r\nENDSEC\r\n0\r\nEOF\r\n")
(out / "self_insert.dxf").write_text(
    "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nA\n10\n0\n20\n0\n0\nINSERT\n2\nA\n10\n1\n20\n0\n0\nENDBLK\n0\nENDSEC\n"
    "0\nSECTION\n2\nENTITIES\n0\nINSERT\n2\nA\n10\n0\n20\n0\n0\nENDSEC\n0\nEOF\n")
(out / "huge_counts.dxf").write_text(
    "0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n8\n0\n90\n2000000000\n10\n0\n20\n0\n0\n"
    "INSERT\n2\nNONE\n70\n30000\n71\n30000\n10\n0\n20\n0\n0\nENDSEC\n0\nEOF\n")
(out / "not_finite.dxf").write_text(
    "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\nnan\n20\n1e308\n11\ninf\n21\n-1e999\n0\nCIRCLE\n10\n0\n20\n0\n40\n-5\n0\nENDSEC\n0\nEOF\n")
