// The main dialog: its layout in both run modes, the visibility rules, and the standard
// settings stored and loaded.
#include "dialogs/main_dialog.h"

#include "dialog_fixture.h"

namespace tavrin::testing {
namespace {

using host::ui::click_toggle;

class MainDialogTest : public DialogTest {
 protected:
  static std::vector<std::string> visible_of(const std::vector<std::string>& keys) {
    std::vector<std::string> out;
    for (const std::string& key : keys) {
      if (shown(key)) out.push_back(key);
    }
    return out;
  }
  const std::vector<std::string> print_controls_ = {"AUTO-PLOTTER-SELECT-TB", "DRUCKER-TX",
                                                    "EINPASSEN-TB", "FORMAT-TX", "FIRMA-TX"};
};

TEST_F(MainDialogTest, BothRunModesPlaceEveryControlInsideTheirGrid) {
  for (bool batch : {false, true}) {
    SCOPED_TRACE(batch ? "directory run" : "current drawing");
    start(batch);
    auto grid = host::ui::find_control("TAVRIN-DIALOG-11-GA");
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->pixel_height, batch ? 730 : 190);
    EXPECT_EQ(host::ui::find_shell("TAVRIN-DIALOG")->title, g().tavrin_version);
    const int b = batch ? 136 : 28;
    EXPECT_EQ(control("START-PB").y, b);
    EXPECT_EQ(control("STORE-KONFIG-PB").image, "STORE-STANDARD-IMAGE");
    EXPECT_EQ(control("AUTOTEXT-AN-TB").y, b + 5);
    EXPECT_EQ(host::ui::image_file("START-IMAGE"), install().string() + "/ICONS/Start.bmp");
    // Nothing may hang below the grid or hide under the file table.
    for (const host::ui::Control& c : host::ui::children_of("TAVRIN-DIALOG-11-GA")) {
      EXPECT_LE(c.y + c.height, grid->pixel_height / 5) << c.name;
      if (batch && c.name != "TAVRIN-DIALOG-DT" && c.y + c.height > 39) {
        EXPECT_GE(c.y, 136) << c.name;
      }
    }
    EXPECT_EQ(host::ui::find_control("TAVRIN-DIALOG-DT").has_value(), batch);
    EXPECT_EQ(host::sd_control_exists_p(id("ALLE-TB")), batch);

    EXPECT_EQ(control("BLATT-KLEINER-TB").title, lang_text(10));
    EXPECT_EQ(control("DRUCKER-TX").range, (std::vector<std::string>{"Plotter-A4", "Plotter-A3"}));
    EXPECT_FALSE(control("FIRMA-TX").editable);
    EXPECT_TRUE(control("BLATT-X-TX").editable);
    EXPECT_THROW(host::ui::pick_entry(id("FIRMA-TX"), "Bunt"), host::Error);
  }
}

TEST_F(MainDialogTest, PlotStyleShowsForPrintingOrPdfAndPrinterControlsOnlyForPrinting) {
  write(user_copy(), "STORE-PDF-TB|1\n");
  start(false);
  EXPECT_EQ(visible_of(print_controls_), (std::vector<std::string>{"FIRMA-TX"}));

  click_toggle(id("DRUCKEN-TB"));
  EXPECT_EQ(visible_of(print_controls_),
            (std::vector<std::string>{"AUTO-PLOTTER-SELECT-TB", "DRUCKER-TX", "EINPASSEN-TB",
                                      "FIRMA-TX"}));
  click_toggle(id("EINPASSEN-TB"));
  click_toggle(id("AUTO-PLOTTER-SELECT-TB"));
  EXPECT_EQ(visible_of(print_controls_),
            (std::vector<std::string>{"AUTO-PLOTTER-SELECT-TB", "EINPASSEN-TB", "FORMAT-TX",
                                      "FIRMA-TX"}));
  // With printing on, switching PDF off keeps the style.
  click_toggle(id("STORE-PDF-TB"));
  EXPECT_TRUE(shown("FIRMA-TX"));

  click_toggle(id("DRUCKEN-TB"));
  EXPECT_TRUE(visible_of(print_controls_).empty());
  click_toggle(id("STORE-PDF-TB"));
  EXPECT_EQ(visible_of(print_controls_), (std::vector<std::string>{"FIRMA-TX"}));
}

TEST_F(MainDialogTest, SheetRadiosKeepExactlyOneOn) {
  start(false);
  click_toggle(id("BLATT-KLEINER-TB"));
  click_toggle(id("BLATT-X-TB"));
  click_toggle(id("BLATT-X-TB"));  // clicking the chosen one keeps it
  for (const char* key : {"BLATT-ALLE-TB", "BLATT-GROESSER-TB", "BLATT-KLEINER-TB"})
    EXPECT_FALSE(on(key)) << key;
  EXPECT_TRUE(on("BLATT-X-TB"));
}

// The nineteen keys of the dialog's rows, then the plot colours'.
TEST_F(MainDialogTest, StoringRightAfterOpeningWritesTheKeysEmpty) {
  write(user_copy(), "");
  start(false);
  host::ui::press_button(id("STORE-KONFIG-PB"));

  const std::vector<std::string> lines = lines_of(user_copy());
  ASSERT_EQ(lines.size(), 22u);
  EXPECT_EQ(lines[19], "SCHWARZWEISS-TB|0");
  EXPECT_EQ(lines[21], "PLOTSTILTABELLE-TX|");
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& key = standard_keys()[i];
    EXPECT_EQ(lines[i], key + (key.ends_with("-TB") ? "|0" : "|"));
  }
  EXPECT_EQ(lines[0], "STORE-MI-TB|0");
  EXPECT_EQ(lines[18], "BLATT-X-TX|");
  ASSERT_FALSE(front().messages().empty());
  EXPECT_EQ(front().messages().back(), lang_text(16) + "\n " + user_copy().string());
  // Written in one piece: nothing but the file stays behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(profile()), fs::directory_iterator()), 1);
}

TEST_F(MainDialogTest, StoredSettingsComeBackAtTheNextStart) {
  write(user_copy(), "");
  start(true);
  click_toggle(id("STORE-DXF-TB"));
  click_toggle(id("DRUCKEN-TB"));
  click_toggle(id("AUTO-PLOTTER-SELECT-TB"));
  host::ui::pick_entry(id("FIRMA-TX"), "Schwarz");
  click_toggle(id("BLATT-GROESSER-TB"));
  host::ui::type_text(id("BLATT-GROESSER-TX"), " 2 ");
  click_toggle(id("BDL-TB"));
  host::ui::press_button(id("STORE-KONFIG-PB"));
  const std::string stored = read(user_copy());
  EXPECT_NE(stored.find("STORE-DXF-TB|1\n"), std::string::npos);
  EXPECT_NE(stored.find("BDL-TB|1\nALLE-TB|0\n"), std::string::npos);
  EXPECT_NE(stored.find("FIRMA-TX|Schwarz\nBLATT-GROESSER-TX|2\n"), std::string::npos);

  start(true);
  EXPECT_TRUE(on("STORE-DXF-TB"));
  EXPECT_TRUE(on("DRUCKEN-TB"));
  EXPECT_TRUE(on("BLATT-GROESSER-TB"));
  EXPECT_EQ(tv_read_value("BLATT-GROESSER-TX"), "2");
  EXPECT_TRUE(control("FIRMA-TX").seeend);
  // Printing loaded on with automatic choice: the manual printer stays hidden.
  EXPECT_TRUE(shown("AUTO-PLOTTER-SELECT-TB"));
  EXPECT_FALSE(shown("DRUCKER-TX"));
  // Whatever filter was stored, the list shows every file after loading.
  EXPECT_TRUE(on("ALLE-TB"));
  EXPECT_FALSE(on("BDL-TB"));
  EXPECT_FALSE(on("AUTOTEXT-AN-TB"));
}

TEST_F(MainDialogTest, LoadingAppliesLinesInOrderAndReportsThoseThatNameNoSetting) {
  write(user_copy(),
        "BLATT-ALLE-TB|1\n"
        "BLATT-GROESSER-TB|1\n"
        "STORE-PDF-TB| 1 \n"
        "MI-TB|1\n"
        "GIBTS-NICHT-TB|1\n"
        "ohne Trennstrich\n"
        "\n"
        "START-PB|1\n"
        "STORE-MI-TB|ja\n"
        "STORE-AENDERUNG-TB|1\n"
        "AUTOTEXT-AN-TB|1\n");
  start(true);
  // Settings the file never holds are not switched on by a hand-written line either.
  EXPECT_FALSE(on("STORE-AENDERUNG-TB"));
  EXPECT_FALSE(on("AUTOTEXT-AN-TB"));
  EXPECT_FALSE(on("BLATT-ALLE-TB"));
  EXPECT_TRUE(on("BLATT-GROESSER-TB"));
  EXPECT_TRUE(on("STORE-PDF-TB"));
  EXPECT_FALSE(on("STORE-MI-TB"));
  EXPECT_TRUE(on("ALLE-TB"));
  EXPECT_FALSE(on("MI-TB"));
  const std::vector<std::string>& lines = front().output_lines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].rfind(user_copy().string() + ":5: ", 0), 0u) << lines[0];
  EXPECT_NE(lines[0].find("GIBTS-NICHT-TB"), std::string::npos);
  EXPECT_EQ(lines[1].rfind(user_copy().string() + ":6: ", 0), 0u) << lines[1];
  EXPECT_EQ(lines[2].rfind(user_copy().string() + ":8: ", 0), 0u) << lines[2];
  EXPECT_EQ(lines[3].rfind(user_copy().string() + ":10: ", 0), 0u) << lines[3];
  EXPECT_EQ(lines[4].rfind(user_copy().string() + ":11: ", 0), 0u) << lines[4];

  // The filter radios do not exist for the current drawing; their lines are no fault there.
  front().clear();
  start(false);
  EXPECT_TRUE(on("BLATT-GROESSER-TB"));
  EXPECT_EQ(front().output_lines().size(), 5u);
}

TEST_F(MainDialogTest, AnAdministratorUsesOnlyTheSharedCopy) {
  write(user_copy(), "STORE-MI-TB|1\n");
  write(shared_copy(), "STORE-DXF-TB|1\n");
  g().tavrin_admin = true;
  start(false);
  EXPECT_FALSE(on("STORE-MI-TB"));
  EXPECT_TRUE(on("STORE-DXF-TB"));
  host::ui::press_button(id("STORE-KONFIG-PB"));
  EXPECT_EQ(read(user_copy()), "STORE-MI-TB|1\n");
  EXPECT_EQ(lines_of(shared_copy()).size(), 22u);

  // Without an administrator the user copy wins, and without it the shared copy is read.
  g().tavrin_admin = false;
  start(false);
  EXPECT_TRUE(on("STORE-MI-TB"));
  fs::remove(user_copy());
  start(false);
  EXPECT_TRUE(on("STORE-DXF-TB"));
}

TEST_F(MainDialogTest, AStandardThatCannotBeWrittenIsNeverConfirmed) {
  start(false);
  fs::remove(shared_copy());
  fs::create_directory(shared_copy());  // a directory in the file's place
  g().tavrin_admin = true;
  front().clear();
  host::ui::press_button(id("STORE-KONFIG-PB"));
  ASSERT_EQ(front().messages().size(), 1u);
  EXPECT_EQ(front().messages()[0].find(lang_text(16)), std::string::npos);
  EXPECT_NE(front().messages()[0].find(shared_copy().string()), std::string::npos);
}

TEST_F(MainDialogTest, WithoutAnyCopyTheHostsErrorNamesTheFileAndTheDialogStaysReset) {
  write(plot_dir() / "a.mi", "x");
  start(true);
  host::ui::press_button(id("ALLE-AN-AUS-PB"));
  ASSERT_EQ(create_filelist().size(), 1u);
  fs::remove(shared_copy());
  start(true);
  ASSERT_FALSE(front().messages().empty());
  EXPECT_NE(front().messages().back().find(shared_copy().string()), std::string::npos);
  EXPECT_EQ(front().messages().back().rfind("Keine Standardeinstellungen: ", 0), 0u);
  EXPECT_TRUE(host::sd_control_visible_p("TAVRIN-DIALOG"));
  EXPECT_FALSE(on("DRUCKEN-TB"));
  EXPECT_FALSE(shown("EINPASSEN-TB"));
  // The earlier dialog's marks are gone with it.
  EXPECT_EQ(column("name"), (std::vector<std::string>{"a.mi"}));
  EXPECT_TRUE(create_filelist().empty());
}

}  // namespace
}  // namespace tavrin::testing
