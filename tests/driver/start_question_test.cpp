// "Start" in the main dialog, clicked as a person would: the question, then the batch job
// over a directory of the shipped examples (first button) or nothing (second button).
#include <gmock/gmock.h>

#include "dialogs/job_settings.h"
#include "engine/driver.h"
#include "host/api/host.h"
#include "host/ui/user_actions.h"
#include "job_fixture.h"

namespace tavrin {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::JobTest;

namespace fs = std::filesystem;

class StartQuestionTest : public JobTest {
 protected:
  void SetUp() override {
    JobTest::SetUp();
    for (const char* name : {"flansch.mi", "leer.mi", "platte.mi", "baugruppe.bdl"}) {
      fs::copy_file(fs::path(TAVRIN_SOURCE_DIR) / "examples" / name, dir_ / name);
      files_.push_back(name);
    }
    using host::kw;
    host::sd_create_pushbutton_control(
        "TAVRIN-DIALOG-START-PB",
        {kw("parent"), "TAVRIN-DIALOG-11-GA", kw("pushaction"),
         host::Value::function([](const host::List&) { return tavrin(); })});
    host::DialogSpec batch;
    batch.name = "TV-BATCH-DIALOG";
    batch.ok_action = [this](const host::List&) { return run_batch_job(files_, tv_read_value); };
    host::define_dialog(batch);
    host::DialogSpec now;
    now.name = "TV-NOW-DIALOG";
    now.ok_action = [](const host::List&) { return tavrin_now_exe(); };
    host::define_dialog(now);
    host::sd_show_dialog_shell("TAVRIN-DIALOG");
  }

  // PDF output of every sheet with the first shipped plot style.
  void choose_pdf_of_all_sheets() {
    host::ui::click_toggle(control("STORE-PDF-TB"));
    host::ui::click_toggle(control("BLATT-ALLE-TB"));
    const host::List styles =
        host::sd_get_setting_styles_range_list("Annotation/Plot/PensTrafoStyle");
    ASSERT_FALSE(styles.empty());
    host::ui::type_text(control("FIRMA-TX"), host::print_text(styles.front().as_list().front()));
  }

  std::vector<std::string> pdfs() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      if (entry.path().extension() == ".pdf") names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::vector<std::string> files_;
};

TEST_F(StartQuestionTest, FirstButtonRunsTheBatchJobOverTheDirectory) {
  g().tavrin_modus = true;
  choose_pdf_of_all_sheets();
  host::ui::answer_next_question(true);
  host::ui::press_button(control("START-PB"));

  ASSERT_EQ(front().questions().size(), 1u);
  EXPECT_EQ(front().questions()[0].text, lang_text(20));
  EXPECT_EQ(front().questions()[0].push1, lang_text(22));
  EXPECT_EQ(front().questions()[0].push2, lang_text(23));
  EXPECT_THAT(pdfs(), ElementsAre("4711_A_1.pdf", "4711_A_2.pdf", "4711_A_Deckblatt.pdf",
                                  "4712_1.pdf", "Blatt_1.pdf"));
  EXPECT_THAT(front().output_lines(), ElementsAre("leer.mi konnte nicht geladen werden"));
  EXPECT_EQ(g().reported_problems, 1);
  EXPECT_EQ(front().messages().back(), lang_text(24));
  // The click is one command: the line queued at its end has run and left an empty drawing.
  EXPECT_THAT(host::queued_commands(), IsEmpty());
  EXPECT_TRUE(host::sd_am_inq_drawing_no().is_nil()) << "drawing 4712 was processed last";
}

TEST_F(StartQuestionTest, SecondButtonRunsNothing) {
  g().tavrin_modus = true;
  choose_pdf_of_all_sheets();
  host::ui::answer_next_question(false);
  host::ui::press_button(control("START-PB"));

  EXPECT_EQ(front().questions().size(), 1u);
  EXPECT_THAT(pdfs(), IsEmpty());
  EXPECT_THAT(front().output_lines(), IsEmpty());
  EXPECT_THAT(front().messages(), IsEmpty());
  EXPECT_THAT(host::queued_commands(), IsEmpty());
}

TEST_F(StartQuestionTest, CurrentDrawingRunAsksWithThePlotDirectory) {
  g().tavrin_modus = false;
  host::am_load_drawing({host::kw("filename"), "platte.mi"});
  choose_pdf_of_all_sheets();
  host::ui::answer_next_question(true);
  host::ui::press_button(control("START-PB"));

  ASSERT_EQ(front().questions().size(), 1u);
  EXPECT_EQ(front().questions()[0].text,
            host::format("~A: ~A", lang_text(21), host::sd_get_current_working_directory()));
  EXPECT_THAT(pdfs(), ElementsAre("Blatt_1.pdf"));
  EXPECT_THAT(host::queued_commands(), IsEmpty());
  EXPECT_EQ(host::sd_am_inq_curr_sheet_name(), "1") << "the empty drawing replaced the plate";
}

}  // namespace
}  // namespace tavrin
