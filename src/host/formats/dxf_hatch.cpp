// Hatches: boundary paths as point rings, and the entity's own pattern lines clipped to them.
#include "host/formats/dxf_hatch.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "host/formats/dxf_geometry.h"

namespace host::dxf {
namespace {

constexpr double kPi = std::numbers::pi;
// Flattened curves: one point per 5 degrees of turn, at least a few per arc.
constexpr double kStep = kPi / 36;

void push(std::vector<Vec2>& ring, Vec2 p) {
  if (ring.empty() || !(ring.back() == p)) ring.push_back(p);
}

// A path of edges: lines, arcs, elliptic arcs and splines, end to end.
void read_edges(GroupCursor& c, std::vector<Vec2>& ring) {
  long long edges = c.integer(93);
  for (long long k = 0; k < edges && c.at(72); ++k) {
    int type = static_cast<int>(c.integer(72));
    Vec2 a, b;
    switch (type) {
      case 1:
        c.point(10, a);
        c.point(11, b);
        push(ring, a);
        push(ring, b);
        break;
      case 2: {
        c.point(10, a);
        double r = c.real(40), s = c.real(50), e = c.real(51);
        bool ccw = c.integer(73, 1) != 0;
        // clockwise arcs are stored with their angles mirrored
        if (!ccw) s = -s, e = -e;
        append_arc(ring, a, r, s, e, ccw);
        break;
      }
      case 3: {
        c.point(10, a);
        c.point(11, b);
        double ratio = c.real(40, 1), s = c.real(50), e = c.real(51);
        bool ccw = c.integer(73, 1) != 0;
        if (!ccw) s = -s, e = -e;
        // the angles are true angles; the ellipse runs by its parameter
        auto param = [ratio](double deg) {
          double t = deg * kPi / 180;
          return std::atan2(std::sin(t) / (ratio != 0 ? ratio : 1), std::cos(t));
        };
        append_ellipse(ring, a, b, ratio, param(s), param(e), ccw);
        break;
      }
      case 4: {
        int degree = static_cast<int>(c.integer(94, 3));
        c.integer(73);
        c.integer(74);
        long long nk = c.integer(95), nc = c.integer(96);
        std::vector<double> knots, weights;
        std::vector<Vec2> control, fit;
        for (long long i = 0; i < nk && c.at(40); ++i) knots.push_back(c.real(40));
        for (long long i = 0; i < nc && c.point(10, a); ++i) {
          control.push_back(a);
          if (c.at(42)) weights.push_back(c.real(42, 1));
        }
        if (weights.size() != control.size()) weights.assign(control.size(), 1.0);
        if (c.at(97)) {
          long long nf = c.integer(97);
          for (long long i = 0; i < nf && c.point(11, b); ++i) fit.push_back(b);
        }
        c.point(12, b);
        c.point(13, b);
        std::vector<Vec2> pts = spline_points(degree, control, weights, knots);
        if (pts.empty()) pts = fit.size() >= 2 ? fit : control;
        for (const Vec2& p : pts) push(ring, p);
        break;
      }
      default:
        return;
    }
  }
}

void read_polyline_path(GroupCursor& c, std::vector<Vec2>& ring) {
  // "has bulges" and "closed", in either order (MPOLYGON writes them the other way round)
  bool has_bulge = false;
  while (c.at(72) || c.at(73))
    if (c.at(72))
      has_bulge = c.integer(72) != 0;
    else
      c.skip();
  long long n = c.integer(93);
  std::vector<Vec2> pts;
  std::vector<double> bulges;
  Vec2 p;
  for (long long i = 0; i < n && c.point(10, p); ++i) {
    pts.push_back(p);
    bulges.push_back(has_bulge || c.at(42) ? c.real(42) : 0);
  }
  for (const Vec2& q : flatten_bulges(pts, bulges, true)) push(ring, q);
}

void read_paths(GroupCursor& c, Hatch& h) {
  long long paths = c.integer(91);
  for (long long k = 0; k < paths && c.at(92); ++k) {
    long long flags = c.integer(92);
    std::vector<Vec2> ring;
    if (flags & 2)
      read_polyline_path(c, ring);
    else
      read_edges(c, ring);
    // the source objects the path was made from
    long long sources = c.integer(97);
    for (long long i = 0; i < sources && c.at(330); ++i) c.skip();
    if (ring.size() > 1 && ring.front() == ring.back()) ring.pop_back();
    if (ring.size() >= 3) h.rings.push_back(std::move(ring));
  }
}

void read_pattern(GroupCursor& c, Hatch& h) {
  long long lines = c.integer(78);
  for (long long k = 0; k < lines && c.at(53); ++k) {
    PatternLine line;
    line.angle = c.real(53);
    line.base = {c.real(43), c.real(44)};
    line.offset = {c.real(45), c.real(46)};
    long long dashes = c.integer(79);
    for (long long i = 0; i < dashes && c.at(49); ++i) line.dashes.push_back(c.real(49));
    h.pattern.push_back(std::move(line));
  }
}

double dot(Vec2 a, Vec2 b) {
  return a.x * b.x + a.y * b.y;
}

}  // namespace

void append_arc(std::vector<Vec2>& out, Vec2 centre, double radius, double start_deg,
                double end_deg, bool ccw) {
  double sweep = ccw ? end_deg - start_deg : start_deg - end_deg;
  sweep = std::fmod(sweep, 360.0);
  if (sweep <= 1e-9) sweep += 360;
  sweep *= kPi / 180;
  int n = std::max(4, static_cast<int>(std::ceil(sweep / kStep)));
  double from = start_deg * kPi / 180, dir = ccw ? 1 : -1;
  for (int i = 0; i <= n; ++i) {
    double t = from + dir * sweep * i / n;
    push(out, {centre.x + radius * std::cos(t), centre.y + radius * std::sin(t)});
  }
}

void append_ellipse(std::vector<Vec2>& out, Vec2 c, Vec2 major, double ratio, double start,
                    double end, bool ccw) {
  double sweep = ccw ? end - start : start - end;
  sweep = std::fmod(sweep, 2 * kPi);
  if (sweep <= 1e-12) sweep += 2 * kPi;
  int n = std::max(4, static_cast<int>(std::ceil(sweep / kStep)));
  Vec2 minor{-major.y * ratio, major.x * ratio};
  double dir = ccw ? 1 : -1;
  for (int i = 0; i <= n; ++i) {
    double t = start + dir * sweep * i / n;
    push(out, {c.x + std::cos(t) * major.x + std::sin(t) * minor.x,
               c.y + std::cos(t) * major.y + std::sin(t) * minor.y});
  }
}

std::vector<Vec2> flatten_bulges(const std::vector<Vec2>& pts, const std::vector<double>& bulges,
                                 bool closed) {
  std::vector<Vec2> out;
  if (pts.empty()) return out;
  const std::size_t segments = closed ? pts.size() : pts.size() - 1;
  push(out, pts[0]);
  for (std::size_t i = 0; i < segments; ++i) {
    const Vec2 a = pts[i], b = pts[(i + 1) % pts.size()];
    const double bulge = i < bulges.size() ? bulges[i] : 0;
    const double chord = std::hypot(b.x - a.x, b.y - a.y);
    if (bulge == 0 || !std::isfinite(bulge) || chord == 0) {
      push(out, b);
      continue;
    }
    const double sweep = 4 * std::atan(bulge);
    const double k = (1 - bulge * bulge) / (4 * bulge);
    const Vec2 c{(a.x + b.x) / 2 - (b.y - a.y) * k, (a.y + b.y) / 2 + (b.x - a.x) * k};
    const double r = std::hypot(a.x - c.x, a.y - c.y);
    const double from = std::atan2(a.y - c.y, a.x - c.x);
    const int n = std::max(2, static_cast<int>(std::ceil(std::fabs(sweep) / kStep)));
    for (int k = 1; k < n; ++k) {
      double t = from + sweep * k / n;
      push(out, {c.x + r * std::cos(t), c.y + r * std::sin(t)});
    }
    push(out, b);
  }
  if (closed && out.size() > 1 && out.front() == out.back()) out.pop_back();
  return out;
}

Hatch parse_hatch(const Groups& groups, bool mpolygon) {
  Hatch h;
  h.boundary_lines = mpolygon;
  GroupCursor c(groups);
  for (; !c.done() && !c.at(91); c.skip()) {
    if (c.at(mpolygon ? 71 : 70)) h.solid = h.solid || to_real(c.text()) != 0;
    if (c.at(2) && !mpolygon) h.solid = h.solid || c.text() == "SOLID";
    if (c.at(210)) h.extrusion_xy.x = to_real(c.text());
    if (c.at(220)) h.extrusion_xy.y = to_real(c.text());
    if (c.at(230)) h.extrusion_z = to_real(c.text(), 1);
  }
  read_paths(c, h);
  bool gradient = false;
  Vec2 offset;
  for (; !c.done(); c.skip()) {
    if (mpolygon && c.at(63) && !gradient) h.fill_aci = static_cast<int>(to_real(c.text()));
    if (mpolygon && c.at(11)) offset.x = to_real(c.text());
    if (mpolygon && c.at(21)) offset.y = to_real(c.text());
    if (c.at(78)) {
      read_pattern(c, h);
      if (c.done()) break;
    }
    if (c.at(450)) gradient = to_real(c.text()) != 0;
    if (gradient && c.at(421) && h.fill_rgb < 0) h.fill_rgb = static_cast<int>(to_real(c.text()));
    if (gradient && c.at(63) && h.fill_aci < 0) h.fill_aci = static_cast<int>(to_real(c.text()));
  }
  if (gradient && !mpolygon) h.solid = true;
  for (auto& ring : h.rings)
    for (Vec2& p : ring) p = {p.x + offset.x, p.y + offset.y};
  return h;
}

PatternStrokes pattern_strokes(const std::vector<std::vector<Vec2>>& rings,
                               const std::vector<PatternLine>& pattern, std::size_t limit) {
  PatternStrokes out;
  Vec2 lo{1e300, 1e300}, hi{-1e300, -1e300};
  for (const auto& ring : rings)
    for (const Vec2& p : ring) {
      lo = {std::min(lo.x, p.x), std::min(lo.y, p.y)};
      hi = {std::max(hi.x, p.x), std::max(hi.y, p.y)};
    }
  if (!(lo.x <= hi.x) || !std::isfinite(lo.x) || !std::isfinite(hi.x)) return out;
  const double size = std::max(hi.x - lo.x, hi.y - lo.y);
  std::size_t strokes = 0;
  std::vector<double> ts;
  for (const PatternLine& line : pattern) {
    const double a = line.angle * kPi / 180;
    const Vec2 u{std::cos(a), std::sin(a)}, n{-std::sin(a), std::cos(a)};
    const double spacing = dot(line.offset, n);
    if (!(std::fabs(spacing) > size * 1e-9) || !std::isfinite(spacing)) continue;
    double dmin = 1e300, dmax = -1e300;
    for (Vec2 corner : {lo, hi, Vec2{lo.x, hi.y}, Vec2{hi.x, lo.y}}) {
      double d = dot({corner.x - line.base.x, corner.y - line.base.y}, n) / spacing;
      dmin = std::min(dmin, d), dmax = std::max(dmax, d);
    }
    const double first = std::floor(dmin), last = std::ceil(dmax);
    if (last - first > static_cast<double>(limit)) {
      out.too_dense = true;
      return out;
    }
    double period = 0;
    for (double d : line.dashes) period += std::fabs(d);
    for (double k = first; k <= last; ++k) {
      const Vec2 o{line.base.x + k * line.offset.x, line.base.y + k * line.offset.y};
      ts.clear();
      // a crossing counts where the edge's ends lie on different sides (half-open), so a
      // line through a vertex is counted once
      for (const auto& ring : rings) {
        for (std::size_t j = 0; j < ring.size(); ++j) {
          const Vec2 p = ring[j], q = ring[(j + 1) % ring.size()];
          const double sp = dot({p.x - o.x, p.y - o.y}, n), sq = dot({q.x - o.x, q.y - o.y}, n);
          if ((sp > 0) == (sq > 0)) continue;
          const double f = sp / (sp - sq);
          const Vec2 x{p.x + (q.x - p.x) * f, p.y + (q.y - p.y) * f};
          ts.push_back(dot({x.x - o.x, x.y - o.y}, u));
        }
      }
      std::sort(ts.begin(), ts.end());
      auto at = [&](double t) { return Vec2{o.x + u.x * t, o.y + u.y * t}; };
      for (std::size_t i = 0; i + 1 < ts.size(); i += 2) {
        const double t0 = ts[i], t1 = ts[i + 1];
        if (line.dashes.empty() || !(period > (t1 - t0) * 1e-4)) {
          out.dashes.emplace_back(at(t0), at(t1));
          ++strokes;
        } else {
          for (double pos = std::floor(t0 / period) * period; pos < t1;) {
            for (double d : line.dashes) {
              if (d > 0 && pos + d > t0 && pos < t1) {
                out.dashes.emplace_back(at(std::max(pos, t0)), at(std::min(pos + d, t1)));
                ++strokes;
              } else if (d == 0 && pos >= t0 && pos <= t1) {
                out.dots.push_back(at(pos));
                ++strokes;
              }
              pos += std::fabs(d);
            }
            if (strokes > limit) break;
          }
        }
        if (strokes > limit) {
          out.too_dense = true;
          return out;
        }
      }
    }
  }
  return out;
}

}  // namespace host::dxf
