// The extent of a sheet: exact for lines, circles, arcs and bulged polylines, estimated for
// texts laid out with an estimated character width (see text_layout.h).
#include <algorithm>
#include <cmath>
#include <numbers>

#include "host/drawing/model.h"
#include "host/drawing/text_layout.h"

namespace host {

namespace {

// Gap between a text and its frame, as a share of the size.
constexpr double kFrameGap = 0.25;

double radians(double degrees) {
  return degrees * std::numbers::pi / 180.0;
}

class Box {
 public:
  void add(Vec2 p) {
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

 private:
  bool any_ = false;
  Vec2 lo_, hi_;
};

Vec2 on_circle(Vec2 c, double r, double degrees) {
  return {c.x + r * std::cos(radians(degrees)), c.y + r * std::sin(radians(degrees))};
}

// Counter-clockwise arc from `start` to `end` (degrees): its end points and every axis
// extreme that the sweep passes.
void add_arc(Box& box, Vec2 c, double r, double start, double end) {
  double sweep = std::fmod(end - start, 360.0);
  if (sweep < 0) sweep += 360.0;
  if (sweep == 0 && end != start) sweep = 360.0;
  box.add(on_circle(c, r, start));
  box.add(on_circle(c, r, end));
  for (int quadrant = 0; quadrant < 4; ++quadrant) {
    double offset = std::fmod(quadrant * 90.0 - start, 360.0);
    if (offset < 0) offset += 360.0;
    if (offset <= sweep) box.add(on_circle(c, r, quadrant * 90.0));
  }
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
  const double y0 = block.bottom - gap, y1 = block.top + gap;
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

void add_element(Box& box, const Element& e) {
  if (e.points.empty()) return;
  switch (e.kind) {
    case ElementKind::Line:
    case ElementKind::Rectangle:
      for (const auto& p : e.points) box.add(p);
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
  }
}

}  // namespace

std::optional<std::pair<Vec2, Vec2>> Sheet::extent() const {
  Box box;
  for (const auto& e : elements) add_element(box, e);
  return box.result();
}

}  // namespace host
