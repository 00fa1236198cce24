// Pages of any size: content on the sheet's edge, sheets under a point, sheets beyond the
// 5080 mm of common readers, and printing such a sheet.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "host/api/drawing_ops.h"
#include "host/api/error.h"
#include "host/api/testing.h"
#include "host/drawing/store.h"
#include "plot_test_util.h"

using host::kw;
using host::List;
using host::Value;
using namespace plot_test;

namespace {

List pdf_args(double w, double h, const std::string& dest) {
  return {kw("plotter_type_ra"),
          kw("pdf"),
          kw("plotter_name_ra"),
          Value("PDF_GENERIC"),
          kw("custom_size"),
          kw("width"),
          Value(w),
          kw("height"),
          Value(h),
          kw("accept"),
          kw("destination"),
          Value(dest),
          kw("scale_factor"),
          kw("scale_factor_value"),
          Value(1),
          kw("contents_drawing"),
          kw("output_sheet"),
          kw("plot")};
}

void use_sheet(std::vector<host::Element> elements) {
  host::Sheet s;
  s.id = host::next_id();
  s.name = s.unique_name = "1";
  s.elements = std::move(elements);
  host::Drawing d;
  d.id = host::next_id();
  d.number = "E";
  d.sheets = {std::move(s)};
  host::replace_current_drawing(std::move(d));
}

// A page as a grey map (pdftoppm, PGM), 0 black.
struct Raster {
  int width = 0, height = 0;
  std::string pixels;
  bool ink(int x, int y) const { return static_cast<unsigned char>(pixels[y * width + x]) < 128; }
  bool column_has_ink(int x) const {
    for (int y = 0; y < height; ++y)
      if (ink(x, y)) return true;
    return false;
  }
  bool row_has_ink(int y) const {
    for (int x = 0; x < width; ++x)
      if (ink(x, y)) return true;
    return false;
  }
};

Raster rasterise(const std::string& pdf, double dpi) {
  const CommandResult r =
      run("pdftoppm -gray -aa no -aaVector no -r " + std::to_string(dpi) + " '" + pdf + "'");
  Raster raster;
  std::smatch m;
  if (!std::regex_search(r.out, m, std::regex("^P5\\s+(\\d+)\\s+(\\d+)\\s+255\\s"))) return raster;
  raster.width = std::stoi(m[1]);
  raster.height = std::stoi(m[2]);
  raster.pixels = r.out.substr(m.length(0));
  return raster;
}

class PageSize : public InScratchDir {};

TEST_F(PageSize, StrokesOnEveryEdgeShowTheirInnerHalf) {
  // a frame on the extent of a sheet whose sides are no whole numbers of points
  use_sheet({rectangle(0, 0, 100.3, 50.7)});
  host::am_plot_ex(pdf_args(100.3, 50.7, "rand.pdf"));
  const auto pages = page_boxes(dir_.file("rand.pdf"));
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_NEAR(pages[0].width_pt, 100.3 * kPt, 0.01);
  EXPECT_NEAR(pages[0].height_pt, 50.7 * kPt, 0.01);
  const Raster r = rasterise(dir_.file("rand.pdf"), 300);
  ASSERT_GT(r.width, 1000);
  EXPECT_TRUE(r.column_has_ink(0));
  EXPECT_TRUE(r.column_has_ink(r.width - 1));
  EXPECT_TRUE(r.row_has_ink(0));
  EXPECT_TRUE(r.row_has_ink(r.height - 1));
}

TEST_F(PageSize, SheetsUnderOnePointOrWithoutHeightShowTheirContent) {
  use_sheet({line(0, 0, 0.3, 0.2, 0.05)});
  host::am_plot_ex(pdf_args(0.3, 0.2, "klein.pdf"));
  const auto pages = page_boxes(dir_.file("klein.pdf"));
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_NEAR(pages[0].width_pt, 0.3 * kPt, 0.01);
  const Raster r = rasterise(dir_.file("klein.pdf"), 7200);
  ASSERT_GT(r.width, 20);
  EXPECT_TRUE(r.ink(r.width / 2, r.height / 2));

  // one horizontal line measures 0 high: a page of the thinnest size, the line on its edge
  use_sheet({line(0, 0, 100, 0, 0.5)});
  host::am_plot_ex(pdf_args(100, 0, "linie.pdf"));
  const auto line_page = page_boxes(dir_.file("linie.pdf"));
  ASSERT_EQ(line_page.size(), 1u);
  EXPECT_NEAR(line_page[0].height_pt, 1 * kPt, 0.01);
  const Raster l = rasterise(dir_.file("linie.pdf"), 600);
  ASSERT_GT(l.height, 5);
  EXPECT_TRUE(l.ink(l.width / 2, l.height - 1));
}

TEST_F(PageSize, SheetOf20MetresIsWrittenInLargerUnitsAndRefusedUnfittedByPrinters) {
  use_sheet({rectangle(0, 0, 20000, 3000), text(100, 100, {"Halle 3"}, 1, 500)});
  host::am_plot_ex(pdf_args(20000, 3000, "halle.pdf"));
  const std::string pdf = dir_.file("halle.pdf");
  EXPECT_EQ(run("qpdf --check '" + pdf + "'").status, 0);
  EXPECT_EQ(run("head -c 8 '" + pdf + "'").out, "%PDF-1.6");
  const std::string qdf = run("qpdf --qdf --object-streams=disable '" + pdf + "' -").out;
  std::smatch unit, box;
  ASSERT_TRUE(std::regex_search(qdf, unit, std::regex("/UserUnit ([0-9.]+)")));
  ASSERT_TRUE(std::regex_search(
      qdf, box, std::regex("/MediaBox \\[\\s*([0-9.]+)\\s+([0-9.]+)\\s+([0-9.]+)\\s+([0-9.]+)")));
  const double u = to_number(unit[1]);
  // every side within the 14400 units common readers show, the true size with the unit
  EXPECT_LE(to_number(box[3]) - to_number(box[1]), 14400);
  EXPECT_NEAR((to_number(box[3]) - to_number(box[1])) * u, 20000 * kPt, 0.5);
  EXPECT_NEAR((to_number(box[4]) - to_number(box[2])) * u, 3000 * kPt, 0.5);
  EXPECT_NE(pdf_text(pdf).find("Halle 3"), std::string::npos);

  const List print{kw("plotter_type_ra"),
                   kw("mswindow_gdi_printer"),
                   kw("plotter_name_ra"),
                   Value("Plotter"),
                   kw("paper_format_ra"),
                   Value("A0"),
                   kw("scale_factor"),
                   kw("scale_factor_value"),
                   Value(1),
                   kw("plot")};
  try {
    host::am_plot_ex(print);
    ADD_FAILURE() << "printed unfitted";
  } catch (const host::Error& e) {
    EXPECT_STREQ(e.what(),
                 "am_plot_ex: sheet \"1\" is 20000 x 3000 mm, larger than the 5080 mm a printer "
                 "page can take; print it fitted to the paper");
  }

  // a text 600 mm high (1700 points) shows in renderers that drop such glyphs
  use_sheet({text(0, 0, {"Tor"}, 1, 600)});
  host::am_plot_ex(pdf_args(1500, 600, "tor.pdf"));
  const Raster tor = rasterise(dir_.file("tor.pdf"), 10);
  int ink = 0;
  for (char c : tor.pixels) ink += static_cast<unsigned char>(c) < 128;
  EXPECT_GT(ink, 100);
}

}  // namespace
