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
  Vec2 n;               // unit normal, to the left
  std::size_t segment;  // of the polyline
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
                     {-(r.y - q.y) / len, (r.x - q.x) / len},
                     i});
    }
  }
  return out;
}

Vec2 offset(Vec2 p, Vec2 n, double d) {
  return {p.x + n.x * d, p.y + n.y * d};
}

// Where the edge of piece s (side +1 left, -1 right) meets that of piece t: the mitre point,
// as CAD programs draw wide polylines however sharp the turn; both corners when the edges
// are parallel or the turn is so nearly a reversal that the mitre would run away.
std::vector<Vec2> join(const Piece& s, const Piece& t, double side) {
  const Vec2 p1 = offset(s.a, s.n, side * s.w0 / 2), p2 = offset(s.b, s.n, side * s.w1 / 2);
  const Vec2 q1 = offset(t.a, t.n, side * t.w0 / 2), q2 = offset(t.b, t.n, side * t.w1 / 2);
  const Vec2 d1{p2.x - p1.x, p2.y - p1.y}, d2{q2.x - q1.x, q2.y - q1.y};
  const double cross = d1.x * d2.y - d1.y * d2.x;
  const double reach = 50 * std::max({s.w0, s.w1, t.w0, t.w1});
  if (std::fabs(cross) > 1e-12 * std::hypot(d1.x, d1.y) * std::hypot(d2.x, d2.y)) {
    const double f = ((q1.x - p1.x) * d2.y - (q1.y - p1.y) * d2.x) / cross;
    const Vec2 x{p1.x + d1.x * f, p1.y + d1.y * f};
    if (std::hypot(x.x - s.b.x, x.y - s.b.y) <= reach) return {x};
  }
  if (q1 == p2) return {p2};
  return {p2, q1};
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

// One band per segment of the polyline rather than one outline for the whole run: the
// outline of a polyline that crosses itself would leave holes where it overlaps under the
// even-odd rule of fills. Corners cut off at a bevel get the triangle that closes the gap.
void run_bands(std::vector<Element>& out, const Element& like, const std::vector<Piece>& ps,
               std::size_t from, std::size_t to, bool loop) {
  // joints[k - from]: the corners on each side where piece k - 1 meets piece k
  std::vector<std::vector<Vec2>> left, right;
  for (std::size_t k = from; k <= to; ++k) {
    if (loop && (k == from || k == to)) {
      left.push_back(join(ps[to - 1], ps[from], 1));
      right.push_back(join(ps[to - 1], ps[from], -1));
    } else if (k == from) {
      left.push_back({offset(ps[k].a, ps[k].n, ps[k].w0 / 2)});
      right.push_back({offset(ps[k].a, ps[k].n, -ps[k].w0 / 2)});
    } else if (k == to) {
      left.push_back({offset(ps[k - 1].b, ps[k - 1].n, ps[k - 1].w1 / 2)});
      right.push_back({offset(ps[k - 1].b, ps[k - 1].n, -ps[k - 1].w1 / 2)});
    } else {
      left.push_back(join(ps[k - 1], ps[k], 1));
      right.push_back(join(ps[k - 1], ps[k], -1));
    }
  }
  for (std::size_t a = from; a < to;) {
    std::size_t b = a;
    while (b < to && ps[b].segment == ps[a].segment) ++b;
    std::vector<std::vector<Vec2>> rings(1);
    std::vector<Vec2>& ring = rings[0];
    ring.push_back(left[a - from].back());
    for (std::size_t k = a + 1; k < b; ++k)
      ring.insert(ring.end(), left[k - from].begin(), left[k - from].end());
    ring.push_back(left[b - from].front());
    std::vector<Vec2> r;
    r.push_back(right[a - from].back());
    for (std::size_t k = a + 1; k < b; ++k)
      r.insert(r.end(), right[k - from].begin(), right[k - from].end());
    r.push_back(right[b - from].front());
    ring.insert(ring.end(), r.rbegin(), r.rend());
    for (const auto* side : {&left[b - from], &right[b - from]})
      if (side->size() == 2 && (b < to || loop))
        rings.push_back({(*side)[0], (*side)[1], ps[b % ps.size()].a});
    Element f = fill_of(like, std::move(rings));
    if (!f.rings.empty()) out.push_back(std::move(f));
    a = b;
  }
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
    run_bands(out, e, ps, 0, ps.size(), true);
    return out;
  }
  for (std::size_t i = 0; i < ps.size();) {
    std::size_t j = i;
    while (j < ps.size() && ps[j].wide() == ps[i].wide()) ++j;
    if (ps[i].wide()) {
      run_bands(out, e, ps, i, j, false);
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
