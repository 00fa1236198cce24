// PDF through cairo: vector output, one page per sheet.
#include "host/plot/pdf_writer.h"

#include <cairo-pdf.h>

#include <memory>

#include "host/api/error.h"
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
  for (const PdfPage& page : pages) {
    cairo_pdf_surface_set_size(surface.get(), page.size.width_mm * k, page.size.height_mm * k);
    SheetOnPage placed = place_sheet(*page.sheet, page.size, page.placement);
    const Affine& a = placed.drawing_to_page;
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, a.xx, a.yx, a.xy, a.yy, a.x0, a.y0);
    render_sheet(cr.get(), *page.sheet, matrix, RenderStyle{pens, placed.units_per_paper_mm});
    cairo_show_page(cr.get());
  }
  cr.reset();
  cairo_surface_finish(surface.get());
  check(cairo_surface_status(surface.get()));
  return bytes;
}

}  // namespace host
