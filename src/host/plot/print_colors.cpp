// Plot style tables and colour modes applied to strokes, fills and pictures.
#include "host/plot/print_colors.h"

#include <algorithm>

#include "host/drawing/color_index.h"

namespace host {

const PlotStyleEntry* table_style(const PlotStyleTable& table, const Stroke& drawn) {
  if (table.named) return table.by_name(drawn.plot_style.empty() ? "Normal" : drawn.plot_style);
  return table.by_index(drawn.color_index ? drawn.color_index : nearest_aci(drawn.color));
}

namespace {

// Diamond ends and corners are printed as the nearest that PDF and cairo draw.
LineCap end_cap(LineEnd end, LineCap own) {
  switch (end) {
    case LineEnd::Butt: return LineCap::Butt;
    case LineEnd::Square:
    case LineEnd::Diamond: return LineCap::Square;
    case LineEnd::Round: return LineCap::Round;
    case LineEnd::Object: break;
  }
  return own;
}

LineCap corner_join(LineCorner corner, LineCap own) {
  switch (corner) {
    case LineCorner::Miter: return LineCap::Butt;
    case LineCorner::Bevel:
    case LineCorner::Diamond: return LineCap::Square;
    case LineCorner::Round: return LineCap::Round;
    case LineCorner::Object: break;
  }
  return own;
}

}  // namespace

Stroke apply_plot_style_table(const PlotStyleTable& table, const Stroke& drawn) {
  const PlotStyleEntry* style = table_style(table, drawn);
  if (!style) return drawn;
  Stroke printed = drawn;
  Rgb c = style->color.value_or(drawn.color);
  if (style->grayscale) c = apply_color_mode(ColorMode::Grayscale, c);
  // screening thins the ink towards the paper's white
  const double ink = std::clamp(style->screen, 0, 100) / 100.0;
  printed.color = {1 - (1 - c.r) * ink, 1 - (1 - c.g) * ink, 1 - (1 - c.b) * ink};
  if (style->lineweight_mm) printed.pensize = *style->lineweight_mm;
  printed.cap = end_cap(style->end, drawn.cap);
  printed.join = corner_join(style->corner, drawn.join);
  if (table.apply_factor)
    for (double& d : printed.dashes) d *= table.scale_factor;
  return printed;
}

double luminance(const Rgb& c) {
  return 0.2126 * c.r + 0.7152 * c.g + 0.0722 * c.b;
}

Rgb apply_color_mode(ColorMode mode, const Rgb& c) {
  switch (mode) {
    case ColorMode::AsDrawn: return c;
    case ColorMode::Monochrome: return {0, 0, 0};
    case ColorMode::Grayscale: {
      const double l = std::clamp(luminance(c), 0.0, 1.0);
      return {l, l, l};
    }
  }
  return c;
}

}  // namespace host
