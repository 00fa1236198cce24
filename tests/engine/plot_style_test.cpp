// The user's pen set and the temporary style of a fitted sheet.
#include "engine/plot_style.h"

#include <filesystem>

#include "engine_fixture.h"

namespace tavrin::test {
namespace {

using host::kw;
using host::List;
using host::Value;

constexpr const char* kHead =
    "(AM_DEFINE_PEN_TRANSFORMATION :path \"Annotation/Plot/PensTrafoStyle/Pens\" :parent_style "
    ":TAVRINTMPTRANS";

Value pen_list(List entries) {
  return Value(List{kw("label"), "Stift", kw("penlist"), Value(std::move(entries))});
}

// The :new_pensize values of the current pen list, :off as nil.
List current_pen_sizes() {
  List sizes;
  const Value pens = host::sd_get_setting_value("Annotation/Plot/PensTrafoStyle/Pens");
  for (const Value& entry : pens.as_list().back().as_list()) {
    const List& items = entry.as_list();
    for (std::size_t i = 0; i + 1 < items.size(); ++i)
      if (items[i].is_keyword("new_pensize"))
        sizes.push_back(items[i + 1].is_keyword("off") ? Value() : items[i + 1]);
  }
  return sizes;
}

bool style_exists(const std::string& key) {
  for (const Value& entry :
       host::sd_get_setting_styles_range_list("Annotation/Plot/PensTrafoStyle")) {
    if (host::print_text(entry.as_list().at(0)) == key) return true;
  }
  return false;
}

using PlotStyleTest = EngineTest;

TEST_F(PlotStyleTest, PenSizesAreDividedByTheFactorInTheHostsPrintForm) {
  const Value pens = pen_list(
      {Value(List{kw("old_linetype"), kw("all"), kw("new_pensize"), 0.35, kw("pen_number"), 1}),
       Value(List{kw("new_pensize"), 0.7})});
  EXPECT_EQ(
      tmp_plot_style_command(pens, 2),
      std::string(kHead) + " :new_pensize 0.175 :next :new_pensize 0.35 :next :insert :delete)");

  // An exact factor such as 594/420 on a float pen gives the float quotient, read back as such.
  const std::string fitted = tmp_plot_style_command(pen_list({Value(List{kw("new_pensize"), 0.5})}),
                                                    Value::ratio(594, 420));
  const std::size_t from = fitted.find(":new_pensize");
  const List read_back = host::read_all_literals(fitted.substr(from, fitted.rfind(')') - from));
  ASSERT_EQ(read_back.size(), 5u);
  EXPECT_NEAR(read_back[1].as_double(), 0.5 * 420 / 594, 1e-15);
  EXPECT_NEAR(read_back[1].as_double(), 0.3535, 1e-4);

  // An exact size stays exact.
  EXPECT_EQ(tmp_plot_style_command(pen_list({Value(List{kw("new_pensize"), 1})}), 3),
            std::string(kHead) + " :new_pensize 1/3 :next :insert :delete)");
}

TEST_F(PlotStyleTest, EveryPenKeepsItsPlaceWhateverItsSize) {
  const Value pens = pen_list({Value(List{kw("new_pensize"), kw("off"), kw("pen_number"), 7}),
                               Value(List{kw("pen_number"), 3}),  // no size at all: adds nothing
                               Value(List{kw("new_pensize"), 0.5, kw("new_pensize"), kw("off")})});
  EXPECT_EQ(tmp_plot_style_command(pens, 2),
            std::string(kHead) + " :next :new_pensize 0.25 :next :next :insert :delete)");
  EXPECT_EQ(tmp_plot_style_command(Value(), 2), std::string(kHead) + " :insert :delete)");
}

TEST_F(PlotStyleTest, FactorOneUsesTheUsersStyleAndMakesNoTemporaryStyle) {
  for (const Value& one : {Value(1), Value(1.0)}) {
    const SheetFormat sheet{"LANDSCAPE", "A3", 400, 280, one, Value()};
    const SheetFormat styled = set_plot_syle_parameter("Schwarzweiss", sheet);
    EXPECT_EQ(styled.plot_style, kw("SCHWARZWEISS"));
    EXPECT_EQ(styled.format_name, "A3");
    EXPECT_FALSE(style_exists("TAVRINTMPTRANS"));
    EXPECT_EQ(host::sd_get_setting_value("Annotation/Plot/PenTrafo"), kw("SCHWARZWEISS"));
  }
  EXPECT_TRUE(front_.messages().empty());
}

TEST_F(PlotStyleTest, AFittedSheetGetsTheTemporaryStyleWithDividedPensAndNoFileIsLeft) {
  set_plot_syle_parameter("standard", {"PORTRAIT", "A4", 210, 297, 1, Value()});
  const List user_sizes = current_pen_sizes();
  const SheetFormat styled =
      set_plot_syle_parameter("standard", {"LANDSCAPE", "A3", 840, 594, 2, Value()});
  EXPECT_EQ(styled.plot_style, kw("TAVRINTMPTRANS"));
  EXPECT_TRUE(style_exists("TAVRINTMPTRANS"));
  EXPECT_EQ(host::sd_get_setting_value("Annotation/Plot/PenTrafo"), kw("TAVRINTMPTRANS"));
  const List sizes = current_pen_sizes();
  ASSERT_EQ(sizes.size(), user_sizes.size());
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    if (user_sizes[i].is_nil()) {
      EXPECT_TRUE(sizes[i].is_nil());
    } else {
      EXPECT_DOUBLE_EQ(sizes[i].as_double(), user_sizes[i].as_double() / 2);
    }
  }
  EXPECT_FALSE(std::filesystem::exists(host::sd_inq_temp_dir() + "tmp_tavrin.lsp"));
  EXPECT_TRUE(front_.messages().empty());

  // The next fitted sheet replaces the leftover style instead of failing on it.
  const SheetFormat again = set_plot_syle_parameter(
      "standard", {"LANDSCAPE", "A3", 594, 420, Value::ratio(594, 420), Value()});
  EXPECT_EQ(again.plot_style, kw("TAVRINTMPTRANS"));
  EXPECT_TRUE(front_.messages().empty());
}

TEST_F(PlotStyleTest, AnUnknownPenSetIsShownAndTheNameReadsUpToTheFirstBlank) {
  const SheetFormat styled =
      set_plot_syle_parameter("Firma A", {"PORTRAIT", "A4", 210, 297, 1, Value()});
  EXPECT_EQ(styled.plot_style, kw("FIRMA"));
  ASSERT_EQ(front_.messages().size(), 1u);
  EXPECT_NE(front_.messages()[0].find("FIRMA"), std::string::npos);
}

}  // namespace
}  // namespace tavrin::test
