// Widths of texts: single-stroke fonts take their own proportions, in the layout and on the
// page and in the measured extent; other fonts those of the face that stands for them.
#include <cairo.h>
#include <gtest/gtest.h>

#include "host/plot/render.h"
#include "host/plot/text_render.h"

namespace {

TEST(TextMetrics, SingleStrokeFontsTakeTheirOwnWidths) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 10, 10);
  cairo_t* cr = cairo_create(surface);
  host::FontCache fonts;
  auto style_of = [](const std::string& font) {
    host::RunStyle style;
    style.font = font;
    style.height = 2;
    style.ratio = 0.8;
    return style;
  };
  auto advance = [&](const std::string& font, const std::string& text) {
    return fonts.advance(cr, style_of(font), text);
  };
  struct Case {
    const char* font;
    const char* text;
    double caps;  // advance in capital heights; 0: that of the sans face
  };
  const Case cases[] = {
      {"romans.shx", "Hi 12", (22 + 8 + 16 + 20 + 20) / 21.0},
      {"TXT", "a-b", (19 + 26 + 19) / 21.0},
      {"C:\\Fonts\\SIMPLEX.SHX", "m", 30 / 21.0},
      {"isocp.shx", "Hi 12", 0},  // ISO lettering is narrow: the face's own widths
      {"arial.ttf", "Hi 12", 0},
  };
  for (const Case& c : cases) {
    const double expected = c.caps > 0 ? c.caps * 2 * 0.8 : advance("Liberation Sans", c.text);
    EXPECT_NEAR(advance(c.font, c.text), expected, 1e-9) << c.font << " " << c.text;
    // the sheet's extent is measured with the widths the text is plotted in
    if (c.caps > 0) {
      EXPECT_NEAR(host::estimated_width(style_of(c.font), c.text), expected, 1e-9);
    }
  }
  // letters beyond ASCII are widened by a share, never left out
  EXPECT_GT(advance("romans", "Ä"), advance("Liberation Sans", "Ä"));
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}

TEST(TextMetrics, SingleStrokeTextReachesAsFarOnThePageAsInTheLayout) {
  // "mmmm" 10 high: 57 wide in single-stroke proportions, 47 in the sans face
  host::Element e;
  e.kind = host::ElementKind::Text;
  e.points = {{5, 45}};
  e.text.lines = {"mmmm"};
  e.text.size = 10;
  e.text.font = "romans.shx";
  e.stroke.color = {0, 0, 0};
  host::Sheet sheet;
  sheet.elements.push_back(e);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 100, 100);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_matrix_t m;
  cairo_matrix_init(&m, 1, 0, 0, -1, 0, 100);
  host::render_sheet(cr, sheet, m, {});
  cairo_surface_flush(surface);
  int right = -1;
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x)
      if (data[y * stride + x * 4] < 128) right = std::max(right, x);
  EXPECT_GT(right, 5 + 52);  // the side bearing of the last "m" aside
  EXPECT_LT(right, 5 + 58);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}

}  // namespace
