// The keyword lists of am_plot_ex as the module passes them, the paper table, and where a
// sheet lands on the page.
#include "host/plot/plot_args.h"

#include <gtest/gtest.h>

#include "host/api/error.h"
#include "host/api/testing.h"
#include "host/plot/layout.h"
#include "host/plot/paper.h"
#include "plot_test_util.h"

using host::kw;
using host::List;
using host::Orientation;
using host::Value;

namespace {

List head(const std::string& printer) {
  return {kw("plotter_type_ra"), kw("mswindow_gdi_printer"), kw("plotter_name_ra"),
          Value(printer),        kw("plot_warnings"),        kw("off")};
}

List joined(List a, const List& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(PlotArgs, TheFourPrinterListsOfTheModule) {
  struct Case {
    List tail;
    Orientation orientation;
    bool fit;
  };
  const std::vector<Case> cases{
      {{kw("orientation_portrait"), kw("orientation"), kw("portrait"), kw("paper_format_ra"),
        Value("A4"), kw("copies"), Value(1), kw("scale_factor"), kw("scale_factor_value"), Value(1),
        kw("transf_style"), kw("firma_a"), kw("contents_drawing"), kw("output_sheet"), kw("plot")},
       Orientation::Portrait,
       false},
      {{kw("orientation_portrait"), kw("orientation"), kw("portrait"), kw("paper_format_ra"),
        Value("A4"), kw("copies"), Value(1), kw("scale_fit"), kw("transf_style"), kw("firma_a"),
        kw("contents_drawing"), kw("output_sheet"), kw("plot")},
       Orientation::Portrait,
       true},
      {{kw("orientation_landscape"), kw("orientation"), kw("landscape"), kw("paper_format_ra"),
        Value("A4"), kw("copies"), Value(1), kw("transf_style"), kw("firma_a"), kw("scale_fit"),
        kw("contents_drawing"), kw("output_sheet"), kw("plot")},
       Orientation::Landscape,
       true},
      {{kw("orientation_landscape"), kw("orientation"), kw("landscape"), kw("paper_format_ra"),
        Value("A4"), kw("copies"), Value(1), kw("transf_style"), kw("firma_a"), kw("scale_factor"),
        kw("scale_factor_value"), Value(1), kw("contents_drawing"), kw("output_sheet"), kw("plot")},
       Orientation::Landscape,
       false},
  };
  for (const auto& c : cases) {
    host::PlotRequest r = host::parse_plot_args(joined(head("HP LaserJet"), c.tail));
    EXPECT_EQ(r.plotter_type, host::PlotterType::Printer);
    EXPECT_EQ(r.plotter_name, "HP LaserJet");
    EXPECT_EQ(r.orientation, c.orientation);
    EXPECT_EQ(r.fit, c.fit);
    EXPECT_EQ(r.scale, 1);
    EXPECT_EQ(r.paper, "A4");
    EXPECT_EQ(r.copies, 1);
    EXPECT_EQ(r.transf_style, "FIRMA_A");
    EXPECT_EQ(r.output, host::PlotOutput::Sheet);
    EXPECT_TRUE(r.plot);
  }
}

TEST(PlotArgs, PdfListsAndMultisheet) {
  List args{kw("plotter_type_ra"),
            kw("pdf"),
            kw("plotter_name_ra"),
            Value("PDF_GENERIC"),
            kw("plot_warnings"),
            kw("off"),
            kw("custom_size"),
            kw("width"),
            Value::ratio(841, 2),
            kw("height"),
            Value(297.0),
            kw("accept"),
            kw("orientation_portrait"),
            kw("orientation"),
            kw("portrait"),
            kw("destination"),
            Value("x.pdf"),
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
  host::PlotRequest r = host::parse_plot_args(args);
  EXPECT_EQ(r.plotter_type, host::PlotterType::Pdf);
  EXPECT_TRUE(r.custom_size);
  EXPECT_DOUBLE_EQ(*r.width, 420.5);
  EXPECT_DOUBLE_EQ(*r.height, 297);
  EXPECT_EQ(r.destination, "x.pdf");
  EXPECT_TRUE(r.position_left);
  EXPECT_EQ(r.transf_style, "INFO_DOCU");
  EXPECT_EQ(r.output, host::PlotOutput::Drawing);
  // Without :plot the list only sets up; nothing is plotted.
  EXPECT_FALSE(host::parse_plot_args({kw("plotter_type_ra"), kw("pdf")}).plot);
}

TEST(PaperTable, NamesInTheirUsualSpellings) {
  auto a3 = host::find_paper("A3");
  ASSERT_TRUE(a3);
  EXPECT_EQ(a3->width_mm, 297);
  EXPECT_EQ(a3->height_mm, 420);
  EXPECT_EQ(a3->pwg, "iso_a3_297x420mm");
  for (const char* name : {"a3", "ISO A3", "iso_a3", "ISO-A3", "iso_a3_297x420mm"}) {
    auto p = host::find_paper(name);
    ASSERT_TRUE(p) << name;
    EXPECT_EQ(p->name, "A3") << name;
  }
  EXPECT_EQ(host::find_paper("Letter")->pwg, "na_letter_8.5x11in");
  EXPECT_EQ(host::find_paper("ANSI B")->height_mm, 431.8);
  EXPECT_EQ(host::find_paper("A0")->height_mm, 1189);
  // A lone letter is no paper; neither is nonsense.
  EXPECT_FALSE(host::find_paper("A"));
  EXPECT_FALSE(host::find_paper("B"));
  EXPECT_FALSE(host::find_paper("A33"));
  EXPECT_FALSE(host::find_paper(""));
}

// Where a drawing point lands on the page, in millimetres from the page's lower left.
std::pair<double, double> on_page(const host::SheetOnPage& placed, host::PageSize page, double x,
                                  double y) {
  host::Vec2 p = placed.drawing_to_page.apply({x, y});
  return {p.x / host::kPointsPerMm, page.height_mm - p.y / host::kPointsPerMm};
}

TEST(Layout, ScaleFitPositionAndOrientation) {
  host::reset_host();
  host::Sheet sheet;
  sheet.elements = {plot_test::rectangle(-100, 50, 100, 150)};  // 200 x 100 from (-100, 50)
  const host::PageSize a4_landscape = host::oriented({210, 297}, Orientation::Landscape);
  EXPECT_EQ(a4_landscape.width_mm, 297);
  EXPECT_EQ(host::oriented({297, 210}, Orientation::Portrait).width_mm, 210);
  EXPECT_EQ(host::oriented({297, 210}, Orientation::Unspecified).width_mm, 297);

  auto at_scale = host::place_sheet(sheet, a4_landscape, {false, 1, false});
  auto [x0, y0] = on_page(at_scale, a4_landscape, -100, 50);
  EXPECT_NEAR(x0, 0, 1e-9);
  EXPECT_NEAR(y0, 0, 1e-9);
  EXPECT_DOUBLE_EQ(at_scale.units_per_paper_mm, 1);

  auto top_left = host::place_sheet(sheet, a4_landscape, {false, 1, true});
  auto [x1, y1] = on_page(top_left, a4_landscape, -100, 150);
  EXPECT_NEAR(x1, 0, 1e-9);
  EXPECT_NEAR(y1, 210, 1e-9);

  // Fitted: 200 x 100 into 297 x 210 scales by 1.485 and is centred.
  auto fitted = host::place_sheet(sheet, a4_landscape, {true, 1, false});
  auto [fx0, fy0] = on_page(fitted, a4_landscape, -100, 50);
  auto [fx1, fy1] = on_page(fitted, a4_landscape, 100, 150);
  EXPECT_NEAR(fx0, 0, 1e-9);
  EXPECT_NEAR(fx1, 297, 1e-9);
  EXPECT_NEAR(fy0, (210 - 148.5) / 2, 1e-9);
  EXPECT_NEAR(fy1, 210 - (210 - 148.5) / 2, 1e-9);
  EXPECT_NEAR(fitted.units_per_paper_mm, 1 / 1.485, 1e-12);

  auto fitted_left = host::place_sheet(sheet, a4_landscape, {true, 1, true});
  auto [lx, ly] = on_page(fitted_left, a4_landscape, -100, 150);
  EXPECT_NEAR(lx, 0, 1e-9);
  EXPECT_NEAR(ly, 210, 1e-9);

  // An empty sheet keeps the origin at the page's corner instead of dividing by nothing.
  host::Sheet empty;
  auto nothing = host::place_sheet(empty, a4_landscape, {true, 1, false});
  EXPECT_DOUBLE_EQ(nothing.units_per_paper_mm, 1);
}

}  // namespace
