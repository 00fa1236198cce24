#!/usr/bin/python3
"""Writes plot style table files (.ctb colour-dependent, .stb named) of our own.

  scripts/plot-style-tables.py ship DIR         the standard tables the installation ships
  scripts/plot-style-tables.py write FILE JSON  one table from a description, for tests

A description (JSON): {"named": false, "description": "...", "scale_factor": 1.0,
"apply_factor": false, "styles": {KEY: STYLE}}, KEY a colour index 1..255 (.ctb) or a style
name (.stb; "Normal" is always there). STYLE: "color": [r, g, b] (0..255; absent: the
object's own), "grayscale": bool, "screen": 0..100, "lineweight": mm (absent: the object's
own), "end": "butt"|"square"|"round"|"diamond", "join": "miter"|"bevel"|"round"|"diamond",
"fill": "solid"|"checkerboard"|"crosshatch"|"diamonds"|"horizontal"|"slant_left"|
"slant_right"|"square_dots"|"vertical". Styles a .ctb description leaves out print with the
object's own colour and line weight.

The file: the header line, "pmzlibcodec", three little-endian 32-bit numbers (the Adler-32
checksum of the compressed text, the text's length, the compressed length), then the
zlib-compressed text, which ends in a NUL.
"""
import json
import struct
import sys
import zlib
from pathlib import Path

LINEWEIGHTS = [0.00, 0.05, 0.09, 0.10, 0.13, 0.15, 0.18, 0.20, 0.25, 0.30, 0.35, 0.40, 0.45,
               0.50, 0.53, 0.60, 0.65, 0.70, 0.80, 0.90, 1.00, 1.06, 1.20, 1.40, 1.58, 2.00, 2.11]
ENDS = {"butt": 0, "square": 1, "round": 2, "diamond": 3}
JOINS = {"miter": 0, "bevel": 1, "round": 2, "diamond": 3}
FILLS = {"solid": 64, "checkerboard": 65, "crosshatch": 66, "diamonds": 67, "horizontal": 68,
         "slant_left": 69, "slant_right": 70, "square_dots": 71, "vertical": 72}
OBJECT_COLOR = -1
OBJECT_LINEWEIGHT = 0  # index 0 of the list: 0 mm, the object's own
OBJECT_END, OBJECT_JOIN, OBJECT_FILL = 4, 5, 73


def color_value(rgb):
    """A set colour: kind byte 0xC2 over red, green, blue, as a signed 32-bit number."""
    if rgb is None:
        return OBJECT_COLOR
    r, g, b = (int(v) & 0xFF for v in rgb)
    value = (0xC2 << 24) | (r << 16) | (g << 8) | b
    return value - (1 << 32)


def style_text(index, name, style, weights):
    color = color_value(style.get("color"))
    policy = 1 | (2 if style.get("grayscale") else 0)
    lineweight = OBJECT_LINEWEIGHT
    if "lineweight" in style:
        mm = round(float(style["lineweight"]), 2)
        if mm not in weights:
            weights.append(mm)
        lineweight = weights.index(mm)
    lines = [
        f" {index}{{",
        f'  name="{name}',
        f'  localized_name="{name}',
        '  description="',
        f"  color={color}",
    ]
    if color != OBJECT_COLOR:
        lines.append(f"  mode_color={color}")
    lines += [
        f"  color_policy={policy}",
        "  physical_pen_number=0",
        "  virtual_pen_number=0",
        f"  screen={int(style.get('screen', 100))}",
        "  linepattern_size=0.5",
        "  linetype=31",
        "  adaptive_linetype=TRUE",
        f"  lineweight={lineweight}",
        f"  fill_style={FILLS.get(style.get('fill'), OBJECT_FILL)}",
        f"  end_style={ENDS.get(style.get('end'), OBJECT_END)}",
        f"  join_style={JOINS.get(style.get('join'), OBJECT_JOIN)}",
        " }",
    ]
    return lines


def table_text(desc):
    named = bool(desc.get("named"))
    styles = desc.get("styles", {})
    weights = list(LINEWEIGHTS)
    head = [
        f'description="{desc.get("description", "")}',
        f"aci_table_available={'FALSE' if named else 'TRUE'}",
        f"scale_factor={float(desc.get('scale_factor', 1.0))}",
        f"apply_factor={'TRUE' if desc.get('apply_factor') else 'FALSE'}",
        "custom_lineweight_display_units=0",
    ]
    body = ["plot_style{"]
    if named:
        names = ["Normal"] + sorted(k for k in styles if k != "Normal")
        for i, name in enumerate(names):
            body += style_text(i, name, styles.get(name, {}), weights)
    else:
        head.append("aci_table{")
        head += [f' {i}="Color_{i + 1}' for i in range(255)]
        head.append("}")
        for i in range(255):
            body += style_text(i, f"Color_{i + 1}", styles.get(str(i + 1), {}), weights)
    body.append("}")
    tail = ["custom_lineweight_table{"] + [f" {i}={w:.2f}" for i, w in enumerate(weights)] + ["}"]
    return "\n".join(head + body + tail) + "\n"


def write_table(path, desc):
    text = table_text(desc).encode("ascii") + b"\0"
    packed = zlib.compress(text)
    kind = "STBVER1" if desc.get("named") else "CTBVER1"
    with open(path, "wb") as f:
        f.write(f"PIAFILEVERSION_2.0,{kind},compress\r\npmzlibcodec".encode("ascii"))
        f.write(struct.pack("<III", zlib.adler32(packed), len(text), len(packed)))
        f.write(packed)


def ship(folder):
    folder = Path(folder)
    folder.mkdir(parents=True, exist_ok=True)
    every = range(1, 256)
    write_table(folder / "monochrome.ctb",
                {"description": "Every colour black",
                 "styles": {str(i): {"color": [0, 0, 0]} for i in every}})
    write_table(folder / "grayscale.ctb",
                {"description": "Every colour as its grey",
                 "styles": {str(i): {"grayscale": True} for i in every}})
    write_table(folder / "acad.ctb", {"description": "Object colours and line weights"})
    write_table(folder / "acad.stb",
                {"named": True, "description": "Object colours and line weights"})


def main(argv):
    if len(argv) == 3 and argv[1] == "ship":
        ship(argv[2])
    elif len(argv) == 4 and argv[1] == "write":
        write_table(argv[2], json.loads(Path(argv[3]).read_text()))
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
