// DXF import of underlays without a clipping boundary (the frame of the page they show) and
// of wipeout frames.
#include <cairo-pdf.h>
#include <cairo.h>
#include <gmock/gmock.h>

#include "dxf_fixture.h"
#include "host/formats/dxf.h"

namespace tavrin_test {
namespace {

using host::Element;
using host::ElementKind;
using host::Vec2;

// Pages of 2 x 1 inches and 1 x 2 inches; underlays of them in bands of 100 units along x.
constexpr const char* kUnderlayScript = R"py(
import sys, ezdxf
doc = ezdxf.new("R2018")
doc.header["$INSUNITS"] = 4  # millimetres
msp = doc.modelspace()
blatt = doc.add_underlay_def("C:\\Pläne\\blatt.pdf", fmt="pdf", name="1")
zwei = doc.add_underlay_def("blatt.pdf", fmt="pdf", name="2")
fehlt = doc.add_underlay_def("fehlt.pdf", fmt="pdf", name="1")
dwf = doc.add_underlay_def("plan.dwf", fmt="dwf", name="default")
msp.add_underlay(blatt, insert=(0, 0), scale=1)
msp.add_underlay(blatt, insert=(100, 0), scale=10, rotation=90)
msp.add_underlay(zwei, insert=(200, 0), scale=(3, 2, 1))
blk = doc.blocks.new("MIT_PLAN")
blk.add_underlay(blatt, insert=(0, 0), scale=1)
msp.add_blockref("MIT_PLAN", (300, 0), dxfattribs={"xscale": 2, "yscale": 2})
msp.add_underlay(fehlt, insert=(400, 0))
msp.add_underlay(fehlt, insert=(500, 0))
msp.add_underlay(dwf, insert=(600, 0))
msp.add_line((0, -10), (10, -10))
doc.saveas(sys.argv[1])
)py";

class DxfUnderlayTest : public DxfTest {
 protected:
  void write_pdf() const {
    cairo_surface_t* pdf = cairo_pdf_surface_create(path("blatt.pdf").c_str(), 144, 72);
    cairo_t* cr = cairo_create(pdf);
    cairo_show_page(cr);
    cairo_pdf_surface_set_size(pdf, 72, 144);
    cairo_show_page(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(pdf);
  }
};

TEST_F(DxfUnderlayTest, FramesArePagesPlacedAsTheUnderlaySays) {
  write_pdf();
  const std::string file = path("underlays.dxf");
  python(kUnderlayScript, "'" + file + "'");
  const host::Drawing d = host::read_dxf_file(file);
  std::vector<std::vector<Vec2>> frames;
  for (const Element& e : d.sheets.at(0).elements)
    if (e.kind == ElementKind::Polyline) {
      EXPECT_TRUE(e.closed);
      EXPECT_EQ(e.source, "");
      frames.push_back(e.points);
    }
  struct Case {
    const char* what;
    std::vector<Vec2> corners;
  };
  const Case cases[] = {
      {"page 1, found beside the drawing", {{0, 0}, {2, 0}, {2, 1}, {0, 1}}},
      {"scaled and turned", {{100, 0}, {100, 20}, {90, 20}, {90, 0}}},
      {"page 2, scaled unevenly", {{200, 0}, {203, 0}, {203, 4}, {200, 4}}},
      {"in a scaled block", {{300, 0}, {304, 0}, {304, 2}, {300, 2}}},
  };
  ASSERT_EQ(frames.size(), std::size(cases));
  for (std::size_t i = 0; i < frames.size(); ++i) {
    SCOPED_TRACE(cases[i].what);
    ASSERT_EQ(frames[i].size(), 4u);
    for (std::size_t k = 0; k < 4; ++k) {
      EXPECT_NEAR(frames[i][k].x, cases[i].corners[k].x, 1e-9);
      EXPECT_NEAR(frames[i][k].y, cases[i].corners[k].y, 1e-9);
    }
  }
  const auto extent = d.sheets.at(0).extent();
  ASSERT_TRUE(extent);
  EXPECT_NEAR(extent->second.x, 304, 1e-6);
  EXPECT_NEAR(extent->second.y, 20, 1e-6);
  // the missing PDF (twice) and the DWF are named once each, in one note
  ASSERT_EQ(d.notes.size(), 1u);
  EXPECT_THAT(d.notes[0], ::testing::HasSubstr("underlay frame not drawn"));
  EXPECT_THAT(d.notes[0], ::testing::HasSubstr(": fehlt.pdf, plan.dwf"));
}

// Seen through a viewport of a layout, the model space's underlay shows its page too.
TEST_F(DxfUnderlayTest, ViewsShowTheFrame) {
  write_pdf();
  const std::string file = path("blatt_layout.dxf");
  python(R"py(
import sys, ezdxf
doc = ezdxf.new("R2018")
doc.header["$INSUNITS"] = 4
blatt = doc.add_underlay_def("blatt.pdf", fmt="pdf", name="1")
doc.modelspace().add_underlay(blatt, insert=(0, 0), scale=10)
sheet = doc.layouts.get("Layout1")
sheet.page_setup(size=(297, 210), margins=(0, 0, 0, 0), units="mm")
sheet.add_viewport(center=(100, 100), size=(80, 60),
                   view_center_point=(10, 5), view_height=30)
doc.saveas(sys.argv[1])
)py",
         "'" + file + "'");
  const host::Drawing d = host::read_dxf_file(file);
  ASSERT_EQ(d.sheets.size(), 1u);
  std::vector<std::vector<Vec2>> frames;
  for (const Element& e : d.sheets[0].elements)
    if (e.kind == ElementKind::Group)
      for (const Element& inner : e.group->content())
        if (inner.kind == ElementKind::Polyline) frames.push_back(inner.points);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0], (std::vector<Vec2>{{0, 0}, {20, 0}, {20, 10}, {0, 10}}));
  EXPECT_TRUE(d.notes.empty());
}

// A wipeout's frame shows over its mask when the drawing's wipeout setting says so (1), not
// when it is off (0) or shown on screen only (2).
TEST_F(DxfUnderlayTest, WipeoutFramesAsTheDrawingSays) {
  const struct {
    int setting;
    std::size_t frames;
  } cases[] = {{0, 0}, {1, 1}, {2, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.setting);
    const std::string file = path("wipeout" + std::to_string(c.setting) + ".dxf");
    python(R"py(
import sys, ezdxf
doc = ezdxf.new("R2018")
doc.modelspace().add_wipeout([(0, 0), (40, 0), (40, 30)])
doc.objects.set_wipeout_variables(frame=int(sys.argv[2]))
doc.saveas(sys.argv[1])
)py",
           "'" + file + "' " + std::to_string(c.setting));
    const host::Drawing d = host::read_dxf_file(file);
    const auto& elements = d.sheets.at(0).elements;
    ASSERT_EQ(elements.size(), 1 + c.frames);
    EXPECT_EQ(elements[0].kind, ElementKind::Mask);
    if (c.frames == 0) continue;
    EXPECT_EQ(elements[1].kind, ElementKind::Polyline);
    EXPECT_TRUE(elements[1].closed);
    EXPECT_EQ(elements[1].points, elements[0].points);
    EXPECT_NE(elements[1].id, elements[0].id);
  }
}

}  // namespace
}  // namespace tavrin_test
