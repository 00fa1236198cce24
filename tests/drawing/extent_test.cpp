// Sheet extents: exact for geometry, a sound estimate for texts.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

#include "host/drawing/model.h"

namespace {

using host::ElementKind;
using host::Vec2;

host::Sheet sheet_with(host::Element e) {
  host::Sheet s;
  s.elements.push_back(std::move(e));
  return s;
}

host::Element arc(Vec2 c, double r, double start, double end) {
  host::Element e;
  e.kind = start == end ? ElementKind::Circle : ElementKind::Arc;
  e.points = {c};
  e.radius = r;
  e.start_angle = start;
  e.end_angle = end;
  return e;
}

void expect_box(const host::Sheet& s, Vec2 lo, Vec2 hi) {
  const auto box = s.extent();
  ASSERT_TRUE(box);
  EXPECT_NEAR(box->first.x, lo.x, 1e-9);
  EXPECT_NEAR(box->first.y, lo.y, 1e-9);
  EXPECT_NEAR(box->second.x, hi.x, 1e-9);
  EXPECT_NEAR(box->second.y, hi.y, 1e-9);
}

TEST(Extent, EmptySheetHasNone) {
  EXPECT_FALSE(host::Sheet{}.extent());
}

TEST(Extent, CirclesAndArcsAreExact) {
  expect_box(sheet_with(arc({10, 20}, 5, 0, 0)), {5, 15}, {15, 25});
  // Across 0 degrees: the rightmost point is on the arc, the top and bottom are its ends.
  const double s10 = 5 * std::sin(10 * std::numbers::pi / 180),
               c10 = 5 * std::cos(10 * std::numbers::pi / 180);
  expect_box(sheet_with(arc({0, 0}, 5, 350, 10)), {c10, -s10}, {5, s10});
  // The same ends the other way round sweep over 90, 180 and 270 degrees.
  expect_box(sheet_with(arc({0, 0}, 5, 10, 350)), {-5, -5}, {c10, 5});
  expect_box(sheet_with(arc({0, 0}, 5, -90, 90)), {0, -5}, {5, 5});
}

TEST(Extent, BulgedPolylineSegmentsCountAsArcs) {
  host::Element p;
  p.kind = ElementKind::Polyline;
  p.points = {{0, 0}, {10, 0}};
  p.bulges = {1};  // a half circle turning counter-clockwise: below the chord
  expect_box(sheet_with(p), {0, -5}, {10, 0});
  p.bulges = {-1};
  expect_box(sheet_with(p), {0, 0}, {10, 5});
  // The closing segment bulges only when the polyline is closed.
  p.points = {{0, 0}, {10, 0}, {10, 10}};
  p.bulges = {0, 0, 1};
  expect_box(sheet_with(p), {0, 0}, {10, 10});
  p.closed = true;
  const auto box = sheet_with(p).extent();
  ASSERT_TRUE(box);
  EXPECT_NEAR(box->first.x, 5 - std::sqrt(50.0), 1e-9);
}

TEST(Extent, TextsFollowAdjustAngleAndLineCount) {
  host::Element t;
  t.kind = ElementKind::Text;
  t.points = {{100, 50}};
  t.text.lines = {"ABCD"};
  t.text.size = 5;
  const auto one = sheet_with(t).extent();
  ASSERT_TRUE(one);
  const double w = one->second.x - one->first.x;
  EXPECT_EQ(one->first, (Vec2{100, 50}));  // adjust 1: the point is the bottom left
  EXPECT_GT(w, 4 * 5 * 0.5);
  EXPECT_LT(w, 4 * 5 * 1.2);
  EXPECT_DOUBLE_EQ(one->second.y, 55);

  t.text.adjust = 5;
  t.text.lines = {"ABCD", "Ä"};  // one character, not two bytes
  t.text.linespace = 2;
  expect_box(sheet_with(t), {100 - w / 2, 50 - 7.5}, {100 + w / 2, 50 + 7.5});

  t.text.adjust = 1;
  t.text.lines = {"ABCD"};
  t.text.angle = 90;
  expect_box(sheet_with(t), {95, 50}, {100, 50 + w});
}

// Descenders of the lowest line and accents over the top one reach beyond a text's box.
TEST(Extent, TextsCountTheirDescendersAndAccentsAtTheEdges) {
  host::Element t;
  t.kind = ElementKind::Text;
  t.points = {{0, 0}};
  t.text.size = 10;
  const struct {
    std::vector<std::string> lines;
    std::string font;
    double bottom, top;
  } cases[] = {
      {{"ABC"}, "", 0, 10},
      {{"Abgy"}, "", -3, 10.8},
      {{"Agy"}, "romans.shx", -10.0 / 3, 10},
      {{"ÄB"}, "", 0, 12.5},
      {{"gy", "AB"}, "", 0, 26},       // descenders not on the lowest line
      {{"AB", "ÄB (1)"}, "", -3, 26},  // an accent, a bracket not on the top line
  };
  for (const auto& c : cases) {
    t.text.lines = c.lines;
    t.text.font = c.font.empty() ? host::TextProps{}.font : c.font;
    const auto box = sheet_with(t).extent();
    ASSERT_TRUE(box);
    EXPECT_NEAR(box->first.y, c.bottom, 1e-9) << c.lines.back();
    EXPECT_NEAR(box->second.y, c.top, 1e-9) << c.lines.front();
  }
}

// A group counts what it draws: its content placed (turned, scaled, mirrored) and cut to
// the box around its outline.
TEST(Extent, GroupsCountTheirPlacedContentWithinTheirOutline) {
  host::Element rect;
  rect.kind = ElementKind::Rectangle;
  rect.points = {{0, 0}, {20, 10}};
  const auto content =
      std::make_shared<std::vector<host::Element>>(std::vector{rect, arc({0, 0}, 10, 0, 90)});
  const double h = std::sqrt(0.5);
  const struct {
    host::Transform placement;
    std::vector<Vec2> outline;
    Vec2 lo, hi;
  } cases[] = {
      // scale 2, moved: the outline cuts the rectangle
      {{2, 0, 0, 2, 100, 0}, {{90, -5}, {130, -5}, {130, 100}}, {100, 0}, {130, 20}},
      // a quarter turn: all four corners of the rectangle and the arc's top reach further
      {{0, -1, 1, 0, 0, 0}, {{-50, -50}, {50, -50}, {50, 50}, {-50, 50}}, {-10, 0}, {0, 20}},
      // an eighth turn: the turned corners, not the corners of a turned box
      {{h, -h, h, h, 0, 0},
       {{-50, -50}, {50, -50}, {50, 50}, {-50, 50}},
       {-10 * h, 0},
       {20 * h, 30 * h}},
      // mirrored
      {{-1, 0, 0, 1, 0, 0}, {{-50, -50}, {50, -50}, {50, 50}, {-50, 50}}, {-20, 0}, {0, 10}},
  };
  for (const auto& c : cases) {
    host::Element g;
    g.kind = ElementKind::Group;
    g.points = c.outline;
    g.group = std::make_shared<host::Group>(host::Group{c.placement, content});
    expect_box(sheet_with(g), c.lo, c.hi);
  }
  // outside its window a view draws nothing
  host::Element away;
  away.kind = ElementKind::Group;
  away.points = {{500, 500}, {600, 500}, {600, 600}};
  away.group = std::make_shared<host::Group>(host::Group{{}, content});
  EXPECT_FALSE(sheet_with(away).extent());
}

}  // namespace
