// Shells and controls as the module builds and queries them.
#include "host/ui/model.h"
#include "ui_fixture.h"

namespace host::ui::testing {
namespace {

using ControlsTest = UiTest;

TEST_F(ControlsTest, VisibilityFollowsControlAreaAndShell) {
  make_dialog("D", false);
  sd_create_label_control("L", {kw("parent"), "G", kw("title"), "Label"});
  EXPECT_FALSE(sd_control_visible_p("L")) << "shell not shown yet";
  sd_show_dialog_shell("D");
  EXPECT_TRUE(sd_control_visible_p("L"));
  sd_hide_control("L");
  EXPECT_FALSE(sd_control_visible_p("L"));
  sd_show_control("L");
  sd_hide_control("G");
  EXPECT_FALSE(sd_control_visible_p("L")) << "a hidden grid area hides its controls";
  sd_show_control("G");
  sd_hide_dialog_shell("D");
  EXPECT_FALSE(sd_control_visible_p("L"));
  EXPECT_FALSE(sd_control_visible_p("NOPE"));
  EXPECT_FALSE(sd_control_exists_p("NOPE"));
  // Operations on what does not exist do nothing.
  sd_show_control("NOPE");
  sd_hide_dialog_shell("NOPE");
  sd_set_togglebutton("NOPE", true);
  sd_reset_togglebutton("NOPE", true);
  sd_set_text_control_value("NOPE", {kw("text"), "x"});
  EXPECT_FALSE(sd_togglebutton_set_p("NOPE"));
  EXPECT_TRUE(sd_get_text_control_value("NOPE").is_nil());
  EXPECT_EQ(sd_get_control_title("NOPE"), "");
  EXPECT_THROW(sd_show_dialog_shell("NOPE"), Error);
}

TEST_F(ControlsTest, TogglesRunTheirActionOnlyWhenAsked) {
  make_dialog();
  sd_create_togglebutton_control(
      "T", {kw("parent"), "G", kw("title"), "MI", kw("x"), 12, kw("y"), 0, kw("width"), 10,
            kw("height"), 5, kw("indicator"), kw("check"), kw("pushaction"), record("push"),
            kw("releaseaction"), record("release")});
  sd_set_togglebutton("T", false);
  EXPECT_TRUE(sd_togglebutton_set_p("T"));
  EXPECT_TRUE(calls.empty());
  sd_set_togglebutton("T", true);  // already set: the action still runs
  sd_reset_togglebutton("T", false);
  EXPECT_FALSE(sd_togglebutton_set_p("T"));
  sd_reset_togglebutton("T", true);  // already off: resetting with action hides what it governs
  EXPECT_EQ(calls, (std::vector<std::string>{"push", "release"}));
  // A toggle operation on a control of another kind is a fault, not silence.
  sd_create_text_control("X", {kw("parent"), "G"});
  EXPECT_THROW(sd_set_togglebutton("X", false), Error);
  EXPECT_FALSE(sd_togglebutton_set_p("X"));
}

TEST_F(ControlsTest, ActionGivenAsCommandLineRunsThroughTheCommandLanguage) {
  make_dialog();
  List seen;
  register_command("AUTOTEXT-EINTRAG", [&](const List& args) {
    seen = args;
    return Value();
  });
  sd_create_togglebutton_control("T", {kw("parent"), "G", kw("indicator"), kw("radio"),
                                       kw("pushaction"), "(Tavrin::AUTOTEXT-EINTRAG 5 T)"});
  sd_set_togglebutton("T", true);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], Value(5));
  EXPECT_TRUE(find_control("T")->radio);
}

TEST_F(ControlsTest, TextValueIsNilUntilSetAndTrimmedOnRequest) {
  make_dialog();
  sd_create_text_control("TX", {kw("parent"), "G", kw("editable"), Value()});
  EXPECT_TRUE(sd_text_control_p("TX"));
  EXPECT_TRUE(sd_get_text_control_value("TX").is_nil());
  sd_set_text_control_value("TX", {kw("text"), ""});
  EXPECT_EQ(sd_get_text_control_value("TX"), Value(""));
  sd_set_text_control_value("TX", {kw("text"), "  Laser 1 ", kw("seeend"), Value::t()});
  EXPECT_EQ(sd_get_text_control_value("TX"), Value("  Laser 1 "));
  EXPECT_EQ(sd_get_text_control_value("TX", true), Value("Laser 1"));
  EXPECT_TRUE(find_control("TX")->seeend);
  sd_set_text_control_value("TX", {kw("text"), 17});
  EXPECT_EQ(sd_get_text_control_value("TX"), Value("17"));
  sd_set_text_control_value("TX", {kw("text"), Value()});
  EXPECT_TRUE(sd_get_text_control_value("TX", true).is_nil());
  EXPECT_FALSE(find_control("TX")->editable);
  sd_create_label_control("L", {kw("parent"), "G"});
  EXPECT_FALSE(sd_text_control_p("L"));
  EXPECT_THROW(sd_get_text_control_value("L"), Error);
}

TEST_F(ControlsTest, KeywordListsAreReadWithFlagsAndKeywordValues) {
  make_dialog();
  sd_create_text_control(
      "TX", {kw("parent"), "G", kw("multiline"), kw("x"), 45, kw("y"), 12, kw("width"), 35,
             kw("height"), 5, kw("range"), List{"A3", "A4"}, kw("autoadd"), Value(), kw("value"),
             "A4", kw("alignment"), kw("center")});
  auto c = find_control("TX");
  ASSERT_TRUE(c);
  EXPECT_TRUE(c->multiline);
  EXPECT_EQ((std::vector<int>{c->x, c->y, c->width, c->height}), (std::vector<int>{45, 12, 35, 5}));
  EXPECT_EQ(c->range, (std::vector<std::string>{"A3", "A4"}));
  EXPECT_FALSE(c->autoadd);
  EXPECT_EQ(c->value, "A4");
  EXPECT_EQ(c->alignment, "center");
  EXPECT_EQ(c->shell, "D");
  auto g = find_control("G");
  EXPECT_EQ(g->pixel_height, 190);
  EXPECT_DOUBLE_EQ(g->cell_width, 5.0);
  try {
    sd_create_label_control("BAD", {kw("parent"), "G", "stray"});
    FAIL() << "a list without a keyword must be refused";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("BAD"), std::string::npos) << e.what();
  }
}

TEST_F(ControlsTest, RecreatingReplacesInPlaceAndDropsWhatWasInside) {
  make_dialog();
  sd_create_label_control("A", {kw("parent"), "G", kw("title"), "a"});
  sd_create_pushbutton_control("B", {kw("parent"), "G", kw("title"), "  /old"});
  sd_create_label_control("C", {kw("parent"), "G"});
  sd_create_pushbutton_control("B", {kw("parent"), "G", kw("title"), "  /new"});
  std::vector<std::string> names;
  for (const Control& c : controls_of_shell("D")) names.push_back(c.name);
  EXPECT_EQ(names, (std::vector<std::string>{"D-1-AA", "G", "A", "B", "C"}));
  EXPECT_EQ(sd_get_control_title("B"), "  /new");

  // A rebuilt shell starts empty: controls of an earlier build must not linger.
  sd_create_dialog_shell("D", {kw("title"), "again"});
  EXPECT_FALSE(sd_control_exists_p("A"));
  EXPECT_FALSE(sd_control_visible_p("D"));
  // Likewise a rebuilt grid area.
  make_dialog("E");
  sd_create_label_control("E1", {kw("parent"), "G"});
  sd_append_grid_area("G", {kw("parent"), "E-1-AA"});
  EXPECT_FALSE(sd_control_exists_p("E1"));
  EXPECT_EQ(shell_names(), (std::vector<std::string>{"D", "E"}));
}

TEST_F(ControlsTest, UnknownParentIsRefusedWithItsName) {
  try {
    sd_create_label_control("L", {kw("parent"), "NO-SUCH-GA"});
    FAIL();
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("NO-SUCH-GA"), std::string::npos);
  }
}

TEST_F(ControlsTest, ShellKeepsTitleCloseActionPositionAndImages) {
  sd_create_dialog_shell(
      "D", {kw("title"), "Ostra", kw("bottomline"), Value(), kw("closeaction"), record("close")});
  sd_show_dialog_shell("D",
                       {kw("position"), List{"TOP-MENU-TOOLBOX-TB", kw("bottomleft"), 10, 10}});
  auto s = find_shell("D");
  ASSERT_TRUE(s && s->position);
  EXPECT_FALSE(s->bottomline);
  EXPECT_EQ(s->position->anchor, "TOP-MENU-TOOLBOX-TB");
  EXPECT_EQ(s->position->corner, "bottomleft");
  EXPECT_EQ(s->position->dy, 10);
  EXPECT_EQ(sd_get_control_title("D"), "Ostra");
  sd_create_image("START-IMAGE", {kw("file"), "/x/ICONS/Start.bmp"});
  EXPECT_EQ(image_file("START-IMAGE"), "/x/ICONS/Start.bmp");
  EXPECT_FALSE(image_file("NONE"));
}

TEST_F(ControlsTest, ObserversHearOfChangesUntilRemoved) {
  std::vector<std::string> heard;
  auto id = add_model_observer([&](const ModelChange& c) { heard.push_back(c.name); });
  make_dialog();
  sd_hide_control("G");
  remove_model_observer(id);
  sd_show_control("G");
  EXPECT_EQ(heard.back(), "G");
  EXPECT_EQ(std::count(heard.begin(), heard.end(), "G"), 2);
  EXPECT_GT(front.model_changes(), 0);
}

}  // namespace
}  // namespace host::ui::testing
