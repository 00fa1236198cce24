// A group element as plain elements: its content placed on the sheet and cut to its
// outline.
#include "host/formats/dxf_clip.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "host/formats/dxf_geometry.h"

namespace host::dxf {
namespace {

// Curves are cut as chords of at most this angle (degrees): finer than a pen width on
// any sheet a viewport shows.
constexpr double kStepDeg = 2;

// Even-odd rule, so any simple or self-touching outline works.
bool inside(const std::vector<Vec2>& poly, Vec2 p) {
  bool in = false;
  for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    const Vec2 a = poly[i], b = poly[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) in = !in;
  }
  return in;
}

// Parameter t on p->q where it crosses a->b, when it does.
bool crossing(Vec2 p, Vec2 q, Vec2 a, Vec2 b, double& t) {
  const double rx = q.x - p.x, ry = q.y - p.y, sx = b.x - a.x, sy = b.y - a.y;
  const double den = rx * sy - ry * sx;
  if (den == 0) return false;
  t = ((a.x - p.x) * sy - (a.y - p.y) * sx) / den;
  const double u = ((a.x - p.x) * ry - (a.y - p.y) * rx) / den;
  return t > 0 && t < 1 && u >= 0 && u <= 1;
}

bool box_inside(const std::vector<Vec2>& poly, std::pair<Vec2, Vec2> box) {
  const auto [lo, hi] = box;
  const Vec2 corners[] = {lo, {hi.x, lo.y}, hi, {lo.x, hi.y}};
  for (const Vec2& c : corners)
    if (!inside(poly, c)) return false;
  for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    const Vec2 a = poly[i], b = poly[j];
    if (a.x > lo.x && a.x < hi.x && a.y > lo.y && a.y < hi.y) return false;
    for (int k = 0; k < 4; ++k) {
      double t;
      if (crossing(corners[k], corners[(k + 1) % 4], a, b, t)) return false;
    }
  }
  return true;
}

void arc_to(std::vector<Vec2>& out, Vec2 c, double r, double from, double sweep) {
  const int n = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / kStepDeg)));
  for (int i = 0; i <= n; ++i) {
    const double a = (from + sweep * i / n) * std::numbers::pi / 180;
    out.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a)});
  }
}

// The parts of the run inside the outline, each as an open polyline.
void cut(const std::vector<Vec2>& run, const std::vector<Vec2>& poly, const Element& like,
         std::vector<Element>& out) {
  std::vector<Vec2> piece;
  auto finish = [&] {
    if (piece.size() >= 2) {
      Element e;
      e.kind = ElementKind::Polyline;
      e.stroke = like.stroke;
      e.info = like.info;
      e.sketch = like.sketch;
      e.id = next_id();
      e.points = std::move(piece);
      out.push_back(std::move(e));
    }
    piece.clear();
  };
  std::vector<double> ts;
  for (std::size_t i = 0; i + 1 < run.size(); ++i) {
    const Vec2 p = run[i], q = run[i + 1];
    ts.assign({0.0, 1.0});
    for (std::size_t k = 0, j = poly.size() - 1; k < poly.size(); j = k++) {
      double t;
      if (crossing(p, q, poly[j], poly[k], t)) ts.push_back(t);
    }
    std::sort(ts.begin(), ts.end());
    for (std::size_t k = 0; k + 1 < ts.size(); ++k) {
      const auto at = [&](double t) { return Vec2{p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t}; };
      if (!inside(poly, at((ts[k] + ts[k + 1]) / 2))) {
        finish();
        continue;
      }
      if (piece.empty()) piece.push_back(at(ts[k]));
      piece.push_back(at(ts[k + 1]));
    }
  }
  finish();
}

}  // namespace

std::vector<Vec2> flattened(const Element& e) {
  std::vector<Vec2> out;
  const auto& p = e.points;
  switch (e.kind) {
    case ElementKind::Line:
      out = p;
      break;
    case ElementKind::Rectangle:
      out = {p[0], {p[1].x, p[0].y}, p[1], {p[0].x, p[1].y}, p[0]};
      break;
    case ElementKind::Circle:
      arc_to(out, p[0], e.radius, 0, 360);
      break;
    case ElementKind::Arc: {
      double sweep = std::fmod(e.end_angle - e.start_angle, 360.0);
      if (sweep <= 0) sweep += 360;
      arc_to(out, p[0], e.radius, e.start_angle, sweep);
      break;
    }
    case ElementKind::Polyline: {
      out.push_back(p[0]);
      const std::size_t segments = e.closed ? p.size() : p.size() - 1;
      for (std::size_t i = 0; i < segments; ++i) {
        const Vec2 a = p[i], b = p[(i + 1) % p.size()];
        const double bulge = i < e.bulges.size() ? e.bulges[i] : 0;
        const double chord = std::hypot(b.x - a.x, b.y - a.y);
        if (bulge == 0 || !std::isfinite(bulge) || chord == 0) {
          out.push_back(b);
          continue;
        }
        // centre and radius of the bulged segment, then its arc
        const double sweep = 4 * std::atan(bulge) * 180 / std::numbers::pi;
        const double k = (1 - bulge * bulge) / (4 * bulge);
        const Vec2 c{(a.x + b.x) / 2 - (b.y - a.y) * k, (a.y + b.y) / 2 + (b.x - a.x) * k};
        const double start = std::atan2(a.y - c.y, a.x - c.x) * 180 / std::numbers::pi;
        arc_to(out, c, std::hypot(a.x - c.x, a.y - c.y), start, sweep);
        out.back() = b;
      }
      break;
    }
    // areas, points and pictures are not cut: they travel whole or not at all
    case ElementKind::Text:
    case ElementKind::Fill:
    case ElementKind::Point:
    case ElementKind::Mask:
    case ElementKind::Image:
    case ElementKind::Group:
      break;
  }
  return out;
}

std::vector<Element> clipped_view(const Element& group) {
  std::vector<Element> out;
  if (!group.group || group.points.size() < 3) return out;
  const std::vector<Vec2>& poly = group.points;
  const Transform& t = group.group->placement;
  const Affine m{t.a, t.b, t.c, t.d, t.e, t.f};
  Vec2 lo = poly[0], hi = poly[0];
  for (const Vec2& p : poly) {
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y)};
  }
  for (const Element& child : group.group->content()) {
    if (child.kind == ElementKind::Group || child.points.empty()) continue;
    Element placed = child;
    transform_element(placed, m);
    placed.id = next_id();
    if (placed.kind == ElementKind::Text || placed.kind == ElementKind::Point) {
      if (inside(poly, placed.points[0])) out.push_back(std::move(placed));
      continue;
    }
    const auto box = element_extent(placed);
    if (!box || box->second.x < lo.x || box->first.x > hi.x || box->second.y < lo.y ||
        box->first.y > hi.y)
      continue;
    if (box_inside(poly, *box)) {
      out.push_back(std::move(placed));
      continue;
    }
    std::vector<Vec2> run = flattened(child);
    for (Vec2& p : run) p = m.apply(p);
    cut(run, poly, child, out);
  }
  return out;
}

}  // namespace host::dxf
