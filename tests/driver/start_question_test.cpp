// "Start" in the main dialog, clicked as a person would: the start command opens the dialog
// from the stored standard, the user marks the files and picks a plot style, then the
// question decides: the batch job over a directory of the shipped examples, or nothing.
#include <gmock/gmock.h>

#include <cstdlib>
#include <filesystem>

#include "base/globals.h"
#include "config/language.h"
#include "dialogs/start_commands.h"
#include "host/api/host.h"
#include "host/api/testing.h"
#include "host/ui/headless.h"
#include "host/ui/user_actions.h"
#include "support/install_test.h"

namespace tavrin {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace fs = std::filesystem;

// The start command writes the plotter tables: it works on a copy of the installation.
class StartQuestionTest : public tavrin_test::InstallTest {
 protected:
  void SetUp() override {
    InstallTest::SetUp();
    front().set_question_policy(host::ui::HeadlessFrontEnd::QuestionPolicy::Scripted);
    for (const char* name : {"flansch.mi", "leer.mi", "platte.mi", "baugruppe.bdl"})
      fs::copy_file(fs::path(TAVRIN_SOURCE_DIR) / "examples" / name, out_dir() / name);
    register_start_dialogs();
  }

  // The main dialog as the start command opens it: filled from the shipped standard.
  void open_main_dialog(const char* start_command) { host::sd_call_dialog(start_command); }

  void press_start(bool first_button) {
    host::ui::answer_next_question(first_button);
    host::ui::press_button("TAVRIN-DIALOG-START-PB");
  }

  std::vector<std::string> pdfs() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(out_dir())) {
      if (entry.path().extension() == ".pdf") names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(StartQuestionTest, FirstButtonRunsTheBatchJobOverTheMarkedFiles) {
  open_main_dialog("TAVRIN-BATCH-START-DIALOG");
  host::ui::press_button("TAVRIN-DIALOG-ALLE-AN-AUS-PB");
  press_start(true);

  ASSERT_EQ(front().questions().size(), 1u);
  EXPECT_EQ(front().questions()[0].text, lang_text(20));
  EXPECT_EQ(front().questions()[0].push1, lang_text(22));
  EXPECT_EQ(front().questions()[0].push2, lang_text(23));
  // The shipped standard: PDF of all sheets in the standard style, without a single error;
  // the empty example is reported and the run goes on.
  EXPECT_THAT(pdfs(), ElementsAre("4711_A_1.pdf", "4711_A_2.pdf", "4711_A_Deckblatt.pdf",
                                  "4712_1.pdf", "Blatt_1.pdf"));
  EXPECT_THAT(front().output_lines(), ElementsAre("leer.mi konnte nicht geladen werden"));
  EXPECT_EQ(host::reported_problems(), 1);
  EXPECT_THAT(front().messages(),
              ElementsAre(host::format("~A~% ~A", lang_text(33), lang_text(34)), lang_text(24)));
  // The click is one command: the line queued at its end has run and left an empty drawing.
  EXPECT_THAT(host::queued_commands(), IsEmpty());
  EXPECT_TRUE(host::sd_am_inq_drawing_no().is_nil());
  EXPECT_EQ(host::sd_am_inq_curr_sheet_name(), "1");
}

TEST_F(StartQuestionTest, SecondButtonRunsNothing) {
  open_main_dialog("TAVRIN-BATCH-START-DIALOG");
  host::ui::press_button("TAVRIN-DIALOG-ALLE-AN-AUS-PB");
  const std::size_t messages_before = front().messages().size();
  press_start(false);

  EXPECT_EQ(front().questions().size(), 1u);
  EXPECT_THAT(pdfs(), IsEmpty());
  EXPECT_THAT(front().output_lines(), IsEmpty());
  EXPECT_EQ(front().messages().size(), messages_before);
  EXPECT_EQ(host::reported_problems(), 0);
}

TEST_F(StartQuestionTest, CurrentDrawingRunAsksWithThePlotDirectory) {
  host::am_load_drawing({host::kw("filename"), "platte.mi"});
  open_main_dialog("TAVRIN-NOW-START-DIALOG");
  press_start(true);

  ASSERT_EQ(front().questions().size(), 1u);
  EXPECT_EQ(front().questions()[0].text,
            host::format("~A: ~A", lang_text(21), host::sd_get_current_working_directory()));
  EXPECT_THAT(pdfs(), ElementsAre("Blatt_1.pdf"));
  EXPECT_EQ(host::sd_am_inq_curr_sheet_name(), "1") << "the empty drawing replaced the plate";
}

}  // namespace
}  // namespace tavrin
