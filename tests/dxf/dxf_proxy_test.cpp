// DXF import of custom entities from their proxy graphics: ACAD_PROXY_ENTITY and custom kinds,
// in R2000 and R2018 files, in model space and in blocks; and the decoder on broken data.
#include <gmock/gmock.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <fstream>
#include <iterator>
#include <string>

#include "dxf_fixture.h"
#include "host/formats/dxf.h"
#include "host/formats/dxf_kept.h"
#include "host/formats/dxf_proxy.h"

namespace tavrin_test {
namespace {

using host::Element;
using host::ElementKind;
using host::Rgb;
using host::Vec2;

class DxfProxyTest : public DxfTest {
 protected:
  // The drawing of tests/dxf/proxy_drawing.py (see there what it holds).
  std::vector<Element> load(const std::string& version, const std::string& extra = "") {
    const std::string file = path("proxy_" + version + ".dxf");
    python("import runpy, sys\nsys.argv = sys.argv[:1] + sys.argv[1:]\nrunpy.run_path('" +
               std::string(TAVRIN_SOURCE_DIR) + "/tests/dxf/proxy_drawing.py', run_name='__main__')\n",
           "'" + file + "' " + version + " " + extra);
    const host::Drawing d = host::read_dxf_file(file);
    EXPECT_EQ(d.sheets.size(), 1u);
    return d.sheets.at(0).elements;
  }
};

bool near(Vec2 a, Vec2 b) { return std::hypot(a.x - b.x, a.y - b.y) < 1e-6; }

// The elements of a kind that pass through the point (as a vertex, centre or position).
std::vector<Element> at(const std::vector<Element>& all, ElementKind kind, Vec2 p) {
  std::vector<Element> out;
  std::copy_if(all.begin(), all.end(), std::back_inserter(out), [&](const Element& e) {
    return e.kind == kind &&
           std::any_of(e.points.begin(), e.points.end(), [&](Vec2 q) { return near(p, q); });
  });
  return out;
}

const Rgb kBlue{0, 0, 1}, kRed{1, 0, 0}, kGreen{0, 1, 0}, kMagenta{1, 0, 1};

TEST_F(DxfProxyTest, CustomEntitiesAreDrawnFromTheirProxyGraphics) {
  for (const std::string version : {"R2000", "R2018"}) {
    SCOPED_TRACE(version);
    const std::vector<Element> all = load(version);

    // wall A on WALLS (blue): outline, grey core, red axis, circle, arc and text in red
    auto outline = at(all, ElementKind::Polyline, {4000, 200});
    ASSERT_EQ(outline.size(), 1u);
    EXPECT_TRUE(outline[0].closed);
    EXPECT_EQ(outline[0].stroke.color, kBlue);
    auto core = at(all, ElementKind::Fill, {4000, 150});
    ASSERT_EQ(core.size(), 1u);
    EXPECT_NEAR(core[0].stroke.color.r, 128 / 255.0, 1e-9);
    auto axis = at(all, ElementKind::Line, {4000, 100});
    ASSERT_EQ(axis.size(), 1u);
    EXPECT_EQ(axis[0].stroke.color, kRed);
    EXPECT_EQ(axis[0].stroke.linetype, "DASHED");
    EXPECT_DOUBLE_EQ(axis[0].stroke.pensize, 0.5);
    auto circle = at(all, ElementKind::Circle, {2000, 100});
    ASSERT_EQ(circle.size(), 1u);
    EXPECT_DOUBLE_EQ(circle[0].radius, 50);
    auto arc = at(all, ElementKind::Arc, {1000, 100});
    ASSERT_EQ(arc.size(), 1u);
    EXPECT_DOUBLE_EQ(arc[0].radius, 80);
    EXPECT_NEAR(arc[0].end_angle - arc[0].start_angle, 180, 1e-9);
    auto text = at(all, ElementKind::Text, {100, 250});
    ASSERT_EQ(text.size(), 1u);
    EXPECT_THAT(text[0].text.lines, testing::ElementsAre("WALL-A"));
    EXPECT_DOUBLE_EQ(text[0].text.size, 100);
    EXPECT_EQ(text[0].stroke.color, kRed);
    EXPECT_EQ(text[0].stroke.linetype, "SOLID");
    EXPECT_EQ(text[0].stroke.pensize, 0);
    // the primitive on the layer that is off, and those after the broken one, are not drawn
    for (const Element& e : all)
      for (Vec2 p : e.points) EXPECT_GT(p.y, -400) << static_cast<int>(e.kind);

    // wall B, colour 6: the shell's edges without its hidden diagonal, the door leaf with its
    // bulge, the arc through three points, the unicode text, the moved and the unmoved line
    EXPECT_EQ(at(all, ElementKind::Line, {0, 1000}).size(), 2u);
    EXPECT_EQ(at(all, ElementKind::Line, {1000, 1200}).size(), 2u);
    auto leaf = at(all, ElementKind::Polyline, {1200, 1800});
    ASSERT_EQ(leaf.size(), 1u);
    EXPECT_EQ(leaf[0].stroke.color, kMagenta);
    EXPECT_THAT(leaf[0].bulges, testing::ElementsAre(0, testing::DoubleNear(-0.41421356, 1e-9), 0));
    auto round = at(all, ElementKind::Arc, {3100, 1000});
    ASSERT_EQ(round.size(), 1u);
    EXPECT_NEAR(round[0].radius, 100, 1e-9);
    auto door = at(all, ElementKind::Text, {100, 1300});
    ASSERT_EQ(door.size(), 1u);  // the invisible copy of wall B shows nothing
    EXPECT_THAT(door[0].text.lines, testing::ElementsAre("Tür 1"));
    EXPECT_EQ(at(all, ElementKind::Line, {5500, 1500}).size(), 1u);
    EXPECT_EQ(at(all, ElementKind::Line, {500, 1600}).size(), 1u);
    EXPECT_TRUE(at(all, ElementKind::Line, {500, 1500}).empty());

    // the block's proxy (colour by block) in the colours of its two references, the second
    // turned and scaled; its line with colour "by block" too
    auto first = at(all, ElementKind::Polyline, {100, 2100});
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].stroke.color, kRed);
    auto second = at(all, ElementKind::Polyline, {5800, 2200});
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].stroke.color, kGreen);
    auto diagonal = at(all, ElementKind::Line, {5800, 2200});
    ASSERT_EQ(diagonal.size(), 1u);
    EXPECT_EQ(diagonal[0].stroke.color, kGreen);
  }
}

// Every cut of a real graphic, and every byte of it spoilt, decodes without harm: no more
// pieces than the whole graphic gives, all with finite points.
TEST_F(DxfProxyTest, BrokenGraphicsNeverReadPastTheirData) {
  const std::string blob = path("wall.bin");
  load("R2018", "--clean --blob '" + blob + "'");
  std::ifstream in(blob, std::ios::binary);
  const std::string data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const host::dxf::ProxyTables tables{{"0", "DEFPOINTS", "WALLS"}, {}, "txt"};
  const host::dxf::TextDecoder decoder;
  const host::dxf::RawStroke entity{"WALLS"};
  const std::size_t whole = decode_proxy_graphic(data, entity, tables, decoder).size();
  EXPECT_EQ(whole, 7u);
  for (std::size_t cut = 0; cut < data.size(); ++cut) {
    EXPECT_LE(decode_proxy_graphic(data.substr(0, cut), entity, tables, decoder).size(), whole);
    std::string spoilt = data;
    spoilt[cut] = static_cast<char>(~spoilt[cut]);
    for (const auto& piece : decode_proxy_graphic(spoilt, entity, tables, decoder, 1000))
      for (Vec2 p : piece.element.points) ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
  }
  EXPECT_EQ(decode_proxy_graphic(data, entity, tables, decoder, 3).size(), 3u);
}

// Builds a graphic: primitives of 32-bit numbers and doubles, little-endian.
class Graphic {
 public:
  Graphic& prim(std::uint32_t type, std::initializer_list<double> doubles,
                std::initializer_list<std::uint32_t> tail = {}, std::string text = {}) {
    std::string body;
    for (double d : doubles) put(body, d);
    for (std::uint32_t u : tail) put(body, u);
    body += text;
    put(data_, static_cast<std::uint32_t>(body.size() + 8));
    put(data_, type);
    data_ += body;
    return *this;
  }
  Graphic& attribute(std::uint32_t type, std::uint32_t value) { return prim(type, {}, {value}); }
  static std::string u32s(std::initializer_list<std::uint32_t> values) {
    std::string out;
    for (std::uint32_t v : values) put(out, v);
    return out;
  }
  std::vector<host::dxf::ProxyPiece> decode() const {
    static const host::dxf::ProxyTables tables{{"0"}, {}, "txt"};
    static const host::dxf::TextDecoder decoder;
    return decode_proxy_graphic(std::string(8, '\0') + data_, host::dxf::RawStroke{"0"}, tables,
                                decoder);
  }

 private:
  template <typename T>
  static void put(std::string& out, T v) {
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
  }
  std::string data_;
};

TEST(ProxyGraphic, PrimitivesInTopView) {
  const double pi = std::acos(-1.0);
  static const double kGrid[] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};
  // a circle seen from below stays a circle; an arc swept clockwise is the same arc
  // counter-clockwise from its end; a filled sector closes through its centre
  auto round = Graphic()
                   .prim(2, {10, 0, 0, 5, 0, 0, -1})
                   .prim(4, {0, 0, 0, 10, 0, 0, 1, 1, 0, 0, -pi / 2}, {0})
                   .attribute(20, 1)
                   .prim(4, {0, 0, 0, 10, 0, 0, 1, 1, 0, 0, pi / 2}, {1})
                   .decode();
  ASSERT_EQ(round.size(), 3u);
  EXPECT_EQ(round[0].element.kind, ElementKind::Circle);
  EXPECT_TRUE(near(round[0].element.points[0], {10, 0}));
  EXPECT_EQ(round[1].element.kind, ElementKind::Arc);
  EXPECT_NEAR(std::fmod(round[1].element.start_angle + 360, 360), 270, 1e-9);
  EXPECT_NEAR(std::fmod(round[1].element.end_angle + 360, 360), 0, 1e-9);
  EXPECT_EQ(round[2].element.kind, ElementKind::Fill);
  EXPECT_TRUE(near(round[2].element.points.back(), {0, 0}));

  // a whole ellipse turned by 90 degrees, a 2 x 2 mesh as its four edges, an infinite line
  auto other = Graphic()
                   .prim(44, {0, 0, 0, 0, 0, 1, 10, 5, 0, 2 * pi, pi / 2})
                   .prim(8, {}, {2, 2},
                         std::string(reinterpret_cast<const char*>(kGrid), sizeof kGrid) +
                             Graphic::u32s({0, 0}))
                   .prim(12, {0, 0, 0, 1, 1, 0})
                   .decode();
  ASSERT_EQ(other.size(), 6u);
  EXPECT_TRUE(other[0].element.closed);
  double wide = 0, tall = 0;
  for (Vec2 p : other[0].element.points) wide = std::max(wide, p.x), tall = std::max(tall, p.y);
  EXPECT_NEAR(wide, 5, 1e-9);
  EXPECT_NEAR(tall, 10, 1e-9);
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(other[k].element.kind, ElementKind::Line);
  EXPECT_EQ(other[5].element.sketch, host::dxf::kXLineMark);
}

}  // namespace
}  // namespace tavrin_test
