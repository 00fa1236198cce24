// Where a sheet lands on a page: page size, orientation, scale or fit, position.
#pragma once

#include "host/drawing/model.h"
#include "host/plot/plot_args.h"

namespace host {

inline constexpr double kPointsPerMm = 72.0 / 25.4;
// The largest page side common PDF readers and printers take at 1/72 inch a unit (200 inches).
inline constexpr double kMaxPlainPageMm = 5080;
// The largest PDF page side we write: 14400 units of the largest UserUnit readers take (75000
// points), about 380 km.
inline constexpr double kMaxPdfPageMm = 3.8e8;
// The side of a page for a sheet without extent in one direction: room for the inner half of
// a broad pen.
inline constexpr double kMinPageMm = 1;

struct PageSize {
  double width_mm = 0;
  double height_mm = 0;
};

struct Placement {
  bool fit = false;            // scale the sheet's extent to the page, keeping its aspect
  double scale = 1;            // otherwise: paper millimetres per drawing unit
  bool position_left = false;  // at the page's top left instead of lower left (or centre)
};

// The page turned the wider way for landscape and the taller way for portrait.
PageSize oriented(PageSize page, Orientation orientation);

// An affine map in cairo's order: x' = xx x + xy y + x0, y' = yx x + yy y + y0.
struct Affine {
  double xx = 1, yx = 0, xy = 0, yy = 1, x0 = 0, y0 = 0;
  Vec2 apply(Vec2 p) const { return {xx * p.x + xy * p.y + x0, yx * p.x + yy * p.y + y0}; }
};

struct SheetOnPage {
  Affine drawing_to_page;  // drawing units (y up) to PDF points (y down)
  double units_per_paper_mm = 1;
};

// At a given scale the extent's lower-left corner sits at the page's lower-left corner;
// fitted, the extent is centred. With position_left both start at the top left instead.
// An empty sheet (no extent) keeps the drawing origin at the page's lower left.
SheetOnPage place_sheet(const Sheet& sheet, PageSize page, const Placement& placement);

}  // namespace host
