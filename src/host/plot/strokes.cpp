// Printed strokes: the pen transformation and the line types of the host.
#include "host/plot/strokes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "host/plot/render.h"

namespace host {
namespace {

constexpr std::size_t kCacheLimit = 256;

struct DashEntry {
  std::string_view linetype;
  std::array<double, 6> dashes;
  std::size_t count;
};

// Lengths in millimetres of paper, on/off alternating; dots are zero-length dashes drawn
// with round caps.
constexpr std::array<DashEntry, 6> kDashes{{
    {"DASHED", {3.0, 1.5}, 2},
    {"LONG_DASHED", {8.0, 2.0}, 2},
    {"CENTER", {12.0, 1.5, 1.5, 1.5}, 4},
    {"DASH_CENTER", {6.0, 1.5, 1.5, 1.5}, 4},
    {"PHANTOM", {12.0, 1.5, 1.5, 1.5, 1.5, 1.5}, 6},
    {"DOTTED", {0.0, 1.0}, 2},
}};

}  // namespace

// The plot style table, the pen rules, the colour mode, then the screen's adaptations, so
// that a view shows the printed pen.
Stroke StrokeResolver::resolve(const Stroke& drawn) const {
  const Stroke& styled =
      colors_ && colors_->table ? apply_plot_style_table(*colors_->table, drawn) : drawn;
  Stroke result = pens_ ? apply_pen_rules(pens_->rules, styled) : styled;
  if (colors_) result.color = apply_color_mode(colors_->mode, result.color);
  if (!screen_) return result;
  const Rgb& c = result.color;
  if (screen_->white_as && c.r >= 0.95 && c.g >= 0.95 && c.b >= 0.95) {
    result.color = *screen_->white_as;
  }
  if (screen_->max_luminance) {
    Rgb& k = result.color;
    const double luminance = 0.2126 * k.r + 0.7152 * k.g + 0.0722 * k.b;  // ITU-R BT.709
    if (luminance > *screen_->max_luminance) {
      const double f = *screen_->max_luminance / luminance;
      k = Rgb{k.r * f, k.g * f, k.b * f};
    }
  }
  const double width = result.pensize > 0 ? result.pensize : kThinnestPenMm;
  result.pensize = std::max(width, screen_->min_width / units_per_paper_mm_);
  return result;
}

AreaFill StrokeResolver::area_fill(const Stroke& drawn) const {
  if (!colors_ || !colors_->table) return AreaFill::Object;
  const PlotStyleEntry* style = table_style(*colors_->table, drawn);
  return style ? style->fill : AreaFill::Object;
}

double StrokeResolver::pattern_scale() const {
  const PlotStyleTable* t = colors_ ? colors_->table : nullptr;
  return t && t->apply_factor ? t->scale_factor : 1;
}

Stroke StrokeResolver::printed(const Stroke& drawn) {
  if (!pens_ && !screen_ && !colors_) return drawn;
  if (last_ < cache_.size() && cache_[last_].first == drawn) return cache_[last_].second;
  for (std::size_t i = 0; i < cache_.size(); ++i) {
    if (cache_[i].first == drawn) {
      last_ = i;
      return cache_[i].second;
    }
  }
  Stroke result = resolve(drawn);
  // The drawing's own dash pattern belongs to its line type; a rule that prints the stroke
  // in another line type prints that one's pattern.
  if (result.linetype != drawn.linetype) result.dashes.clear();
  if (cache_.size() >= kCacheLimit) return result;
  cache_.emplace_back(drawn, result);
  last_ = cache_.size() - 1;
  return result;
}

std::span<const double> dash_pattern_mm(const std::string& linetype) {
  for (const auto& entry : kDashes) {
    if (entry.linetype == linetype) return {entry.dashes.data(), entry.count};
  }
  return {};
}

std::vector<double> cairo_dashes(std::span<const double> pattern, double& offset) {
  offset = 0;
  // on/off runs: a dot is a dash of length 0, drawn by the round cap
  std::vector<std::pair<bool, double>> runs;
  for (double v : pattern) {
    if (!std::isfinite(v)) return {};
    const bool on = v >= 0;
    if (!runs.empty() && runs.back().first == on) {
      runs.back().second += std::fabs(v);
    } else {
      runs.emplace_back(on, std::fabs(v));
    }
  }
  double total = 0;
  for (const auto& r : runs) total += r.second;
  if (runs.size() < 2 || !(total > 0)) return {};
  if (!runs.front().first) {  // begins with a gap: start the array at the first dash
    offset = total - runs.front().second;
    std::rotate(runs.begin(), runs.begin() + 1, runs.end());
    if (runs[runs.size() - 2].first == runs.back().first) {
      runs[runs.size() - 2].second += runs.back().second;
      runs.pop_back();
    }
  }
  if (runs.size() % 2 == 1) {  // ends with a dash: it joins the first one
    offset += runs.back().second;
    runs.front().second += runs.back().second;
    runs.pop_back();
  }
  std::vector<double> out;
  for (const auto& r : runs) out.push_back(r.second);
  if (offset >= total) offset -= total;
  return out;
}

void apply_stroke(cairo_t* cr, const Stroke& printed, double units_per_paper_mm,
                  double own_dash_scale) {
  cairo_set_source_rgb(cr, printed.color.r, printed.color.g, printed.color.b);
  double width_mm = printed.pensize > 0 ? printed.pensize : kThinnestPenMm;
  cairo_set_line_width(cr, width_mm * units_per_paper_mm);
  cairo_set_line_cap(cr, printed.cap == LineCap::Butt     ? CAIRO_LINE_CAP_BUTT
                         : printed.cap == LineCap::Square ? CAIRO_LINE_CAP_SQUARE
                                                          : CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, printed.join == LineCap::Butt     ? CAIRO_LINE_JOIN_MITER
                          : printed.join == LineCap::Square ? CAIRO_LINE_JOIN_BEVEL
                                                            : CAIRO_LINE_JOIN_ROUND);
  if (!printed.dashes.empty()) {
    double offset = 0;
    std::vector<double> own = cairo_dashes(printed.dashes, offset);
    for (double& d : own) d *= own_dash_scale;
    offset *= own_dash_scale;
    cairo_set_dash(cr, own.data(), static_cast<int>(own.size()), offset);
    return;
  }
  std::span<const double> mm = dash_pattern_mm(printed.linetype);
  std::array<double, 6> dashes{};
  for (std::size_t i = 0; i < mm.size(); ++i) dashes[i] = mm[i] * units_per_paper_mm;
  cairo_set_dash(cr, dashes.data(), static_cast<int>(mm.size()), 0);
}

}  // namespace host
