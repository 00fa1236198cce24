#!/usr/bin/python3
"""Writes a DXF drawing whose custom objects are stored as proxy graphics, for the import tests.

usage: proxy_drawing.py OUT.dxf [R2000|R2018] [--blob FILE] [--clean]

--blob writes wall A's graphic to FILE as well; --clean leaves out the unknown and broken
primitives (peers that stop at them can then draw the drawing for comparison).

python3-ezdxf writes the ordinary part of the drawing; the custom entities are added to the
text afterwards, as CAD programs write them: ACAD_PROXY_ENTITY (its graphic in the
AcDbProxyEntity subclass) and a custom kind ACME_WALL (its graphic in AcDbEntity), each with a
class in the CLASSES section. R2000 files give the graphic's byte count in group 92, R2018
files in group 160; the graphic follows as 310 groups of at most 127 bytes in hex.

The graphic (all numbers little-endian):
  header       u32 total size, u32 number of primitives
  primitive    u32 size (with these 8 bytes), u32 type, data
  points       3 x f64;  strings: zero-terminated, padded to 4 bytes (UTF-16 in type 36)
  2  circle        centre, f64 radius, normal
  4  arc           centre, f64 radius, normal, start direction, f64 sweep (rad), u32 kind
  5  arc 3 points  start, middle, end, u32 kind
  6  polyline      u32 n, n points            7  polygon (closed), the same
  9  shell         u32 n, n points, u32 entries, faces (i32 count, count x u32), edge traits
  10 text          position, normal, direction, f64 height, f64 width, f64 oblique, string
  33 lwpolyline    u32 bytes, then the bit-packed form of DWG files
  36 unicode text  as 10, with a UTF-16 string
  14 colour u32 (0 by block, 256 by layer)   16 layer u32 index   18 line type u32 index
  20 fill u32     22 true colour u32 (0xC2RRGGBB)   23 line weight i32
  29 push transform 16 x f64 (rows of a 4x4 matrix)   31 pop transform

Model space (millimetres):
  wall A   ACAD_PROXY_ENTITY on WALLS: outline (polygon), a filled core (true colour), a red
           axis (line type DASHED, weight 0.50 mm), a circle, an arc, a text "WALL-A" (line
           type and weight by layer again); an unknown primitive in the middle; a
           primitive on the layer OFF (switched off); a last primitive cut short.
  wall B   ACME_WALL on DOORS, colour 6: shell (a square with a hidden diagonal), a door leaf as
           a light-weight polyline with a bulge, a 3-point arc, a unicode text, a polyline
           moved by a transform (+5000, +0) and one after the transform is popped.
  hidden   ACME_WALL marked invisible (group 60).
  block    WALLBLK holds an ACAD_PROXY_ENTITY of colour BYBLOCK (a square 0..100 and a line
           with colour attribute 0, by block), inserted red at (0, 2000) and green at
           (6000, 2000), turned 90 degrees and scaled 2.
"""
import struct
import sys

import ezdxf


class BitWriter:
    """The bit-packed numbers of DWG files: bits from each byte's highest, bytes little-endian."""

    def __init__(self):
        self.bits = []

    def put(self, value, n):
        self.bits += [(value >> (n - 1 - k)) & 1 for k in range(n)]

    def raw(self, data):
        for b in data:
            self.put(b, 8)

    def bit_short(self, v):
        if 0 <= v < 256:
            self.put(1, 2), self.put(v, 8)
        else:
            self.put(0, 2), self.raw(struct.pack("<h", v))

    def bit_long(self, v):
        if 0 <= v < 256:
            self.put(1, 2), self.put(v, 8)
        else:
            self.put(0, 2), self.raw(struct.pack("<l", v))

    def bit_double(self, v):
        if v == 0:
            self.put(2, 2)
        elif v == 1:
            self.put(1, 2)
        else:
            self.put(0, 2), self.raw(struct.pack("<d", v))

    def bit_double_default(self, v, default):
        if v == default:
            self.put(0, 2)
        else:
            self.put(3, 2), self.raw(struct.pack("<d", v))

    def data(self):
        bits = self.bits + [0] * (-len(self.bits) % 8)
        return bytes(int("".join(map(str, bits[k:k + 8])), 2) for k in range(0, len(bits), 8))


class Graphic:
    def __init__(self):
        self.items = []

    def prim(self, kind, payload, size=None):
        self.items.append(struct.pack("<2L", size or len(payload) + 8, kind) + payload)

    def data(self):
        body = b"".join(self.items)
        return struct.pack("<2L", len(body) + 8, len(self.items)) + body

    @staticmethod
    def padded(raw):
        return raw + b"\0" * (4 - len(raw) % 4)

    def circle(self, c, r, n=(0, 0, 1)):
        self.prim(2, struct.pack("<3dd3d", *c, r, *n))

    def arc(self, c, r, start, sweep, kind=0, n=(0, 0, 1)):
        self.prim(4, struct.pack("<3dd3d3ddL", *c, r, *n, *start, sweep, kind))

    def arc3p(self, a, b, c):
        self.prim(5, struct.pack("<9dL", *a, *b, *c, 0))

    def polyline(self, pts, closed=False):
        self.prim(7 if closed else 6,
                  struct.pack("<L", len(pts)) + b"".join(struct.pack("<3d", *p) for p in pts))

    def shell(self, pts, faces, visible):
        data = struct.pack("<L", len(pts)) + b"".join(struct.pack("<3d", *p) for p in pts)
        entries = sum(1 + len(f) for f in faces)
        data += struct.pack("<L", entries)
        for f in faces:
            data += struct.pack("<l", len(f)) + struct.pack("<%dL" % len(f), *f)
        data += struct.pack("<L", 0x40) + struct.pack("<%dL" % len(visible), *visible)
        data += struct.pack("<L", 0)  # no face traits
        self.prim(9, data)

    def text(self, at, s, h, direction=(1, 0, 0)):
        self.prim(10, struct.pack("<9d3d", *at, 0, 0, 1, *direction, h, 1, 0) +
                  self.padded(s.encode("cp1252")))

    def unicode_text(self, at, s, h, direction=(1, 0, 0)):
        self.prim(36, struct.pack("<9d3d", *at, 0, 0, 1, *direction, h, 1, 0) +
                  self.padded(s.encode("utf-16-le") + b"\0"))

    def lwpolyline(self, pts, bulges, closed=False):
        w = BitWriter()
        w.bit_short((16 if any(bulges) else 0) | (512 if closed else 0))
        w.bit_long(len(pts))
        if any(bulges):
            w.bit_long(len(bulges))
        w.raw(struct.pack("<2d", *pts[0]))
        for prev, p in zip(pts, pts[1:]):
            w.bit_double_default(p[0], prev[0])
            w.bit_double_default(p[1], prev[1])
        if any(bulges):
            for b in bulges:
                w.bit_double(b)
        data = w.data()
        self.prim(33, struct.pack("<L", len(data)) + data)

    def u32(self, kind, v):
        self.prim(kind, struct.pack("<L", v))

    def color(self, aci):
        self.u32(14, aci)

    def true_color(self, rgb):
        self.u32(22, 0xC2000000 | rgb)

    def layer(self, index):
        self.u32(16, index)

    def fill(self, on):
        self.u32(20, 1 if on else 0)

    def push(self, dx, dy):
        self.prim(29, struct.pack("<16d", 1, 0, 0, dx, 0, 1, 0, dy, 0, 0, 1, 0, 0, 0, 0, 1))

    def pop(self):
        self.prim(31, b"")


def wall_a(layers, linetypes, clean):
    g = Graphic()
    g.polyline([(0, 0, 0), (4000, 0, 0), (4000, 200, 0), (0, 200, 0)], closed=True)
    g.fill(True)
    g.true_color(0x808080)
    g.polyline([(0, 50, 0), (4000, 50, 0), (4000, 150, 0), (0, 150, 0)], closed=True)
    g.fill(False)
    g.color(1)
    g.u32(18, linetypes.index("DASHED"))
    g.u32(23, 50)
    g.polyline([(0, 100, 0), (4000, 100, 0)])
    g.u32(18, 32767)  # by layer
    g.prim(23, struct.pack("<l", -1))
    if not clean:
        g.prim(99, b"\1\2\3\4")  # a kind nobody knows: skipped
    g.circle((2000, 100, 0), 50)
    g.arc((1000, 100, 0), 80, (1, 0, 0), 3.141592653589793)
    g.text((100, 250, 0), "WALL-A", 100)
    g.layer(layers.index("OFF"))
    g.polyline([(0, -500, 0), (4000, -500, 0)])
    g.layer(layers.index("WALLS"))
    if not clean:
        g.prim(6, struct.pack("<L", 1000) + b"\0" * 24)  # claims 1000 points, holds one
        g.prim(6, b"\0" * 8, size=10_000)  # runs past the end: the graphic stops here
    return g.data()


def wall_b():
    g = Graphic()
    g.shell([(0, 1000, 0), (1000, 1000, 0), (1000, 1200, 0), (0, 1200, 0)],
            [[0, 1, 2], [0, 2, 3]], [1, 1, 0, 0, 1, 1])
    g.lwpolyline([(1200, 1000), (1200, 1800), (2000, 1000)], [0, -0.41421356, 0])
    g.arc3p((3000, 1000, 0), (3100, 1100, 0), (3200, 1000, 0))
    g.unicode_text((100, 1300, 0), "Tür 1", 50)
    g.push(5000, 0)
    g.polyline([(0, 1500, 0), (500, 1500, 0)])
    g.pop()
    g.polyline([(0, 1600, 0), (500, 1600, 0)])
    return g.data()


def block_graphic():
    g = Graphic()
    g.polyline([(0, 0, 0), (100, 0, 0), (100, 100, 0), (0, 100, 0)], closed=True)
    g.color(0)
    g.polyline([(0, 0, 0), (100, 100, 0)])
    return g.data()


def hex_chunks(code, data):
    pairs = [(code, str(len(data)))]
    for k in range(0, len(data), 127):
        pairs.append((310, data[k:k + 127].hex().upper()))
    return pairs


def proxy_entity(handle, owner, layer, data, r2018, color=None, invisible=False):
    pairs = [(0, "ACAD_PROXY_ENTITY"), (5, handle), (330, owner), (100, "AcDbEntity"),
             (8, layer)]
    if invisible:
        pairs.append((60, "1"))
    if color is not None:
        pairs.append((62, str(color)))
    pairs += [(100, "AcDbProxyEntity"), (90, "498"), (91, "500")]
    pairs += hex_chunks(160 if r2018 else 92, data)
    pairs += [(161 if r2018 else 93, "0"), (94, "0"), (95, "0"), (70, "0")]
    return pairs


def custom_entity(handle, owner, layer, data, r2018, color=None, invisible=False):
    pairs = [(0, "ACME_WALL"), (5, handle), (330, owner), (100, "AcDbEntity"), (8, layer)]
    if invisible:
        pairs.append((60, "1"))
    if color is not None:
        pairs.append((62, str(color)))
    pairs += hex_chunks(160 if r2018 else 92, data)
    pairs += [(100, "AcmeDbWall"), (40, "200.0"), (90, "7")]
    return pairs


CLASSES = [(0, "CLASS"), (1, "ACME_WALL"), (2, "AcmeDbWall"), (3, "AcmeWalls"), (90, "0"),
           (91, "2"), (280, "1"), (281, "1")]


def main():
    args = sys.argv[1:]
    blob = None
    clean = "--clean" in args
    if clean:
        args.remove("--clean")
    if "--blob" in args:
        k = args.index("--blob")
        blob = args[k + 1]
        del args[k:k + 2]
    out = args[0]
    version = args[1] if len(args) > 1 else "R2018"
    r2018 = version >= "R2013"
    doc = ezdxf.new(version)
    doc.header["$INSUNITS"] = 4
    doc.layers.add("WALLS", color=5)
    doc.layers.add("DOORS", color=3)
    doc.layers.add("OFF", color=1).off()
    doc.linetypes.add("DASHED", pattern=[15, 10, -5])
    layers = [layer.dxf.name for layer in doc.layers]
    # the graphic counts line types after BYBLOCK and BYLAYER
    linetypes = [lt.dxf.name for lt in doc.linetypes
                 if lt.dxf.name.upper() not in ("BYBLOCK", "BYLAYER")]
    block = doc.blocks.new("WALLBLK")
    msp = doc.modelspace()
    msp.add_blockref("WALLBLK", (0, 2000), dxfattribs={"color": 1})
    msp.add_blockref("WALLBLK", (6000, 2000),
                     dxfattribs={"color": 3, "rotation": 90, "xscale": 2, "yscale": 2})
    handles = [doc.entitydb.next_handle() for _ in range(4)]
    msp_owner = msp.block_record_handle
    block_owner = block.block_record_handle
    a = wall_a(layers, linetypes, clean)
    if blob:
        with open(blob, "wb") as f:
            f.write(a)
    in_msp = (proxy_entity(handles[0], msp_owner, "WALLS", a, r2018) +
              custom_entity(handles[1], msp_owner, "DOORS", wall_b(), r2018, color=6) +
              custom_entity(handles[2], msp_owner, "DOORS", wall_b(), r2018, invisible=True))
    in_block = proxy_entity(handles[3], block_owner, "0", block_graphic(), r2018, color=0)
    doc.saveas(out)

    with open(out, encoding="cp1252") as f:
        lines = f.read().split("\n")
    pairs = [(int(lines[k]), lines[k + 1]) for k in range(0, len(lines) - 1, 2)]
    section = None
    result = []
    in_wallblk = False
    for code, value in pairs:
        if code == 2 and result and result[-1] == (0, "SECTION"):
            section = value
        if section == "BLOCKS" and code == 2 and value == "WALLBLK":
            in_wallblk = True
        if code == 0 and value == "ENDBLK" and in_wallblk:
            result += in_block
            in_wallblk = False
        if code == 0 and value == "ENDSEC" and section == "ENTITIES":
            result += in_msp
        if code == 0 and value == "ENDSEC" and section == "CLASSES":
            result += CLASSES
        result.append((code, value))
    with open(out, "w", encoding="cp1252") as f:
        for code, value in result:
            f.write("%3d\n%s\n" % (code, value))


if __name__ == "__main__":
    main()
