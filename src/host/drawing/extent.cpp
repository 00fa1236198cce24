// The extent of a sheet: exact for lines, circles, arcs and bulged polylines, estimated for
// texts laid out with an estimated character width (see text_layout.h).
#include <algorithm>
#include <cmath>
#include <numbers>

#include "host/drawing/model.h"
#include "host/drawing/stroke_font.h"
#include "host/drawing/text_layout.h"

namespace host {

namespace {

// Gap between a text and its frame, as a share of the size.
constexpr double kFrameGap = 0.25;
// Accents over capitals, and the ascenders and brackets of the sans faces that print texts
// (a little taller than their capitals), as shares of the size.
constexpr double kAccentShare = 0.25;
constexpr double kAscenderShare = 0.08;

double radians(double degrees) {
  return degrees * std::numbers::pi / 180.0;
}

// Collects points in sheet coordinates; points of a group's content pass through the
// group's placement first.
class Box {
 public:
  Box() = default;
  explicit Box(const Transform& m) : m_(m), identity_(m == Transform{}) {}

  void add(Vec2 p) { add_sheet(identity_ ? p : m_.apply(p)); }
  void add_sheet(Vec2 p) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
    if (!any_) {
      lo_ = hi_ = p;
      any_ = true;
      return;
    }
    lo_ = {std::min(lo_.x, p.x), std::min(lo_.y, p.y)};
    hi_ = {std::max(hi_.x, p.x), std::max(hi_.y, p.y)};
  }
  std::optional<std::pair<Vec2, Vec2>> result() const {
    if (!any_) return std::nullopt;
    return std::pair{lo_, hi_};
  }
  const Transform& transform() const { return m_; }
  bool identity() const { return identity_; }

 private:
  Transform m_;
  bool identity_ = true;
  bool any_ = false;
  Vec2 lo_, hi_;
};

Vec2 on_circle(Vec2 c, double r, double degrees) {
  return {c.x + r * std::cos(radians(degrees)), c.y + r * std::sin(radians(degrees))};
}

// Counter-clockwise arc from `start` to `end` (degrees) in sheet coordinates: its end
// points and every axis extreme that the sweep passes.
void add_sheet_arc(Box& box, Vec2 c, double r, double start, double end) {
  double sweep = std::fmod(end - start, 360.0);
  if (sweep < 0) sweep += 360.0;
  if (sweep == 0 && end != start) sweep = 360.0;
  box.add_sheet(on_circle(c, r, start));
  box.add_sheet(on_circle(c, r, end));
  for (int quadrant = 0; quadrant < 4; ++quadrant) {
    double offset = std::fmod(quadrant * 90.0 - start, 360.0);
    if (offset < 0) offset += 360.0;
    if (offset <= sweep) box.add_sheet(on_circle(c, r, quadrant * 90.0));
  }
}

// The same arc in the box's own coordinates. Placements that keep circles round (views
// are turned and scaled, never stretched) give the exact arc; any other one is sampled.
void add_arc(Box& box, Vec2 c, double r, double start, double end) {
  const Transform& m = box.transform();
  if (box.identity()) return add_sheet_arc(box, c, r, start, end);
  const double scale = std::hypot(m.a, m.c);
  const bool round = std::abs(std::hypot(m.b, m.d) - scale) <= 1e-12 * scale &&
                     std::abs(m.a * m.b + m.c * m.d) <= 1e-12 * scale * scale;
  if (round && scale > 0) {
    const double turn = std::atan2(m.c, m.a) * 180.0 / std::numbers::pi;
    if (m.det() >= 0) return add_sheet_arc(box, m.apply(c), r * scale, start + turn, end + turn);
    return add_sheet_arc(box, m.apply(c), r * scale, turn - end, turn - start);
  }
  double sweep = std::fmod(end - start, 360.0);
  if (sweep <= 0) sweep += 360.0;
  constexpr int kSteps = 128;
  for (int i = 0; i <= kSteps; ++i) box.add(on_circle(c, r, start + sweep * i / kSteps));
}

// A polyline segment with a bulge (tangent of a quarter of the included angle) is an arc;
// positive bulges turn counter-clockwise.
void add_bulged_segment(Box& box, Vec2 p0, Vec2 p1, double bulge) {
  const double dx = p1.x - p0.x, dy = p1.y - p0.y;
  const double chord = std::hypot(dx, dy);
  if (bulge == 0 || chord == 0 || !std::isfinite(bulge)) return;
  const double half = chord / 2, sagitta = bulge * half;
  const double to_centre = (half * half - sagitta * sagitta) / (2 * sagitta);
  const Vec2 left{-dy / chord, dx / chord};
  const Vec2 c{(p0.x + p1.x) / 2 + left.x * to_centre, (p0.y + p1.y) / 2 + left.y * to_centre};
  const double r = std::hypot(p0.x - c.x, p0.y - c.y);
  const double a0 = std::atan2(p0.y - c.y, p0.x - c.x) * 180.0 / std::numbers::pi;
  const double a1 = std::atan2(p1.y - c.y, p1.x - c.x) * 180.0 / std::numbers::pi;
  if (bulge > 0)
    add_arc(box, c, r, a0, a1);
  else
    add_arc(box, c, r, a1, a0);
}

// How far the text's letters reach beyond its box, which runs from the lowest baseline to
// the top of the capitals: descenders (g, p, parentheses) on the lowest lines, accents over
// capitals and ascenders (l, d, parentheses) on the top ones. Without them a text at a sheet's edge
// would lose them.
std::pair<double, double> overhang(const TextBlock& block) {
  double below = 0, above = 0;
  const double eps = 1e-9 * std::max({1.0, std::abs(block.top), std::abs(block.bottom)});
  for (const TextLine& line : block.lines) {
    const bool lowest = line.baseline <= block.bottom + eps;
    const bool highest = line.baseline + line.height >= block.top - eps;
    for (const TextPiece& p : line.pieces) {
      const std::string text = p.text + p.lower;
      if (lowest && text.find_first_of("gjpqyQ(),;[]{}|_$@") != std::string::npos)
        below = std::max(below, descent_share(p.style.font) * p.style.height);
      if (!highest) continue;
      if (std::any_of(text.begin(), text.end(), [](char c) { return c & 0x80; }))
        above = std::max(above, kAccentShare * p.style.height);
      else if (text.find_first_of("bdfhklt()[]{}|/\\'\"!?$%&@") != std::string::npos)
        above = std::max(above, kAscenderShare * p.style.height);
    }
  }
  return {below, above};
}

void add_text(Box& box, const Element& e) {
  const TextProps& t = e.text;
  const Vec2 at = e.points.front();
  const TextBlock block = layout_text(t, estimated_width);
  if (block.lines.empty() || block.right <= block.left) {
    box.add(at);
    return;
  }
  double gap = t.frame ? kFrameGap * t.size : 0;
  if (t.background != 0) gap = std::max(gap, (t.background_margin - 1) * t.size);
  const double x0 = block.left - gap, x1 = block.right + gap;
  const auto [below, above] = overhang(block);
  const double y0 = block.bottom - std::max(gap, below), y1 = block.top + std::max(gap, above);
  const auto [fx, fy] = fit_scale(t, block);
  const double shear = std::tan(radians(t.slant));
  const double cs = std::cos(radians(t.angle)), sn = std::sin(radians(t.angle));
  for (auto [x, y] : {std::pair{x0, y0}, {x1, y0}, {x0, y1}, {x1, y1}}) {
    x += (y - y0) * shear;
    x *= t.backward ? -fx : fx;
    y *= t.upside_down ? -fy : fy;
    box.add({at.x + x * cs - y * sn, at.y + x * sn + y * cs});
  }
}

void add_group(Box& box, const Element& e);

void add_element(Box& box, const Element& e) {
  if (e.points.empty()) return;
  switch (e.kind) {
    case ElementKind::Line:
      for (const auto& p : e.points) box.add(p);
      break;
    case ElementKind::Rectangle:
      // all four corners: in a turned view the other two may reach further
      for (const auto& p : e.points) box.add(p);
      if (e.points.size() == 2) {
        box.add({e.points[0].x, e.points[1].y});
        box.add({e.points[1].x, e.points[0].y});
      }
      break;
    case ElementKind::Fill:
    case ElementKind::Point:
    case ElementKind::Mask:
      for (const auto& p : e.points) box.add(p);
      break;
    case ElementKind::Image:
      // a clipped picture shows only inside its boundary
      for (std::size_t i = e.points.size() > 3 ? 3 : 0; i < e.points.size(); ++i)
        box.add(e.points[i]);
      if (e.points.size() == 3)
        box.add({e.points[1].x + e.points[2].x - e.points[0].x,
                 e.points[1].y + e.points[2].y - e.points[0].y});
      break;
    case ElementKind::Polyline:
      for (std::size_t i = 0; i < e.points.size(); ++i) {
        box.add(e.points[i]);
        const bool last = i + 1 == e.points.size();
        if (i < e.bulges.size() && (!last || e.closed))
          add_bulged_segment(box, e.points[i], e.points[last ? 0 : i + 1], e.bulges[i]);
      }
      break;
    case ElementKind::Circle:
      add_arc(box, e.points.front(), std::abs(e.radius), 0, 360);
      break;
    case ElementKind::Arc:
      add_arc(box, e.points.front(), std::abs(e.radius), e.start_angle, e.end_angle);
      break;
    case ElementKind::Text:
      add_text(box, e);
      break;
    case ElementKind::Group:
      add_group(box, e);
      break;
  }
}

// What a group shows: its content where it lies on the sheet, cut to the box around its
// outline. The outline itself is not drawn.
void add_group(Box& box, const Element& e) {
  if (!e.group || e.points.size() < 3) return;
  Box content(box.transform().after(e.group->placement));
  for (const auto& child : e.group->content())
    if (child.kind != ElementKind::Group) add_element(content, child);
  const auto inner = content.result();
  if (!inner) return;
  Box outline(box.transform());
  for (const auto& p : e.points) outline.add(p);
  const auto window = outline.result();
  if (!window) return;
  const Vec2 lo{std::max(inner->first.x, window->first.x),
                std::max(inner->first.y, window->first.y)};
  const Vec2 hi{std::min(inner->second.x, window->second.x),
                std::min(inner->second.y, window->second.y)};
  if (lo.x > hi.x || lo.y > hi.y) return;
  box.add_sheet(lo);
  box.add_sheet(hi);
}

}  // namespace

std::optional<std::pair<Vec2, Vec2>> element_extent(const Element& element) {
  Box box;
  add_element(box, element);
  return box.result();
}

std::optional<std::pair<Vec2, Vec2>> Sheet::extent() const {
  Box box;
  for (const auto& e : elements) add_element(box, e);
  return box.result();
}

}  // namespace host
