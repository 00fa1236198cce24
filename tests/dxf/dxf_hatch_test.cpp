// Hatch geometry from hand-written groups: edge directions and the pattern's dashes.
#include "host/formats/dxf_hatch.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using host::Vec2;
using host::dxf::Groups;

TEST(DxfHatch, ClockwiseArcEdgesTurnTheRightWay) {
  // a half disc below the x axis: a line from left to right, then clockwise back through
  // (0, -10); clockwise arcs keep their angles mirrored in the file (0 and 180 here)
  const Groups groups = {{70, "1"},   {91, "1"}, {92, "1"},  {93, "2"},   {72, "1"},
                         {10, "-10"}, {20, "0"}, {11, "10"}, {21, "0"},   {72, "2"},
                         {10, "0"},   {20, "0"}, {40, "10"}, {50, "360"}, {51, "180"},
                         {73, "0"},   {97, "0"}, {75, "0"},  {76, "1"},   {98, "0"}};
  const host::dxf::Hatch h = host::dxf::parse_hatch(groups);
  ASSERT_TRUE(h.solid);
  ASSERT_EQ(h.rings.size(), 1u);
  double lowest = 0;
  for (const Vec2& p : h.rings[0]) {
    EXPECT_LE(p.y, 1e-9);
    lowest = std::min(lowest, p.y);
  }
  EXPECT_NEAR(lowest, -10, 1e-9);
}

TEST(DxfHatch, PatternDashesStayInsideAndKeepTheirRhythm) {
  // lines 2.5 apart along x, dashes of 2 with gaps of 1, over a square of 10: the lines at
  // y = 0, 2.5, 5 and 7.5 (the one on the top edge is outside), four dashes each
  const std::vector<std::vector<Vec2>> square = {{{0, 0}, {10, 0}, {10, 10}, {0, 10}}};
  const host::dxf::PatternLine line{0, {0, 0}, {0, 2.5}, {2, -1}};
  const auto strokes = host::dxf::pattern_strokes(square, {line}, 1000);
  ASSERT_FALSE(strokes.too_dense);
  ASSERT_EQ(strokes.dashes.size(), 16u);
  EXPECT_EQ(strokes.dashes[1], (std::pair<Vec2, Vec2>{{3, 0}, {5, 0}}));
  EXPECT_EQ(strokes.dashes[3], (std::pair<Vec2, Vec2>{{9, 0}, {10, 0}}));
  // a dot pattern gives points; far too fine a pattern asks for a fill instead
  const host::dxf::PatternLine dots{45, {0, 0}, {0, 1}, {0, -1}};
  EXPECT_FALSE(host::dxf::pattern_strokes(square, {dots}, 1000).dots.empty());
  const host::dxf::PatternLine fine{0, {0, 0}, {0, 1e-4}, {}};
  EXPECT_TRUE(host::dxf::pattern_strokes(square, {fine}, 1000).too_dense);
}

}  // namespace
