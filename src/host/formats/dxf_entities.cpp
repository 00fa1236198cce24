// Entities that dxflib leaves out, read from their groups in file order.
#include "host/formats/dxf_entities.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>

#include "host/formats/dxf_geometry.h"
#include "host/formats/dxf_hatch.h"

namespace host::dxf {
namespace {

constexpr double kPi = std::numbers::pi;

Vec2 plus(Vec2 a, Vec2 b, double f = 1) {
  return {a.x + b.x * f, a.y + b.y * f};
}

}  // namespace

// A filled arrowhead at `tip`, pointing away from `from`: as long as `size`, a third as wide.
std::vector<Vec2> arrowhead(Vec2 tip, Vec2 from, double size) {
  const double len = std::hypot(tip.x - from.x, tip.y - from.y);
  if (!(len > 0) || !(size > 0)) return {};
  const Vec2 d{(tip.x - from.x) / len, (tip.y - from.y) / len}, n{-d.y, d.x};
  const Vec2 back = plus(tip, d, -size);
  return {tip, plus(back, n, size / 6), plus(back, n, -size / 6)};
}

MLeader parse_multileader(const Groups& groups) {
  MLeader m;
  GroupCursor c(groups);
  if (!c.seek(300)) return m;
  double arrow = 0, text_height = 1;
  int attachment = 1;
  std::optional<std::string> text;
  Vec2 text_at, dir{1, 0};
  bool has_block = false;
  MLeader::Block block;
  int depth = 0;
  std::vector<std::vector<Vec2>> doglegs;  // the landings from the leaders to the content
  // leader: its last point (where the lines meet the landing), its lines
  for (; !c.done(); c.skip()) {
    const int code = c.code();
    const std::string& v = c.text();
    if (code == 300 && v == "CONTEXT_DATA{") {
      depth = 1;
      continue;
    }
    if (code == 301 && depth == 1) {
      c.skip();
      break;
    }
    if (code == 302 && v == "LEADER{") {
      // a leader: its connection point, then its lines
      Vec2 last, dogleg;
      double dogleg_length = 0;
      bool has_last = false;
      std::vector<std::vector<Vec2>> lines;
      for (c.skip(); !c.done() && !(c.at(303)); c.skip()) {
        if (c.at(10) && lines.empty()) {
          last = {to_real(c.text()), 0};
          c.skip();
          if (c.at(20)) last.y = to_real(c.text());
          has_last = true;
        } else if (lines.empty() && (c.at(11) || c.at(21) || c.at(40))) {
          (c.at(11) ? dogleg.x : c.at(21) ? dogleg.y : dogleg_length) = to_real(c.text());
        } else if (c.at(304) && c.text() == "LEADER_LINE{") {
          std::vector<Vec2> line;
          for (c.skip(); !c.done() && !c.at(305); c.skip()) {
            if (c.at(10)) {
              Vec2 p{to_real(c.text()), 0};
              c.skip();
              if (c.at(20)) p.y = to_real(c.text());
              line.push_back(p);
            }
          }
          lines.push_back(std::move(line));
        }
      }
      if (has_last && dogleg_length > 0)
        doglegs.push_back(
            {last, {last.x + dogleg.x * dogleg_length, last.y + dogleg.y * dogleg_length}});
      for (auto& line : lines) {
        if (has_last) line.push_back(last);
        if (line.size() < 2) continue;
        m.arrows.push_back(arrowhead(line[0], line[1], arrow));
        m.lines.push_back(std::move(line));
      }
      continue;
    }
    if (code == 140) arrow = to_real(v);
    if (code == 41) text_height = to_real(v, 1);
    if (code == 304) text = v;
    if (code == 12) text_at.x = to_real(v);
    if (code == 22) text_at.y = to_real(v);
    if (code == 13) dir.x = to_real(v, 1);
    if (code == 23) dir.y = to_real(v);
    if (code == 171) attachment = static_cast<int>(to_real(v, 1));
    if (code == 296) has_block = to_real(v) != 0;
    if (code == 341) block.record = v;
    if (code == 15) block.at.x = to_real(v);
    if (code == 25) block.at.y = to_real(v);
    if (code == 16) block.sx = to_real(v, 1);
    if (code == 26) block.sy = to_real(v, 1);
    if (code == 46) block.angle = to_real(v) * 180 / kPi;
  }
  // after the context: leader type 0 hides the lines, content type 1 is a block, 2 text
  int leader_type = 1, content = text ? 2 : 1;
  bool with_dogleg = true;
  auto raw_color = [&c] {
    return static_cast<std::uint32_t>(static_cast<long long>(to_real(c.text())));
  };
  for (bool seen_291 = false, seen_172 = false; !c.done() && !c.at(300); c.skip()) {
    if (c.at(170)) leader_type = static_cast<int>(to_real(c.text(), 1));
    if (c.at(291) && !seen_291) with_dogleg = to_real(c.text(), 1) != 0, seen_291 = true;
    if (c.at(91) && !seen_172) m.line_color = raw_color();
    if (c.at(172) && !seen_172) content = static_cast<int>(to_real(c.text(), 2)), seen_172 = true;
    if (c.at(92) && seen_172) m.text_color = raw_color();
    if (c.at(93) && seen_172) m.block_color = raw_color();
  }
  if (with_dogleg) m.lines.insert(m.lines.end(), doglegs.begin(), doglegs.end());
  if (leader_type == 0) m.lines.clear(), m.arrows.clear();
  std::erase_if(m.arrows, [](const auto& a) { return a.size() < 3; });
  if (content == 2 && text && !text->empty()) {
    double deg = std::atan2(dir.y, dir.x) * 180 / kPi;
    m.text = MLeader::Text{*text, text_at, text_height, deg, std::clamp(attachment, 1, 9)};
  }
  if (content == 1 && has_block && !block.record.empty()) m.block = block;
  return m;
}

std::vector<std::vector<Vec2>> mline_lines(const Groups& groups, bool& closed) {
  std::vector<std::vector<Vec2>> out;
  GroupCursor c(groups);
  long long elements = 0;
  closed = false;
  for (; !c.done() && !c.at(11); c.skip()) {
    if (c.at(71)) closed = (static_cast<long long>(to_real(c.text())) & 2) != 0;
    if (c.at(73)) elements = static_cast<long long>(to_real(c.text()));
  }
  if (elements <= 0 || elements > 16) return out;
  out.resize(static_cast<std::size_t>(elements));
  Vec2 v, dir, miter;
  while (c.point(11, v)) {
    c.real(31);
    c.point(12, dir);
    c.real(32);
    c.point(13, miter);
    c.real(33);
    for (auto& line : out) {
      long long params = c.integer(74);
      double along = 0;
      for (long long i = 0; i < params && c.at(41); ++i) {
        double p = c.real(41);
        if (i == 0) along = p;
      }
      long long fills = c.integer(75);
      for (long long i = 0; i < fills && c.at(42); ++i) c.skip();
      line.push_back(plus(v, miter, along));
    }
  }
  std::erase_if(out, [](const auto& l) { return l.size() < 2; });
  return out;
}

std::vector<Vec2> image_outline(const Groups& groups) {
  Vec2 insert{first_real(groups, 10), first_real(groups, 20)};
  if (first_text(groups, 13)) {
    // IMAGE and WIPEOUT: pixel vectors, size in pixels, boundary in pixels from the top left
    Vec2 u{first_real(groups, 11), first_real(groups, 21)};
    Vec2 v{first_real(groups, 12), first_real(groups, 22)};
    const double w = first_real(groups, 13), h = first_real(groups, 23);
    std::vector<Vec2> px;
    for (std::size_t i = 0; i < groups.size(); ++i)
      if (groups[i].first == 14)
        px.push_back({to_real(groups[i].second), i + 1 < groups.size() && groups[i + 1].first == 24
                                                     ? to_real(groups[i + 1].second)
                                                     : 0});
    if (px.size() < 2) px = {{-0.5, -0.5}, {w - 0.5, h - 0.5}};
    if (px.size() == 2) px = {px[0], {px[1].x, px[0].y}, px[1], {px[0].x, px[1].y}};
    const Vec2 origin = plus(plus(insert, u, 0.5), v, -0.5);
    std::vector<Vec2> out;
    for (const Vec2& p : px) out.push_back(plus(plus(origin, u, p.x), v, h - p.y));
    if (out.size() > 2 && out.front() == out.back()) out.pop_back();
    return out;
  }
  // underlays: a clipping boundary in their own units, scaled and turned into place
  std::vector<Vec2> out;
  const double sx = first_real(groups, 41, 1), sy = first_real(groups, 42, 1);
  const Affine m = Affine::translation(insert.x, insert.y)
                       .after(Affine::rotation_deg(first_real(groups, 50)))
                       .after(Affine::scaling(sx, sy));
  for (std::size_t i = 0; i + 1 < groups.size(); ++i)
    if (groups[i].first == 11 && groups[i + 1].first == 21)
      out.push_back(m.apply({to_real(groups[i].second), to_real(groups[i + 1].second)}));
  if (out.size() == 2) out = {out[0], {out[1].x, out[0].y}, out[1], {out[0].x, out[1].y}};
  return out.size() >= 3 ? out : std::vector<Vec2>{};
}

std::vector<Vec2> spatial_filter_outline(const Groups& groups, Affine* to_block) {
  std::vector<Vec2> boundary;
  std::vector<double> matrices;  // the inverse of the reference's, then the boundary's
  bool enabled = true;
  for (std::size_t i = 0; i < groups.size(); ++i) {
    const auto& [code, value] = groups[i];
    if (code == 10)
      boundary.push_back({to_real(value), i + 1 < groups.size() && groups[i + 1].first == 20
                                              ? to_real(groups[i + 1].second)
                                              : 0});
    if (code == 71) enabled = to_real(value, 1) != 0;
    if (code == 40) matrices.push_back(to_real(value));
  }
  if (!enabled) return {};
  Affine m;
  if (matrices.size() == 24) {
    // rows of three columns and a translation: the inverse of the reference's, then the
    // boundary's own
    const auto row = [&](std::size_t at) {
      const double* v = &matrices[at];
      return Affine{v[0], v[1], v[4], v[5], v[3], v[7]};
    };
    m = row(0).after(row(12));
  }
  if (to_block) *to_block = m;
  if (boundary.size() == 2)
    boundary = {
        boundary[0], {boundary[1].x, boundary[0].y}, boundary[1], {boundary[0].x, boundary[1].y}};
  if (boundary.size() > 2 && boundary.front() == boundary.back()) boundary.pop_back();
  if (boundary.size() < 3) return {};
  for (Vec2& p : boundary) p = m.apply(p);
  return boundary;
}

std::vector<Vec2> helix_points(const Groups& groups) {
  GroupCursor c(groups);
  int degree = 3;
  std::vector<double> knots, weights;
  std::vector<Vec2> control, fit;
  for (; !c.done(); c.skip()) {
    if (c.at(100) && c.text() == "AcDbHelix") break;
    if (c.at(71)) degree = static_cast<int>(to_real(c.text(), 3));
    if (c.at(40)) knots.push_back(to_real(c.text()));
    if (c.at(41)) weights.push_back(to_real(c.text(), 1));
    Vec2 p;
    if (c.at(10) || c.at(11)) {
      const bool is_fit = c.at(11);
      p.x = to_real(c.text());
      c.skip();
      if (c.at(is_fit ? 21 : 20)) p.y = to_real(c.text());
      (is_fit ? fit : control).push_back(p);
    }
  }
  if (weights.size() != control.size()) weights.assign(control.size(), 1.0);
  std::vector<Vec2> pts = spline_points(degree, control, weights, knots);
  if (pts.empty()) pts = fit.size() >= 2 ? fit : control;
  return pts;
}

std::vector<std::pair<Vec2, Vec2>> mesh_edges(const Groups& groups) {
  std::vector<std::pair<Vec2, Vec2>> out;
  GroupCursor c(groups);
  if (!c.seek(92)) return out;
  const long long count = c.integer(92);
  std::vector<Vec2> vertices;
  Vec2 p;
  for (long long i = 0; i < count && c.point(10, p); ++i) {
    vertices.push_back(p);
    c.real(30);
  }
  if (!c.seek(93)) return out;
  // the face list: for each face its number of corners, then their vertex indices
  const long long size = c.integer(93);
  std::vector<long long> list;
  for (long long i = 0; i < size && c.at(90); ++i) list.push_back(c.integer(90));
  std::set<std::pair<long long, long long>> seen;
  const auto n = static_cast<long long>(vertices.size());
  for (std::size_t i = 0; i < list.size();) {
    const long long corners = list[i++];
    if (corners < 2 || static_cast<std::size_t>(corners) > list.size() - i) break;
    const long long* face = &list[i];
    i += static_cast<std::size_t>(corners);
    if (std::any_of(face, face + corners, [n](long long v) { return v < 0 || v >= n; })) continue;
    for (long long k = 0; k < corners; ++k) {
      long long a = face[k], b = face[(k + 1) % corners];
      if (a > b) std::swap(a, b);
      const Vec2 p = vertices[static_cast<std::size_t>(a)];
      const Vec2 q = vertices[static_cast<std::size_t>(b)];
      // an upright edge is a point in top view
      if (!(p == q) && seen.insert({a, b}).second) out.emplace_back(p, q);
    }
  }
  return out;
}

ToleranceFrame tolerance_frame(const Groups& groups, double h) {
  ToleranceFrame t;
  t.height = h;
  const Vec2 at{first_real(groups, 10), first_real(groups, 20)};
  const Vec2 dir{first_real(groups, 11, 1), first_real(groups, 21)};
  t.angle = std::atan2(dir.y, dir.x) * 180 / kPi;
  const Affine m = Affine::translation(at.x, at.y).after(Affine::rotation_deg(t.angle));
  const std::string* text = first_text(groups, 1);
  if (!text) return t;
  // rows by "^J", fields by "%%v"; the insertion point is the top left corner
  std::vector<std::string> rows;
  for (std::size_t from = 0;;) {
    std::size_t brk = text->find("^J", from);
    rows.push_back(text->substr(from, brk == std::string::npos ? brk : brk - from));
    if (brk == std::string::npos) break;
    from = brk + 2;
  }
  const double row_h = 2 * h;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    double x = 0;
    const double top = -static_cast<double>(r) * row_h;
    for (std::size_t from = 0;;) {
      std::size_t brk = rows[r].find("%%v", from);
      std::string field = rows[r].substr(from, brk == std::string::npos ? brk : brk - from);
      if (!field.empty() || brk != std::string::npos) {
        const double w = std::max(1.0, static_cast<double>(field.size())) * h * 0.8 + h;
        t.boxes.push_back({m.apply({x, top}), m.apply({x + w, top}), m.apply({x + w, top - row_h}),
                           m.apply({x, top - row_h})});
        t.texts.emplace_back(m.apply({x + w / 2, top - h}), field);
        x += w;
      }
      if (brk == std::string::npos) break;
      from = brk + 3;
    }
  }
  return t;
}

std::optional<std::pair<Vec2, Vec2>> clip_to_box(Vec2 base, Vec2 d, bool ray, Vec2 lo, Vec2 hi) {
  double t0 = ray ? 0 : -1e300, t1 = 1e300;
  const double p[] = {-d.x, d.x, -d.y, d.y};
  const double q[] = {base.x - lo.x, hi.x - base.x, base.y - lo.y, hi.y - base.y};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return std::nullopt;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
  }
  if (!(t0 < t1) || t0 < -1e299 || t1 > 1e299) return std::nullopt;
  return std::pair{plus(base, d, t0), plus(base, d, t1)};
}

}  // namespace host::dxf
