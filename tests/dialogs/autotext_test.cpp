// Autotext: the rows of the file as dialog controls, and the chosen values in the drawing.
#include "config/autotext.h"

#include "dialog_fixture.h"
#include "host/drawing/store.h"
#include "host/formats/mi.h"

namespace tavrin::testing {
namespace {

using host::kw;
using host::ui::find_control;

std::string row_id(const char* tmpl, int y) {
  return host::format(tmpl, y);
}

class AutotextTest : public DialogTest {
 protected:
  void autotext_file(const std::string& content) const {
    write(install() / "TABELLEN/TavrinAutotext.dat", content);
  }

  // A drawing whose title-block texts carry INFO names; BENENNUNG on both sheets.
  void load_title_block_drawing() const {
    host::Drawing d;
    d.id = host::next_id();
    d.number = "4711";
    for (const char* sheet_name : {"1", "2"}) {
      host::Sheet s;
      s.id = host::next_id();
      s.name = s.unique_name = sheet_name;
      for (const char* info : {"BENENNUNG", "DATUM", ""}) {
        host::Element text;
        text.id = host::next_id();
        text.kind = host::ElementKind::Text;
        text.points = {{10, 10}};
        text.text.lines = {std::string("alt ") + info};
        if (*info) text.info = {info};
        s.elements.push_back(text);
      }
      d.sheets.push_back(s);
    }
    const std::string path = (plot_dir() / "titel.mi").string();
    write(path, host::write_mi_text(d));
    host::am_load_drawing({kw("filename"), path});
  }

  // The text lines of every text carrying the INFO name, over all sheets.
  static std::vector<std::string> texts_with(const std::string& info) {
    std::vector<std::string> out;
    for (const host::Sheet& s : host::current_drawing().sheets) {
      for (const host::Element& e : s.elements) {
        if (e.kind != host::ElementKind::Text) continue;
        if (std::find(e.info.begin(), e.info.end(), info) == e.info.end()) continue;
        std::string joined;
        for (const std::string& line : e.text.lines) joined += (joined.empty() ? "" : "\n") + line;
        out.push_back(joined);
      }
    }
    return out;
  }
};

TEST_F(AutotextTest, EachRowIsNamedByItsGridRowAndKeepsItsFieldsAsWritten) {
  autotext_file(
      "Bezeichnung|Editierbar|INFO|Werte\r\n"
      "Benennung|T|BENENNUNG|Welle|Deckel\r\n"
      " Maßstab |nil|MASSSTAB|1:1|1:2\r\n"
      "Datum|T|DATUM\r\n");
  tavrin_autotext_dialog();

  ASSERT_EQ(g().autotextliste.size(), 3u);
  EXPECT_EQ(find_control("TAVRIN-AUTOTEXT-DIALOG-11-GA")->pixel_height, 90);
  for (int y : {0, 5, 10}) {
    for (const char* tmpl : {"TAVRIN-AUTOTEXT-DIALOG-~A-LB", "TAVRIN-AUTOTEXT-DIALOG-~A-TB",
                             "TAVRIN-AUTOTEXT-DIALOG-~A-TX", "TAVRIN-AUTOTEXT-DIALOG-~A-INFO-LB"}) {
      EXPECT_TRUE(find_control(row_id(tmpl, y))) << row_id(tmpl, y);
    }
    EXPECT_EQ(find_control(row_id("TAVRIN-AUTOTEXT-DIALOG-~A-LB", y))->y, y);
    EXPECT_FALSE(host::sd_control_visible_p(row_id("TAVRIN-AUTOTEXT-DIALOG-~A-TX", y)));
    EXPECT_FALSE(host::sd_togglebutton_set_p(row_id("TAVRIN-AUTOTEXT-DIALOG-~A-TB", y)));
  }
  EXPECT_FALSE(find_control("TAVRIN-AUTOTEXT-DIALOG-15-LB"));
  EXPECT_TRUE(host::sd_control_visible_p("TAVRIN-AUTOTEXT-DIALOG"));

  // The line end is not part of the last value; blanks inside a line are.
  auto welle = find_control("TAVRIN-AUTOTEXT-DIALOG-0-TX");
  EXPECT_EQ(welle->range, (std::vector<std::string>{"Welle", "Deckel"}));
  EXPECT_TRUE(welle->editable);
  EXPECT_EQ(find_control("TAVRIN-AUTOTEXT-DIALOG-5-LB")->title, " Maßstab ");
  EXPECT_FALSE(find_control("TAVRIN-AUTOTEXT-DIALOG-5-TX")->editable);
  auto datum = find_control("TAVRIN-AUTOTEXT-DIALOG-10-TX");
  EXPECT_TRUE(datum->has_range);
  EXPECT_TRUE(datum->range.empty());
  // The INFO name rides on a label outside the visible grid.
  auto info = find_control("TAVRIN-AUTOTEXT-DIALOG-10-INFO-LB");
  EXPECT_EQ(info->title, "DATUM");
  EXPECT_GE(info->x * 5, 400);
}

TEST_F(AutotextTest, HeaderOnlyOrMissingFileGivesAnEmptyDialogThatChangesNothing) {
  autotext_file("Bezeichnung|Editierbar|INFO|Werte\n");
  tavrin_autotext_dialog();
  EXPECT_TRUE(g().autotextliste.empty());
  EXPECT_EQ(find_control("TAVRIN-AUTOTEXT-DIALOG-11-GA")->pixel_height, 0);
  EXPECT_FALSE(find_control("TAVRIN-AUTOTEXT-DIALOG-0-LB"));

  fs::remove(install() / "TABELLEN/TavrinAutotext.dat");
  EXPECT_TRUE(tv_load_autotext().empty());
  load_title_block_drawing();
  set_autotext_to_drawing();
  EXPECT_EQ(texts_with("DATUM"), (std::vector<std::string>{"alt DATUM", "alt DATUM"}));
}

TEST_F(AutotextTest, SwitchedOnRowsReachTheDrawingExactlyAndOthersLeaveItAlone) {
  autotext_file("Kopf\nBenennung|T|BENENNUNG|Welle\nDatum|T|DATUM\n");
  load_title_block_drawing();
  tavrin_autotext_dialog();

  host::ui::click_toggle("TAVRIN-AUTOTEXT-DIALOG-0-TB");
  // Quotes and command words in a value must neither end the text nor change the command.
  host::ui::type_text("TAVRIN-AUTOTEXT-DIALOG-0-TX", "  O'Neil END 'x' GLOBAL '' ");
  host::ui::click_toggle("TAVRIN-AUTOTEXT-DIALOG-5-TB");
  host::ui::type_text("TAVRIN-AUTOTEXT-DIALOG-5-TX", "01.02.2026");
  host::ui::click_toggle("TAVRIN-AUTOTEXT-DIALOG-5-TB");  // switched off again
  set_autotext_to_drawing();

  EXPECT_EQ(texts_with("BENENNUNG"),
            (std::vector<std::string>{"O'Neil END 'x' GLOBAL ''", "O'Neil END 'x' GLOBAL ''"}));
  EXPECT_EQ(texts_with("DATUM"), (std::vector<std::string>{"alt DATUM", "alt DATUM"}));
  EXPECT_TRUE(front().output_lines().empty());
  EXPECT_EQ(host::reported_problems(), 0);
}

TEST_F(AutotextTest, SwitchingOnRebuildsFromTheFileAndSwitchingOffHidesTheDialog) {
  autotext_file("Kopf\nBenennung|T|BENENNUNG|Welle\n");
  start(false);
  EXPECT_TRUE(on("AUTOTEXT-AUS-TB"));
  EXPECT_FALSE(host::sd_control_visible_p("TAVRIN-AUTOTEXT-DIALOG"));

  host::ui::click_toggle(id("AUTOTEXT-AN-TB"));
  EXPECT_TRUE(on("AUTOTEXT-AN-TB"));
  EXPECT_FALSE(on("AUTOTEXT-AUS-TB"));
  host::ui::click_toggle("TAVRIN-AUTOTEXT-DIALOG-0-TB");
  EXPECT_TRUE(host::sd_control_visible_p("TAVRIN-AUTOTEXT-DIALOG-0-TX"));

  autotext_file("Kopf\nBenennung|T|BENENNUNG|Welle\nDatum|T|DATUM\n");
  host::ui::click_toggle(id("AUTOTEXT-AUS-TB"));
  EXPECT_FALSE(host::sd_control_visible_p("TAVRIN-AUTOTEXT-DIALOG"));
  EXPECT_FALSE(on("AUTOTEXT-AN-TB"));
  host::ui::click_toggle(id("AUTOTEXT-AN-TB"));
  EXPECT_FALSE(host::sd_togglebutton_set_p("TAVRIN-AUTOTEXT-DIALOG-0-TB"));
  EXPECT_FALSE(host::sd_control_visible_p("TAVRIN-AUTOTEXT-DIALOG-0-TX"));
  EXPECT_TRUE(host::sd_control_visible_p("TAVRIN-AUTOTEXT-DIALOG-5-LB"));

  // Closing the main dialog takes the autotext dialog with it.
  host::ui::close_shell("TAVRIN-DIALOG");
  EXPECT_FALSE(host::sd_control_visible_p("TAVRIN-AUTOTEXT-DIALOG"));
  EXPECT_FALSE(host::sd_control_visible_p("TAVRIN-DIALOG"));
}

}  // namespace
}  // namespace tavrin::testing
