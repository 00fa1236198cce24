#!/usr/bin/python3
"""Writes the seeds of the proxy graphic fuzz corpus, and one DXF seed with custom entities for
the DXF import corpus, from the graphics of tests/dxf/proxy_drawing.py. Run from the
repository root."""
import pathlib
import struct
import sys

sys.path.insert(0, "tests/dxf")
import proxy_drawing as pd  # noqa: E402

corpus = pathlib.Path("tests/fuzz/corpus/proxy_graphic")
corpus.mkdir(exist_ok=True)
layers = ["0", "WALLS", "DOORS", "OFF"]
linetypes = ["CONTINUOUS", "DASHED"]


def every_kind():
    g = pd.Graphic()
    g.prim(1, struct.pack("<6d", 0, 0, 0, 10, 10, 0))  # extents
    g.circle((0, 0, 0), 5, (0, 1, 1))  # a tilted circle: an ellipse from above
    g.prim(3, struct.pack("<9d", 0, 0, 0, 10, 0, 0, 5, 5, 0))
    g.fill(True)
    g.arc((0, 0, 0), 5, (0, 1, 0), -2.0, kind=1)
    g.arc((20, 0, 0), 5, (1, 0, 0), 2.0, kind=2)
    g.fill(False)
    g.prim(8, struct.pack("<2L", 2, 2) + struct.pack("<12d", 0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0)
           + struct.pack("<2L", 0, 0))
    g.prim(11, struct.pack("<9d", 0, 0, 0, 0, 0, 1, 0, 1, 0) + pd.Graphic.padded(b"%%c50")
           + struct.pack("<2l4d5L", 5, 0, 2.5, 0.8, 0.2, 0, 1, 0, 0, 0, 0)
           + pd.Graphic.padded(b"isocp.shx") + pd.Graphic.padded(b""))
    u = lambda s: pd.Graphic.padded(s.encode("utf-16-le") + b"\0")  # noqa: E731
    g.prim(38, struct.pack("<9d", 0, 0, 0, 0, 0, -1, 1, 0, 0) + u("Ä\U0001F600")
           + struct.pack("<2l4d9L", 2, 1, 2.5, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0)
           + u("Arial") + u("arial.ttf") + u(""))
    g.prim(12, struct.pack("<6d", 0, 0, 0, 1, 1, 0))
    g.prim(13, struct.pack("<6d", 0, 0, 0, 0, 1, 0))
    g.u32(18, 1), g.u32(18, 32766), g.u32(23, 50), g.u32(23, 0xFFFFFFFE)
    g.prim(24, struct.pack("<d", 2.5))
    g.u32(22, 0xC1000000), g.u32(22, 0xC3000005), g.layer(99)
    g.prim(30, struct.pack("<3d", 0, 0, -1))
    g.prim(44, struct.pack("<3d3d5d", 0, 0, 0, 0, 0, 1, 10, 5, 0, 3.14, 0.5))
    g.prim(32, struct.pack("<L7d", 1, 0, 0, 0, 0, 0, 1, 0)[:-8] + struct.pack("<3d", 0, 0, 1))
    g.pop(), g.pop()
    g.lwpolyline([(0, 0), (10, 0), (10, 10)], [0.5, 0, 0], closed=True)
    return g.data()


def deep_transforms():
    g = pd.Graphic()
    for _ in range(80):
        g.push(1, 1)
    g.polyline([(0, 0, 0), (1, 0, 0)])
    for _ in range(90):
        g.pop()
    g.polyline([(0, 0, 0), (1, 0, 0)])
    return g.data()


seeds = {
    "wall_a.bin": pd.wall_a(layers, linetypes, False),
    "wall_a_clean.bin": pd.wall_a(layers, linetypes, True),
    "wall_b.bin": pd.wall_b(),
    "block.bin": pd.block_graphic(),
    "every_kind.bin": every_kind(),
    "deep_transforms.bin": deep_transforms(),
    "empty.bin": b"",
    "header_only.bin": struct.pack("<2L", 8, 0),
    "huge_counts.bin": struct.pack("<2L", 44, 3) + struct.pack("<3L", 12, 6, 0xFFFFFFFF)
    + struct.pack("<4L", 16, 8, 0x7FFFFFFF, 0x7FFFFFFF) + struct.pack("<4L", 16, 9, 0x10000000, 0),
    "zero_size.bin": struct.pack("<2L", 16, 1) + struct.pack("<2L", 0, 2),
}
seeds["wall_b_cut.bin"] = seeds["wall_b.bin"][: len(seeds["wall_b.bin"]) * 2 // 3]
for name, data in seeds.items():
    (corpus / name).write_bytes(data)

# a DXF of custom entities alone, as small as a reader takes it
dxf = [(0, "SECTION"), (2, "TABLES"), (0, "TABLE"), (2, "LAYER"), (0, "LAYER"), (2, "0"),
       (70, "0"), (62, "7"), (6, "CONTINUOUS"), (0, "LAYER"), (2, "WALLS"), (70, "0"),
       (62, "5"), (6, "CONTINUOUS"), (0, "ENDTAB"), (0, "ENDSEC"), (0, "SECTION"),
       (2, "ENTITIES")]
dxf += pd.proxy_entity("A1", "1F", "WALLS", pd.wall_a(layers, linetypes, False), False)
dxf += pd.custom_entity("A2", "1F", "0", pd.wall_b(), True, color=0)
dxf += [(0, "ENDSEC"), (0, "EOF")]
text = "".join("%3d\n%s\n" % pair for pair in dxf)
pathlib.Path("tests/fuzz/corpus/dxf_import/proxy_entities.dxf").write_text(text)
