// What a plot makes of the drawing's colours and pen sizes before the pen transformation: a
// CAD plot style table, and a colour mode for the whole plot (black, or greys).
#pragma once

#include "host/drawing/model.h"
#include "host/settings/plot_style_table.h"

namespace host {

enum class ColorMode { AsDrawn, Monochrome, Grayscale };

struct PrintColors {
  // The table the sheet plots with; nullptr: none.
  const PlotStyleTable* table = nullptr;
  ColorMode mode = ColorMode::AsDrawn;
};

// The style of the table that an element of this stroke plots with: by its colour index (a
// true colour by the nearest index) or by its named style ("Normal" when it names none);
// nullptr when the table has none for it.
const PlotStyleEntry* table_style(const PlotStyleTable& table, const Stroke& drawn);

// The drawn stroke as the table prints it: colour (or the element's own), grey, screening,
// line weight (or the element's own), line ends and corners, and the table's scale of the
// element's own dash pattern.
Stroke apply_plot_style_table(const PlotStyleTable& table, const Stroke& drawn);

// The grey of a colour by its relative luminance (ITU-R BT.709).
double luminance(const Rgb& c);
// A colour in the mode: as it is, black, or its grey.
Rgb apply_color_mode(ColorMode mode, const Rgb& c);
}  // namespace host
