// Page layout of a plotted sheet.
#include "host/plot/layout.h"

#include <algorithm>
#include <utility>

namespace host {

PageSize oriented(PageSize page, Orientation orientation) {
  const bool wide = page.width_mm > page.height_mm;
  if ((orientation == Orientation::Landscape && !wide) ||
      (orientation == Orientation::Portrait && wide)) {
    std::swap(page.width_mm, page.height_mm);
  }
  return page;
}

SheetOnPage place_sheet(const Sheet& sheet, PageSize page, const Placement& placement) {
  Vec2 lower_left{0, 0};
  double extent_w = 0, extent_h = 0;
  if (auto extent = sheet.extent()) {
    lower_left = extent->first;
    extent_w = extent->second.x - extent->first.x;
    extent_h = extent->second.y - extent->first.y;
  }
  double scale = placement.scale;
  if (placement.fit) {
    const double sx = extent_w > 0 ? page.width_mm / extent_w : 0;
    const double sy = extent_h > 0 ? page.height_mm / extent_h : 0;
    scale = sx > 0 && sy > 0 ? std::min(sx, sy) : std::max(sx, sy);
    if (!(scale > 0)) scale = 1;
  }
  // Offset of the extent's lower-left corner on the page, in millimetres, y up.
  double x = 0, y = 0;
  if (placement.fit && !placement.position_left) {
    x = (page.width_mm - extent_w * scale) / 2;
    y = (page.height_mm - extent_h * scale) / 2;
  } else if (placement.position_left) {
    y = page.height_mm - extent_h * scale;
  }
  const double k = kPointsPerMm;
  SheetOnPage result;
  result.drawing_to_page = {k * scale,
                            0,
                            0,
                            -k * scale,
                            k * (x - lower_left.x * scale),
                            k * (page.height_mm - y + lower_left.y * scale)};
  result.units_per_paper_mm = 1 / scale;
  return result;
}

}  // namespace host
