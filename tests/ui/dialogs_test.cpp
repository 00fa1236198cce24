// Command dialogs: registration, precondition, inputs, completion and ending.
#include "host/ui/dialogs.h"

#include <filesystem>

#include "host/ui/user_actions.h"
#include "ui_fixture.h"

namespace host::ui::testing {
namespace {

class DialogsTest : public UiTest {
 protected:
  Function note(const std::string& what) {
    return [this, what](const List& args) {
      std::string text = what;
      for (const Value& a : args) text += " " + (a.is_string() ? a.as_string() : std::string("?"));
      calls.push_back(text);
      return Value();
    };
  }
  // A dialog with one directory input whose tool opens the folder browser.
  void define_set_dir() {
    DialogVariable dir;
    dir.name = "VERZEICHNIS";
    dir.type = "directory";
    dir.title = "Verzeichnis";
    dir.input_tool = [this](const List& args) {
      calls.push_back("ask " + (args.at(0).is_nil() ? std::string("nil") : args.at(0).as_string()));
      return Value();
    };
    dir.after_input = note("after");
    define_dialog({"set-plot-dir", "", {dir}, nullptr, note("ok")});
  }
};

TEST_F(DialogsTest, DialogWithoutInputsCompletesAtOnceAndIsACommand) {
  define_dialog({"TAVRIN-NOW-START-DIALOG", "Tavrin-Now-Start-Dialog", {}, nullptr, note("start")});
  EXPECT_TRUE(command_registered("TAVRIN-NOW-START-DIALOG"));
  EXPECT_EQ(sd_call_dialog("tavrin-now-start-dialog"), Value::t());
  run_command_line("TAVRIN-NOW-START-DIALOG");
  EXPECT_EQ(calls, (std::vector<std::string>{"start", "start"}));
  EXPECT_FALSE(active_dialog());
}

TEST_F(DialogsTest, UnknownDialogIsAnErrorNamingIt) {
  try {
    sd_call_dialog("TV-NIRGENDS-DIALOG");
    FAIL();
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("TV-NIRGENDS-DIALOG"), std::string::npos);
  }
}

TEST_F(DialogsTest, FailingPreconditionShowsItsTextAndStartsNothing) {
  DialogVariable text{"INFO-TEXT", "text", "Text", Value(), "", note("ask"), nullptr};
  Function refuse = [](const List&) {
    return Value(List{kw("error"), "INFO-Feld nicht gefunden"});
  };
  define_dialog({"TV_INFO_EDIT", "", {text}, refuse, note("ok")});
  EXPECT_TRUE(sd_call_dialog("TV_INFO_EDIT").is_nil());
  EXPECT_EQ(front.messages(), std::vector<std::string>{"INFO-Feld nicht gefunden"});
  EXPECT_FALSE(active_dialog());
  EXPECT_TRUE(calls.empty());
  // Without a text of its own the host says which command was refused.
  define_dialog({"TV_INFO_DROP",
                 "",
                 {},
                 [](const List&) {
                   return Value(List{kw("error"), 3});
                 },
                 note("ok")});
  sd_call_dialog("TV_INFO_DROP");
  EXPECT_NE(front.messages().back().find("TV_INFO_DROP"), std::string::npos);
  // (:ok) and nil let it run.
  define_dialog(
      {"OK-DIALOG", "", {}, [](const List&) { return Value(List{kw("ok")}); }, note("ok")});
  sd_call_dialog("OK-DIALOG");
  EXPECT_EQ(calls, std::vector<std::string>{"ok"});
}

TEST_F(DialogsTest, InputsAreAskedInOrderAndTheValuesReachOk) {
  DialogVariable a{"A", "string", "A", Value("first"), "", note("ask-a"), note("after-a")};
  DialogVariable b{"B", "string", "B", Value(), "", note("ask-b"), nullptr};
  define_dialog({"TWO", "", {a, b}, nullptr, note("ok")});
  sd_call_dialog("TWO");
  EXPECT_EQ(active_dialog(), "TWO");
  EXPECT_EQ(dialog_variable_value("a"), Value("first"));
  enter_dialog_input(Value("x"));
  EXPECT_EQ(active_dialog_view()->variable.name, "B");
  feed_dialog_input(Value("y"));
  EXPECT_FALSE(active_dialog());
  EXPECT_EQ(calls, (std::vector<std::string>{"ask-a first", "after-a x", "ask-b ?", "ok x y"}));
  EXPECT_THROW(feed_dialog_input(Value("z")), Error);
  EXPECT_THROW(dialog_variable_value("A"), Error);
}

TEST_F(DialogsTest, DirectoryInputIsCheckedAndAskedAgain) {
  define_set_dir();
  EXPECT_EQ(find_dialog("SET-PLOT-DIR")->title, "Set-Plot-Dir");
  sd_call_dialog("SET-PLOT-DIR");
  std::string dir = std::filesystem::temp_directory_path().string();
  feed_dialog_input(Value("/no/such/dir"));
  ASSERT_EQ(front.messages().size(), 1u);
  EXPECT_NE(front.messages()[0].find("/no/such/dir"), std::string::npos);
  EXPECT_EQ(active_dialog(), "SET-PLOT-DIR");
  feed_dialog_input(Value(42));
  EXPECT_EQ(front.messages().size(), 2u);
  feed_dialog_input(Value(dir));
  EXPECT_EQ(calls, (std::vector<std::string>{"ask nil", "ask nil", "ask nil", "after " + dir,
                                             "ok " + dir}));
}

TEST_F(DialogsTest, StartingAnotherDialogEndsTheFirst) {
  define_set_dir();
  define_dialog({"TV-DUMMY-DIALOG", "Tv-Dummy-Dialog", {}, nullptr, note("dummy")});
  sd_call_dialog("SET-PLOT-DIR");
  sd_call_dialog("TV-DUMMY-DIALOG");
  EXPECT_FALSE(active_dialog());
  EXPECT_THROW(feed_dialog_input(Value("/tmp")), Error);

  // The usual way: the input's own action starts the empty dialog, which ends this one, so
  // its OK action never runs and control returns to the main dialog.
  calls.clear();
  DialogVariable dir{
      "VERZEICHNIS", "directory", "Verzeichnis", Value(), "", nullptr, [](const List&) {
        return sd_call_dialog("TV-DUMMY-DIALOG");
      }};
  define_dialog({"SET-PLOT-DIR", "", {dir}, nullptr, note("ok")});
  sd_call_dialog("SET-PLOT-DIR");
  feed_dialog_input(Value(std::filesystem::temp_directory_path().string()));
  EXPECT_EQ(calls, std::vector<std::string>{"dummy"});
  EXPECT_FALSE(active_dialog());

  // Starting the same dialog again restarts it from its first input.
  define_set_dir();
  sd_call_dialog("SET-PLOT-DIR");
  sd_call_dialog("SET-PLOT-DIR");
  EXPECT_EQ(active_dialog(), "SET-PLOT-DIR");
  cancel_active_dialog();
  EXPECT_FALSE(active_dialog());
}

TEST_F(DialogsTest, InputQueuedAsALiteralLineReachesTheRunningDialog) {
  define_set_dir();
  sd_call_dialog("SET-PLOT-DIR");
  std::string dir = std::filesystem::temp_directory_path().string();
  sd_put_buffer(format("~S", dir));
  run_queued_commands();
  EXPECT_FALSE(active_dialog());
  EXPECT_EQ(calls.back(), "ok " + dir);
}

}  // namespace
}  // namespace host::ui::testing
