// Clipped block references (XCLIP): kept inside or, inverted, outside their boundary, at any
// depth of nesting, with filled hatches cut as areas.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

#include "dxf_fixture.h"
#include "host/formats/dxf.h"
#include "host/formats/dxf_clip.h"

namespace tavrin_test {
namespace {

using host::Element;
using host::ElementKind;
using host::Vec2;

// A square with a line across and a solid hatch, referenced five times, each in its band of
// 100 units: clipped to a triangle; clipped inverted (keeping what lies outside a smaller
// square); three times through a block that holds a reference clipped to its left half
// (once scaled by 2, once clipped itself to the lower part).
// ezdxf writes no spatial filters: they are written by hand into the place of a record.
constexpr const char* kScript = R"py(
import sys, re, ezdxf
doc = ezdxf.new("R2010")
doc.header["$INSUNITS"] = 4  # millimetres
blk = doc.blocks.new("QUADRAT")
blk.add_lwpolyline([(0, 0), (10, 0), (10, 10), (0, 10)], close=True)
blk.add_line((0, 5), (10, 5))
blk.add_hatch(color=1).paths.add_polyline_path([(0, 0), (10, 0), (10, 10), (0, 10)], is_closed=True)
outer = doc.blocks.new("AUSSEN")
inner = outer.add_blockref("QUADRAT", (0, 0))
msp = doc.modelspace()
clips = [(msp.add_blockref("QUADRAT", (100, 0)), [(100, 0), (110, 0), (105, 8)], -100, False),
         # inverted: the filter holds a frame with a slit that stops short of the boundary
         (msp.add_blockref("QUADRAT", (200, 0)),
          [(202, 2), (199, 2), (199, -1), (211, -1), (211, 11), (199, 11), (199, 2)], -200, True),
         (inner, [(0, 0), (5, 10)], 0, False),
         (msp.add_blockref("AUSSEN", (500, 0)), [(500, 0), (520, 6)], -500, False)]
msp.add_blockref("AUSSEN", (300, 0))
msp.add_blockref("AUSSEN", (400, 0), dxfattribs={"xscale": 2, "yscale": 2})
records = []
for ref, boundary, shift, inverted in clips:
    filters = ref.new_extension_dict().dictionary.add_new_dict("ACAD_FILTER", hard_owned=True)
    rec = filters.add_xrecord("SPATIAL")
    mark = doc.objects.add_dictionary(owner=rec.dxf.handle).add_xrecord("MARK") if inverted else None
    records.append((rec, mark, boundary, shift))
doc.saveas(sys.argv[1])
text = open(sys.argv[1]).read()
def replace(handle, groups):
    global text
    text, n = re.subn(r"  0\nXRECORD\n  5\n%s\n.*?(?=\n  0\n)" % handle,
                      "\n".join(f"{c:>3}\n{v}" for c, v in groups), text, flags=re.S)
    assert n == 1
for rec, mark, boundary, shift in records:
    groups = [(0, "SPATIAL_FILTER"), (5, rec.dxf.handle)]
    if mark:  # the boundary as drawn, on the filter's own dictionary
        groups += [(102, "{ACAD_XDICTIONARY"), (360, mark.dxf.owner), (102, "}")]
        replace(mark.dxf.handle, [(0, "XRECORD"), (5, mark.dxf.handle), (330, mark.dxf.owner),
                                  (100, "AcDbXrecord"), (280, 1), (102, "ACAD_INVERTEDCLIP_ROUNDTRIP"),
                                  (10, 202), (20, 2), (10, 208), (20, 8)])
    groups += [(330, rec.dxf.owner), (100, "AcDbFilter"), (100, "AcDbSpatialFilter"),
               (70, len(boundary))]
    for x, y in boundary: groups += [(10, x), (20, y)]
    groups += [(210, 0), (220, 0), (230, 1), (11, 0), (21, 0), (31, 0), (71, 1), (72, 0), (73, 0)]
    # the inverse of the reference's placement, then the boundary's own
    groups += [(40, v) for v in (1, 0, 0, shift, 0, 1, 0, 0, 0, 0, 1, 0) + (1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0)]
    replace(rec.dxf.handle, groups)
open(sys.argv[1], "w").write(text)
)py";

// Area of a fill by the even-odd rule, for rings that do not cross: signed ring areas.
double fill_area(const Element& e) {
  double sum = 0;
  std::size_t at = 0;
  for (std::uint32_t n : e.rings) {
    for (std::size_t i = 0; i < n; ++i) {
      const Vec2 a = e.points[at + i], b = e.points[at + (i + 1) % n];
      sum += a.x * b.y - b.x * a.y;
    }
    at += n;
  }
  return std::abs(sum) / 2;
}

class DxfClippingTest : public DxfTest {};

TEST_F(DxfClippingTest, InvertedNestedAndFilledClippingsCutTheirContent) {
  const std::string file = path("clips.dxf");
  python(kScript, "'" + file + "'");
  const host::Drawing d = host::read_dxf_file(file);
  struct Case {
    const char* what;
    double fill;                        // area of the hatch that shows
    double across_y;                    // the line across the square ...
    double across;                      // ... shows this long
    std::function<bool(Vec2)> allowed;  // where content may lie
  };
  const double eps = 1e-6;
  const std::map<int, Case> cases{
      {1,
       {"triangle", 40, 5, 3.75,
        [&](Vec2 p) {
          return p.y > -eps && p.y < 8 + eps && std::abs(p.x - 105) < 5 * (1 - p.y / 8) + eps;
        }}},
      {2,
       {"inverted", 100 - 36, 5, 4,
        [&](Vec2 p) {
          return !(p.x > 202 + eps && p.x < 208 - eps && p.y > 2 + eps && p.y < 8 - eps);
        }}},
      {3, {"nested", 50, 5, 5, [&](Vec2 p) { return p.x < 305 + eps; }}},
      {4, {"nested, scaled", 200, 10, 10, [&](Vec2 p) { return p.x < 410 + eps; }}},
      {5,
       {"nested in a clipped one", 30, 5, 5,
        [&](Vec2 p) { return p.x < 505 + eps && p.y < 6 + eps; }}},
  };
  std::map<int, double> fills, across;
  for (const Element& e : d.sheets.at(0).elements) {
    const int band = static_cast<int>(std::floor(e.points.at(0).x / 100));
    const Case& c = cases.at(band);
    for (const Vec2& p : e.points) EXPECT_TRUE(c.allowed(p)) << c.what << ": " << p.x << " " << p.y;
    if (e.kind == ElementKind::Fill) fills[band] += fill_area(e);
    if (e.kind != ElementKind::Line && e.kind != ElementKind::Polyline) continue;
    const bool on = std::all_of(e.points.begin(), e.points.end(),
                                [&](Vec2 p) { return std::abs(p.y - c.across_y) < eps; });
    if (on) across[band] += std::abs(e.points.back().x - e.points.front().x);
  }
  for (const auto& [band, c] : cases) {
    EXPECT_NEAR(fills[band], c.fill, 1e-6) << c.what;
    EXPECT_NEAR(across[band], c.across, 1e-6) << c.what;
  }
}

// A picture crossing a clipping keeps the part inside as its boundary; one outside is
// dropped, one inside kept as it is.
TEST(PictureClipping, APictureIsCutToTheRegionNotDropped) {
  Element picture;
  picture.kind = ElementKind::Image;
  picture.points = {{0, 0}, {10, 0}, {0, 10}};  // origin, right edge, top edge
  const host::dxf::Rings half = {{{5, -5}, {20, -5}, {20, 20}, {5, 20}}};
  const host::dxf::Rings away = {{{50, 50}, {60, 50}, {60, 60}}};
  const host::dxf::Rings all = {{{-1, -1}, {11, -1}, {11, 11}, {-1, 11}}};
  std::vector<Element> out;
  host::dxf::clip_element(picture, away, out);
  EXPECT_TRUE(out.empty());
  host::dxf::clip_element(picture, all, out);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].points.size(), 3u);
  out.clear();
  host::dxf::clip_element(picture, half, out);
  ASSERT_EQ(out.size(), 1u);
  ASSERT_GE(out[0].points.size(), 7u);  // the corners, then the right half as boundary
  for (std::size_t i = 3; i < out[0].points.size(); ++i) {
    EXPECT_GE(out[0].points[i].x, 5 - 1e-9);
    EXPECT_LE(out[0].points[i].x, 10 + 1e-9);
  }
}

}  // namespace
}  // namespace tavrin_test
