// Warming up cairo, fontconfig and FreeType in the parent of the workers.
#include "host/plot/warm_up.h"

#include <cairo-pdf.h>

#include "host/plot/font_lookup.h"
#include "host/plot/text_render.h"

namespace host {

namespace {

cairo_status_t discard(void*, const unsigned char*, unsigned int) {
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

void warm_up_plotting() {
  cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(discard, nullptr, 10, 10);
  cairo_t* cr = cairo_create(surface);
  // the host's sans, mono and serif faces and the face that stands in for CAD stroke fonts
  for (const char* font : {"", "hp_mono", "hp_serif", "txt"}) {
    cairo_font_face_t* face = resolved_font_face(font_family_for(font), CAIRO_FONT_SLANT_NORMAL,
                                                 CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_face(cr, face);
    cairo_font_face_destroy(face);
    cairo_set_font_size(cr, 5);
    cairo_move_to(cr, 1, 5);
    cairo_show_text(cr, "Hg 0123456789");
  }
  cairo_show_page(cr);
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  cairo_surface_destroy(surface);
}

}  // namespace host
