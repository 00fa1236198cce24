// Measuring sheets, choosing the format, fitting, the plotter and its paper name.
#include "engine/sheet_format.h"

#include "engine_fixture.h"

namespace tavrin::test {
namespace {

using host::Value;

class SheetFormatTest : public EngineTest {
 protected:
  SheetFormat measure(double x1, double y1, double x2, double y2) {
    set_drawing(std::nullopt, {{"1", {rectangle(x1, y1, x2, y2)}}});
    return calculate_sheet_format();
  }
  static SheetFormat sheet(const std::string& orientation, const std::string& name, int w, int h) {
    return SheetFormat{orientation, name, w, h, 1, Value()};
  }
};

TEST_F(SheetFormatTest, MeasuresTheSheetAndPicksTheSmallestFormatThatHoldsIt) {
  const SheetFormat landscape = measure(0, 0, 400, 280);
  EXPECT_EQ(landscape.orientation, "LANDSCAPE");
  EXPECT_EQ(landscape.format_name, "A3");
  EXPECT_EQ(landscape.width, Value(400));
  EXPECT_EQ(landscape.height, Value(280));
  EXPECT_EQ(landscape.factor, Value(1));

  const SheetFormat portrait = measure(0, 0, 210, 297);
  EXPECT_EQ(portrait.orientation, "PORTRAIT");
  EXPECT_EQ(portrait.format_name, "A4");

  // In portrait the width meets the short side: 300 > 297 rules out A3.
  const SheetFormat square = measure(0, 0, 300, 300);
  EXPECT_EQ(square.orientation, "PORTRAIT");
  EXPECT_EQ(square.format_name, "A2");

  EXPECT_EQ(measure(0, 0, 900, 500).format_name, "-");

  // The extent is measured between the corners, wherever the content lies.
  const SheetFormat shifted = measure(10, 20, 410, 300);
  EXPECT_EQ(shifted.width, Value(400));
  EXPECT_EQ(shifted.height, Value(280));
  EXPECT_EQ(shifted.format_name, "A3");
}

TEST_F(SheetFormatTest, ASheetOfExactlyAFormatsSizeGetsTheFirstOfEqualRows) {
  g().plot_format_data = {{"A2", 594, 420}, {"A3", 420, 297}, {"A3-second", 420, 297}};
  const SheetFormat exact = measure(0, 0, 420, 297);
  EXPECT_EQ(exact.format_name, "A3");
  EXPECT_EQ(measure(0, 0, 297, 420).format_name, "A3");
}

TEST_F(SheetFormatTest, FittingPutsTheSheetOnTheFitFormatOrOnASmallerOneThatHoldsIt) {
  const SheetFormat big =
      check_if_einpassformat_greater_than_blattformat("A3", sheet("LANDSCAPE", "A2", 594, 420));
  EXPECT_EQ(big.format_name, "A3");
  EXPECT_EQ(big.factor.kind(), host::Kind::Ratio);
  EXPECT_EQ(big.factor, Value::ratio(594, 420));

  const SheetFormat small =
      check_if_einpassformat_greater_than_blattformat("A2", sheet("LANDSCAPE", "A3", 280, 200));
  EXPECT_EQ(small.format_name, "A4");
  EXPECT_EQ(small.factor, Value(1));

  // A portrait sheet is fitted along the short side.
  const SheetFormat tall =
      check_if_einpassformat_greater_than_blattformat("A3", sheet("PORTRAIT", "A2", 420, 594));
  EXPECT_EQ(tall.format_name, "A3");
  EXPECT_EQ(tall.factor, Value::ratio(420, 297));

  // Nothing smaller than the fit format holds it: it grows onto the fit format.
  const SheetFormat grows =
      check_if_einpassformat_greater_than_blattformat("A3", sheet("LANDSCAPE", "A3", 400, 280));
  EXPECT_EQ(grows.format_name, "A3");
  EXPECT_EQ(grows.factor, Value::ratio(400, 420));
  EXPECT_TRUE(front_.messages().empty());
}

TEST_F(SheetFormatTest, OfSeveralRowsNamedAsTheFitFormatTheLastCounts) {
  g().plot_format_data.push_back({"A3", 500, 350});
  const SheetFormat fitted =
      check_if_einpassformat_greater_than_blattformat("A3", sheet("LANDSCAPE", "A2", 594, 420));
  EXPECT_EQ(fitted.factor, Value::ratio(594, 500));
  // With the larger bound, the first A3 row now holds a 420 x 297 sheet at its own size.
  const SheetFormat held =
      check_if_einpassformat_greater_than_blattformat("A3", sheet("LANDSCAPE", "A3", 420, 297));
  EXPECT_EQ(held.format_name, "A3");
  EXPECT_EQ(held.factor, Value(1));
}

TEST_F(SheetFormatTest, AnUnknownFitFormatIsReportedAndTheSheetKeepsItsOwnFormat) {
  const SheetFormat own = sheet("LANDSCAPE", "A3", 400, 280);
  const SheetFormat result = check_if_einpassformat_greater_than_blattformat("A9", own);
  EXPECT_EQ(result.format_name, "A3");
  EXPECT_EQ(result.factor, Value(1));
  ASSERT_EQ(front_.messages().size(), 1u);
  EXPECT_EQ(front_.messages()[0], lang_text(25) + ": A9 " + lang_text(25));
}

TEST_F(SheetFormatTest, ThePlotterIsTheLastRowListingTheFormatOrElseTheFirstRow) {
  g().plotter_auto_format = {
      {" Kleiner Drucker ", "A4", " A3 "}, {"Leer"}, {"Grosser Plotter", "A3", "A2"}};
  EXPECT_EQ(select_plotter(sheet("LANDSCAPE", "A3", 400, 280)), "Grosser Plotter");
  EXPECT_EQ(select_plotter(sheet("PORTRAIT", "A4", 210, 297)), "Kleiner Drucker");
  EXPECT_EQ(select_plotter(sheet("LANDSCAPE", "-", 900, 500)), "Kleiner Drucker");
  g().plotter_auto_format.clear();
  EXPECT_EQ(select_plotter(sheet("LANDSCAPE", "A3", 400, 280)), "");
}

TEST_F(SheetFormatTest, ThePaperNameIsTheLastMappingOfThatPlotter) {
  g().plotter_format_names = {{" HP ", "A3/ISO A3", "A4", "A3/A3 Normal", "A2/"},
                              {"HPX", "A4/Letter"},
                              {"Kyocera", "A4/A4 Papier"}};
  EXPECT_EQ(get_plotter_format_name("HP", "A3"), "A3 Normal");
  EXPECT_EQ(get_plotter_format_name("HP", "A4"), "A4");  // an entry without "/" maps nothing
  EXPECT_EQ(get_plotter_format_name("HP", "A2"), "");
  EXPECT_EQ(get_plotter_format_name("HP", "A0"), "A0");
  EXPECT_EQ(get_plotter_format_name("Kyocera", "A4"), "A4 Papier");
  EXPECT_EQ(get_plotter_format_name("Unbekannt", "A4"), "A4");
}

}  // namespace
}  // namespace tavrin::test
