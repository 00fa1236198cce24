// DXF import of the entity kinds beyond lines and texts: hatches, points, faces and meshes,
// wide polylines, multileaders, wipeouts, images, multilines, helices, construction lines.
#include <gmock/gmock.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "dxf_fixture.h"
#include "host/formats/dxf.h"
#include "host/formats/dxf_style.h"

namespace tavrin_test {
namespace {

using host::Element;
using host::ElementKind;

// Every entity stands in its own band of 100 units along x: band i from x = 100 i.
constexpr const char* kEntitiesScript = R"(
import sys, ezdxf, ezdxf.math, ezdxf.render.mleader
from ezdxf.render import forms
doc = ezdxf.new("R2018", setup=True)
doc.header["$INSUNITS"] = 4  # millimetres
doc.header["$PDMODE"] = 35
doc.header["$PDSIZE"] = 4
msp = doc.modelspace()
h = msp.add_hatch(color=1)
h.paths.add_polyline_path([(0, 0), (50, 0), (50, 50), (0, 50)], is_closed=True, flags=1)
h.paths.add_polyline_path([(20, 20), (30, 20), (30, 30), (20, 30)], is_closed=True, flags=16)
h = msp.add_hatch(color=2)
h.set_pattern_fill("ANSI31", scale=2)
p = h.paths.add_edge_path()
p.add_line((100, 0), (150, 0)); p.add_arc((150, 25), 25, -90, 90)
p.add_line((150, 50), (100, 50)); p.add_line((100, 50), (100, 0))
h = msp.add_hatch()
h.set_gradient((255, 0, 0), (0, 0, 255))
h.paths.add_polyline_path([(200, 0), (250, 0), (225, 40)], is_closed=True)
msp.add_point((300, 10))
msp.add_3dface([(400, 0, 0), (440, 0, 5), (440, 30, 5), (400, 30, 0)])
pf = msp.add_polyface()
for face in forms.cube().translate(500, 0, 0).faces_as_vertices(): pf.append_face(face)
pf.optimize()
mesh = msp.add_polymesh(size=(3, 4))
for m in range(3):
    for n in range(4): mesh.set_mesh_vertex((m, n), (600 + n * 10, m * 10, m * n))
msp.add_lwpolyline([(700, 0), (750, 0), (750, 40)], dxfattribs={"const_width": 4})
msp.add_lwpolyline([(800, 0, 0, 6), (840, 0, 0, 0)], format="xyseb")
msp.add_polyline2d([(900, 0), (940, 0), (940, 30)],
                   dxfattribs={"default_start_width": 2, "default_end_width": 2})
ml = msp.add_multileader_mtext("Standard")
ml.set_content("Hinweis", char_height=2.5, color=3)
ml.set_leader_properties(color=1)
ml.add_leader_line(ezdxf.render.mleader.ConnectionSide.left, [(1000, 0)])
ml.build(insert=ezdxf.math.Vec2(1030, 20))
msp.add_wipeout([(1100, 0), (1150, 0), (1150, 30), (1100, 30)])
doc.set_raster_variables(frame=1)  # image frames shown and plotted
img_def = doc.add_image_def(filename="C:\\Bilder\\bild.png", size_in_pixel=(640, 480))
msp.add_image(img_def, insert=(1200, 0), size_in_units=(64, 48))
msp.add_mline([(1300, 0), (1350, 0), (1350, 40)])
msp.add_helix(radius=20, pitch=5, turns=3).translate(1420, 20, 0)
doc.styles.add("SCHMAL", font="arial.ttf").dxf.width = 0.7
msp.add_attdef("TAG", (1500, 10), dxfattribs={"height": 5, "text_generation_flag": 2, "style": "SCHMAL",
                                              "halign": 2, "align_point": (1500, 10)})
msp.add_solid([(1600, 0), (1640, 0), (1600, 30), (1640, 30)])
msp.add_xline((1700, 10), (1, 0))
msp.add_arc_dim_3p(base=(1830, 40), center=(1800, 0), p1=(1830, 0), p2=(1800, 30)).render()
doc.dimstyles.new("GROSS", dxfattribs={"dimtxt": 2, "dimscale": 2, "dimtxsty": "SCHMAL"})
msp.new_entity("TOLERANCE", {"insert": (1900, 10), "content": "{\\Fgdt;j}%%v0.1%%vA",
                             "dimstyle": "GROSS"})
msp.add_lwpolyline([(2000, 0), (2040, 0), (2040, 40), (2000, 40)], close=True,
                   dxfattribs={"const_width": 2})
msp.add_leader([(2100, 0), (2120, 10), (2130, 10)])
forms.cube().scale_uniform(20).translate(2220, 10, 0).render_mesh(msp)
msp.add_mtext_static_columns(["eins", "zwei"], width=20, gutter_width=2, height=30,
                             dxfattribs={"insert": (2300, 10), "char_height": 2.5})
msp.add_lwpolyline([(2400, 0), (2460, 0), (2430, 20), (2430, -20)], dxfattribs={"const_width": 2})
msp.add_lwpolyline([(2500, 0), (2560, 0), (2500, 10)], dxfattribs={"const_width": 2})
msp.add_line((2600, 0), (2640, 0), dxfattribs={"layer": "Defpoints"})
msp.add_line((2700, 0), (2740, 0), dxfattribs={"lineweight": 0})
msp.add_3dface([(2800, 0), (2840, 0), (2840, 30), (2800, 30)], dxfattribs={"invisible": 5})
t = msp.new_entity("TOLERANCE", {"insert": (2900, 10), "content": "0.2", "dimstyle": "GROSS"})
t.set_xdata("ACAD", [(1000, "DSTYLE"), (1002, "{"), (1070, 140), (1040, 3.0), (1070, 176),
                     (1070, 1), (1070, 178), (1070, 5), (1002, "}")])
msp.add_3dsolid()
msp.add_region()
doc.saveas(sys.argv[1])
)";

int band_of(const Element& e) {
  return static_cast<int>(std::floor((e.points.front().x + 5) / 100));
}

class DxfEntitiesTest : public DxfTest {
 protected:
  void SetUp() override {
    DxfTest::SetUp();
    const std::string file = path("entities.dxf");
    python(kEntitiesScript, "'" + file + "'");
    write("bild.png", "");  // found beside the drawing, whatever folder the drawing names
    host::Drawing d = host::read_dxf_file(file);
    notes_ = d.notes;
    sheet_ = d.sheets.at(0);
  }
  std::vector<const Element*> in_band(int band, ElementKind kind) const {
    std::vector<const Element*> out;
    for (const auto& e : sheet_.elements)
      if (e.kind == kind && !e.points.empty() && band_of(e) == band) out.push_back(&e);
    return out;
  }
  host::Sheet sheet_;
  std::vector<std::string> notes_;
};

TEST_F(DxfEntitiesTest, EveryKindIsDrawn) {
  struct Case {
    int band;
    ElementKind kind;
    std::size_t count;  // 0: at least one
    const char* what;
  };
  const Case cases[] = {
      {0, ElementKind::Fill, 1, "solid hatch"},
      {2, ElementKind::Fill, 1, "gradient hatch"},
      {3, ElementKind::Line, 2, "point drawn as a cross"},
      {3, ElementKind::Circle, 1, "and a circle around it"},
      {4, ElementKind::Polyline, 1, "3D face"},
      {5, ElementKind::Polyline, 12, "polyface cube: each edge once"},
      {6, ElementKind::Polyline, 7, "3 x 4 polygon mesh: rows and columns"},
      {7, ElementKind::Fill, 2, "constant width: a band per segment"},
      {8, ElementKind::Fill, 1, "start and end width"},
      {9, ElementKind::Fill, 2, "2D polyline with default widths"},
      {10, ElementKind::Text, 1, "multileader text"},
      {10, ElementKind::Fill, 1, "multileader arrowhead"},
      {11, ElementKind::Mask, 1, "wipeout"},
      {12, ElementKind::Polyline, 1, "image frame"},
      {13, ElementKind::Polyline, 2, "multiline of the standard style"},
      {14, ElementKind::Polyline, 1, "helix"},
      {15, ElementKind::Text, 1, "attribute definition"},
      {16, ElementKind::Fill, 1, "solid"},
      {18, ElementKind::Text, 1, "arc dimension"},
      {19, ElementKind::Polyline, 3, "tolerance frame of three fields"},
      {19, ElementKind::Text, 3, "tolerance texts"},
      {21, ElementKind::Fill, 1, "leader arrowhead"},
      {22, ElementKind::Polyline, 8, "subdivision mesh cube: each edge once, upright ones unseen"},
      {23, ElementKind::Text, 1, "MTEXT in columns"},
      {24, ElementKind::Fill, 3, "self-crossing wide polyline: no outline with holes"},
      {26, ElementKind::Line, 0, "nothing on the layer that dimensions keep their points on"},
      {27, ElementKind::Line, 1, "line weight 0"},
      {28, ElementKind::Line, 2, "3D face with its first and third edge invisible"},
  };
  for (const Case& c : cases) {
    const auto found = in_band(c.band, c.kind);
    if (c.band == 26)
      EXPECT_TRUE(found.empty()) << c.what;
    else if (c.count == 0)
      EXPECT_FALSE(found.empty()) << c.what;
    else
      EXPECT_EQ(found.size(), c.count) << c.what;
  }
  // the pattern hatch draws lines inside its boundary only
  const auto pattern = in_band(1, ElementKind::Line);
  EXPECT_GT(pattern.size(), 10u);
  for (const Element* e : pattern)
    for (const auto& p : e->points) {
      EXPECT_GE(p.x, 100 - 1e-6);
      EXPECT_LE(p.x, 175 + 1e-6);
      EXPECT_GE(p.y, -1e-6);
      EXPECT_LE(p.y, 50 + 1e-6);
    }
}

TEST_F(DxfEntitiesTest, ShapesKeepTheirGeometry) {
  const Element& hatch = *in_band(0, ElementKind::Fill).at(0);
  EXPECT_EQ(hatch.rings, (std::vector<std::uint32_t>{4, 4}));  // the hole is a second ring
  EXPECT_EQ(hatch.stroke.color, (host::Rgb{1, 0, 0}));
  EXPECT_EQ(in_band(2, ElementKind::Fill).at(0)->stroke.color, (host::Rgb{1, 0, 0}));
  // constant width 4 along an L: the outer corner mitred at (752, -2)
  const Element& wide = *in_band(7, ElementKind::Fill).at(0);
  EXPECT_NE(std::find(wide.points.begin(), wide.points.end(), host::Vec2{752, -2}),
            wide.points.end());
  // a closed wide polyline: a band per side, mitred at every corner to the next
  const auto frame = in_band(20, ElementKind::Fill);
  ASSERT_EQ(frame.size(), 4u);
  EXPECT_EQ(frame[0]->points,
            (std::vector<host::Vec2>{{2001, 1}, {2039, 1}, {2041, -1}, {1999, -1}}));
  // a sharp turn keeps its whole mitre, as CAD programs draw it
  double reach = 0;
  for (const Element* e : in_band(25, ElementKind::Fill))
    for (const auto& p : e->points) reach = std::max(reach, p.x);
  EXPECT_GT(reach, 2570);
  // a multileader's text and leader in their own colours; a tolerance's text as its style says
  EXPECT_EQ(in_band(10, ElementKind::Text).at(0)->stroke.color, (host::Rgb{0, 1, 0}));
  EXPECT_EQ(in_band(10, ElementKind::Fill).at(0)->stroke.color, (host::Rgb{1, 0, 0}));
  EXPECT_EQ(in_band(19, ElementKind::Text).at(0)->text.size, 4);
  EXPECT_EQ(in_band(19, ElementKind::Text).at(0)->text.font, "arial.ttf");  // the style's
  // the tolerance's own overrides of its style: text height and the colours of text and frame
  const Element& overridden = *in_band(29, ElementKind::Text).at(0);
  EXPECT_EQ(overridden.text.size, 6);
  EXPECT_EQ(overridden.stroke.color, (host::Rgb{0, 0, 1}));
  EXPECT_EQ(in_band(29, ElementKind::Polyline).at(0)->stroke.color, (host::Rgb{1, 0, 0}));
  // the MTEXT's own insertion point and direction, not those of its column data
  const Element& columns = *in_band(23, ElementKind::Text).at(0);
  EXPECT_EQ(columns.points.at(0), (host::Vec2{2300, 10}));
  EXPECT_EQ(columns.text.angle, 0);
  EXPECT_EQ(columns.text.size, 2.5);
  EXPECT_EQ(columns.text.adjust, 7);  // top left
  // line weight 0 is the thinnest pen, not the default one
  const double hairline = in_band(27, ElementKind::Line).at(0)->stroke.pensize;
  EXPECT_GT(hairline, 0);
  EXPECT_LT(hairline, 0.05);
  EXPECT_EQ(in_band(12, ElementKind::Polyline).at(0)->points.size(), 4u);
  const Element& image = *in_band(12, ElementKind::Image).at(0);
  EXPECT_EQ(image.source, path("bild.png"));
  EXPECT_EQ(image.points, (std::vector<host::Vec2>{{1200, 0}, {1264, 0}, {1200, 48}}));
  const host::TextProps& tag = in_band(15, ElementKind::Text).at(0)->text;
  EXPECT_EQ(tag.lines.at(0), "TAG");
  EXPECT_TRUE(tag.backward);  // written backwards, as the definition says
  EXPECT_FALSE(tag.upside_down);
  EXPECT_EQ(tag.adjust, 3);          // aligned right
  EXPECT_EQ(tag.font, "arial.ttf");  // in its own text style
  EXPECT_EQ(tag.ratio, 0.7);
  // the construction line runs across the other content and no further
  const auto extent = sheet_.extent();
  ASSERT_TRUE(extent);
  bool found = false;
  for (const auto& e : sheet_.elements)
    if (e.kind == ElementKind::Line && e.points[0].y == 10 && e.points[1].y == 10 &&
        e.points[0].x == extent->first.x && e.points[1].x == extent->second.x)
      found = true;
  EXPECT_TRUE(found);
  // solid models are reported once, not drawn
  ASSERT_EQ(notes_.size(), 1u);
  EXPECT_THAT(notes_[0], ::testing::HasSubstr("2 solid models"));
}

// Two images and the drawing's image frame setting, which ezdxf writes only as 0 or 1.
constexpr const char* kImageFrameScript = R"py(
import sys, os, re, struct, zlib, ezdxf
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
png = chunk(b"IHDR", struct.pack(">IIBBBBB", 1, 1, 8, 2, 0, 0, 0)) + chunk(b"IDAT", zlib.compress(b"\0\xff\0\0"))
with open(os.path.join(os.path.dirname(sys.argv[1]), "bild.png"), "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + png + chunk(b"IEND", b""))
doc = ezdxf.new("R2010")
frame = int(sys.argv[2])
doc.set_raster_variables(frame=min(frame, 1))
img = doc.add_image_def(filename="bild.png", size_in_pixel=(64, 48))
for clipping in (1, 0):  # a triangle of the picture, the clipping on or off
    image = doc.modelspace().add_image(img, insert=(0, 0), size_in_units=(64, 48))
    image.set_boundary_path([(0, 0), (64, 0), (32, 48)])
    image.dxf.clipping = clipping
doc.modelspace().add_line((0, 0), (100, 100))
doc.saveas(sys.argv[1])
text = re.sub(r"(AcDbRasterVariables\n 90\n *0\n 70\n *)\d", r"\g<1>%d" % frame, open(sys.argv[1]).read())
open(sys.argv[1], "w").write(text)
)py";

TEST_F(DxfEntitiesTest, ImageFramesAndClippingFollowTheDrawingsSettings) {
  // 0 frames off, 1 shown and plotted, 2 shown on screen only
  for (const auto& [setting, frames] : {std::pair{0, false}, {1, true}, {2, false}}) {
    const std::string file = path("frame" + std::to_string(setting) + ".dxf");
    python(kImageFrameScript, "'" + file + "' " + std::to_string(setting));
    const host::Drawing d = host::read_dxf_file(file);
    std::vector<std::size_t> corners;   // of each frame: the triangle, or all of the picture
    std::vector<std::size_t> pictures;  // points: 3 corners, then the boundary that cuts it
    for (const Element& e : d.sheets.at(0).elements) {
      if (e.kind == ElementKind::Polyline) corners.push_back(e.points.size());
      if (e.kind == ElementKind::Image) pictures.push_back(e.points.size());
      EXPECT_EQ(e.sketch, "");
    }
    const std::vector<std::size_t> expected =
        frames ? std::vector<std::size_t>{3, 4} : std::vector<std::size_t>{};
    EXPECT_EQ(corners, expected) << setting;
    EXPECT_EQ(pictures, (std::vector<std::size_t>{6, 3})) << setting;
  }
}

// Polygons (MPOLYGON), 100 units apart: a solid fill with a hole, a boundary without fill, a
// pattern fill, a solid fill with a bulge and an offset of the whole.
constexpr const char* kPolygonScript = R"py(
import sys, ezdxf
doc = ezdxf.new("R2010")
doc.header["$INSUNITS"] = 4  # millimetres
msp = doc.modelspace()
mp = msp.add_mpolygon(color=1, fill_color=3)
mp.paths.add_polyline_path([(0, 0), (40, 0), (40, 30), (0, 30)], is_closed=True, flags=1)
mp.paths.add_polyline_path([(10, 10), (20, 10), (20, 20), (10, 20)], is_closed=True, flags=16)
mp = msp.add_mpolygon(color=5, fill_color=None)
mp.paths.add_polyline_path([(100, 0), (140, 0), (120, 30)], is_closed=True)
mp = msp.add_mpolygon()
mp.set_pattern_fill("ANSI31", color=2, scale=1)
mp.paths.add_polyline_path([(200, 0), (240, 0), (240, 30), (200, 30)], is_closed=True)
mp = msp.add_mpolygon(color=6, fill_color=4)
mp.paths.add_polyline_path([(280, 0, 0), (320, 0, 1), (320, 30, 0), (280, 30, 0)], is_closed=True)
mp.dxf.offset_vector = (20, 5)
doc.saveas(sys.argv[1])
)py";

TEST_F(DxfEntitiesTest, PolygonsFillInTheirFillColourUnderTheirBoundary) {
  const std::string file = path("mpolygon.dxf");
  python(kPolygonScript, "'" + file + "'");
  const host::Drawing d = host::read_dxf_file(file);
  struct Case {
    int fill_aci;  // 0: no fill
    int line_aci;
    std::size_t rings, pattern_lines;
    double left;  // of the boundary
  } cases[] = {{3, 1, 2, 0, 0}, {0, 5, 1, 0, 100}, {0, 2, 1, 15, 200}, {4, 6, 1, 0, 300}};
  for (std::size_t band = 0; band < std::size(cases); ++band) {
    const Case& c = cases[band];
    std::size_t fills = 0, rings = 0, lines = 0;
    double left = 1e9;
    for (const Element& e : d.sheets.at(0).elements) {
      if (static_cast<std::size_t>(e.points.at(0).x / 100) != band) continue;
      if (e.kind == ElementKind::Fill) {
        EXPECT_EQ(e.stroke.color, host::dxf::aci_to_rgb(c.fill_aci)) << band;
        ++fills;
      } else {
        EXPECT_EQ(e.stroke.color, host::dxf::aci_to_rgb(c.line_aci)) << band;
        rings += e.kind == ElementKind::Polyline && e.closed;
        lines += e.kind == ElementKind::Line;
        for (const auto& p : e.points) left = std::min(left, p.x);
      }
    }
    EXPECT_EQ(fills, c.fill_aci ? 1u : 0u) << band;
    EXPECT_EQ(rings, c.rings) << band;
    EXPECT_GE(lines, c.pattern_lines) << band;
    EXPECT_DOUBLE_EQ(left, c.left) << band;
  }
}

// Two references to a square with a line across: the first clipped (XCLIP) to a triangle.
// The spatial filter is written by hand into the place of a record, as ezdxf does not write one.
constexpr const char* kClipScript = R"py(
import sys, re, ezdxf
doc = ezdxf.new("R2010")
doc.header["$INSUNITS"] = 4  # millimetres
blk = doc.blocks.new("QUADRAT")
blk.add_lwpolyline([(0, 0), (10, 0), (10, 10), (0, 10)], close=True)
blk.add_line((0, 5), (10, 5))
msp = doc.modelspace()
for x in (100, 200):
    ref = msp.add_blockref("QUADRAT", (x, 0))
    if x == 100:
        filters = ref.new_extension_dict().dictionary.add_new_dict("ACAD_FILTER", hard_owned=True)
        holder = filters.add_xrecord("SPATIAL")
doc.saveas(sys.argv[1])
# The placeholder record becomes the spatial filter: a triangle in world coordinates.
h, owner = holder.dxf.handle, holder.dxf.owner
groups = [(0, "SPATIAL_FILTER"), (5, h), (330, owner), (100, "AcDbFilter"), (100, "AcDbSpatialFilter"),
          (70, 3), (10, 100), (20, 0), (10, 110), (20, 0), (10, 105), (20, 8),
          (210, 0), (220, 0), (230, 1), (11, 0), (21, 0), (31, 0), (71, 1), (72, 0), (73, 0)]
groups += [(40, v) for v in (1, 0, 0, -100, 0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0)]
text = open(sys.argv[1]).read()
text = re.sub(r"  0\nXRECORD\n  5\n%s\n.*?(?=\n  0\n)" % h,
              "\n".join(f"{c:>3}\n{v}" for c, v in groups), text, flags=re.S)
open(sys.argv[1], "w").write(text)
)py";

class DxfClipTest : public DxfTest {};

TEST_F(DxfClipTest, ClippedReferenceShowsOnlyWhatLiesInsideItsBoundary) {
  const std::string file = path("xclip.dxf");
  python(kClipScript, "'" + file + "'");
  const host::Drawing d = host::read_dxf_file(file);
  std::size_t whole = 0;
  double line_from = 1e9, line_to = -1e9;
  for (const Element& e : d.sheets.at(0).elements) {
    if (e.points.front().x >= 150) {
      ++whole;
      continue;
    }
    for (const auto& p : e.points) {
      // inside the triangle (100, 0), (110, 0), (105, 8)
      EXPECT_GE(p.y, -1e-9);
      EXPECT_LE(p.y, 8 + 1e-9);
      EXPECT_LE(std::fabs(p.x - 105), 5 * (1 - p.y / 8) + 1e-9) << p.x << " " << p.y;
      if (std::fabs(p.y - 5) < 1e-9)
        line_from = std::min(line_from, p.x), line_to = std::max(line_to, p.x);
    }
  }
  EXPECT_EQ(whole, 2u);  // the reference without a filter keeps its square and line
  // the line across is cut where it leaves the triangle
  EXPECT_NEAR(line_from, 103.125, 1e-9);
  EXPECT_NEAR(line_to, 106.875, 1e-9);
}

}  // namespace
}  // namespace tavrin_test
