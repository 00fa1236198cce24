// am_plot_ex into PDF files: page sizes, texts, pages per sheet, pen widths, layout, errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <regex>

#include "host/api/drawing_ops.h"
#include "host/api/error.h"
#include "host/api/files.h"
#include "host/api/testing.h"
#include "host/drawing/store.h"
#include "host/settings/style_store.h"
#include "plot_test_util.h"
#include "support/expect.h"

using host::kw;
using host::List;
using host::Value;
using namespace plot_test;

namespace {

// The argument list the module passes for the PDF of one sheet.
List pdf_args(double w, double h, const std::string& dest, bool landscape,
              const std::string& style = "STANDARD") {
  List args{kw("plotter_type_ra"),
            kw("pdf"),
            kw("plotter_name_ra"),
            Value("PDF_GENERIC"),
            kw("plot_warnings"),
            kw("off"),
            kw("custom_size"),
            kw("width"),
            Value(w),
            kw("height"),
            Value(h),
            kw("accept")};
  if (landscape)
    args.insert(args.end(), {kw("orientation_landscape"), kw("orientation"), kw("landscape")});
  else
    args.insert(args.end(), {kw("orientation_portrait"), kw("orientation"), kw("portrait")});
  args.insert(args.end(),
              {kw("destination"), Value(dest), kw("copies"), Value(1), kw("transf_style"),
               kw(style), kw("scale_factor"), kw("scale_factor_value"), Value(1),
               kw("contents_drawing"), kw("output_sheet"), kw("plot")});
  return args;
}

host::Sheet sheet_named(const std::string& name, std::vector<host::Element> elements) {
  host::Sheet s;
  s.id = host::next_id();
  s.name = s.unique_name = name;
  s.elements = std::move(elements);
  return s;
}

void use_drawing(std::vector<host::Sheet> sheets, std::optional<std::string> number = "4711") {
  host::Drawing d;
  d.id = host::next_id();
  d.number = std::move(number);
  d.sheets = std::move(sheets);
  host::replace_current_drawing(std::move(d));
}

// A style that prints pen 0.35 as 0.5 and pen 0.7 as 0.25, everything black.
void put_width_style() {
  host::PenStyle style{"WIDTHS", "Widths", {}};
  host::PenRule thick;
  thick.pensize_def = "SINGLE";
  thick.pensize1 = 0.35;
  thick.new_pensize = 0.5;
  thick.new_color = host::Rgb{0, 0, 0};
  host::PenRule thin = thick;
  thin.pensize1 = 0.7;
  thin.new_pensize = 0.25;
  style.rules = {thick, thin};
  host::settings::put_style(style, host::settings::Level::User);
}

class PdfPlot : public InScratchDir {};

TEST_F(PdfPlot, SheetOf400By280GivesOnePageOfThatSizeWithItsTexts) {
  use_drawing({sheet_named(
      "1", {rectangle(0, 0, 400, 280), text(10, 10, {"Änderungsmitteilung", "Blatt 1 von 2"}),
            text(390, 270, {"Größe Ü"}, 9)})});
  EXPECT_TRUE(host::am_plot_ex(pdf_args(400, 280, "4711_1.pdf", true)) == Value::t());

  const std::string pdf = dir_.file("4711_1.pdf");
  auto pages = page_boxes(pdf);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_NEAR(pages[0].width_pt, 400 * kPt, 0.1);
  EXPECT_NEAR(pages[0].height_pt, 280 * kPt, 0.1);
  std::string text = pdf_text(pdf);
  EXPECT_NE(text.find("Änderungsmitteilung"), std::string::npos) << text;
  EXPECT_NE(text.find("Blatt 1 von 2"), std::string::npos) << text;
  EXPECT_NE(text.find("Größe Ü"), std::string::npos) << text;
  EXPECT_EQ(run("qpdf --check '" + pdf + "'").status, 0);
  // Written through a temporary name: nothing else is left beside the file.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1);
}

TEST_F(PdfPlot, OrientationTurnsTheCustomPageAndPortraitStaysTall) {
  use_drawing({sheet_named("1", {rectangle(0, 0, 210, 297)})});
  host::am_plot_ex(pdf_args(297, 210, "p.pdf", false));
  host::am_plot_ex(pdf_args(280, 400, "l.pdf", true));
  auto portrait = page_boxes(dir_.file("p.pdf"));
  auto landscape = page_boxes(dir_.file("l.pdf"));
  ASSERT_EQ(portrait.size(), 1u);
  ASSERT_EQ(landscape.size(), 1u);
  EXPECT_NEAR(portrait[0].width_pt, 210 * kPt, 0.1);
  EXPECT_NEAR(portrait[0].height_pt, 297 * kPt, 0.1);
  EXPECT_NEAR(landscape[0].width_pt, 400 * kPt, 0.1);
  EXPECT_NEAR(landscape[0].height_pt, 280 * kPt, 0.1);
}

TEST_F(PdfPlot, MultisheetGivesOnePagePerSheetInOrder) {
  use_drawing({sheet_named("1", {rectangle(0, 0, 205, -292), text(5, -5, {"Seite eins"}, 7)}),
               sheet_named("2", {rectangle(0, 0, 205, -292), text(5, -5, {"Seite zwei"}, 7)}),
               sheet_named("3", {rectangle(0, 0, 205, -292), text(5, -5, {"Seite drei"}, 7)})});
  List args{kw("plotter_type_ra"),
            kw("pdf"),
            kw("plotter_name_ra"),
            Value("PDF_GENERIC"),
            kw("plot_warnings"),
            kw("off"),
            kw("custom_size"),
            kw("width"),
            Value(210),
            kw("height"),
            Value(297),
            kw("accept"),
            kw("orientation_portrait"),
            kw("orientation"),
            kw("portrait"),
            kw("destination"),
            Value("Änderungen.pdf"),
            kw("copies"),
            Value(1),
            kw("position_left"),
            kw("transf_style"),
            kw("info_docu"),
            kw("scale_factor"),
            kw("scale_factor_value"),
            Value(1),
            kw("contents_drawing"),
            kw("multisheet"),
            kw("yes"),
            kw("output_drawing"),
            kw("plot")};
  host::am_plot_ex(args);

  const std::string pdf = dir_.file("Änderungen.pdf");
  auto pages = page_boxes(pdf);
  ASSERT_EQ(pages.size(), 3u);
  for (const auto& p : pages) {
    EXPECT_NEAR(p.width_pt, 210 * kPt, 0.1);
    EXPECT_NEAR(p.height_pt, 297 * kPt, 0.1);
  }
  EXPECT_NE(pdf_text(pdf, 1).find("Seite eins"), std::string::npos);
  EXPECT_NE(pdf_text(pdf, 2).find("Seite zwei"), std::string::npos);
  EXPECT_NE(pdf_text(pdf, 3).find("Seite drei"), std::string::npos);
  EXPECT_EQ(run("qpdf --check '" + pdf + "'").status, 0);
}

TEST_F(PdfPlot, LineWidthsFollowThePenStyleAndStayOnPaperWhenFitted) {
  put_width_style();
  host::Element dashed = line(0, 140, 400, 140, 0.35);
  dashed.stroke.linetype = "DASHED";
  use_drawing({sheet_named("1", {line(0, 0, 400, 280, 0.35), line(0, 280, 400, 0, 0.7), dashed})});
  host::am_plot_ex(pdf_args(400, 280, "scale1.pdf", true, "widths"));
  auto distinct = [](std::vector<double> w) {
    std::sort(w.begin(), w.end());
    w.erase(std::unique(w.begin(), w.end()), w.end());
    return w;
  };
  auto widths = distinct(line_widths(dir_.file("scale1.pdf")));
  // Dash lengths are paper millimetres too: 3 on, 1.5 off.
  std::string content =
      run("qpdf --qdf --object-streams=disable '" + dir_.file("scale1.pdf") + "' -").out;
  EXPECT_TRUE(std::regex_search(content, std::regex(R"(\[ ?8\.50393\d* 4\.25196\d*\] 0 d)")));
  ASSERT_EQ(widths.size(), 2u);
  EXPECT_NEAR(widths[0], 0.25 * kPt, 0.001);
  EXPECT_NEAR(widths[1], 0.5 * kPt, 0.001);

  // Fitted to a page of half the size, the drawing shrinks but the pens are paper widths.
  List fitted = pdf_args(200, 140, "fit.pdf", true, "widths");
  auto factor = std::find(fitted.begin(), fitted.end(), kw("scale_factor"));
  fitted.erase(factor, factor + 3);
  fitted.insert(fitted.end() - 3, kw("scale_fit"));
  host::am_plot_ex(fitted);
  EXPECT_EQ(distinct(line_widths(dir_.file("fit.pdf"))), widths);
}

// Real drawings alternate texts and lines of many pens: every new pen met after a text grows
// the resolver's cache while the previous answer is still in use.
TEST_F(PdfPlot, TextsBetweenLinesOfManyPensKeepEveryLineWidth) {
  std::vector<host::Element> elements{rectangle(0, 0, 400, 280)};
  for (int i = 0; i < 40; ++i) {
    host::Element t = text(10, 5 + i * 6, {"T" + std::to_string(i)});
    t.stroke.pensize = 0.7 + 0.01 * i;
    elements.push_back(t);
    elements.push_back(line(100, 5 + i * 6, 300, 5 + i * 6, 0.2 + 0.01 * i));
  }
  use_drawing({sheet_named("1", elements)});
  host::am_plot_ex(pdf_args(400, 280, "many.pdf", true));
  auto widths = line_widths(dir_.file("many.pdf"));
  for (int i = 0; i < 40; ++i) {
    double want = (0.2 + 0.01 * i) * kPt;
    EXPECT_TRUE(std::any_of(widths.begin(), widths.end(),
                            [&](double w) { return std::abs(w - want) < 1e-3; }))
        << "no line of pen " << 0.2 + 0.01 * i;
  }
  EXPECT_NE(pdf_text(dir_.file("many.pdf")).find("T39"), std::string::npos);
}

// A view ten times enlarged: its content shows only inside its outline, with paper pens and
// the drawing's own dashes as long on paper as in the drawing.
TEST_F(PdfPlot, GroupsDrawTheirContentPlacedAndClippedWithPaperPens) {
  host::Element dashed = line(-1000, 0, 1000, 0, 0.35);
  dashed.stroke.dashes = {2, -2};
  auto content = std::make_shared<std::vector<host::Element>>(
      std::vector{dashed, line(0, -1000, 0, 1000, 0.35)});
  host::Element view;
  view.kind = host::ElementKind::Group;
  view.points = {{150, 90}, {250, 90}, {250, 190}, {150, 190}};
  view.group = std::make_shared<host::Group>(host::Group{{10, 0, 0, 10, 200, 140}, content});
  use_drawing({sheet_named("1", {rectangle(0, 0, 400, 280), view})});
  host::am_plot_ex(pdf_args(400, 280, "view.pdf", true));
  // the frame's pen and the view's, not ten times that
  for (double w : line_widths(dir_.file("view.pdf")))
    EXPECT_TRUE(std::abs(w - 0.35 * kPt) < 0.001 || std::abs(w - 0.5 * kPt) < 0.001) << w;
  // 2 pixels per millimetre, rows from the top
  ASSERT_EQ(
      run("pdftoppm -r 50.8 -gray '" + dir_.file("view.pdf") + "' '" + dir_.file("v") + "'").status,
      0);
  const std::string pgm = host::read_file(dir_.file("v-1.pgm"));
  int width = 0, height = 0;
  ASSERT_EQ(std::sscanf(pgm.c_str(), "P5 %d %d", &width, &height), 2);
  const std::size_t data = pgm.size() - static_cast<std::size_t>(width) * height;
  auto ink = [&](double x, double y) {
    return static_cast<unsigned char>(pgm[data + static_cast<std::size_t>((280 - y) * 2) * width +
                                          static_cast<std::size_t>(x * 2)]) < 230;
  };
  // the dashes begin at the line's start, paper x = -9800: on from 4k to 4k + 2
  EXPECT_TRUE(ink(173, 140));
  EXPECT_FALSE(ink(175, 140));
  EXPECT_TRUE(ink(200, 180));
  EXPECT_FALSE(ink(300, 140)) << "the line goes on outside the outline, undrawn";
  EXPECT_FALSE(ink(200, 230));
  EXPECT_FALSE(ink(170, 150));
}

TEST_F(PdfPlot, TextsSitAtTheirAdjustPoints) {
  // Page 100 x 100 mm; a block of one capital "H" 10 mm high at each adjust point.
  host::Element two_lines = text(50, 30, {"Eins", "Zwei"}, 1, 4);
  two_lines.text.linespace = 2.5;
  use_drawing(
      {sheet_named("1", {rectangle(0, 0, 100, 100), text(50, 50, {"H"}, 5, 10),
                         text(10, 90, {"T"}, 7, 10), text(90, 10, {"R"}, 3, 10), two_lines})});
  host::am_plot_ex(pdf_args(100, 100, "adjust.pdf", false));
  std::string bbox = run("pdftotext -bbox '" + dir_.file("adjust.pdf") + "' -").out;
  auto centre_of = [&](const std::string& word) {
    std::smatch m;
    std::regex re("xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">" +
                  word + "<");
    EXPECT_TRUE(std::regex_search(bbox, m, re)) << bbox;
    return std::pair{(to_number(m[1]) + to_number(m[3])) / 2 / kPt,
                     (to_number(m[2]) + to_number(m[4])) / 2 / kPt};
  };
  // pdftotext's boxes run from ascent to descent, so vertical centres are a few mm off.
  auto [hx, hy] = centre_of("H");
  EXPECT_NEAR(hx, 50, 1);
  EXPECT_NEAR(hy, 50, 3);
  auto [tx, ty] = centre_of("T");
  EXPECT_LT(tx, 20);
  EXPECT_GT(tx, 10);
  EXPECT_GT(ty, 10);  // below the top point: y grows downwards in the box
  EXPECT_LT(ty, 20);
  auto [rx, ry] = centre_of("R");
  EXPECT_LT(rx, 90);
  EXPECT_GT(rx, 80);
  EXPECT_LT(ry, 90);
  EXPECT_GT(ry, 80);
  // The second line stands line spacing times size below the first; the last line's
  // baseline sits on the point for the bottom adjust points.
  auto [x_eins, y_eins] = centre_of("Eins");
  auto [x_zwei, y_zwei] = centre_of("Zwei");
  EXPECT_NEAR(y_zwei - y_eins, 10, 0.2);
  EXPECT_NEAR(x_eins, x_zwei, 2);
  EXPECT_LT(y_zwei, 70);
  EXPECT_GT(y_zwei, 66);
}

TEST_F(PdfPlot, BrokenTextDoesNotSpoilTheRestOfThePage) {
  host::Element broken = text(10, 50, {"kaputt \xff\xfe Text"});
  host::Element empty_size = text(10, 60, {"ohne Größe"});
  empty_size.text.size = 0;
  use_drawing({sheet_named(
      "1", {rectangle(0, 0, 100, 100), broken, empty_size, text(10, 20, {"danach"})})});
  host::am_plot_ex(pdf_args(100, 100, "b.pdf", false));
  std::string text = pdf_text(dir_.file("b.pdf"));
  EXPECT_NE(text.find("kaputt"), std::string::npos) << text;
  EXPECT_NE(text.find("danach"), std::string::npos) << text;
}

TEST_F(PdfPlot, BadArgumentListsNameTheKeywordAndWriteNothing) {
  use_drawing({sheet_named("1", {rectangle(0, 0, 10, 10)})});
  List unknown = pdf_args(10, 10, "x.pdf", false);
  unknown.insert(unknown.begin() + 6, kw("colour_mode"));
  EXPECT_THROW_MSG(host::am_plot_ex(unknown), ":COLOUR_MODE");
  EXPECT_TRUE(host::lisp_error_active());

  List wrong_kind = pdf_args(10, 10, "x.pdf", false);
  wrong_kind[8] = Value("ten");
  EXPECT_THROW_MSG(host::am_plot_ex(wrong_kind), ":WIDTH");

  List missing_value{kw("plotter_type_ra"), kw("pdf"), kw("destination")};
  EXPECT_THROW_MSG(host::am_plot_ex(missing_value), ":DESTINATION");

  List bad_type{kw("plotter_type_ra"), kw("plotter"), kw("plot")};
  EXPECT_THROW_MSG(host::am_plot_ex(bad_type), ":PLOTTER_TYPE_RA");

  List stray{kw("plotter_type_ra"), kw("pdf"), Value(42), kw("plot")};
  EXPECT_THROW_MSG(host::am_plot_ex(stray), "42");

  List no_destination{kw("plotter_type_ra"), kw("pdf"), kw("output_sheet"), kw("plot")};
  EXPECT_THROW_MSG(host::am_plot_ex(no_destination), ":destination");

  List zero_copies = pdf_args(10, 10, "x.pdf", false);
  *(std::find(zero_copies.begin(), zero_copies.end(), kw("copies")) + 1) = Value(0);
  EXPECT_THROW_MSG(host::am_plot_ex(zero_copies), ":COPIES");

  EXPECT_FALSE(std::filesystem::exists(dir_.file("x.pdf")));
}

TEST_F(PdfPlot, UnwritableDestinationIsAnErrorAndLeavesNothingBehind) {
  use_drawing({sheet_named("1", {rectangle(0, 0, 10, 10)})});
  EXPECT_THROW(host::am_plot_ex(pdf_args(10, 10, "missing/dir/x.pdf", false)), host::Error);
  std::filesystem::create_directory(dir_.file("taken.pdf"));
  EXPECT_THROW(host::am_plot_ex(pdf_args(10, 10, "taken.pdf", false)), host::Error);
  EXPECT_TRUE(std::filesystem::is_directory(dir_.file("taken.pdf")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1);
}

}  // namespace
