// Areas on the page: fills with holes, masks over what lies below, points as dots, the
// background and frame of texts in columns.
#include <cairo.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "host/plot/render.h"
#include "support/scratch_dir.h"

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

// Renders the sheet onto a white 100 x 100 picture, y up; the colour of a pixel as 0xRRGGBB.
class Canvas {
 public:
  explicit Canvas(const host::Sheet& sheet)
      : surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 100, 100)) {
    cairo_t* cr = cairo_create(surface_);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_matrix_t m;
    cairo_matrix_init(&m, 1, 0, 0, -1, 0, 100);
    host::render_sheet(cr, sheet, m, {});
    cairo_destroy(cr);
    cairo_surface_flush(surface_);
  }
  ~Canvas() { cairo_surface_destroy(surface_); }
  unsigned pixel(int x, int y_up) const {
    const auto* p = cairo_image_surface_get_data(surface_) +
                    (99 - y_up) * cairo_image_surface_get_stride(surface_) + x * 4;
    return (static_cast<unsigned>(p[2]) << 16) | (p[1] << 8) | p[0];
  }

 private:
  cairo_surface_t* surface_;
};

TEST(RenderFill, PicturesFillTheirCorners) {
  // a picture of two pixels, red and blue, stretched over a turned rectangle
  const tavrin_test::ScratchDir dir;
  const std::string file = dir.file("raster.png");
  cairo_surface_t* png = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 2, 1);
  auto* data = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(png));
  data[0] = 0xFF0000, data[1] = 0x0000FF;
  cairo_surface_mark_dirty(png);
  ASSERT_EQ(cairo_surface_write_to_png(png, file.c_str()), CAIRO_STATUS_SUCCESS);
  cairo_surface_destroy(png);
  host::Sheet sheet;
  Element image;
  image.kind = ElementKind::Image;
  image.points = {{80, 10}, {80, 90}, {20, 10}};  // turned a quarter: along y, then along -x
  image.source = file;
  sheet.elements.push_back(image);
  const Canvas canvas(sheet);
  // the picture is smoothed where its two pixels meet
  auto near = [](unsigned have, unsigned want) {
    for (int shift : {0, 8, 16})
      if (std::abs(static_cast<int>((have >> shift) & 0xFF) -
                   static_cast<int>((want >> shift) & 0xFF)) > 16)
        return false;
    return true;
  };
  EXPECT_TRUE(near(canvas.pixel(50, 30), 0xFF0000u)) << std::hex << canvas.pixel(50, 30);
  EXPECT_TRUE(near(canvas.pixel(50, 70), 0x0000FFu)) << std::hex << canvas.pixel(50, 70);
  EXPECT_EQ(canvas.pixel(90, 50), 0xFFFFFFu);
  // cut to the triangle of its lower left, lower right and upper right corner
  sheet.elements[0].points.insert(sheet.elements[0].points.end(), {{80, 10}, {80, 90}, {20, 90}});
  const Canvas cut(sheet);
  EXPECT_TRUE(near(cut.pixel(50, 70), 0x0000FFu)) << std::hex << cut.pixel(50, 70);
  EXPECT_EQ(cut.pixel(50, 30), 0xFFFFFFu);
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

  const Canvas canvas(sheet);
  auto pixel = [&](int x, int y) { return canvas.pixel(x, y); };
  EXPECT_EQ(pixel(20, 20), 0xFF0000u);  // filled
  EXPECT_EQ(pixel(50, 50), 0xFFFFFFu);  // the hole
  EXPECT_EQ(pixel(85, 20), 0xFFFFFFu);  // masked
  EXPECT_EQ(pixel(80, 50), 0x0000FFu);  // the dot, on top of the mask
}

TEST(RenderFill, EachColumnOfATextHasItsOwnBackgroundAndFrame) {
  // two columns 35 wide, 10 apart, 30 tall, from (10, 90) down; the text fills only the first
  Element e;
  e.kind = ElementKind::Text;
  e.points = {{10, 90}};
  e.stroke = {{0, 0, 1}, "SOLID", 2};
  e.text.lines = {"a"};
  e.text.size = 3;
  e.text.adjust = 7;
  e.text.wrap_width = 35;
  e.text.column_count = 2;
  e.text.column_gutter = 10;
  e.text.column_heights = {30};
  e.text.frame = true;
  e.text.background = 1;
  e.text.background_color = {1, 0, 0};
  e.text.background_margin = 1;
  host::Sheet sheet;
  sheet.elements.push_back(e);

  const Canvas canvas(sheet);
  EXPECT_EQ(canvas.pixel(30, 70), 0xFF0000u);  // inside the first column
  EXPECT_EQ(canvas.pixel(70, 70), 0xFF0000u);  // the second is filled though empty
  EXPECT_EQ(canvas.pixel(50, 70), 0xFFFFFFu);  // the gutter
  EXPECT_EQ(canvas.pixel(50, 90), 0xFFFFFFu);  // no frame across the gutter
  EXPECT_EQ(canvas.pixel(45, 75), 0x0000FFu);  // the first column's right side
  EXPECT_EQ(canvas.pixel(54, 75), 0x0000FFu);  // the second one's left side
  EXPECT_EQ(canvas.pixel(70, 59), 0x0000FFu);  // its bottom, at its own height
  EXPECT_EQ(canvas.pixel(70, 50), 0xFFFFFFu);
}

}  // namespace
