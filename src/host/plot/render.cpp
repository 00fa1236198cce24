// Sheet rendering: consecutive elements with the same printed stroke become one path and
// one stroke operation, which keeps drawing order and makes large drawings cheap.
#include "host/plot/render.h"

#include <cmath>
#include <numbers>
#include <vector>

#include "host/api/error.h"
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
void add_bulge_segment(cairo_t* cr, const Vec2& a, const Vec2& b, double bulge) {
  if (bulge == 0 || !std::isfinite(bulge) || (a.x == b.x && a.y == b.y)) {
    cairo_line_to(cr, b.x, b.y);
    return;
  }
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double k = (1 - bulge * bulge) / (4 * bulge);
  const double cx = (a.x + b.x) / 2 - dy * k, cy = (a.y + b.y) / 2 + dx * k;
  const double r = std::hypot(a.x - cx, a.y - cy);
  const double start = std::atan2(a.y - cy, a.x - cx);
  const double sweep = 4 * std::atan(bulge);
  if (sweep > 0)
    cairo_arc(cr, cx, cy, r, start, start + sweep);
  else
    cairo_arc_negative(cr, cx, cy, r, start, start + sweep);
}

void add_polyline(cairo_t* cr, const Element& e) {
  const auto& pts = e.points;
  if (pts.size() < 2) return;
  cairo_move_to(cr, pts[0].x, pts[0].y);
  const std::size_t segments = e.closed ? pts.size() : pts.size() - 1;
  for (std::size_t i = 0; i < segments; ++i) {
    const Vec2& b = pts[(i + 1) % pts.size()];
    add_bulge_segment(cr, pts[i], b, i < e.bulges.size() ? e.bulges[i] : 0);
  }
  if (e.closed) cairo_close_path(cr);
}

// Adds the geometry of a non-text element to the current path.
void add_geometry(cairo_t* cr, const Element& e) {
  for (const auto& p : e.points) {
    if (!finite(p)) return;
  }
  switch (e.kind) {
    case ElementKind::Line:
      if (e.points.size() < 2) return;
      cairo_move_to(cr, e.points[0].x, e.points[0].y);
      cairo_line_to(cr, e.points[1].x, e.points[1].y);
      return;
    case ElementKind::Polyline:
      add_polyline(cr, e);
      return;
    case ElementKind::Rectangle:
      if (e.points.size() < 2) return;
      cairo_rectangle(cr, e.points[0].x, e.points[0].y, e.points[1].x - e.points[0].x,
                      e.points[1].y - e.points[0].y);
      return;
    case ElementKind::Circle:
      if (e.points.empty() || !(e.radius > 0) || !std::isfinite(e.radius)) return;
      cairo_new_sub_path(cr);
      cairo_arc(cr, e.points[0].x, e.points[0].y, e.radius, 0, 2 * std::numbers::pi);
      cairo_close_path(cr);
      return;
    case ElementKind::Arc: {
      if (e.points.empty() || !(e.radius > 0) || !std::isfinite(e.radius)) return;
      if (!std::isfinite(e.start_angle) || !std::isfinite(e.end_angle)) return;
      double end = e.end_angle;
      while (end <= e.start_angle) end += 360;
      cairo_new_sub_path(cr);
      cairo_arc(cr, e.points[0].x, e.points[0].y, e.radius, e.start_angle * kDeg, end * kDeg);
      return;
    }
    case ElementKind::Text:
      return;
  }
}

}  // namespace

void render_sheet(cairo_t* cr, const Sheet& sheet, const cairo_matrix_t& drawing_to_device,
                  const RenderStyle& style) {
  cairo_save(cr);
  cairo_set_matrix(cr, &drawing_to_device);
  cairo_new_path(cr);
  StrokeResolver resolver(style.pens);
  FontCache fonts;
  // The printed stroke of the path collected so far.
  Stroke pending;
  bool has_pending = false;
  // Texts met while the path collects are drawn right after its stroke, so that a text
  // between two lines of one layer does not split the layer into many strokes.
  std::vector<const Element*> texts;
  auto flush = [&] {
    if (has_pending) cairo_stroke(cr);
    has_pending = false;
    for (const Element* t : texts) {
      apply_stroke(cr, resolver.printed(t->stroke), style.units_per_paper_mm);
      draw_text(cr, *t, fonts, resolver);
    }
    texts.clear();
  };
  for (const Element& e : sheet.elements) {
    if (e.kind == ElementKind::Text) {
      texts.push_back(&e);
      continue;
    }
    Stroke printed = resolver.printed(e.stroke);
    if (has_pending && !(pending == printed)) flush();
    if (!has_pending) {
      apply_stroke(cr, printed, style.units_per_paper_mm);
      pending = std::move(printed);
      has_pending = true;
    }
    add_geometry(cr, e);
  }
  flush();
  cairo_status_t status = cairo_status(cr);
  cairo_restore(cr);
  if (status != CAIRO_STATUS_SUCCESS) {
    throw Error(std::string("plot: rendering failed: ") + cairo_status_to_string(status));
  }
}

}  // namespace host
