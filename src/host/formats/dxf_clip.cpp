// Cutting content to a clipping region: lines and curves by their crossings with its
// rings, areas with the Clipper library.
#include "host/formats/dxf_clip.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <polyclipping/clipper.hpp>

#include "host/formats/dxf_geometry.h"

namespace host::dxf {
namespace {

// Curves are cut as chords of at most this angle (degrees): finer than a pen width on
// any sheet a viewport shows.
constexpr double kStepDeg = 2;

// Calls f(a, b) for every edge of every ring.
template <class F>
void for_each_edge(const Rings& region, F&& f) {
  for (const auto& ring : region)
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) f(ring[i], ring[j]);
}

// Even-odd rule, so any simple or self-touching outline works, and holes.
bool inside(const Rings& region, Vec2 p) {
  bool in = false;
  for_each_edge(region, [&](Vec2 a, Vec2 b) {
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) in = !in;
  });
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

bool box_inside(const Rings& region, std::pair<Vec2, Vec2> box) {
  const auto [lo, hi] = box;
  const Vec2 corners[] = {lo, {hi.x, lo.y}, hi, {lo.x, hi.y}};
  for (const Vec2& c : corners)
    if (!inside(region, c)) return false;
  bool crossed = false;
  for_each_edge(region, [&](Vec2 a, Vec2 b) {
    if (a.x > lo.x && a.x < hi.x && a.y > lo.y && a.y < hi.y) crossed = true;
    for (int k = 0; k < 4 && !crossed; ++k) {
      double t;
      if (crossing(corners[k], corners[(k + 1) % 4], a, b, t)) crossed = true;
    }
  });
  return !crossed;
}

std::pair<Vec2, Vec2> bounds(const Rings& rings) {
  Vec2 lo{HUGE_VAL, HUGE_VAL}, hi{-HUGE_VAL, -HUGE_VAL};
  for (const auto& ring : rings)
    for (const Vec2& p : ring) {
      lo = {std::min(lo.x, p.x), std::min(lo.y, p.y)};
      hi = {std::max(hi.x, p.x), std::max(hi.y, p.y)};
    }
  return {lo, hi};
}

// The rings of a fill or mask.
Rings area_rings(const Element& e) {
  Rings rings;
  std::size_t at = 0;
  for (std::uint32_t n : e.rings) {
    if (n == 0 || at + n > e.points.size()) break;
    rings.emplace_back(e.points.begin() + static_cast<std::ptrdiff_t>(at),
                       e.points.begin() + static_cast<std::ptrdiff_t>(at + n));
    at += n;
  }
  return rings;
}

// The part of an area inside the region, both by the even-odd rule. Clipper works in
// integers: coordinates are taken about the middle of both, scaled to about 1e15, which
// keeps the precision of a double and stays far from Clipper's limit.
void cut_area(const Element& area, const Rings& region, std::vector<Element>& out) {
  const Rings rings = area_rings(area);
  auto [lo, hi] = bounds(rings);
  const auto [rlo, rhi] = bounds(region);
  const Vec2 mid{(std::min(lo.x, rlo.x) + std::max(hi.x, rhi.x)) / 2,
                 (std::min(lo.y, rlo.y) + std::max(hi.y, rhi.y)) / 2};
  double reach = 0;
  for (const Vec2 p : {lo, hi, rlo, rhi})
    reach = std::max({reach, std::abs(p.x - mid.x), std::abs(p.y - mid.y)});
  if (!(reach > 0) || !std::isfinite(reach)) return;
  const double k = 1e15 / reach;
  auto to_paths = [&](const Rings& from) {
    ClipperLib::Paths paths;
    for (const auto& ring : from) {
      ClipperLib::Path& path = paths.emplace_back();
      for (const Vec2& p : ring)
        path.emplace_back(std::llround((p.x - mid.x) * k), std::llround((p.y - mid.y) * k));
    }
    return paths;
  };
  ClipperLib::Paths result;
  try {
    ClipperLib::Clipper clipper;
    clipper.AddPaths(to_paths(rings), ClipperLib::ptSubject, true);
    clipper.AddPaths(to_paths(region), ClipperLib::ptClip, true);
    clipper.Execute(ClipperLib::ctIntersection, result, ClipperLib::pftEvenOdd,
                    ClipperLib::pftEvenOdd);
  } catch (const ClipperLib::clipperException&) {
    // an area the library cannot cut shows whole rather than not at all
    out.push_back(area);
    return;
  }
  Element piece = area;
  piece.id = next_id();
  piece.points.clear();
  piece.rings.clear();
  // the pieces do not overlap and holes lie inside their outers: even-odd fills them right
  for (const ClipperLib::Path& path : result) {
    if (path.size() < 3) continue;
    for (const ClipperLib::IntPoint& q : path)
      piece.points.push_back(
          {static_cast<double>(q.X) / k + mid.x, static_cast<double>(q.Y) / k + mid.y});
    piece.rings.push_back(static_cast<std::uint32_t>(path.size()));
  }
  if (!piece.rings.empty()) out.push_back(std::move(piece));
}

void arc_to(std::vector<Vec2>& out, Vec2 c, double r, double from, double sweep) {
  const int n = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / kStepDeg)));
  for (int i = 0; i <= n; ++i) {
    const double a = (from + sweep * i / n) * std::numbers::pi / 180;
    out.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a)});
  }
}

// The parts of the run inside the outline, each as an open polyline.
void cut(const std::vector<Vec2>& run, const Rings& region, const Element& like,
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
    for_each_edge(region, [&](Vec2 a, Vec2 b) {
      double t;
      if (crossing(p, q, b, a, t)) ts.push_back(t);
    });
    std::sort(ts.begin(), ts.end());
    for (std::size_t k = 0; k + 1 < ts.size(); ++k) {
      const auto at = [&](double t) { return Vec2{p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t}; };
      if (!inside(region, at((ts[k] + ts[k + 1]) / 2))) {
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
    // areas, points and pictures have no outline to cut here (see clip_element)
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

namespace {

// A picture crossing the region keeps the part inside: its clipping boundary (or its frame)
// cut to the region becomes its boundary. Where the cut leaves several pieces, which one
// boundary cannot hold, the picture stays whole rather than being lost.
void cut_picture(const Element& picture, const Rings& region, std::vector<Element>& out) {
  const auto& p = picture.points;
  if (p.size() < 3) return;
  Element area;
  area.kind = ElementKind::Fill;
  if (p.size() >= 6)
    area.points.assign(p.begin() + 3, p.end());
  else
    area.points = {p[0], p[1], {p[1].x + p[2].x - p[0].x, p[1].y + p[2].y - p[0].y}, p[2]};
  area.rings = {static_cast<std::uint32_t>(area.points.size())};
  std::vector<Element> pieces;
  cut_area(area, region, pieces);
  if (pieces.empty()) return;  // wholly outside
  const Rings rings = area_rings(pieces.front());
  Element kept = picture;
  if (pieces.size() == 1 && rings.size() == 1) {
    kept.points.resize(3);
    kept.points.insert(kept.points.end(), rings.front().begin(), rings.front().end());
  }
  kept.id = next_id();
  out.push_back(std::move(kept));
}

}  // namespace

void clip_element(const Element& placed, const Rings& region, std::vector<Element>& out) {
  if (placed.kind == ElementKind::Group || placed.points.empty()) return;
  for (const Vec2& p : placed.points)
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
  if (placed.kind == ElementKind::Text || placed.kind == ElementKind::Point) {
    if (inside(region, placed.points[0])) out.push_back(placed);
    return;
  }
  const auto box = element_extent(placed);
  const auto [lo, hi] = bounds(region);
  if (!box || box->second.x < lo.x || box->first.x > hi.x || box->second.y < lo.y ||
      box->first.y > hi.y)
    return;
  if (box_inside(region, *box)) {
    out.push_back(placed);
    return;
  }
  if (placed.kind == ElementKind::Fill || placed.kind == ElementKind::Mask) {
    cut_area(placed, region, out);
    return;
  }
  if (placed.kind == ElementKind::Image) {
    cut_picture(placed, region, out);
    return;
  }
  cut(flattened(placed), region, placed, out);
}

std::vector<Element> clipped_view(const Element& group) {
  std::vector<Element> out;
  if (!group.group || group.points.size() < 3) return out;
  const Rings region{group.points};
  const Transform& t = group.group->placement;
  const Affine m{t.a, t.b, t.c, t.d, t.e, t.f};
  for (const Element& child : group.group->content()) {
    if (child.kind == ElementKind::Group || child.points.empty()) continue;
    Element placed = child;
    transform_element(placed, m);
    if (!group.group->paper_dashes)
      for (double& d : placed.stroke.dashes) d *= std::sqrt(std::abs(m.det()));
    placed.id = next_id();
    clip_element(placed, region, out);
  }
  return out;
}

}  // namespace host::dxf
