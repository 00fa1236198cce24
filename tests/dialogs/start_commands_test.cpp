// The start commands, the plot directory dialog, and whole runs from the start command to
// the written files.
#include "dialogs/start_commands.h"

#include "dialog_fixture.h"
#include "host/formats/mi.h"
#include "host/ui/dialogs.h"

namespace tavrin::testing {
namespace {

using host::kw;
using host::ui::press_button;

class StartCommandTest : public DialogTest {
 protected:
  // A drawing file with the number and one rectangle on each named sheet.
  static void drawing_file(const fs::path& path, const std::string& number,
                           const std::vector<std::string>& sheets) {
    host::Drawing d;
    d.id = host::next_id();
    d.number = number;
    for (const std::string& name : sheets) {
      host::Sheet s;
      s.id = host::next_id();
      s.name = s.unique_name = name;
      host::Element frame;
      frame.id = host::next_id();
      frame.kind = host::ElementKind::Rectangle;
      frame.points = {{0, 0}, {297, 210}};
      s.elements.push_back(frame);
      d.sheets.push_back(s);
    }
    write(path, host::write_mi_text(d));
  }

  static int row_of(const std::string& name) {
    const auto names = column("name");
    return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
  }

  static bool readable_pdf(const fs::path& path) {
    return fs::exists(path) &&
           std::system(("pdfinfo '" + path.string() + "' >/dev/null 2>&1").c_str()) == 0;
  }
};

TEST_F(StartCommandTest, CommandsAreDeclaredWithTheirTitlesAndTheDirectoryInput) {
  const std::vector<std::pair<std::string, std::string>> titles = {
      {"TAVRIN-BATCH-START-DIALOG", "Tavrin-Batch-Start-Dialog"},
      {"TAVRIN-NOW-START-DIALOG", "Tavrin-Now-Start-Dialog"},
      {"TV-BATCH-DIALOG", "TV-DIALOG"},
      {"TV-NOW-DIALOG", "TV-DIALOG"},
      {"TV-DUMMY-DIALOG", "Tv-Dummy-Dialog"},
      {"SET-PLOT-DIR", "Set-Plot-Dir"}};
  for (const auto& [name, title] : titles) {
    auto spec = host::ui::find_dialog(name);
    ASSERT_TRUE(spec) << name;
    EXPECT_EQ(spec->title, title);
    EXPECT_EQ(spec->variables.size(), name == "SET-PLOT-DIR" ? 1u : 0u) << name;
  }
  const host::DialogVariable var = host::ui::find_dialog("SET-PLOT-DIR")->variables.at(0);
  EXPECT_EQ(var.name, "VERZEICHNIS");
  EXPECT_EQ(var.type, "directory");
  EXPECT_EQ(var.title, "Verzeichnis");
}

TEST_F(StartCommandTest, StartRunsTheJobCommandOfTheModeTheDialogWasOpenedIn) {
  for (bool batch : {false, true}) {
    start(batch);
    std::vector<std::string> ran;
    for (const char* name : {"TV-BATCH-DIALOG", "TV-NOW-DIALOG"}) {
      host::DialogSpec spy;
      spy.name = name;
      spy.ok_action = [&ran, name](const host::List&) {
        ran.push_back(name);
        return host::Value();
      };
      host::define_dialog(spy);
    }
    host::ui::answer_next_question(false);
    press_button(id("START-PB"));
    EXPECT_TRUE(ran.empty());
    host::ui::answer_next_question(true);
    press_button(id("START-PB"));
    EXPECT_EQ(ran, (std::vector<std::string>{batch ? "TV-BATCH-DIALOG" : "TV-NOW-DIALOG"}));
  }
}

TEST_F(StartCommandTest, ChoosingADirectoryMakesItThePlotDirectoryAndListsItUnmarked) {
  write(plot_dir() / "alt.mi", "x");
  const fs::path other = root_ / "andere";
  fs::create_directory(other);
  write(other / "neu.mi", "x");
  start(true);
  press_button(id("ALLE-AN-AUS-PB"));
  ASSERT_EQ(create_filelist(), (std::vector<std::string>{"alt.mi"}));

  front().queue_folder(other.string());
  press_button(id("VERZEICHNIS-PB"));
  EXPECT_EQ(front().folder_requests().back().title, lang_text(15));
  EXPECT_EQ(fs::current_path(), other);
  EXPECT_EQ(control("VERZEICHNIS-PB").title, "  " + other.string());
  EXPECT_EQ(control("VERZEICHNIS-PB").y, 29);
  EXPECT_EQ(column("name"), (std::vector<std::string>{"neu.mi"}));
  EXPECT_EQ(column("x"), (std::vector<std::string>{""}));
  EXPECT_FALSE(host::active_dialog());

  // The same directory again still drops every mark.
  press_button(id("ALLE-AN-AUS-PB"));
  front().queue_folder(other.string());
  press_button(id("VERZEICHNIS-PB"));
  EXPECT_TRUE(create_filelist().empty());
}

TEST_F(StartCommandTest, ACancelledOrInvalidChoiceLeavesDirectoryAndListAsTheyWere) {
  write(plot_dir() / "alt.mi", "x");
  start(true);
  press_button(id("ALLE-AN-AUS-PB"));

  front().queue_folder(std::nullopt);
  press_button(id("VERZEICHNIS-PB"));
  EXPECT_EQ(host::active_dialog(), "SET-PLOT-DIR");
  host::ui::enter_dialog_input((root_ / "gibt-es-nicht").string());
  EXPECT_EQ(host::active_dialog(), "SET-PLOT-DIR");
  EXPECT_FALSE(front().messages().empty());
  EXPECT_EQ(fs::current_path(), plot_dir());
  EXPECT_EQ(create_filelist(), (std::vector<std::string>{"alt.mi"}));

  // Typed instead of browsed, a valid directory is taken.
  host::ui::enter_dialog_input(install().string());
  EXPECT_EQ(fs::current_path(), install());
  EXPECT_FALSE(host::active_dialog());
}

TEST_F(StartCommandTest, ADirectoryRunWritesThePdfsOfTheMarkedDrawings) {
  drawing_file(plot_dir() / "welle.mi", "4711", {"1", "2"});
  drawing_file(plot_dir() / "deckel.mi", "0815", {"1"});
  drawing_file(plot_dir() / "nicht-markiert.mi", "9999", {"1"});
  write(plot_dir() / "leer.mi", "");
  // Typed as a person would, by the name the ribbon's button runs.
  host::run_command_line("TAVRIN-BATCH-START-DIALOG");
  for (const char* name : {"welle.mi", "deckel.mi", "leer.mi"}) {
    host::ui::click_table_row("TAVRIN-DIALOG-DT", row_of(name));
  }
  host::ui::answer_next_question(true);
  press_button(id("START-PB"));

  EXPECT_EQ(front().questions().back().text, lang_text(20));
  for (const char* pdf : {"4711_1.pdf", "4711_2.pdf", "0815_1.pdf"})
    EXPECT_TRUE(readable_pdf(plot_dir() / pdf)) << pdf;
  EXPECT_FALSE(fs::exists(plot_dir() / "9999_1.pdf"));
  EXPECT_EQ(front().output_lines(),
            (std::vector<std::string>{"leer.mi konnte nicht geladen werden"}));
  EXPECT_EQ(front().messages().back(), lang_text(24));
  // The queued line has left an empty drawing.
  EXPECT_TRUE(host::sd_am_inq_drawing_no().is_nil());
}

TEST_F(StartCommandTest, ACurrentDrawingRunWritesItsOutputsToTheWorkingDirectory) {
  drawing_file(root_ / "geladen.mi", "1234", {"1", "2"});
  host::am_load_drawing({kw("filename"), (root_ / "geladen.mi").string()});
  start(false);
  host::ui::click_toggle(id("STORE-MI-TB"));
  host::ui::click_toggle(id("BLATT-X-TB"));
  host::ui::type_text(id("BLATT-X-TX"), "2");
  host::ui::answer_next_question(true);
  press_button(id("START-PB"));

  EXPECT_EQ(front().questions().back().text,
            host::format("~A: ~A", lang_text(21), plot_dir().string()));
  EXPECT_TRUE(readable_pdf(plot_dir() / "1234_2.pdf"));
  EXPECT_TRUE(fs::exists(plot_dir() / "1234_2.mi"));
  EXPECT_FALSE(fs::exists(plot_dir() / "1234_1.pdf"));
  EXPECT_FALSE(fs::exists(plot_dir() / "1234_1.mi"));
}

}  // namespace
}  // namespace tavrin::testing
