// The printed form of an element's stroke: pen rules applied once per distinct stroke, and
// line types as dash patterns.
#pragma once

#include <cairo.h>

#include <span>
#include <vector>

#include "host/drawing/model.h"
#include "host/plot/dash_pattern.h"
#include "host/plot/render.h"
#include "host/settings/pens.h"

namespace host {

// Remembers the printed stroke of each distinct drawn stroke, so that a drawing with
// hundreds of thousands of elements runs the pen rules only a handful of times. It answers
// copies: the cache grows while a caller still works with an earlier answer.
class StrokeResolver {
 public:
  explicit StrokeResolver(const PenStyle* pens, const ScreenStrokes* screen = nullptr,
                          double units_per_paper_mm = 1, const PrintColors* colors = nullptr)
      : pens_(pens),
        screen_(screen),
        units_per_paper_mm_(units_per_paper_mm),
        colors_(colors && (colors->table || colors->mode != ColorMode::AsDrawn) ? colors
                                                                                  : nullptr) {}
  explicit StrokeResolver(const RenderStyle& style)
      : StrokeResolver(style.pens, style.screen, style.units_per_paper_mm, style.colors) {}
  Stroke printed(const Stroke& drawn);
  // The colour mode of the plot (pictures follow it too).
  ColorMode color_mode() const { return colors_ ? colors_->mode : ColorMode::AsDrawn; }
  // How an area of this drawn stroke fills by the plot style table (Object: solid), and the
  // table's scale of fill patterns.
  AreaFill area_fill(const Stroke& drawn) const;
  double pattern_scale() const;

 private:
  Stroke resolve(const Stroke& drawn) const;
  const PenStyle* pens_;
  const ScreenStrokes* screen_;
  double units_per_paper_mm_;
  const PrintColors* colors_;
  std::vector<std::pair<Stroke, Stroke>> cache_;
  std::size_t last_ = 0;
};

// The dash pattern of a line type in millimetres of paper; empty for solid lines and for
// line types the host does not know.
std::span<const double> dash_pattern_mm(const std::string& linetype);

// Sets colour, width, dash pattern, caps and joins of the printed stroke on the context.
// The drawing's own dash pattern is taken times `own_dash_scale`.
void apply_stroke(cairo_t* cr, const Stroke& printed, double units_per_paper_mm,
                  double own_dash_scale = 1);

}  // namespace host
