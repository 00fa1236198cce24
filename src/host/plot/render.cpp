// Sheet rendering: consecutive elements with the same printed stroke become one path and
// one stroke operation, which keeps drawing order and makes large drawings cheap.
#include "host/plot/render.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "host/api/error.h"
#include "host/plot/canvas.h"
#include "host/plot/raster.h"
#include "host/plot/strokes.h"
#include "host/plot/text_render.h"

namespace host {
namespace {

constexpr double kDeg = std::numbers::pi / 180;

bool finite(const Vec2& p) {
  return std::isfinite(p.x) && std::isfinite(p.y);
}

// Adds the segment from a to b with the given bulge (tangent of a quarter of the included
// angle; positive counter-clockwise) to the current path, which already stands at a.
void add_bulge_segment(Canvas& cv, const Vec2& a, const Vec2& b, double bulge) {
  if (bulge == 0 || !std::isfinite(bulge) || (a.x == b.x && a.y == b.y)) {
    cv.line_to(b.x, b.y);
    return;
  }
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double k = (1 - bulge * bulge) / (4 * bulge);
  const double cx = (a.x + b.x) / 2 - dy * k, cy = (a.y + b.y) / 2 + dx * k;
  const double r = std::hypot(a.x - cx, a.y - cy);
  const double start = std::atan2(a.y - cy, a.x - cx);
  const double sweep = 4 * std::atan(bulge);
  cv.arc(cx, cy, r, start, start + sweep, sweep < 0);
}

void add_polyline(Canvas& cv, const Element& e) {
  const auto& pts = e.points;
  if (pts.size() < 2) return;
  cv.move_to(pts[0].x, pts[0].y);
  const std::size_t segments = e.closed ? pts.size() : pts.size() - 1;
  for (std::size_t i = 0; i < segments; ++i) {
    const Vec2& b = pts[(i + 1) % pts.size()];
    add_bulge_segment(cv, pts[i], b, i < e.bulges.size() ? e.bulges[i] : 0);
  }
  if (e.closed) cv.close_path();
}

// Adds the geometry of a non-text element to the current path.
void add_geometry(Canvas& cv, const Element& e) {
  for (const auto& p : e.points) {
    if (!finite(p)) return;
  }
  switch (e.kind) {
    case ElementKind::Line:
      if (e.points.size() < 2) return;
      cv.move_to(e.points[0].x, e.points[0].y);
      cv.line_to(e.points[1].x, e.points[1].y);
      return;
    case ElementKind::Polyline:
      add_polyline(cv, e);
      return;
    case ElementKind::Rectangle:
      if (e.points.size() < 2) return;
      cv.rectangle(e.points[0].x, e.points[0].y, e.points[1].x - e.points[0].x,
                   e.points[1].y - e.points[0].y);
      return;
    case ElementKind::Circle:
      if (e.points.empty() || !(e.radius > 0) || !std::isfinite(e.radius)) return;
      cv.new_sub_path();
      cv.arc(e.points[0].x, e.points[0].y, e.radius, 0, 2 * std::numbers::pi, false);
      cv.close_path();
      return;
    case ElementKind::Arc: {
      if (e.points.empty() || !(e.radius > 0) || !std::isfinite(e.radius)) return;
      if (!std::isfinite(e.start_angle) || !std::isfinite(e.end_angle)) return;
      // counter-clockwise from start to end, at most one turn; angles of any size (counting up
      // to a huge end angle one turn at a time would never finish)
      const double start = std::fmod(e.start_angle, 360);
      double sweep = std::fmod(e.end_angle - e.start_angle, 360);
      if (!(sweep > 0)) sweep += 360;
      cv.new_sub_path();
      cv.arc(e.points[0].x, e.points[0].y, e.radius, start * kDeg, (start + sweep) * kDeg, false);
      return;
    }
    case ElementKind::Point:
      // a degenerate segment: round caps make it a dot of the pen's width
      if (e.points.empty()) return;
      cv.move_to(e.points[0].x, e.points[0].y);
      cv.line_to(e.points[0].x, e.points[0].y);
      return;
    case ElementKind::Text:
    case ElementKind::Fill:
    case ElementKind::Mask:
    case ElementKind::Image:
    case ElementKind::Group:
      return;
  }
}

// Areas are filled one element at a time: the even-odd rule holds between the rings of one
// element, while two overlapping fills must both show.
void fill_area(Canvas& cv, const Element& e, const Rgb& color, double edge) {
  for (const auto& p : e.points) {
    if (!finite(p)) return;
  }
  cv.new_path();
  std::size_t at = 0;
  for (std::uint32_t n : e.rings) {
    if (n == 0 || at + n > e.points.size()) break;
    cv.move_to(e.points[at].x, e.points[at].y);
    for (std::size_t i = 1; i < n; ++i) cv.line_to(e.points[at + i].x, e.points[at + i].y);
    cv.close_path();
    at += n;
  }
  cv.fill(color, edge);
}

struct Painter {
  Canvas& canvas;
  const RenderStyle& style;
  StrokeResolver resolver;
  // The drawing's own dash patterns inside a group: divided by the group's scale, so
  // that they show at the same length on paper in every view.
  double own_dash_scale = 1;
};

// Pattern fills of plot style tables: parallel lines this far apart on paper, at these
// angles, this wide (a fraction of the distance); dots are dashes as long as their gaps.
struct FillPattern {
  double angles[2];
  int count;
  double width;
  bool dots;
};

FillPattern fill_pattern(AreaFill fill) {
  switch (fill) {
    case AreaFill::HorizontalBars: return {{0, 0}, 1, 0.1, false};
    case AreaFill::VerticalBars: return {{90, 0}, 1, 0.1, false};
    case AreaFill::SlantRight: return {{45, 0}, 1, 0.1, false};
    case AreaFill::SlantLeft: return {{135, 0}, 1, 0.1, false};
    case AreaFill::Crosshatch: return {{0, 90}, 2, 0.1, false};
    case AreaFill::Diamonds: return {{45, 135}, 2, 0.1, false};
    case AreaFill::Checkerboard: return {{0, 90}, 2, 0.5, false};
    case AreaFill::SquareDots: return {{0, 0}, 1, 0.5, true};
    case AreaFill::Object:
    case AreaFill::Solid: break;
  }
  return {{0, 0}, 0, 0, false};
}

constexpr double kPatternSpacingMm = 2;
// Lines of one angle at most: a pattern finer than this on a huge area gets coarser.
constexpr double kMaxPatternLines = 4000;

// The pattern lines inside the rings (even-odd), as segments on the canvas's path.
void add_pattern_lines(Canvas& cv, const Element& e, double degrees, double spacing) {
  const double a = degrees * kDeg;
  const Vec2 d{std::cos(a), std::sin(a)}, n{-std::sin(a), std::cos(a)};
  double lo = HUGE_VAL, hi = -HUGE_VAL;
  for (const Vec2& p : e.points) {
    lo = std::min(lo, p.x * n.x + p.y * n.y);
    hi = std::max(hi, p.x * n.x + p.y * n.y);
  }
  if (!(hi > lo)) return;
  spacing = std::max(spacing, (hi - lo) / kMaxPatternLines);
  std::vector<double> cuts;
  for (double c = std::ceil(lo / spacing) * spacing; c < hi; c += spacing) {
    cuts.clear();
    std::size_t at = 0;
    for (std::uint32_t count : e.rings) {
      if (count == 0 || at + count > e.points.size()) break;
      for (std::size_t i = 0; i < count; ++i) {
        const Vec2& p = e.points[at + i];
        const Vec2& q = e.points[at + (i + 1) % count];
        const double tp = p.x * n.x + p.y * n.y - c, tq = q.x * n.x + q.y * n.y - c;
        if ((tp < 0) == (tq < 0)) continue;
        const double f = tp / (tp - tq);
        cuts.push_back((p.x + (q.x - p.x) * f) * d.x + (p.y + (q.y - p.y) * f) * d.y);
      }
      at += count;
    }
    std::sort(cuts.begin(), cuts.end());
    for (std::size_t i = 0; i + 1 < cuts.size(); i += 2) {
      cv.move_to(cuts[i] * d.x + c * n.x, cuts[i] * d.y + c * n.y);
      cv.line_to(cuts[i + 1] * d.x + c * n.x, cuts[i + 1] * d.y + c * n.y);
    }
  }
}

// An area in its printed colour: solid, or in the pattern its plot style gives it.
void fill_styled(Painter& painter, const Element& e, double units_per_paper_mm) {
  Canvas& cv = painter.canvas;
  Stroke printed = painter.resolver.printed(e.stroke);
  const FillPattern pattern = fill_pattern(painter.resolver.area_fill(e.stroke));
  if (pattern.count == 0) {
    fill_area(cv, e, printed.color, 0);
    return;
  }
  for (const auto& p : e.points)
    if (!finite(p)) return;
  const double spacing = kPatternSpacingMm * painter.resolver.pattern_scale();
  printed.pensize = spacing * pattern.width;
  printed.linetype = "SOLID";
  printed.dashes.clear();
  if (pattern.dots) printed.dashes = {spacing * units_per_paper_mm / 2, -spacing * units_per_paper_mm / 2};
  printed.cap = LineCap::Butt;
  cv.new_path();
  cv.set_stroke(printed, units_per_paper_mm, 1);
  for (int i = 0; i < pattern.count; ++i)
    add_pattern_lines(cv, e, pattern.angles[i], spacing * units_per_paper_mm);
  cv.stroke();
}

void render_group(Painter& painter, const Element& group, double units_per_paper_mm);

// Draws elements in order into the current user space.
void render_elements(Painter& painter, const std::vector<Element>& elements,
                     double units_per_paper_mm, bool groups = true) {
  Canvas& cv = painter.canvas;
  // The printed stroke of the path collected so far.
  Stroke pending;
  bool has_pending = false;
  // Texts met while the path collects are drawn right after its stroke, so that a text
  // between two lines of one layer does not split the layer into many strokes.
  std::vector<const Element*> texts;
  auto flush = [&] {
    if (has_pending) cv.stroke();
    has_pending = false;
    for (const Element* t : texts) {
      cv.text(*t, painter.resolver, painter.resolver.printed(t->stroke), units_per_paper_mm,
              painter.own_dash_scale);
    }
    texts.clear();
  };
  for (const Element& e : elements) {
    if (e.kind == ElementKind::Text) {
      texts.push_back(&e);
      continue;
    }
    if (e.kind == ElementKind::Group) {
      // groups do not nest: one inside a group is not drawn
      flush();
      if (groups) render_group(painter, e, units_per_paper_mm);
      continue;
    }
    if (e.kind == ElementKind::Image) {
      flush();
      cv.image(e, painter.resolver.color_mode());
      continue;
    }
    if (e.kind == ElementKind::Fill || e.kind == ElementKind::Mask) {
      flush();
      // a mask shows the paper, whatever the pens make of colours
      if (e.kind == ElementKind::Mask)
        fill_area(cv, e, {1, 1, 1}, 2 * kThinnestPenMm * units_per_paper_mm);
      else
        fill_styled(painter, e, units_per_paper_mm);
      continue;
    }
    Stroke printed = painter.resolver.printed(e.stroke);
    if (has_pending && !(pending == printed)) flush();
    if (!has_pending) {
      cv.set_stroke(printed, units_per_paper_mm, painter.own_dash_scale);
      pending = std::move(printed);
      has_pending = true;
    }
    add_geometry(cv, e);
  }
  flush();
}

// A group: clipped to its outline on the sheet, its content drawn through its placement.
// Pen widths and dashes stay paper measures, whatever the scale of the view: the host's
// line types as millimetres, the drawing's own patterns as their lengths on paper unless
// the group scales them with its content.
void render_group(Painter& painter, const Element& group, double units_per_paper_mm) {
  if (!drawable_group(group)) return;
  if (!painter.canvas.begin_group(group, painter.style, units_per_paper_mm)) return;
  const double scale = std::sqrt(std::abs(group.group->placement.det()));
  painter.own_dash_scale = group.group->paper_dashes ? 1 / scale : 1;
  render_elements(painter, group.group->content(), units_per_paper_mm / scale, false);
  painter.own_dash_scale = 1;
  painter.canvas.end_group();
}

}  // namespace

bool drawable_group(const Element& group) {
  if (!group.group || group.points.size() < 3) return false;
  for (const auto& p : group.points)
    if (!finite(p)) return false;
  const Transform& m = group.group->placement;
  const double scale = std::sqrt(std::abs(m.det()));
  return scale > 0 && std::isfinite(scale) && std::isfinite(m.e) && std::isfinite(m.f);
}

void draw_elements(Canvas& canvas, const std::vector<Element>& elements, const RenderStyle& style) {
  Painter painter{canvas, style,
                  StrokeResolver(style)};
  render_elements(painter, elements, style.units_per_paper_mm);
}

void draw_group(Canvas& canvas, const Element& group, const RenderStyle& style,
                double units_per_paper_mm) {
  Painter painter{canvas, style,
                  StrokeResolver(style)};
  render_group(painter, group, units_per_paper_mm);
}

void CairoCanvas::arc(double cx, double cy, double r, double a0, double a1, bool negative) {
  if (negative)
    cairo_arc_negative(cr_, cx, cy, r, a0, a1);
  else
    cairo_arc(cr_, cx, cy, r, a0, a1);
}

void CairoCanvas::fill(const Rgb& color, double edge) {
  cairo_set_source_rgb(cr_, color.r, color.g, color.b);
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_EVEN_ODD);
  if (edge <= 0) {
    cairo_fill(cr_);
    return;
  }
  // a mask also covers the outer half of the thin lines that outline it
  cairo_fill_preserve(cr_);
  cairo_set_line_width(cr_, edge);
  cairo_set_dash(cr_, nullptr, 0, 0);
  cairo_stroke(cr_);
}

bool CairoCanvas::begin_group(const Element& group, const RenderStyle&, double) {
  const Transform& m = group.group->placement;
  cairo_save(cr_);
  cairo_new_path(cr_);
  cairo_move_to(cr_, group.points[0].x, group.points[0].y);
  for (std::size_t i = 1; i < group.points.size(); ++i)
    cairo_line_to(cr_, group.points[i].x, group.points[i].y);
  cairo_close_path(cr_);
  cairo_clip(cr_);
  cairo_matrix_t placement;
  cairo_matrix_init(&placement, m.a, m.c, m.b, m.d, m.e, m.f);
  cairo_transform(cr_, &placement);
  return true;
}

void CairoCanvas::text(const Element& e, StrokeResolver& pens, const Stroke& printed,
                       double units_per_paper_mm, double own_dash_scale) {
  apply_stroke(cr_, printed, units_per_paper_mm, own_dash_scale);
  draw_text(cr_, e, fonts_, pens);
}

void CairoCanvas::image(const Element& e, ColorMode mode) {
  draw_raster(cr_, e, mode);
}

void render_sheet(cairo_t* cr, const Sheet& sheet, const cairo_matrix_t& drawing_to_device,
                  const RenderStyle& style) {
  cairo_save(cr);
  cairo_set_matrix(cr, &drawing_to_device);
  cairo_new_path(cr);
  CairoCanvas canvas(cr);
  draw_elements(canvas, sheet.elements, style);
  cairo_status_t status = cairo_status(cr);
  cairo_restore(cr);
  if (status != CAIRO_STATUS_SUCCESS) {
    throw Error(std::string("plot: rendering failed: ") + cairo_status_to_string(status));
  }
}

}  // namespace host
