// Draws a sheet onto any cairo context, so that paper, PDF and screen show the same picture.
#pragma once

#include <cairo.h>

#include <optional>

#include "host/drawing/model.h"
#include "host/plot/print_colors.h"
#include "host/settings/pens.h"

namespace host {

// How strokes adapt to a screen view; paper and PDF use none of it.
struct ScreenStrokes {
  // On a light background white cannot be seen: white strokes are drawn in this colour.
  std::optional<Rgb> white_as;
  // The colours made for a dark screen (yellow, green, cyan) are pale on a light one: a
  // colour of a higher relative luminance (0..1) is darkened to it, keeping its hue.
  std::optional<double> max_luminance;
  // The thinnest stroke in drawing units (one screen pixel), so that thin pens stay visible
  // when zoomed out and show their real width when zoomed in.
  double min_width = 0;
};

struct RenderStyle {
  // The pen transformation to apply; nullptr draws every element as it is drawn.
  const PenStyle* pens = nullptr;
  // User units (drawing units) per millimetre of paper: pen widths and dash lengths are
  // paper measures, so a sheet fitted at half size keeps its printed pen widths.
  double units_per_paper_mm = 1;
  const ScreenStrokes* screen = nullptr;
  // The plot style table and colour mode, applied around the pen transformation; nullptr:
  // none.
  const PrintColors* colors = nullptr;
};

// Printed width of a pen size of 0: the thinnest line the output shows reliably.
inline constexpr double kThinnestPenMm = 0.1;

// Draws every element of the sheet in order. `drawing_to_device` maps drawing units
// (millimetres at scale 1:1, y up) to the context's device space. The context's state is
// restored afterwards; a cairo failure (for instance a surface out of memory) throws
// host::Error.
void render_sheet(cairo_t* cr, const Sheet& sheet, const cairo_matrix_t& drawing_to_device,
                  const RenderStyle& style);

}  // namespace host
