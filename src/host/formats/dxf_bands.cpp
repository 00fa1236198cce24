// Wide polylines as filled bands: arcs flattened, widths interpolated along each segment,
// the band's edges mitred where segments meet.
#include "host/formats/dxf_bands.h"

#include <algorithm>
#include <cmath>

#include "host/formats/dxf_hatch.h"

namespace host::dxf {
namespace {

struct Piece {
  Vec2 a, b;
  double w0, w1;
  Vec2 n;  // unit normal, to the left
  bool wide() const { return w0 > 0 || w1 > 0; }
};

// The pieces of the polyline: straight, with their widths.
std::vector<Piece> pieces(const Element& e, const std::vector<std::pair<double, double>>& widths) {
  std::vector<Piece> out;
  const auto& p = e.points;
  const std::size_t segments = e.closed ? p.size() : p.size() - 1;
  for (std::size_t i = 0; i < segments; ++i) {
    const Vec2 a = p[i], b = p[(i + 1) % p.size()];
    const double bulge = i < e.bulges.size() ? e.bulges[i] : 0;
    const auto [w0, w1] = i < widths.size() ? widths[i] : std::pair{0.0, 0.0};
    std::vector<Vec2> pts = flatten_bulges({a, b}, {bulge}, false);
    for (std::size_t k = 0; k + 1 < pts.size(); ++k) {
      const Vec2 q = pts[k], r = pts[k + 1];
      const double len = std::hypot(r.x - q.x, r.y - q.y);
      if (!(len > 0)) continue;
      const double f0 = static_cast<double>(k) / static_cast<double>(pts.size() - 1);
      const double f1 = static_cast<double>(k + 1) / static_cast<double>(pts.size() - 1);
      out.push_back({q,
                     r,
                     w0 + (w1 - w0) * f0,
                     w0 + (w1 - w0) * f1,
                     {-(r.y - q.y) / len, (r.x - q.x) / len}});
    }
  }
  return out;
}

Vec2 offset(Vec2 p, Vec2 n, double d) {
  return {p.x + n.x * d, p.y + n.y * d};
}

// Where the edge of piece s (side +1 left, -1 right) meets that of piece t; both corners when
// the edges are parallel or meet too far out (a sharp turn).
void join(std::vector<Vec2>& out, const Piece& s, const Piece& t, double side) {
  const Vec2 p1 = offset(s.a, s.n, side * s.w0 / 2), p2 = offset(s.b, s.n, side * s.w1 / 2);
  const Vec2 q1 = offset(t.a, t.n, side * t.w0 / 2), q2 = offset(t.b, t.n, side * t.w1 / 2);
  const Vec2 d1{p2.x - p1.x, p2.y - p1.y}, d2{q2.x - q1.x, q2.y - q1.y};
  const double cross = d1.x * d2.y - d1.y * d2.x;
  const double reach = 2 * std::max({s.w0, s.w1, t.w0, t.w1});
  if (std::fabs(cross) > 1e-12 * std::hypot(d1.x, d1.y) * std::hypot(d2.x, d2.y)) {
    const double f = ((q1.x - p1.x) * d2.y - (q1.y - p1.y) * d2.x) / cross;
    const Vec2 x{p1.x + d1.x * f, p1.y + d1.y * f};
    if (std::hypot(x.x - s.b.x, x.y - s.b.y) <= reach) {
      out.push_back(x);
      return;
    }
  }
  out.push_back(p2);
  if (!(q1 == p2)) out.push_back(q1);
}

// One side of a run of wide pieces [from, to), corners at its open ends unless it is a loop.
std::vector<Vec2> side(const std::vector<Piece>& ps, std::size_t from, std::size_t to, double sign,
                       bool loop) {
  std::vector<Vec2> out;
  if (!loop) out.push_back(offset(ps[from].a, ps[from].n, sign * ps[from].w0 / 2));
  for (std::size_t i = from; i + 1 < to; ++i) join(out, ps[i], ps[i + 1], sign);
  if (loop) {
    join(out, ps[to - 1], ps[from], sign);
  } else {
    out.push_back(offset(ps[to - 1].b, ps[to - 1].n, sign * ps[to - 1].w1 / 2));
  }
  return out;
}

Element fill_of(const Element& like, std::vector<std::vector<Vec2>> rings) {
  Element e;
  e.kind = ElementKind::Fill;
  e.stroke = like.stroke;
  e.info = like.info;
  for (auto& ring : rings) {
    if (ring.size() < 3) continue;
    e.rings.push_back(static_cast<std::uint32_t>(ring.size()));
    e.points.insert(e.points.end(), ring.begin(), ring.end());
  }
  return e;
}

}  // namespace

std::vector<Element> polyline_bands(const Element& e,
                                    const std::vector<std::pair<double, double>>& widths) {
  std::vector<Element> out;
  if (e.points.size() < 2) return out;
  const std::vector<Piece> ps = pieces(e, widths);
  bool any = false, all = !ps.empty();
  for (const Piece& p : ps) any = any || p.wide(), all = all && p.wide();
  if (!any) return out;
  if (e.closed && all) {
    out.push_back(fill_of(e, {side(ps, 0, ps.size(), 1, true), side(ps, 0, ps.size(), -1, true)}));
    return out;
  }
  for (std::size_t i = 0; i < ps.size();) {
    std::size_t j = i;
    while (j < ps.size() && ps[j].wide() == ps[i].wide()) ++j;
    if (ps[i].wide()) {
      std::vector<Vec2> ring = side(ps, i, j, 1, false);
      std::vector<Vec2> right = side(ps, i, j, -1, false);
      ring.insert(ring.end(), right.rbegin(), right.rend());
      Element f = fill_of(e, {std::move(ring)});
      if (!f.rings.empty()) out.push_back(std::move(f));
    } else {
      Element line;
      line.kind = ElementKind::Polyline;
      line.stroke = e.stroke;
      line.info = e.info;
      line.points.push_back(ps[i].a);
      for (std::size_t k = i; k < j; ++k) line.points.push_back(ps[k].b);
      out.push_back(std::move(line));
    }
    i = j;
  }
  return out;
}

}  // namespace host::dxf
