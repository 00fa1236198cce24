// Messages, questions, editors and the output box through the front end.
#include "host/ui/frontend.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "host/api/runs.h"
#include "host/ui/headless.h"
#include "host/ui/user_actions.h"
#include "support/scratch_dir.h"
#include "ui_fixture.h"

namespace host::ui::testing {
namespace {

using FrontEndTest = UiTest;

TEST_F(FrontEndTest, MessagesAndOutputLinesArePrintedAndRecorded) {
  display("Zeichnung a.mi konnte nicht geladen werden");
  sd_display_message("Fertig");
  EXPECT_EQ(front.output_lines(),
            std::vector<std::string>{"Zeichnung a.mi konnte nicht geladen werden"});
  EXPECT_EQ(front.messages(), std::vector<std::string>{"Fertig"});
  EXPECT_EQ(out.str(), "Zeichnung a.mi konnte nicht geladen werden\nFertig\n");
}

TEST_F(FrontEndTest, QuestionsFollowQueuedAnswersThenThePolicy) {
  List labels{kw("push-1"), "Ja, starten", kw("push-2"), "Abbrechen"};
  answer_next_question(true);
  answer_next_question(false);
  EXPECT_EQ(sd_display_question("Starten?", labels), kw("yes"));
  EXPECT_EQ(sd_display_question("Starten?", labels), kw("no"));
  // Nothing queued: the policy decides; the default is the second button, which starts nothing.
  EXPECT_EQ(sd_display_question("Starten?", labels), kw("no"));
  front.set_question_policy(HeadlessFrontEnd::QuestionPolicy::Yes);
  EXPECT_EQ(sd_display_question("Starten?", labels), kw("yes"));
  front.set_question_policy(HeadlessFrontEnd::QuestionPolicy::Scripted);
  front.queue_answer(true);
  EXPECT_EQ(sd_display_question("Starten?", labels), kw("yes"));
  EXPECT_EQ(sd_display_question("Starten?", labels), kw("no")) << "script ran out";
  ASSERT_EQ(front.questions().size(), 6u);
  EXPECT_EQ(front.questions()[0].push1, "Ja, starten");
  EXPECT_EQ(front.questions()[0].push2, "Abbrechen");
  EXPECT_NE(out.str().find("-> Abbrechen"), std::string::npos);
  // The labels default to the host's own.
  sd_display_question("Weiter?", {});
  EXPECT_EQ(front.questions().back().push1, "Ja");
}

TEST_F(FrontEndTest, PromptAsksOnATerminalUntilAnAnswerFits) {
  front.set_question_policy(HeadlessFrontEnd::QuestionPolicy::Prompt);
  std::istringstream typed("x\n2\n");
  front.set_input(typed, true);
  EXPECT_EQ(sd_display_question("Starten?", {kw("push-1"), "Ja", kw("push-2"), "Nein"}), kw("no"));
  EXPECT_NE(out.str().find("[1] Ja  [2] Nein"), std::string::npos);
  std::istringstream more("1\n");
  front.set_input(more, true);
  EXPECT_EQ(sd_display_question("Starten?", {}), kw("yes"));
  // No terminal, or the input ends: the second button.
  std::istringstream none("1\n");
  front.set_input(none, false);
  EXPECT_EQ(sd_display_question("Starten?", {}), kw("no"));
  std::istringstream ended("");
  front.set_input(ended, true);
  EXPECT_EQ(sd_display_question("Starten?", {}), kw("no"));
}

TEST_F(FrontEndTest, EditorsBrowserAndPointAnswerFromQueuesOrCancel) {
  front.queue_text(std::string("Rev A\nRev B"));
  EXPECT_EQ(sd_show_general_text_editor({kw("title"), "Änderungstext", kw("initialtext"), "Rev A"}),
            Value("Rev A\nRev B"));
  EXPECT_TRUE(
      sd_show_general_text_editor({kw("title"), "Änderungstext", kw("initialtext"), Value()})
          .is_nil());
  ASSERT_EQ(front.text_requests().size(), 2u);
  EXPECT_EQ(front.text_requests()[0].initial, "Rev A");
  EXPECT_EQ(front.text_requests()[1].initial, "");

  front.queue_folder(std::string("/plots"));
  EXPECT_EQ(sd_browse_for_folder("Verzeichnis wählen", Value()), Value("/plots"));
  EXPECT_TRUE(sd_browse_for_folder("Verzeichnis wählen", Value("/plots")).is_nil());
  EXPECT_FALSE(front.folder_requests()[0].initial);
  EXPECT_EQ(front.folder_requests()[1].initial, "/plots");

  front.queue_point(Point2{10, 20});
  EXPECT_EQ(sd_read_point("Position"), Value(Point2{10, 20}));
  EXPECT_TRUE(sd_read_point("Position").is_nil());
  EXPECT_EQ(convert_filename_from_platform("/plots/A\\B neu"), "/plots/A\\B neu");
}

TEST_F(FrontEndTest, FileEditorWithoutTerminalSaysSoAndReportsFailure) {
  front.queue_edit_result(true);
  EXPECT_EQ(edit("/x/TavrinFormat.dat"), Value::t());
  std::istringstream no_input;
  front.set_input(no_input, false);
  EXPECT_TRUE(edit("/x/TavrinPlotter.dat").is_nil());
  ASSERT_EQ(front.messages().size(), 1u);
  EXPECT_NE(front.messages()[0].find("/x/TavrinPlotter.dat"), std::string::npos);
  EXPECT_EQ(front.edited_files().size(), 2u);
}

TEST_F(FrontEndTest, FileEditorRunsTheUsersEditorOnATerminal) {
  tavrin_test::ScratchDir dir;
  tavrin_test::EnvGuard env;
  const std::string file =
      dir.file("a b;$(echo x).dat");  // blanks and shell syntax must reach the editor intact
  std::ofstream(file) << "old\n";
  std::istringstream tty;
  front.set_input(tty, true);
  env.set("VISUAL", "sh -c 'echo edited > \"$1\"' editor");
  EXPECT_EQ(edit(file), Value::t());
  env.set("VISUAL", "false");
  EXPECT_TRUE(edit(file).is_nil());
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "edited");
}

TEST_F(FrontEndTest, ProgressGoesToATerminalOnly) {
  std::ostringstream err;
  front.set_progress_stream(err, false);
  sd_show_progress(1, 3, "a.mi");
  EXPECT_EQ(err.str(), "");
  front.set_progress_stream(err, true);
  sd_show_progress(1, 3, "a.mi");
  EXPECT_EQ(err.str(), "\r[1/3] 33 %  a.mi\x1b[K");
  // A line never follows the progress line on the same row: it is taken off and put back.
  std::ostringstream out;
  front.set_output(out);
  sd_display_message("b.mi: Hallo");
  EXPECT_EQ(err.str(), "\r[1/3] 33 %  a.mi\x1b[K\r\x1b[K\r[1/3] 33 %  a.mi\x1b[K");
  EXPECT_EQ(out.str(), "b.mi: Hallo\n");
  sd_show_progress(3, 3, "");
  EXPECT_TRUE(err.str().ends_with("\r\x1b[K")) << "the end takes the line off";
}

TEST(ProgressPace, FilesPerMinuteAndTimeLeft) {
  struct Case {
    int done, remaining;
    double seconds;
    const char* text;
  } cases[] = {{0, 10, 30, ""},  // nothing done: no estimate
               {1, 9, 0.1, ""},  // too soon to tell
               {3, 9, 60, "3.0 files/min, 3:00 left"},
               {120, 1000, 60, "120 files/min, 8:20 left"},
               {2, 7200, 60, "2.0 files/min, 60:00:00 left"}};
  for (const Case& c : cases)
    EXPECT_EQ(progress_pace_text(c.done, c.remaining, c.seconds), c.text) << c.done;
}

TEST_F(FrontEndTest, DefaultFrontEndRecordsAndResetForgets) {
  set_front_end(nullptr);
  std::ostringstream quiet;
  default_front_end().set_output(quiet);
  sd_display_message("Hallo");
  EXPECT_EQ(default_front_end().messages(), std::vector<std::string>{"Hallo"});
  answer_next_question(true);
  reset_host();
  EXPECT_TRUE(default_front_end().messages().empty());
  default_front_end().set_output(quiet);
  EXPECT_EQ(sd_display_question("?", {}), kw("no")) << "queued answers are forgotten on reset";
}

// A front end that is not headless still gets answers queued ahead of its questions.
TEST_F(FrontEndTest, QueuedAnswersReachOtherFrontEnds) {
  class Gui : public FrontEnd {
   public:
    int asked = 0;
    void message(const std::string&, host::Severity) override {}
    bool question(const std::string&, const std::string&, const std::string&) override {
      ++asked;
      return false;
    }
    std::optional<std::string> browse_for_folder(const std::string&,
                                                 const std::optional<std::string>&) override {
      return std::nullopt;
    }
    std::optional<std::string> edit_text(const std::string&, const std::string&) override {
      return std::nullopt;
    }
    bool edit_file(const std::string&) override { return false; }
    std::optional<Point2> read_point(const std::string&) override { return std::nullopt; }
    void output_line(const std::string&) override {}
    void progress(int, int, const std::string&) override {}
    void model_changed() override {}
  } gui;
  set_front_end(&gui);
  answer_next_question(true);
  EXPECT_EQ(sd_display_question("?", {}), kw("yes"));
  EXPECT_EQ(gui.asked, 0);
  EXPECT_EQ(sd_display_question("?", {}), kw("no"));
  EXPECT_EQ(gui.asked, 1);
}

}  // namespace
}  // namespace host::ui::testing
