// Placing the content of DXF blocks: affine transforms applied to host elements.
#include "host/formats/dxf_geometry.h"
#include "host/value/language.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace host::dxf {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kEps = 1e-9;

double deg(double rad) {
  return rad * 180.0 / kPi;
}
double rad(double degrees) {
  return degrees * kPi / 180.0;
}
double length(Vec2 v) {
  return std::hypot(v.x, v.y);
}
double direction_deg(Vec2 v) {
  return deg(std::atan2(v.y, v.x));
}

double normalize_deg(double a) {
  a = std::fmod(a, 360.0);
  return a < 0 ? a + 360.0 : a;
}

// Rotation, uniform scale and mirroring keep circles circles.
bool keeps_circles(const Affine& m) {
  double sx = std::hypot(m.a, m.c), sy = std::hypot(m.b, m.d);
  double dot = m.a * m.b + m.c * m.d;
  return std::fabs(sx - sy) <= kEps * std::max(sx, 1.0) && std::fabs(dot) <= kEps * sx * sy;
}

// Points along an arc, counter-clockwise from `from` to `to` (degrees), ends included.
void arc_points(std::vector<Vec2>& out, Vec2 c, double r, double from, double to) {
  double sweep = normalize_deg(to - from);
  if (sweep <= kEps) sweep = 360.0;
  int n = std::max(2, static_cast<int>(std::ceil(sweep / 5.0)));
  for (int i = 0; i <= n; ++i) {
    double t = rad(from + sweep * i / n);
    out.push_back({c.x + r * std::cos(t), c.y + r * std::sin(t)});
  }
}

// The points of a bulged segment (without its start point).
void bulge_points(std::vector<Vec2>& out, Vec2 p, Vec2 q, double bulge) {
  double chord = length({q.x - p.x, q.y - p.y});
  if (std::fabs(bulge) < kEps || chord < kEps) {
    out.push_back(q);
    return;
  }
  double theta = 4 * std::atan(bulge);  // included angle, signed
  double r = chord / (2 * std::sin(theta / 2));
  Vec2 mid{(p.x + q.x) / 2, (p.y + q.y) / 2};
  Vec2 normal{-(q.y - p.y) / chord, (q.x - p.x) / chord};
  double h = r * std::cos(theta / 2);
  Vec2 c{mid.x + normal.x * h, mid.y + normal.y * h};
  double a0 = std::atan2(p.y - c.y, p.x - c.x);
  int n = std::max(2, static_cast<int>(std::ceil(std::fabs(deg(theta)) / 5.0)));
  for (int i = 1; i <= n; ++i) {
    double t = a0 + theta * i / n;
    out.push_back({c.x + std::fabs(r) * std::cos(t), c.y + std::fabs(r) * std::sin(t)});
  }
}

void to_polyline(Element& e, std::vector<Vec2> points, bool closed) {
  e.kind = ElementKind::Polyline;
  e.points = std::move(points);
  e.bulges.clear();
  e.closed = closed;
  e.radius = e.start_angle = e.end_angle = 0;
}

void transform_round(Element& e, const Affine& m) {
  if (!keeps_circles(m)) {
    std::vector<Vec2> pts;
    bool full = e.kind == ElementKind::Circle;
    arc_points(pts, e.points[0], e.radius, full ? 0 : e.start_angle, full ? 360 : e.end_angle);
    if (full) pts.pop_back();
    for (auto& p : pts) p = m.apply(p);
    to_polyline(e, std::move(pts), full);
    return;
  }
  double scale = std::hypot(m.a, m.c);
  if (e.kind == ElementKind::Arc) {
    double s =
        direction_deg(m.apply_vector({std::cos(rad(e.start_angle)), std::sin(rad(e.start_angle))}));
    double t =
        direction_deg(m.apply_vector({std::cos(rad(e.end_angle)), std::sin(rad(e.end_angle))}));
    if (m.det() < 0) std::swap(s, t);  // mirrored: the arc runs the other way round
    e.start_angle = normalize_deg(s);
    e.end_angle = normalize_deg(t);
  }
  e.points[0] = m.apply(e.points[0]);
  e.radius *= scale;
}

void transform_polyline(Element& e, const Affine& m) {
  bool bulged = false;
  for (double b : e.bulges) bulged = bulged || std::fabs(b) > kEps;
  if (bulged && !keeps_circles(m)) {
    std::vector<Vec2> pts{e.points.front()};
    std::size_t segments = e.closed ? e.points.size() : e.points.size() - 1;
    for (std::size_t i = 0; i < segments; ++i) {
      Vec2 q = e.points[(i + 1) % e.points.size()];
      bulge_points(pts, e.points[i], q, i < e.bulges.size() ? e.bulges[i] : 0);
    }
    if (e.closed) pts.pop_back();
    for (auto& p : pts) p = m.apply(p);
    to_polyline(e, std::move(pts), e.closed);
    return;
  }
  for (auto& p : e.points) p = m.apply(p);
  if (m.det() < 0)
    for (double& b : e.bulges) b = -b;
}

void transform_rectangle(Element& e, const Affine& m) {
  Vec2 p = e.points[0], q = e.points[1];
  std::vector<Vec2> corners{p, {q.x, p.y}, q, {p.x, q.y}};
  for (auto& c : corners) c = m.apply(c);
  if ((m.b == 0 && m.c == 0) || (m.a == 0 && m.d == 0)) {
    e.points = {corners[0], corners[2]};
  } else {
    to_polyline(e, std::move(corners), true);
  }
}

void transform_text(Element& e, const Affine& m) {
  Vec2 dir = m.apply_vector({std::cos(rad(e.text.angle)), std::sin(rad(e.text.angle))});
  Vec2 up = m.apply_vector({-std::sin(rad(e.text.angle)), std::cos(rad(e.text.angle))});
  double along = length(dir), across = length(up);
  e.points[0] = m.apply(e.points[0]);
  if (m.det() < 0 && across > kEps) {
    // Mirrored: the text stays readable, upright along the mirrored up direction, and
    // its horizontal adjustment changes sides (as CAD programs show mirrored text).
    e.text.angle = normalize_deg(direction_deg(up) - 90);
    int adjust = std::clamp(e.text.adjust, 1, 9);
    int col = (adjust - 1) % 3;
    e.text.adjust = adjust - col + (2 - col);
  } else if (along > kEps) {
    e.text.angle = normalize_deg(direction_deg(dir));
  }
  if (across > kEps) {
    e.text.size *= across;
    e.text.ratio *= along / across;
  }
  e.text.wrap_width *= along;
  e.text.fit_width *= along;
  e.text.column_gutter *= along;
  for (double& h : e.text.column_heights) h *= across;
}

// de Boor's algorithm in homogeneous coordinates at parameter t within span k.
Vec2 de_boor(int p, int k, double t, const std::vector<Vec2>& ctrl, const std::vector<double>& w,
             const std::vector<double>& u) {
  struct H {
    double x, y, w;
  };
  std::vector<H> d(p + 1);
  for (int j = 0; j <= p; ++j) {
    const std::size_t i = static_cast<std::size_t>(j + k - p);
    double wi = i < w.size() && w[i] > 0 ? w[i] : 1;
    d[j] = {ctrl[i].x * wi, ctrl[i].y * wi, wi};
  }
  for (int r = 1; r <= p; ++r) {
    for (int j = p; j >= r; --j) {
      double den = u[j + 1 + k - r] - u[j + k - p];
      double alpha = den != 0 ? (t - u[j + k - p]) / den : 0;
      d[j] = {(1 - alpha) * d[j - 1].x + alpha * d[j].x, (1 - alpha) * d[j - 1].y + alpha * d[j].y,
              (1 - alpha) * d[j - 1].w + alpha * d[j].w};
    }
  }
  return {d[p].x / d[p].w, d[p].y / d[p].w};
}

}  // namespace

std::vector<Vec2> spline_points(int degree, const std::vector<Vec2>& control,
                                const std::vector<double>& weights,
                                const std::vector<double>& knots) {
  const int n = static_cast<int>(control.size());
  if (degree < 1 || degree > 10 || n <= degree || knots.size() != control.size() + degree + 1)
    return {};
  if (!std::is_sorted(knots.begin(), knots.end())) return {};
  const double t0 = knots[degree], t1 = knots[n];
  if (!(t1 > t0)) return {};
  const int samples = std::min(4000, 8 * n + 8);
  std::vector<Vec2> out;
  out.reserve(samples + 1);
  int k = degree;
  for (int s = 0; s <= samples; ++s) {
    double t = s == samples ? t1 : t0 + (t1 - t0) * s / samples;
    while (k < n - 1 && t >= knots[k + 1]) ++k;
    out.push_back(de_boor(degree, k, t, control, weights, knots));
  }
  return out;
}

Affine Affine::after(const Affine& in) const {
  return {a * in.a + b * in.c, a * in.b + b * in.d,     c * in.a + d * in.c,
          c * in.b + d * in.d, a * in.e + b * in.f + e, c * in.e + d * in.f + f};
}

Affine Affine::rotation_deg(double degrees) {
  double r = rad(degrees);
  double cs = std::cos(r), sn = std::sin(r);
  // exact quarter turns keep axis-parallel content exact
  if (std::fabs(cs) < 1e-15) cs = 0;
  if (std::fabs(sn) < 1e-15) sn = 0;
  return {cs, -sn, sn, cs, 0, 0};
}

Affine insert_transform(Vec2 insertion, double sx, double sy, double angle_deg, Vec2 base) {
  return Affine::translation(insertion.x, insertion.y)
      .after(Affine::rotation_deg(angle_deg))
      .after(Affine::scaling(sx, sy))
      .after(Affine::translation(-base.x, -base.y));
}

Affine ocs_transform(double ex, double ey, double ez, double elevation) {
  const double n_len = std::sqrt(ex * ex + ey * ey + ez * ez);
  if (!(n_len > 0) || !std::isfinite(n_len)) return {};
  const double nx = ex / n_len, ny = ey / n_len, nz = ez / n_len;
  // The arbitrary-axis rule: the OCS x axis is world y (or z) crossed with the extrusion.
  double ax, ay, az;
  if (std::fabs(nx) < 1.0 / 64 && std::fabs(ny) < 1.0 / 64) {
    ax = nz, ay = 0, az = -nx;
  } else {
    ax = -ny, ay = nx, az = 0;
  }
  const double a_len = std::sqrt(ax * ax + ay * ay + az * az);
  ax /= a_len, ay /= a_len, az /= a_len;
  // y axis = extrusion x axis; only the world x and y of both axes matter from above.
  const double bx = ny * az - nz * ay, by = nz * ax - nx * az;
  return {ax, bx, ay, by, elevation * nx, elevation * ny};
}

Vec2 ellipse_minor_axis(double mx, double my, double mz, double ratio, double ex, double ey,
                        double ez) {
  const double len = std::sqrt(ex * ex + ey * ey + ez * ez);
  if (!(len > 0) || !std::isfinite(len))
    ex = 0, ey = 0, ez = 1;
  else
    ex /= len, ey /= len, ez /= len;
  return {ratio * (ey * mz - ez * my), ratio * (ez * mx - ex * mz)};
}

std::optional<double> insunits_to_mm(int code, std::string* name) {
  struct Unit {
    const char* name;
    double mm;
  };
  static constexpr Unit kUnits[] = {
      {"", 0},
      {N_("inches"), 25.4},
      {N_("feet"), 304.8},
      {N_("miles"), 1609344},
      {N_("millimetres"), 1},
      {N_("centimetres"), 10},
      {N_("metres"), 1000},
      {N_("kilometres"), 1e6},
      {N_("microinches"), 25.4e-6},
      {N_("mils"), 0.0254},
      {N_("yards"), 914.4},
      {N_("angstroms"), 1e-7},
      {N_("nanometres"), 1e-6},
      {N_("microns"), 1e-3},
      {N_("decimetres"), 100},
      {N_("decametres"), 1e4},
      {N_("hectometres"), 1e5},
      {N_("gigametres"), 1e12},
      {N_("astronomical units"), 1.495978707e14},
      {N_("light years"), 9.4607304725808e18},
      {N_("parsecs"), 3.0856775814913673e19},
      {N_("US survey feet"), 1200.0 / 3937 * 1000},
      {N_("US survey inches"), 100.0 / 3937 * 1000},
      {N_("US survey yards"), 3600.0 / 3937 * 1000},
      {N_("US survey miles"), 6336000.0 / 3937 * 1000},
  };
  if (code <= 0 || code >= static_cast<int>(std::size(kUnits))) return std::nullopt;
  if (name) *name = kUnits[code].name;
  return kUnits[code].mm;
}

void transform_element(Element& e, const Affine& m) {
  if (m.is_identity() || e.points.empty()) return;
  switch (e.kind) {
    case ElementKind::Line:
    case ElementKind::Fill:
    case ElementKind::Point:
    case ElementKind::Mask:
    case ElementKind::Image:
      for (auto& p : e.points) p = m.apply(p);
      break;
    case ElementKind::Polyline:
      transform_polyline(e, m);
      break;
    case ElementKind::Rectangle:
      if (e.points.size() == 2) transform_rectangle(e, m);
      break;
    case ElementKind::Circle:
    case ElementKind::Arc:
      transform_round(e, m);
      break;
    case ElementKind::Text:
      transform_text(e, m);
      break;
    case ElementKind::Group: {
      // the outline moves; the content stays and is placed further
      for (auto& p : e.points) p = m.apply(p);
      if (!e.group) break;
      auto group = std::make_shared<Group>(*e.group);
      group->placement = Transform{m.a, m.b, m.c, m.d, m.e, m.f}.after(group->placement);
      e.group = std::move(group);
      break;
    }
  }
}

void scale_element(Element& e, double factor) {
  transform_element(e, Affine::scaling(factor, factor));
  for (double& d : e.stroke.dashes) d *= factor;
}

}  // namespace host::dxf
