// Pen-transformation styles: the shipped styles, the "Infodoku" style, the temporary style's
// round trip and the rules applied to strokes.
#include <gmock/gmock.h>

#include <clocale>

#include "host/api/host.h"
#include "host/api/testing.h"
#include "host/settings/pens.h"
#include "host/value/format.h"
#include "host/value/reader.h"
#include "support/expect.h"

namespace tavrin_test {
namespace {

using ::testing::ElementsAre;

const char* kStylePath = "Annotation/Plot/PensTrafoStyle";
const char* kPensPath = "Annotation/Plot/PensTrafoStyle/Pens";

// The value text of the revision PDF's style, printed as the module prints it.
std::string infodoku_values() {
  return host::format(
      "~%(\"Pens\" (:label \"Infodoku\" :penlist ("
      "(:old_linetype :all :color_def :all :color1 0.0,0.0,0.0 :color2 1.0,1.0,1.0 :pensize_def "
      ":all :pensize1 0 "
      ":pensize2 1000000.0 :new_linetype :same :new_pensize :off :pen_number 1 :new_color "
      "0.0,0.0,0.0) "
      "(:old_linetype :all :color_def :all :color1 0.0,0.0,0.0 :color2 1.0,1.0,1.0 :pensize_def "
      ":single :pensize1 0 "
      ":pensize2 0 :new_linetype :same :new_pensize 0.25 :pen_number 1 :new_color 0.0,0.0,0.0) "
      "(:old_linetype :phantom :color_def :single :color1 0.0,1.0,1.0 :color2 0.0,1.0,1.0 "
      ":pensize_def :all "
      ":pensize1 0 :pensize2 1000000.0 :new_linetype :same :new_pensize 0.0 :pen_number 0 "
      ":new_color 1.0,1.0,1.0)"
      ")) \"TrueColorMode\" nil)");
}

host::Value store_infodoku(const std::string& values) {
  return host::sd_set_setting_values({host::kw("application"), "Annotation", host::kw("level"),
                                      host::kw("corp"), host::kw("style-path"), kStylePath,
                                      host::kw("style"), host::kw("info_docu"), host::kw("title"),
                                      "Infodoku", host::kw("values"), values});
}

host::Stroke stroke(host::Rgb color, const char* linetype, double size) {
  return {color, linetype, size};
}

std::vector<std::string> style_names() {
  std::vector<std::string> names;
  for (const host::Value& entry : host::sd_get_setting_styles_range_list(kStylePath))
    names.push_back(entry.as_list().front().as_string());
  return names;
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { host::reset_host(); }
};

TEST_F(SettingsTest, InfodokuStyleIsAcceptedAndItsRulesMapStrokes) {
  EXPECT_TRUE(store_infodoku(infodoku_values()).truthy());
  const host::PenStyle* style = host::find_pen_style("info_docu");
  ASSERT_NE(style, nullptr);
  EXPECT_EQ(style->title, "Infodoku");
  ASSERT_EQ(style->rules.size(), 3u);
  const auto& rules = style->rules;
  const host::Rgb black{0, 0, 0}, white{1, 1, 1}, cyan{0, 1, 1};
  // The frames of the revision PDF: cyan phantom lines end as white pen 0 of size 0.
  EXPECT_EQ(host::apply_pen_rules(rules, stroke(cyan, "PHANTOM", 0)),
            stroke(white, "PHANTOM", 0.0));
  EXPECT_EQ(host::apply_pen_rules(rules, stroke(cyan, "PHANTOM", 0.5)),
            stroke(white, "PHANTOM", 0.0));
  // The thinnest pen gets 0.25; everything else prints black in its own size.
  EXPECT_EQ(host::apply_pen_rules(rules, stroke(white, "SOLID", 0)), stroke(black, "SOLID", 0.25));
  EXPECT_EQ(host::apply_pen_rules(rules, stroke(cyan, "SOLID", 0.7)), stroke(black, "SOLID", 0.7));
  EXPECT_EQ(host::apply_pen_rules(rules, stroke({1, 0, 0}, "PHANTOM", 0)),
            stroke(black, "PHANTOM", 0.25));
  // Storing it again (every start-up does) replaces it in its place.
  store_infodoku(infodoku_values());
  EXPECT_THAT(style_names(), ElementsAre("STANDARD", "SCHWARZWEISS", "INFO_DOCU"));
}

TEST_F(SettingsTest, ValueTextsAreReadTheSameUnderACommaDecimalLocale) {
  const char* german = std::setlocale(LC_ALL, "de_DE.UTF-8");
  if (!german) german = std::setlocale(LC_NUMERIC, "de_DE");
  store_infodoku(infodoku_values());
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(host::find_pen_style("INFO_DOCU")->rules[1].new_pensize, 0.25);
  EXPECT_EQ(host::find_pen_style("INFO_DOCU")->rules[2].color1, (host::Rgb{0, 1, 1}));
}

TEST_F(SettingsTest, BadStyleValuesAreErrorsNamingRuleAndField) {
  std::string bad_color = infodoku_values();
  bad_color.replace(bad_color.find("0.0,1.0,1.0"), 11, "0.0,2.0,1.0");
  EXPECT_THROW_MSG(store_infodoku(bad_color), "rule 3");
  std::string bad_field = infodoku_values();
  bad_field.replace(bad_field.find(":pen_number 0"), 11, ":pen_numbr ");
  EXPECT_THROW_MSG(store_infodoku(bad_field), "PEN_NUMBR");
  EXPECT_THROW_MSG(store_infodoku("(\"TrueColorMode\" nil)"), "Pens");
  EXPECT_THROW_MSG(store_infodoku(infodoku_values() + ")"), "INFO_DOCU");
  EXPECT_EQ(host::find_pen_style("INFO_DOCU"), nullptr);
}

TEST_F(SettingsTest, ShippedStylesMapColourAndMonochrome) {
  const host::Rgb black{0, 0, 0}, white{1, 1, 1}, red{1, 0, 0};
  EXPECT_EQ(host::active_pen_style()->key, "STANDARD");
  EXPECT_EQ(host::sd_get_setting_value("Annotation/Plot/PenTrafo"), host::kw("standard"));
  const auto& colour = host::find_pen_style("Standard")->rules;
  EXPECT_EQ(host::apply_pen_rules(colour, stroke(white, "SOLID", 0.5)),
            stroke(black, "SOLID", 0.5));
  EXPECT_EQ(host::apply_pen_rules(colour, stroke(red, "DASHED", 0)), stroke(red, "DASHED", 0.25));
  const auto& mono = host::find_pen_style("SCHWARZWEISS")->rules;
  EXPECT_EQ(host::apply_pen_rules(mono, stroke(red, "DASHED", 0.35)),
            stroke(black, "DASHED", 0.35));
  EXPECT_EQ(host::apply_pen_rules(mono, stroke(red, "DASHED", 0)), stroke(black, "DASHED", 0.25));
}

TEST_F(SettingsTest, TemporaryStyleRoundTrip) {
  host::am_define_pen_transformation(
      {host::kw("path"), kPensPath, host::kw("parent_style"), host::kw("STANDARD")});
  host::create_default_setting_user_style({host::kw("path"), kStylePath, host::kw("name"),
                                           "TAVRINTMPTRANS", host::kw("copy_values"),
                                           host::kw("on"), host::kw("all_styles")});
  EXPECT_THAT(style_names(), ElementsAre("STANDARD", "SCHWARZWEISS", "TAVRINTMPTRANS"));

  // The module reads the pen sizes from the last element of the pen list, as :new_pensize items.
  const host::Value pens = host::sd_get_setting_value(kPensPath);
  std::vector<host::Value> sizes;
  for (const host::Value& entry : pens.as_list().back().as_list()) {
    const host::List& items = entry.as_list();
    auto it = std::find(items.begin(), items.end(), host::kw("new_pensize"));
    ASSERT_NE(it, items.end());
    sizes.push_back(*(it + 1));
  }
  EXPECT_EQ(sizes, (std::vector<host::Value>{host::kw("off"), host::Value(0.25)}));
  EXPECT_EQ(host::read_literal(host::print_literal(pens)), pens);

  host::am_define_pen_transformation({host::kw("path"), kPensPath, host::kw("parent_style"),
                                      host::kw("TAVRINTMPTRANS"), host::kw("next"),
                                      host::kw("new_pensize"), host::Value::ratio(1, 8),
                                      host::kw("next"), host::kw("insert"), host::kw("delete")});
  host::modify_default_setting({host::kw("path"), "Annotation/Plot/PenTrafo", host::kw("a_range"),
                                host::kw("tavrintmptrans")});
  const host::PenStyle* active = host::active_pen_style();
  ASSERT_NE(active, nullptr);
  EXPECT_EQ(active->key, "TAVRINTMPTRANS");
  EXPECT_EQ(active->rules[1].new_pensize, 0.125);
  EXPECT_EQ(host::find_pen_style("STANDARD")->rules[1].new_pensize, 0.25);

  host::delete_default_setting_user_style(
      {kStylePath, host::kw("tavrintmptrans"), host::kw("yes")});
  EXPECT_EQ(host::find_pen_style("TAVRINTMPTRANS"), nullptr);
  EXPECT_EQ(host::active_pen_style()->key, "STANDARD");
  EXPECT_THAT(style_names(), ElementsAre("STANDARD", "SCHWARZWEISS"));
}

TEST_F(SettingsTest, RefusedSettingsCalls) {
  const host::List tmp{kStylePath, host::kw("tavrintmptrans"), host::kw("yes")};
  EXPECT_THROW_MSG(host::delete_default_setting_user_style(tmp), "TAVRINTMPTRANS");
  EXPECT_THROW_MSG(
      host::delete_default_setting_user_style({kStylePath, host::kw("standard"), host::kw("yes")}),
      "not a user style");
  EXPECT_THROW_MSG(host::modify_default_setting({host::kw("path"), "Annotation/Plot/PenTrafo",
                                                 host::kw("a_range"), host::kw("firma")}),
                   "FIRMA");
  EXPECT_THROW_MSG(host::am_define_pen_transformation(
                       {host::kw("path"), kPensPath, host::kw("parent_style"), host::kw("firma")}),
                   "FIRMA");
  // More pen sizes than the style has pens.
  EXPECT_THROW_MSG(host::am_define_pen_transformation(
                       {host::kw("path"), kPensPath, host::kw("parent_style"), host::kw("STANDARD"),
                        host::kw("new_pensize"), 1, host::kw("next"), host::kw("new_pensize"), 1,
                        host::kw("next"), host::kw("new_pensize"), 1, host::kw("next")}),
                   "2 pens");
  EXPECT_EQ(host::find_pen_style("STANDARD")->rules[1].new_pensize, 0.25);
  EXPECT_THROW_MSG(host::create_default_setting_user_style(
                       {host::kw("path"), kStylePath, host::kw("name"), "SCHWARZWEISS"}),
                   "SCHWARZWEISS");
  EXPECT_THROW_MSG(host::sd_get_setting_value("Annotation/Plot/Nix"), "Annotation/Plot/Nix");
}

}  // namespace
}  // namespace tavrin_test
