// Paper-space layouts as sheets: viewports with scale, twist, clipping boundary and frozen
// layers, written with python3-ezdxf; the sheets exported again and read back by ezdxf.
#include <cairo.h>
#include <gmock/gmock.h>

#include <cmath>

#include "dxf_fixture.h"
#include "host/formats/dxf.h"
#include "host/formats/mi.h"
#include "host/plot/render.h"

namespace tavrin_test {
namespace {

using host::ElementKind;
using host::Vec2;
using ::testing::HasSubstr;

// Model space: two lines on layer A, a circle and a block reference on layer B. Layout
// "Blatt Ä" (active) holds a text and four viewports: 1:2; a quarter turn with layer B
// frozen; clipped by a triangle, on a layer that is off; switched off. "Zweite" (not
// active: every viewport stored with id 0 and status 0) shows two views, on a layer that is
// off and on one that is not plotted; "Layout1" and "Leer" hold nothing.
constexpr const char* kLayouts = R"(
import sys, ezdxf
doc = ezdxf.new("R2000")
doc.layers.add("A", color=1)
doc.layers.add("B", color=3)
doc.layers.add("VP", color=5)
doc.layers.add("VPOFF", color=5).off()
doc.layers.add("NOPLOT", color=5).dxf.plot = 0
msp = doc.modelspace()
msp.add_line((0, 0), (100, 0), dxfattribs={"layer": "A"})
msp.add_line((0, 0), (0, 50), dxfattribs={"layer": "A"})
msp.add_circle((50, 25), 10, dxfattribs={"layer": "B"})
doc.blocks.new("MARK").add_line((-5, -5), (5, 5))
msp.add_blockref("MARK", (80, 40), dxfattribs={"layer": "B"})
sheet = doc.layouts.new("Blatt Ä")
sheet.page_setup(size=(420, 297), margins=(0, 0, 0, 0), units="mm")
sheet.add_text("Titel", dxfattribs={"height": 5, "insert": (10, 10)})
def view(layout, centre, size, height, layer="VP", status=2):
    vp = layout.add_viewport(center=centre, size=size, view_center_point=(50, 25), view_height=height)
    vp.dxf.layer = layer
    vp.dxf.status = status
    return vp
view(sheet, (100, 100), (80, 60), 120)
vp = view(sheet, (250, 100), (100, 100), 100)
vp.dxf.view_twist_angle = 90
vp.frozen_layers = ["B"]
tri = sheet.add_lwpolyline([(320, 40), (400, 40), (360, 160)], close=True)
vp = view(sheet, (360, 100), (80, 120), 120, "VPOFF")
vp.dxf.flags = vp.dxf.flags | 65536
vp.dxf.clipping_boundary_handle = tri.dxf.handle
view(sheet, (100, 250), (40, 40), 40, status=0)
second = doc.layouts.new("Zweite")
second.page_setup(size=(11, 8.5), margins=(0, 0, 0, 0), units="inch")
view(second, (50, 50), (40, 40), 40, "VPOFF")
view(second, (50, 50), (40, 40), 40, "NOPLOT")
for e in second.query("VIEWPORT"):
    e.dxf.id = 0
    e.dxf.status = 0
doc.layouts.new("Leer")
doc.layouts.set_active_layout("Blatt Ä")
doc.saveas(sys.argv[1])
)";

class DxfLayoutTest : public DxfTest {
 protected:
  host::Drawing load() {
    const std::string file = path("layouts.dxf");
    python(kLayouts, "'" + file + "'");
    return host::read_dxf_file(file);
  }
};

std::vector<ElementKind> kinds(const host::Sheet& sheet) {
  std::vector<ElementKind> out;
  for (const auto& e : sheet.elements) out.push_back(e.kind);
  return out;
}

Vec2 placed(const host::Element& group, Vec2 p) {
  Vec2 q = group.group->placement.apply(p);
  return {std::round(q.x * 1e9) / 1e9, std::round(q.y * 1e9) / 1e9};
}

TEST_F(DxfLayoutTest, LayoutsWithContentAreSheetsAndViewportsShowTheModelSpace) {
  const host::Drawing d = load();
  ASSERT_EQ(d.sheets.size(), 2u);
  EXPECT_EQ(d.sheets[0].name, "Blatt Ä");
  EXPECT_EQ(d.sheets[1].name, "Zweite");

  const host::Sheet& a = d.sheets[0];
  using K = ElementKind;
  // view + frame, view + frame, clipped view without frame (layer off), frame of the view
  // that is switched off, then the paper space: text and triangle
  ASSERT_EQ(kinds(a), (std::vector{K::Group, K::Rectangle, K::Group, K::Rectangle, K::Group,
                                   K::Rectangle, K::Text, K::Polyline}));
  const auto& half = a.elements[0];
  EXPECT_EQ(placed(half, {50, 25}), (Vec2{100, 100}));
  EXPECT_EQ(placed(half, {0, 0}), (Vec2{75, 87.5}));
  EXPECT_EQ(half.points, (std::vector<Vec2>{{60, 70}, {140, 70}, {140, 130}, {60, 130}}));
  EXPECT_EQ(half.group->content().size(), 4u);
  EXPECT_EQ(a.elements[1].points, (std::vector<Vec2>{{60, 70}, {140, 130}}));

  // a quarter turn counter-clockwise: the model x axis points up; the view centre is a
  // point of the turned view
  const auto& turned = a.elements[2];
  EXPECT_EQ(placed(turned, {25, -50}), (Vec2{250, 100}));
  EXPECT_EQ(placed(turned, {0, 0}), (Vec2{200, 75}));
  EXPECT_EQ(placed(turned, {100, 0}), (Vec2{200, 175}));
  // layer B frozen here: neither the circle nor the block placed on B
  ASSERT_EQ(turned.group->content().size(), 2u);
  for (const auto& e : turned.group->content()) EXPECT_EQ(e.kind, K::Line);

  const auto& clipped = a.elements[4];
  EXPECT_EQ(clipped.points.front(), (Vec2{320, 40}));
  EXPECT_EQ(clipped.group->elements, half.group->elements) << "one model space for both";
  EXPECT_EQ(a.elements[5].points, (std::vector<Vec2>{{80, 230}, {120, 270}}));

  // not the active layout: status 0 is no switch, the first viewport is the overall one;
  // frames on a layer that is off or not plotted are not drawn; its paper is in inches
  ASSERT_EQ(kinds(d.sheets[1]), (std::vector{K::Group, K::Group}));
  EXPECT_EQ(placed(d.sheets[1].elements[0], {50, 25}), (Vec2{1270, 1270}));
  EXPECT_THAT(d.notes, ::testing::Contains(HasSubstr("paper units are inches")));

  // what is drawn: the text, the frames, the triangle, views cut to their windows
  const auto extent = a.extent();
  ASSERT_TRUE(extent);
  EXPECT_EQ(extent->first, (Vec2{10, 10}));
  EXPECT_EQ(extent->second, (Vec2{400, 270}));
  const auto second = d.sheets[1].extent();
  ASSERT_TRUE(second);
  EXPECT_NEAR(second->first.x, 30 * 25.4, 1e-9);  // model x 0..70 of 0..100 shows
  EXPECT_NEAR(second->second.x, 70 * 25.4, 1e-9);
  EXPECT_NEAR(second->second.y, 70 * 25.4, 1e-9);
}

// R12 has no layout objects and keeps a viewport's view in extended data.
TEST_F(DxfLayoutTest, R12PaperSpaceIsOneLayoutWithItsViewsFromExtendedData) {
  const std::string file = path("r12.dxf");
  python(R"(
import sys, ezdxf
doc = ezdxf.new("R12")
doc.layers.add("B")
doc.modelspace().add_line((0, 0), (100, 0))
doc.modelspace().add_circle((50, 25), 10, dxfattribs={"layer": "B"})
psp = doc.layout()
psp.add_viewport(center=(100, 100), size=(80, 60), view_center_point=(50, 25), view_height=120)
vp = psp.add_viewport(center=(250, 100), size=(100, 100), view_center_point=(50, 25), view_height=100)
vp.dxf.view_twist_angle = 90
vp.frozen_layers = ["B"]
doc.saveas(sys.argv[1])
)",
         "'" + file + "'");
  const host::Drawing d = host::read_dxf_file(file);
  ASSERT_EQ(d.sheets.size(), 1u);
  EXPECT_EQ(d.sheets[0].name, "Layout1");
  // without a viewport of id 1 the first one is the overall viewport
  ASSERT_EQ(kinds(d.sheets[0]), (std::vector{ElementKind::Group, ElementKind::Rectangle}));
  const auto& turned = d.sheets[0].elements[0];
  EXPECT_EQ(placed(turned, {25, -50}), (Vec2{250, 100}));
  EXPECT_EQ(placed(turned, {100, 0}), (Vec2{200, 175}));
  ASSERT_EQ(turned.group->content().size(), 1u) << "layer B is frozen in this view";
}

TEST_F(DxfLayoutTest, SheetsRoundTripThroughMiAndExportAsTheirClippedContent) {
  const host::Drawing d = load();
  const host::Drawing back = host::read_mi_text(host::write_mi_text(d), "layouts.mi");
  ASSERT_EQ(back.sheets.size(), 2u);
  for (std::size_t i = 0; i < d.sheets[0].elements.size(); ++i)
    EXPECT_TRUE(back.sheets[0].elements[i].same_content(d.sheets[0].elements[i])) << i;

  // Exported, the views are plain entities cut to their windows: ezdxf finds nothing
  // outside the frames and the text, and the cut ends on the window's edge.
  const std::string file = path("blatt.dxf");
  host::write_dxf_sheet(d.sheets[0], d.number, file);
  const std::string out = python(R"(
import sys, ezdxf
from ezdxf import bbox
doc = ezdxf.readfile(sys.argv[1])
msp = doc.modelspace()
box = bbox.extents(msp.query("LINE LWPOLYLINE CIRCLE ARC"))
print("BOX", [round(v, 6) for v in (box.extmin.x, box.extmin.y, box.extmax.x, box.extmax.y)])
for e in msp.query("LWPOLYLINE"):
    pts = [(round(x, 4), round(y, 4)) for x, y, *_ in e.get_points()]
    if pts[0][1] == 75: print("CUT", pts)
print("CIRCLES", len(msp.query("CIRCLE")))
)",
                                 "'" + file + "'");
  // frames and triangle; every cut piece lies within them
  EXPECT_THAT(out, HasSubstr("BOX [60.0, 40.0, 400.0, 270.0]"));
  // the model x axis in the triangle's view, cut where it crosses the triangle's sides
  EXPECT_THAT(out, HasSubstr("CUT [(331.6667, 75.0), (388.3333, 75.0)]"));
  // the circle lies wholly inside two windows and stays a circle there
  EXPECT_THAT(out, HasSubstr("CIRCLES 2"));
}

// A line of the drawing's own line type (dashes of 2, gaps of 2) seen through a viewport at
// 1:2, in a layout that scales line types to paper (flag 1) or not (0).
constexpr const char* kLineTypeScale = R"(
import sys, ezdxf
doc = ezdxf.new("R2010")
doc.linetypes.add("STRICH", pattern=[4.0, 2.0, -2.0])
doc.header["$PSLTSCALE"] = int(sys.argv[2])
doc.modelspace().add_line((0, 0), (100, 0), dxfattribs={"linetype": "STRICH", "lineweight": 50, "color": 1})
sheet = doc.layouts.new("Blatt")
sheet.page_setup(size=(100, 50), margins=(0, 0, 0, 0), units="mm")
sheet.dxf_layout.dxf.layout_flags = int(sys.argv[2])
sheet.add_viewport(center=(50, 25), size=(90, 40), view_center_point=(50, 0), view_height=80)
doc.layouts.set_active_layout("Blatt")
doc.saveas(sys.argv[1])
)";

// Dark runs along the row of the line (paper y = 25), between x = 20 and 80 mm.
int dashes_on_paper(const host::Sheet& sheet) {
  constexpr int kPxPerMm = 4, kWidth = 100 * kPxPerMm, kHeight = 50 * kPxPerMm;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_matrix_t m;
  cairo_matrix_init(&m, kPxPerMm, 0, 0, -kPxPerMm, 0, kHeight);
  host::RenderStyle style;
  host::render_sheet(cr, sheet, m, style);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  const unsigned char* row = cairo_image_surface_get_data(surface) +
                             (kHeight - 25 * kPxPerMm) * cairo_image_surface_get_stride(surface);
  int runs = 0;
  bool dark = false;
  for (int x = 20 * kPxPerMm; x < 80 * kPxPerMm; ++x) {
    const bool now = row[x * 4 + 1] < 128;
    runs += now && !dark;
    dark = now;
  }
  cairo_surface_destroy(surface);
  return runs;
}

TEST_F(DxfLayoutTest, OwnLineTypesInViewportsFollowTheLayoutsPaperScaling) {
  struct Case {
    int paper_scaling;
    int dashes;  // along the 50 mm the line takes on paper
  } cases[] = {{1, 13}, {0, 25}};
  for (const Case& c : cases) {
    const std::string file = path("ltscale" + std::to_string(c.paper_scaling) + ".dxf");
    python(kLineTypeScale, "'" + file + "' " + std::to_string(c.paper_scaling));
    const host::Drawing d = host::read_dxf_file(file);
    ASSERT_EQ(d.sheets.size(), 1u);
    EXPECT_NEAR(dashes_on_paper(d.sheets[0]), c.dashes, 1) << c.paper_scaling;
    // the setting travels with the view through the host's own format
    const host::Drawing back = host::read_mi_text(host::write_mi_text(d), "ltscale.mi");
    EXPECT_EQ(dashes_on_paper(back.sheets.at(0)), dashes_on_paper(d.sheets[0]));
  }
}

}  // namespace
}  // namespace tavrin_test
