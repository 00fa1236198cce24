// A person's clicks, typing and picking, as the command line, the GUI and tests do them.
#include "host/ui/user_actions.h"

#include "host/ui/model.h"
#include "ui_fixture.h"

namespace host::ui::testing {
namespace {

using UserActionsTest = UiTest;

std::string error_text(const std::function<void()>& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.what();
  }
  return "(no error)";
}

TEST_F(UserActionsTest, ClickFlipsToggleAndRunsTheMatchingAction) {
  make_dialog();
  sd_create_togglebutton_control("T", {kw("parent"), "G", kw("pushaction"), record("push"),
                                       kw("releaseaction"), record("release")});
  click_toggle("T");
  EXPECT_TRUE(sd_togglebutton_set_p("T"));
  click_toggle("T");
  EXPECT_FALSE(sd_togglebutton_set_p("T"));
  ensure_toggle("T", false);  // already off: no click, no action
  ensure_toggle("T", true);
  EXPECT_EQ(calls, (std::vector<std::string>{"push", "release", "push"}));
}

TEST_F(UserActionsTest, RadioIndicatorIsOnlyTheLookPartnersAreTheActionsBusiness) {
  make_dialog();
  // A row switch: on, then off again (its value field hides again).
  sd_create_togglebutton_control(
      "ROW", {kw("parent"), "G", kw("indicator"), kw("radio"), kw("pushaction"), record("show"),
              kw("releaseaction"), record("hide")});
  click_toggle("ROW");
  click_toggle("ROW");
  EXPECT_FALSE(sd_togglebutton_set_p("ROW"));
  EXPECT_EQ(calls, (std::vector<std::string>{"show", "hide"}));

  // A pair whose one action clears both and sets the clicked one: exactly one stays on,
  // even when the set one is clicked again.
  auto choose = [](const std::string& which) {
    return Value::function([which](const List&) {
      sd_reset_togglebutton("AN", false);
      sd_reset_togglebutton("AUS", false);
      sd_set_togglebutton(which, false);
      return Value();
    });
  };
  for (const char* n : {"AN", "AUS"}) {
    sd_create_togglebutton_control(
        n, {kw("parent"), "G", kw("indicator"), kw("radio"), kw("pushaction"), choose(n),
            kw("releaseaction"), choose(n)});
  }
  click_toggle("AN");
  click_toggle("AN");
  EXPECT_TRUE(sd_togglebutton_set_p("AN"));
  click_toggle("AUS");
  EXPECT_FALSE(sd_togglebutton_set_p("AN"));
  EXPECT_TRUE(sd_togglebutton_set_p("AUS"));
}

TEST_F(UserActionsTest, HiddenOrMissingControlsCannotBeReached) {
  make_dialog();
  sd_create_togglebutton_control("T", {kw("parent"), "G", kw("pushaction"), record("push")});
  sd_create_pushbutton_control("P", {kw("parent"), "G", kw("pushaction"), record("press")});
  sd_hide_control("T");
  EXPECT_NE(error_text([] { click_toggle("T"); }).find("T is not visible"), std::string::npos);
  EXPECT_NE(error_text([] { press_button("NOPE"); }).find("NOPE"), std::string::npos);
  sd_hide_dialog_shell("D");
  EXPECT_THROW(press_button("P"), Error);
  EXPECT_TRUE(calls.empty());
  sd_show_dialog_shell("D");
  press_button("P");
  EXPECT_EQ(calls, std::vector<std::string>{"press"});
  EXPECT_NE(error_text([] { press_button("G"); }).find("not a push button"), std::string::npos);
}

TEST_F(UserActionsTest, TypingNeedsAnEditableFieldAndRunsNothing) {
  make_dialog();
  sd_create_text_control("FIX", {kw("parent"), "G", kw("editable"), Value()});
  sd_create_text_control("FREE", {kw("parent"), "G", kw("editable"), Value::t()});
  EXPECT_THROW(type_text("FIX", "3"), Error);
  EXPECT_TRUE(sd_get_text_control_value("FIX").is_nil());
  type_text("FREE", " 3 ");
  EXPECT_EQ(sd_get_text_control_value("FREE", true), Value("3"));
}

TEST_F(UserActionsTest, DropDownTakesOnlyItsEntriesUnlessEditable) {
  make_dialog();
  sd_create_text_control("DRUCKER-TX", {kw("parent"), "G", kw("editable"), Value(), kw("range"),
                                        List{"Laser", "Plotter A0"}, kw("autoadd"), Value()});
  pick_entry("DRUCKER-TX", "Plotter A0");
  EXPECT_EQ(sd_get_text_control_value("DRUCKER-TX"), Value("Plotter A0"));
  std::string msg = error_text([] { pick_entry("DRUCKER-TX", "Tinte"); });
  EXPECT_NE(msg.find("\"Tinte\" is not an entry of DRUCKER-TX"), std::string::npos) << msg;
  EXPECT_NE(msg.find("\"Laser\", \"Plotter A0\""), std::string::npos) << msg;
  EXPECT_EQ(sd_get_text_control_value("DRUCKER-TX"), Value("Plotter A0"));

  sd_create_text_control("EMPTY-TX",
                         {kw("parent"), "G", kw("editable"), Value(), kw("range"), List{}});
  EXPECT_NE(error_text([] { pick_entry("EMPTY-TX", "x"); }).find("allowed: none"),
            std::string::npos);

  // Editable: other values are welcome; with :autoadd they join the list.
  sd_create_text_control(
      "FREE-TX", {kw("parent"), "G", kw("range"), List{"Muster"}, kw("autoadd"), Value::t()});
  pick_entry("FREE-TX", "Meier");
  type_text("FREE-TX", "Schulz");
  EXPECT_EQ(find_control("FREE-TX")->range,
            (std::vector<std::string>{"Muster", "Meier", "Schulz"}));
  sd_create_text_control("PLAIN-TX", {kw("parent"), "G"});
  EXPECT_THROW(pick_entry("PLAIN-TX", "x"), Error);
}

TEST_F(UserActionsTest, ClosingRunsTheCloseActionOrHides) {
  sd_create_dialog_shell("WITH", {kw("closeaction"), record("close")});
  sd_create_dialog_shell("WITHOUT", {});
  sd_show_dialog_shell("WITH");
  sd_show_dialog_shell("WITHOUT");
  close_shell("WITH");
  EXPECT_EQ(calls, std::vector<std::string>{"close"});
  EXPECT_TRUE(sd_control_visible_p("WITH")) << "the close action decides what hides";
  close_shell("WITHOUT");
  EXPECT_FALSE(sd_control_visible_p("WITHOUT"));
  EXPECT_THROW(close_shell("WITHOUT"), Error);
  EXPECT_THROW(close_shell("NOPE"), Error);
}

TEST_F(UserActionsTest, ActionMayRebuildTheControlItRunsFor) {
  make_dialog();
  // The action replaces its own button (as renewing the directory button does).
  Value rebuild = Value::function([](const List& args) {
    sd_create_pushbutton_control(args.at(0).as_string(), {kw("parent"), "G", kw("title"), "new"});
    return Value();
  });
  sd_create_pushbutton_control("P", {kw("parent"), "G", kw("pushaction"), rebuild});
  press_button("P");
  EXPECT_EQ(sd_get_control_title("P"), "new");
}

TEST_F(UserActionsTest, LinesQueuedByAnActionRunWhenTheClickEnds) {
  make_dialog();
  register_command("NOTE-IT", [this](const List&) {
    calls.push_back("queued");
    return Value();
  });
  Value queue_and_note = Value::function([this](const List&) {
    sd_put_buffer("NOTE-IT");
    calls.push_back("action");
    return Value();
  });
  sd_create_pushbutton_control("P", {kw("parent"), "G", kw("pushaction"), queue_and_note});
  // A click inside a click: the line waits for the outer one to end.
  sd_create_pushbutton_control(
      "OUTER", {kw("parent"), "G", kw("pushaction"), Value::function([this](const List&) {
                  press_button("P");
                  calls.push_back("outer");
                  return Value();
                })});
  press_button("P");
  EXPECT_EQ(calls, (std::vector<std::string>{"action", "queued"}));
  calls.clear();
  press_button("OUTER");
  EXPECT_EQ(calls, (std::vector<std::string>{"action", "outer", "queued"}));
  // The module's own calls are not clicks: their lines wait.
  calls.clear();
  sd_create_togglebutton_control("T", {kw("parent"), "G", kw("pushaction"), queue_and_note});
  sd_set_togglebutton("T", true);
  EXPECT_EQ(queued_commands(), std::vector<std::string>{"NOTE-IT"});
}

}  // namespace
}  // namespace host::ui::testing
