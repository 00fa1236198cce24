// The administrator commands: the table files in the editor, the regenerated tables, and the
// INFO template with its marker.
#include <gmock/gmock.h>

#include <functional>

#include "history_fixture.h"
#include "host/formats/mi.h"
#include "host/ui/user_actions.h"

namespace tavrin::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr const char* kFirstLine = "TAVRIN-INFO-DIALOG-INFOTEXT-TX";

std::string lines_text(const List& values) {
  std::string out;
  for (const Value& v : values) out += host::print_text(v) + "\n";
  return out;
}

// The INFO attributes of the template file's texts.
std::vector<std::vector<std::string>> template_attributes(const fs::path& path) {
  std::vector<std::vector<std::string>> out;
  for (const host::Element& e : host::read_mi_sketch_file(path.string()))
    if (!e.info.empty()) out.push_back(e.info);
  return out;
}

// The INFO attributes of the current drawing's elements, sheet by sheet.
std::vector<std::vector<std::string>> drawing_attributes() {
  std::vector<std::vector<std::string>> out;
  for (const host::Sheet& sheet : host::current_drawing().sheets)
    for (const host::Element& e : sheet.elements) out.push_back(e.info);
  return out;
}

TEST_F(HistoryTest, AdminRewritesBothTablesAndDropsTheFormatAssignments) {
  write(tabellen("TavrinPlotter.dat"), "Plotter-A3|A3|A4\nPlotter-A0|A0\n");
  write(tabellen("TavrinPlotSyles.dat"), "Alt\n");
  host::sd_call_dialog("TV-ADMIN-DIALOG");
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_THAT(messages()[0], HasSubstr("\n TavrinPlotter.dat\nTavrinPlotSyles.dat\n"));
  EXPECT_EQ(read(tabellen("TavrinPlotter.dat")), lines_text(host::sd_inq_printers()));
  EXPECT_THAT(read(tabellen("TavrinPlotter.dat")), Not(HasSubstr("|")));
  List styles;
  for (const Value& entry :
       host::sd_get_setting_styles_range_list("Annotation/Plot/PensTrafoStyle"))
    styles.push_back(entry.as_list().front());
  EXPECT_EQ(read(tabellen("TavrinPlotSyles.dat")), lines_text(styles));
  EXPECT_THAT(read(tabellen("TavrinPlotSyles.dat")), HasSubstr("INFO_DOCU"));
}

TEST_F(HistoryTest, EachTableCommandOpensItsFileInTheEditor) {
  for (int i = 0; i < 4; ++i) front().queue_edit_result(true);
  for (const char* command : {"TV-ADMIN-FORMAT-DIALOG", "TV-ADMIN-PLOTTER-DIALOG",
                              "TV-ADMIN-TRANSFORM-DIALOG", "TV-ADMIN-PLOTTER-FORMAT-NAME-DIALOG"})
    host::sd_call_dialog(command);
  EXPECT_THAT(
      front().edited_files(),
      ElementsAre(tabellen("TavrinFormat.dat").string(), tabellen("TavrinPlotter.dat").string(),
                  tabellen("TavrinPlotSyles.dat").string(),
                  tabellen("TavrinPlotterFormatNames.dat").string()));
  EXPECT_TRUE(tv_admin_edit("TavrinFormat.dat").is_nil());  // no editor answered: nil
}

TEST_F(HistoryTest, StoringTheTemplateWithoutDrawingWritesTemplateAndMarker) {
  new_drawing(Value());
  host::sd_call_dialog("TV-ADMIN-INFO-DIALOG");
  ASSERT_TRUE(host::sd_control_visible_p(kFirstLine));
  EXPECT_EQ(host::sd_get_text_control_value(kFirstLine),
            Value("AENDERUNGEN: Index | Datum | Änderungen"));
  EXPECT_EQ(g().kpl_info_name, Value("1/INFO"));

  host::am_sheet_create({kw("view_scale"), "1:1"});  // the working sheet need not stay current
  host::ui::type_text(kFirstLine, "  REV-HISTORIE  ");
  host::ui::press_button("TAVRIN-INFO-DIALOG-STORE-PB");
  EXPECT_THAT(messages(), IsEmpty());
  // The file holds the field exactly; reading it back trims it.
  EXPECT_EQ(read(tabellen("TavrinInfo.dat")), "  REV-HISTORIE  \n");
  EXPECT_EQ(g().header_info, "REV-HISTORIE");
  EXPECT_THAT(template_attributes(tabellen("INFO.mi")),
              ElementsAre(ElementsAre("  REV-HISTORIE  ")));
  EXPECT_FALSE(host::sd_control_visible_p(kFirstLine));
  // The template was the whole drawing; its sheet is gone again.
  ASSERT_EQ(host::current_drawing().sheets.size(), 1u);
  EXPECT_THAT(host::current_drawing().sheets.at(0).elements, IsEmpty());
}

TEST_F(HistoryTest, CancellingOnALoadedDrawingRemovesOnlyTheWorkingSheet) {
  new_drawing(Value());  // without number, but with content: never replaced by the template
  const Value field = info_text({"AENDERUNGEN", "A"});
  const std::string before = read(tabellen("INFO.mi"));
  host::sd_call_dialog("TV-ADMIN-INFO-DIALOG");
  ASSERT_EQ(host::current_drawing().sheets.size(), 2u);
  EXPECT_EQ(g().kpl_info_name, Value("2/INFO"));
  // Placed at (0, 0) by its centre.
  const auto extent = host::current_drawing().sheets[1].extent();
  ASSERT_TRUE(extent);
  EXPECT_EQ(extent->first.x, -extent->second.x);

  host::ui::close_shell("TAVRIN-INFO-DIALOG");
  EXPECT_EQ(host::current_drawing().sheets.size(), 1u);
  EXPECT_THAT(lines_of(field), ElementsAre("AENDERUNGEN", "A"));
  EXPECT_EQ(read(tabellen("INFO.mi")), before);
  EXPECT_TRUE(g().kpl_info_name.is_nil());
}

TEST_F(HistoryTest, StoringWithoutATemplateTextChangesNoOtherElement) {
  new_drawing();
  const Value field = info_text({"AENDERUNGEN", "A"});
  ASSERT_TRUE(found(am_info_findinfo(0)));  // an earlier search remembered the drawing's field
  fs::remove(tabellen("INFO.mi"));
  const std::string marker = read(tabellen("TavrinInfo.dat"));
  host::sd_call_dialog("TV-ADMIN-INFO-DIALOG");
  ASSERT_EQ(messages().size(), 1u);  // the template could not be loaded
  EXPECT_THAT(messages()[0], HasSubstr("INFO.mi"));
  EXPECT_EQ(host::sd_get_text_control_value(kFirstLine), Value());

  host::ui::type_text(kFirstLine, "NEU");
  host::ui::press_button("TAVRIN-INFO-DIALOG-STORE-PB");
  EXPECT_EQ(messages().back(), "INFO-Feld nicht gefunden");
  EXPECT_THAT(lines_of(field), ElementsAre("AENDERUNGEN", "A"));
  EXPECT_EQ(read(tabellen("TavrinInfo.dat")), marker);
  EXPECT_FALSE(fs::exists(tabellen("INFO.mi")));
  EXPECT_EQ(host::current_drawing().sheets.size(), 1u);
}

TEST_F(HistoryTest, StoringRefusesWhenTheWorkingSheetIsNoLongerInTheDrawing) {
  // Both ways the working sheet can go: another drawing loaded (with a sheet of the same
  // name), or the sheet deleted (its name then no longer found).
  const std::vector<std::pair<const char*, std::function<void()>>> cases = {
      {"another drawing",
       [] {
         new_drawing(Value("0815"));
         host::am_sheet_create({kw("view_scale"), "1:1"});
       }},
      {"sheet deleted",
       [] {
         host::am_sheet_delete({kw("delete_sheet"), "2"});
       }},
  };
  for (const auto& [what, leave] : cases) {
    SCOPED_TRACE(what);
    new_drawing(Value());
    info_text({"AENDERUNGEN", "A"});
    host::sd_call_dialog("TV-ADMIN-INFO-DIALOG");
    ASSERT_EQ(g().kpl_info_name, Value("2/INFO"));
    const std::string template_before = read(tabellen("INFO.mi"));
    const std::string marker = read(tabellen("TavrinInfo.dat"));
    leave();
    info_text({"AENDERUNGEN", "B"});
    const auto fields = drawing_attributes();
    const std::size_t sheets = host::current_drawing().sheets.size();

    host::ui::type_text(kFirstLine, "NEU");
    host::ui::press_button("TAVRIN-INFO-DIALOG-STORE-PB");
    EXPECT_THAT(messages().back(), HasSubstr("nicht mehr vorhanden"));
    EXPECT_EQ(drawing_attributes(), fields);
    EXPECT_EQ(host::current_drawing().sheets.size(), sheets);
    EXPECT_EQ(read(tabellen("INFO.mi")), template_before);
    EXPECT_EQ(read(tabellen("TavrinInfo.dat")), marker);
    EXPECT_FALSE(host::sd_control_visible_p(kFirstLine));
  }
}

}  // namespace
}  // namespace tavrin::testing
