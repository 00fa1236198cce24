// Raster pictures on a sheet: PNG and JPEG files drawn into their place.
#pragma once

#include <cairo.h>

#include "host/drawing/model.h"
#include "host/plot/print_colors.h"

namespace host {

// Draws the picture of an Image element stretched over its three corners; nothing when the
// file is missing or not a PNG or JPEG it can read.
void draw_raster(cairo_t* cr, const Element& image, ColorMode mode = ColorMode::AsDrawn);

}  // namespace host
