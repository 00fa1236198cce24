// Areas on the page: fills with holes, masks over what lies below, points as dots.
#include <cairo.h>
#include <gtest/gtest.h>

#include "host/plot/render.h"

namespace {

using host::Element;
using host::ElementKind;

Element area(ElementKind kind, std::vector<host::Vec2> points, std::vector<std::uint32_t> rings,
             host::Rgb color) {
  Element e;
  e.kind = kind;
  e.points = std::move(points);
  e.rings = std::move(rings);
  e.stroke.color = color;
  return e;
}

TEST(RenderFill, HolesStayOpenMasksHideAndPointsShow) {
  host::Sheet sheet;
  // a red square of 80 with a hole of 20 in its middle; a mask over its right quarter
  sheet.elements.push_back(
      area(ElementKind::Fill,
           {{10, 10}, {90, 10}, {90, 90}, {10, 90}, {40, 40}, {60, 40}, {60, 60}, {40, 60}}, {4, 4},
           {1, 0, 0}));
  sheet.elements.push_back(
      area(ElementKind::Mask, {{70, 0}, {100, 0}, {100, 100}, {70, 100}}, {4}, {0, 0, 0}));
  Element dot;
  dot.kind = ElementKind::Point;
  dot.points = {{80, 50}};
  dot.stroke = {{0, 0, 1}, "SOLID", 4};
  sheet.elements.push_back(dot);

  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 100, 100);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_matrix_t m;
  cairo_matrix_init(&m, 1, 0, 0, -1, 0, 100);  // y up
  host::render_sheet(cr, sheet, m, {});
  cairo_surface_flush(surface);
  const auto* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  auto pixel = [&](int x, int y_up) {
    const auto* p = data + (99 - y_up) * stride + x * 4;
    return (static_cast<unsigned>(p[2]) << 16) | (p[1] << 8) | p[0];
  };
  EXPECT_EQ(pixel(20, 20), 0xFF0000u);  // filled
  EXPECT_EQ(pixel(50, 50), 0xFFFFFFu);  // the hole
  EXPECT_EQ(pixel(85, 20), 0xFFFFFFu);  // masked
  EXPECT_EQ(pixel(80, 50), 0x0000FFu);  // the dot, on top of the mask
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}

}  // namespace
