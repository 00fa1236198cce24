// The PDF's own vector content against cairo's: the same sheets written both ways must look
// the same (pdftoppm), read the same (pdftotext), keep order where paint overlaps, and use as
// few cairo pages as the order allows.
#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <regex>

#include "host/plot/pdf_writer.h"
#include "plot_test_util.h"

using namespace plot_test;

namespace {

host::Element area(host::ElementKind kind, std::vector<host::Vec2> points, host::Rgb color) {
  host::Element e;
  e.kind = kind;
  e.rings = {static_cast<std::uint32_t>(points.size())};
  e.points = std::move(points);
  e.stroke.color = color;
  return e;
}

host::Element square(host::ElementKind kind, double x, double y, double side, host::Rgb color) {
  return area(kind, {{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}}, color);
}

host::Element group(std::vector<host::Element> content, host::Transform placement,
                    std::vector<host::Vec2> outline) {
  host::Element g;
  g.kind = host::ElementKind::Group;
  g.points = std::move(outline);
  auto inner = std::make_shared<host::Group>();
  inner->placement = placement;
  inner->elements = std::make_shared<const std::vector<host::Element>>(std::move(content));
  g.group = inner;
  return g;
}

// A grey picture of the PDF's first page at 36 dots per inch.
struct Gray {
  int w = 0, h = 0;
  std::string pixels;
};
Gray raster(const std::string& pdf) {
  CommandResult r = run("pdftoppm -r 36 -gray -singlefile '" + pdf + "'");
  Gray g;
  std::size_t at = 0;
  auto field = [&] {
    while (at < r.out.size() && std::isspace(static_cast<unsigned char>(r.out[at]))) ++at;
    std::size_t end = at;
    while (end < r.out.size() && !std::isspace(static_cast<unsigned char>(r.out[end]))) ++end;
    std::string f = r.out.substr(at, end - at);
    at = end;
    return f;
  };
  if (field() != "P5") return g;
  g.w = std::stoi(field());
  g.h = std::stoi(field());
  field();
  g.pixels = r.out.substr(at + 1);
  return g;
}

struct Written {
  std::string own, cairo;
  int runs = 0;
};

class PdfCanvasTest : public ::testing::Test {
 protected:
  Written write_both(const host::Sheet& sheet, host::PageSize size) {
    std::vector<host::PdfPage> pages{{&sheet, size, {}}};
    Written w{dir_.file("own.pdf"), dir_.file("cairo.pdf")};
    ::setenv("TAVRIN_PDF_VECTORS", "cairo", 1);
    std::ofstream(w.cairo, std::ios::binary) << host::render_pdf(pages, nullptr, "t");
    ::setenv("TAVRIN_PDF_VECTORS", "own", 1);
    std::ofstream(w.own, std::ios::binary) << host::render_pdf(pages, nullptr, "t");
    ::unsetenv("TAVRIN_PDF_VECTORS");
    if (std::getenv("KEEP_PDF")) run("cp '" + w.own + "' '" + w.cairo + "' /tmp/");
    const std::string qdf = run("qpdf --qdf --object-streams=disable '" + w.own + "' -").out;
    // each of cairo's pages begins by turning the y axis down
    const std::regex do_re(R"(\n1 0 0 -1 0 [0-9.]+ cm\n)");
    w.runs =
        static_cast<int>(std::distance(std::sregex_iterator(qdf.begin(), qdf.end(), do_re), {}));
    return w;
  }

  // Same pages, texts and picture (but for anti-aliased edges); a valid, not larger file.
  void expect_alike(const Written& w) {
    EXPECT_EQ(run("qpdf --check '" + w.own + "'").status, 0);
    auto a = page_boxes(w.own), b = page_boxes(w.cairo);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
      EXPECT_NEAR(a[i].width_pt, b[i].width_pt, 0.01);
      EXPECT_NEAR(a[i].height_pt, b[i].height_pt, 0.01);
    }
    EXPECT_EQ(pdf_text(w.own), pdf_text(w.cairo));
    EXPECT_LE(std::filesystem::file_size(w.own), std::filesystem::file_size(w.cairo) + 1024);
    const Gray ga = raster(w.own), gb = raster(w.cairo);
    ASSERT_GT(ga.w, 0);
    ASSERT_EQ(ga.w, gb.w);
    ASSERT_EQ(ga.pixels.size(), gb.pixels.size());
    EXPECT_LE(unexplained(ga, gb) + unexplained(gb, ga), 3u) << "pixels differ";
  }

  // Pixels of `a` that no pixel of `b` within one pixel comes near: anti-aliased edges
  // and thin lines rounded to the next row do not count, lost or moved lines do.
  static std::size_t unexplained(const Gray& a, const Gray& b) {
    auto at = [](const Gray& g, int x, int y) {
      x = std::clamp(x, 0, g.w - 1), y = std::clamp(y, 0, g.h - 1);
      return static_cast<int>(static_cast<unsigned char>(g.pixels[y * g.w + x]));
    };
    std::size_t n = 0;
    for (int y = 0; y < a.h; ++y)
      for (int x = 0; x < a.w; ++x) {
        bool near = false;
        for (int dy = -1; dy <= 1 && !near; ++dy)
          for (int dx = -1; dx <= 1 && !near; ++dx)
            near = std::abs(at(a, x, y) - at(b, x + dx, y + dy)) <= 110;
        n += !near;
      }
    return n;
  }

  // How dark the own file's picture is in a box of millimetres from the page's top left.
  int ink(const std::string& pdf, double x0, double y0, double x1, double y1) {
    const Gray g = raster(pdf);
    const double px = 36 / 25.4;
    int dark = 0;
    for (int y = static_cast<int>(y0 * px); y < static_cast<int>(y1 * px) && y < g.h; ++y)
      for (int x = static_cast<int>(x0 * px); x < static_cast<int>(x1 * px) && x < g.w; ++x)
        dark += static_cast<unsigned char>(g.pixels[static_cast<std::size_t>(y) * g.w + x]) < 128;
    return dark;
  }

  TempDir dir_;
};

host::Sheet sheet_of(std::vector<host::Element> elements) {
  host::Sheet s;
  s.elements = std::move(elements);
  return s;
}

TEST_F(PdfCanvasTest, TextsWaitOnTopOfLaterStrokesAndFillsElsewhere) {
  host::Element dashed = line(0, 100, 200, 100, 0.5);
  dashed.stroke.linetype = "DASH_CENTER";
  host::Element own_dashes = line(0, 90, 200, 90, 0.35);
  own_dashes.stroke.dashes = {-2, 5, 0, -1};  // begins with a gap, holds a dot
  host::Element arc;
  arc.kind = host::ElementKind::Arc;
  arc.points = {{150, 40}};
  arc.radius = 25;
  arc.start_angle = 300;
  arc.end_angle = 120;             // across 0 degrees
  host::Element far_turned = arc;  // once hung the plot: its end was counted up turn by turn
  far_turned.start_angle = 1e20;
  far_turned.end_angle = -1e20;
  host::Element bulged = line(10, 10, 80, 10);
  bulged.kind = host::ElementKind::Polyline;
  bulged.points = {{10, 10}, {80, 10}, {80, 60}, {10, 60}};
  bulged.bulges = {0.4, -1, 0.05};
  bulged.closed = true;
  host::Element dot = line(190, 10, 190, 10, 2);
  dot.kind = host::ElementKind::Point;
  dot.points = {{190, 10}};
  host::Element circle = arc;
  circle.kind = host::ElementKind::Circle;
  circle.radius = 0.8;  // small circles take few curves
  auto red = line(0, 0, 200, 140, 1);
  red.stroke.color = {1, 0, 0};
  const host::Sheet sheet =
      sheet_of({rectangle(0, 0, 200, 140), text(20, 120, {"Oben links"}), dashed, own_dashes, arc,
                far_turned, text(120, 120, {"Zweiter Text"}, 5), bulged, dot, circle, red,
                square(host::ElementKind::Fill, 150, 5, 20, {0, 0.5, 0}),
                square(host::ElementKind::Mask, 60, 20, 10, {0, 0, 0})});
  const Written w = write_both(sheet, {200, 140});
  expect_alike(w);
  EXPECT_EQ(w.runs, 1);
}

TEST_F(PdfCanvasTest, PaintOverAWaitingTextCoversIt) {
  // a text, then a fill over it, then a text the fill does not reach: two runs, the first
  // text hidden, the second one on top
  const host::Sheet sheet = sheet_of(
      {text(20, 50, {"MMMMMMMM"}, 1, 8), square(host::ElementKind::Fill, 10, 40, 90, {0, 0, 0}),
       text(20, 20, {"Sichtbar"}), square(host::ElementKind::Mask, 150, 10, 30, {0, 0, 0})});
  const Written w = write_both(sheet, {200, 100});
  expect_alike(w);
  EXPECT_EQ(w.runs, 2);
  EXPECT_EQ(pdf_text(w.own).find("Sichtbar") != std::string::npos, true);
}

TEST_F(PdfCanvasTest, GroupsClipTheirLinesAndTextsAndStretchedOnesStayWithCairo) {
  const std::vector<host::Element> model{line(-50, -50, 150, 150, 0.35), text(10, 10, {"Ansicht"}),
                                         square(host::ElementKind::Mask, 40, 40, 10, {0, 0, 0}),
                                         line(-50, 45, 150, 45, 0.7)};
  const host::Sheet sheet = sheet_of(
      {line(0, 0, 200, 100, 0.35),
       group(model, {0.5, 0, 0, 0.5, 10, 10}, {{10, 10}, {60, 10}, {60, 60}, {10, 60}}),
       group(model, {0, -1, 1, 0, 100, 80}, {{90, 20}, {150, 20}, {120, 70}}),  // turned
       group(model, {0.5, 0, 0, 0.2, 150, 60}, {{150, 60}, {195, 60}, {195, 95}, {150, 95}}),
       text(5, 90, {"Blatt"})});
  const Written w = write_both(sheet, {200, 100});
  expect_alike(w);
  // The line across the first view stops at its clip: nothing beyond (65, 65) mm up.
  EXPECT_EQ(ink(w.own, 66, 20, 85, 33), 0);
  EXPECT_GT(ink(w.own, 20, 55, 40, 90), 0);
}

TEST_F(PdfCanvasTest, HugeSheetsKeepTheirUnitAndPictures) {
  // a picture of two pixels, red and blue
  const std::string png = dir_.file("p.png");
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 2, 1);
  auto* data = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(s));
  data[0] = 0xFF0000, data[1] = 0x0000FF;
  cairo_surface_mark_dirty(s);
  ASSERT_EQ(cairo_surface_write_to_png(s, png.c_str()), CAIRO_STATUS_SUCCESS);
  cairo_surface_destroy(s);
  host::Element picture;
  picture.kind = host::ElementKind::Image;
  picture.source = png;
  picture.points = {{1000, 1000}, {3000, 1000}, {1000, 2000}};
  const host::Sheet sheet =
      sheet_of({rectangle(0, 0, 8000, 3000), text(500, 500, {"Lageplan"}, 1, 200), picture,
                line(0, 0, 8000, 3000, 5)});
  const Written w = write_both(sheet, {8000, 3000});
  expect_alike(w);
  EXPECT_NE(run("qpdf --show-object=1 --json '" + w.own + "'").status, -1);
  EXPECT_EQ(page_boxes(w.own).size(), 1u);
}

}  // namespace
