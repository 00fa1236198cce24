// PDF through cairo: vector output, one page per sheet.
#include "host/plot/pdf_writer.h"

#include <cairo-pdf.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "host/api/error.h"
#include "host/plot/pdf_canvas.h"
#include "host/plot/pdf_pages.h"
#include "host/plot/render.h"

namespace host {
namespace {

cairo_status_t append(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

void check(cairo_status_t status) {
  if (status != CAIRO_STATUS_SUCCESS) {
    throw Error(std::string("plot: writing the PDF failed: ") + cairo_status_to_string(status));
  }
}

// Common readers show pages of at most 14400 units a side (200 inches at 1/72 inch).
constexpr double kMaxPageUnits = 14400;
// Room around the sheet on cairo's page, in points: cairo drops what lies beyond the page
// rounded to whole points, so the exact page is cut out of a larger one afterwards.
constexpr double kMargin = 2;

// How a sheet's page is written: the size of one unit in points, and the page in those units.
struct PageUnits {
  double user_unit = 1;
  double width = 0, height = 0;
};

PageUnits page_units(const PageSize& size) {
  const double w = size.width_mm * kPointsPerMm, h = size.height_mm * kPointsPerMm;
  PageUnits u;
  const double longest = std::max(w, h);
  // whole numbers of points keep the unit easy to read back
  if (longest > kMaxPageUnits) u.user_unit = std::ceil(longest / kMaxPageUnits);
  u.width = w / u.user_unit;
  u.height = h / u.user_unit;
  return u;
}

// Whether tavrin writes the vector content itself (see pdf_canvas.h). The environment
// variable TAVRIN_PDF_VECTORS=cairo leaves all of it to cairo, for comparisons.
bool own_vectors() {
  const char* v = std::getenv("TAVRIN_PDF_VECTORS");
  return !(v && std::strcmp(v, "cairo") == 0);
}

}  // namespace

std::string render_pdf(const std::vector<PdfPage>& pages, const PenStyle* pens,
                       const std::string& title) {
  std::string bytes;
  if (pages.empty()) throw Error("plot: nothing to plot");
  const double k = kPointsPerMm;
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
      cairo_pdf_surface_create_for_stream(append, &bytes, pages[0].size.width_mm * k,
                                          pages[0].size.height_mm * k),
      cairo_surface_destroy);
  check(cairo_surface_status(surface.get()));
  cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATOR, "tavrin");
  if (!title.empty())
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_TITLE, title.c_str());
  std::unique_ptr<cairo_t, decltype(&cairo_destroy)> cr(cairo_create(surface.get()), cairo_destroy);
  std::vector<PageBox> boxes;
  std::vector<OwnPage> own;
  const bool own_pages = own_vectors();
  for (const PdfPage& page : pages) {
    const PageUnits u = page_units(page.size);
    const double cairo_w = std::ceil(u.width) + 2 * kMargin;
    const double cairo_h = std::ceil(u.height) + 2 * kMargin;
    cairo_pdf_surface_set_size(surface.get(), cairo_w, cairo_h);
    SheetOnPage placed = place_sheet(*page.sheet, page.size, page.placement);
    const Affine& a = placed.drawing_to_page;
    const double s = 1 / u.user_unit;
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, a.xx * s, a.yx * s, a.xy * s, a.yy * s, a.x0 * s + kMargin,
                      a.y0 * s + kMargin);
    RenderStyle style{pens, placed.units_per_paper_mm};
    style.colors = &page.colors;
    // a page matrix that stretches one way (the layout makes none) stays with cairo
    if (own_pages && PdfCanvas::suits(matrix)) {
      PdfCanvas canvas(cr.get(), matrix, cairo_w, cairo_h, style);
      draw_elements(canvas, page.sheet->elements, style);
      own.push_back(canvas.finish());
      if (own.back().runs.empty()) cairo_show_page(cr.get());
    } else {
      render_sheet(cr.get(), *page.sheet, matrix, style);
      cairo_show_page(cr.get());
      own.push_back({{}, {}, true});
    }
    // cairo's PDF y axis runs up from the bottom of its larger page
    boxes.push_back(
        {kMargin, cairo_h - kMargin - u.height, kMargin + u.width, cairo_h - kMargin, u.user_unit});
  }
  cr.reset();
  cairo_surface_finish(surface.get());
  check(cairo_surface_status(surface.get()));
  if (own_pages) return compose_pages(bytes, own, boxes);
  return set_page_boxes(bytes, boxes);
}

}  // namespace host
