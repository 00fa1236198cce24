// The print commands, the failure report, and the per-sheet output loop.
#include "engine/printing.h"

#include "engine/output.h"
#include "engine_fixture.h"
#include "host/plot/plot_args.h"

namespace tavrin::test {
namespace {

using host::kw;
using host::List;
using host::Value;

const Selection kAll{0, ">"};
// A printer that no print system has: every print fails quickly, with or without CUPS.
constexpr const char* kNoPrinter = "tavrin-kein-drucker";

std::string printed(const List& args) {
  std::string out;
  for (const Value& v : args) out += (out.empty() ? "" : " ") + host::print_literal(v);
  return out;
}

using PrintingTest = EngineTest;

TEST_F(PrintingTest, EachOrientationAndFitHasItsOwnPrintCommandWhichTheHostUnderstands) {
  const SheetFormat portrait{"PORTRAIT", "A4", 210, 297, 1, kw("firma_a")};
  const SheetFormat landscape{"LANDSCAPE",         "A3", 400, 280, Value::ratio(20, 21),
                              kw("tavrintmptrans")};
  const std::string head =
      ":PLOTTER_TYPE_RA :MSWINDOW_GDI_PRINTER :PLOTTER_NAME_RA \"HP 1\" :PLOT_WARNINGS :OFF ";
  const std::string tail = " :CONTENTS_DRAWING :OUTPUT_SHEET :PLOT";
  EXPECT_EQ(
      printed(printer_plot_args("HP 1", "ISO A4", portrait, false)),
      head +
          ":ORIENTATION_PORTRAIT :ORIENTATION :PORTRAIT :PAPER_FORMAT_RA \"ISO A4\" :COPIES 1 "
          ":SCALE_FACTOR :SCALE_FACTOR_VALUE 1 :TRANSF_STYLE :FIRMA_A" +
          tail);
  EXPECT_EQ(
      printed(printer_plot_args("HP 1", "ISO A4", portrait, true)),
      head +
          ":ORIENTATION_PORTRAIT :ORIENTATION :PORTRAIT :PAPER_FORMAT_RA \"ISO A4\" :COPIES 1 "
          ":SCALE_FIT :TRANSF_STYLE :FIRMA_A" +
          tail);
  EXPECT_EQ(printed(printer_plot_args("HP 1", "A3", landscape, true)),
            head +
                ":ORIENTATION_LANDSCAPE :ORIENTATION :LANDSCAPE :PAPER_FORMAT_RA \"A3\" :COPIES 1 "
                ":TRANSF_STYLE :TAVRINTMPTRANS :SCALE_FIT" +
                tail);
  EXPECT_EQ(printed(printer_plot_args("HP 1", "A3", landscape, false)),
            head +
                ":ORIENTATION_LANDSCAPE :ORIENTATION :LANDSCAPE :PAPER_FORMAT_RA \"A3\" :COPIES 1 "
                ":TRANSF_STYLE :TAVRINTMPTRANS :SCALE_FACTOR :SCALE_FACTOR_VALUE 1" +
                tail);

  const host::PlotRequest fitted =
      host::parse_plot_args(printer_plot_args("HP 1", "A3", landscape, true));
  EXPECT_EQ(fitted.plotter_type, host::PlotterType::Printer);
  EXPECT_EQ(fitted.orientation, host::Orientation::Landscape);
  EXPECT_EQ(fitted.paper, "A3");
  EXPECT_TRUE(fitted.fit);
  EXPECT_EQ(fitted.transf_style, "TAVRINTMPTRANS");
  const host::PlotRequest own = host::parse_plot_args(printer_plot_args("", "A4", portrait, false));
  EXPECT_EQ(own.plotter_name, "");
  EXPECT_EQ(own.orientation, host::Orientation::Portrait);
  EXPECT_FALSE(own.fit);
  EXPECT_EQ(own.scale, 1);
}

TEST_F(PrintingTest, ThePdfCommandGivesThePageTheSheetsSizeAtScaleOne) {
  const SheetFormat sheet{"LANDSCAPE", "A3", 400, 280, 1, kw("standard")};
  EXPECT_EQ(
      printed(pdf_plot_args(sheet, "4711_A_2")),
      ":PLOTTER_TYPE_RA :PDF :PLOTTER_NAME_RA \"PDF_GENERIC\" :PLOT_WARNINGS :OFF :CUSTOM_SIZE "
      ":WIDTH 400 "
      ":HEIGHT 280 :ACCEPT :ORIENTATION_LANDSCAPE :ORIENTATION :LANDSCAPE :DESTINATION "
      "\"4711_A_2.pdf\" "
      ":COPIES 1 :TRANSF_STYLE :STANDARD :SCALE_FACTOR :SCALE_FACTOR_VALUE 1 :CONTENTS_DRAWING "
      ":OUTPUT_SHEET :PLOT");
  const host::PlotRequest portrait =
      host::parse_plot_args(pdf_plot_args({"PORTRAIT", "A4", 210, 297, 1, kw("x")}, "b"));
  EXPECT_EQ(portrait.orientation, host::Orientation::Portrait);
  EXPECT_EQ(portrait.width, 210);
  EXPECT_EQ(portrait.height, 297);
  EXPECT_EQ(portrait.destination, "b.pdf");
}

TEST_F(PrintingTest, AFailedPlotWritesTheFourLineReportAndTheLoopGoesOn) {
  set_drawing(std::nullopt,
              {{"1", {rectangle(0, 0, 400, 280)}}, {"2", {rectangle(0, 0, 210, 297)}}});
  drucken_alle_blaetter(true, "Standard", Value(), kNoPrinter, false, false, false, Value(), kAll,
                        "");
  const auto& lines = front_.output_lines();
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], std::string(68, '-'));
  EXPECT_EQ(lines[1], lang_text(32) + " ");  // a current-drawing run names no file
  EXPECT_EQ(lines[2], std::string("Plotter: ") + kNoPrinter);
  EXPECT_FALSE(lines[3].empty());
  EXPECT_EQ(lines[4], lines[0]);
  EXPECT_EQ(host::reported_problems(), 2);
  EXPECT_TRUE(front_.messages().empty());

  // A batch run names the drawing file; an empty plotter name goes to the host as it is.
  front_.clear();
  drucken_alle_blaetter(true, "Standard", Value(), "", false, false, false, Value("/p/x.mi"),
                        Selection{2, "="}, "/p/x.mi");
  ASSERT_EQ(front_.output_lines().size(), 4u);
  EXPECT_EQ(front_.output_lines()[1], lang_text(32) + " /p/x.mi");
  EXPECT_EQ(front_.output_lines()[2], "Plotter: ");
}

TEST_F(PrintingTest, WithoutAGivenPlotterTheSheetsFormatChoosesIt) {
  g().plotter_auto_format = {{"tavrin-klein", "A4"}, {"tavrin-gross", "A3", "A2"}};
  set_drawing(std::nullopt,
              {{"1", {rectangle(0, 0, 400, 280)}}, {"2", {rectangle(0, 0, 210, 297)}}});
  drucken_alle_blaetter(true, "Standard", Value(), Value(), false, false, false, Value(), kAll, "");
  ASSERT_EQ(front_.output_lines().size(), 8u);
  EXPECT_EQ(front_.output_lines()[2], "Plotter: tavrin-gross");
  EXPECT_EQ(front_.output_lines()[6], "Plotter: tavrin-klein");

  // Fitting into A4 puts both sheets on the A4 plotter.
  front_.clear();
  drucken_alle_blaetter(true, "Standard", "A4", Value(), false, false, false, Value(), kAll, "");
  ASSERT_EQ(front_.output_lines().size(), 8u);
  EXPECT_EQ(front_.output_lines()[2], "Plotter: tavrin-klein");
  EXPECT_EQ(front_.output_lines()[6], "Plotter: tavrin-klein");
}

TEST_F(PrintingTest, WithPrintingOffEverySheetIsMadeCurrentAndOnlySelectedOnesGetAPdf) {
  set_drawing(std::nullopt, {{"1", {rectangle(0, 0, 400, 280)}},
                             {"2", {rectangle(0, 0, 210, 297)}},
                             {"3", {rectangle(0, 0, 100, 100)}}});
  // A temporary style left over from elsewhere is removed after the selected sheet.
  host::create_default_setting_user_style({kw("path"), "Annotation/Plot/PensTrafoStyle", kw("name"),
                                           "TAVRINTMPTRANS", kw("copy_values"), kw("on"),
                                           kw("all_styles")});
  drucken_alle_blaetter(false, "Standard", Value(), kNoPrinter, true, true, true, Value(),
                        Selection{2, "="}, "");
  EXPECT_TRUE(exists("2.pdf"));
  EXPECT_FALSE(exists("1.pdf"));
  EXPECT_FALSE(exists("3.pdf"));
  EXPECT_FALSE(exists("2.mi"));
  EXPECT_TRUE(front_.output_lines().empty());
  EXPECT_EQ(host::sd_am_inq_curr_sheet_name(), "3");
  for (const Value& entry :
       host::sd_get_setting_styles_range_list("Annotation/Plot/PensTrafoStyle"))
    EXPECT_NE(host::print_text(entry.as_list().at(0)), "TAVRINTMPTRANS");
  EXPECT_EQ(host::reported_problems(), 0);
}

TEST_F(PrintingTest, AnEmptySheetIsReportedAndTheNextSheetIsStillOutput) {
  set_drawing(std::nullopt, {{"1", {}}, {"2", {rectangle(0, 0, 210, 297)}}});
  drucken_alle_blaetter(true, "Standard", Value(), kNoPrinter, false, false, true, Value(), kAll,
                        "");
  EXPECT_FALSE(exists("1.pdf"));
  EXPECT_TRUE(exists("2.pdf"));
  // both prints fail: the empty sheet in one line of the draftsman's words, the unknown
  // printer in the four-line report; the PDF of the empty sheet in a message
  ASSERT_EQ(front_.output_lines().size(), 5u);
  EXPECT_EQ(front_.output_lines()[0], "Blatt 1 enthält nichts Zeichenbares");
  ASSERT_EQ(front_.messages().size(), 1u);
  EXPECT_EQ(front_.messages()[0], "Blatt 1 enthält nichts Zeichenbares");
  EXPECT_EQ(host::reported_problems(), 3);
}

}  // namespace
}  // namespace tavrin::test
