// Widths of texts: single-stroke fonts take their own proportions in the layout, on the page
// and in the measured extent; other fonts those of the face that stands for them.
#include <cairo.h>
#include <gtest/gtest.h>

#include "host/plot/render.h"
#include "host/plot/text_render.h"

namespace {

TEST(TextMetrics, SingleStrokeFontsTakeTheirOwnWidths) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 100, 100);
  cairo_t* cr = cairo_create(surface);
  host::FontCache fonts;
  host::RunStyle style;
  style.height = 2;
  style.ratio = 0.8;
  const struct {
    const char* font;
    const char* text;
    double caps;  // advance in capital heights; 0: that of the sans face
  } cases[] = {
      {"romans.shx", "Hi 12", (22 + 8 + 16 + 20 + 20) / 21.0},
      {"romand.shx", "a-b", (19 + 26 + 19) / 21.0},
      {"TXT", "a-b", 0},  // proportions of its own that no drawing at hand shows
      {"C:\\Fonts\\SIMPLEX.SHX", "m", 30 / 21.0},
      {"isocp.shx", "Hi 12", 0},  // ISO lettering is narrow: the face's own widths
      {"arial.ttf", "Hi 12", 0},
  };
  for (const auto& c : cases) {
    style.font = "Liberation Sans";
    const double expected = c.caps > 0 ? c.caps * 2 * 0.8 : fonts.advance(cr, style, c.text);
    style.font = c.font;
    EXPECT_NEAR(fonts.advance(cr, style, c.text), expected, 1e-9) << c.font;
    if (c.caps == 0) continue;
    EXPECT_NEAR(host::estimated_width(style, c.text), expected, 1e-9) << c.font;
  }

  // "mmmm" 10 high is plotted 57 wide as laid out, not 47 as the sans face has it
  host::Sheet sheet;
  host::Element& e = sheet.elements.emplace_back();
  e.kind = host::ElementKind::Text;
  e.points = {{5, 45}};
  e.text.lines = {"mmmm"};
  e.text.size = 10;
  e.text.font = "romans.shx";
  e.stroke.color = {0, 0, 0};
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_matrix_t m;
  cairo_matrix_init(&m, 1, 0, 0, -1, 0, 100);
  host::render_sheet(cr, sheet, m, {});
  cairo_surface_flush(surface);
  int right = -1;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x)
      if (cairo_image_surface_get_data(
              surface)[y * cairo_image_surface_get_stride(surface) + x * 4] < 128)
        right = std::max(right, x);
  EXPECT_GT(right, 5 + 52);  // the side bearing of the last "m" aside
  EXPECT_LT(right, 5 + 58);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}

}  // namespace
