// The INFO field: the marker, the search, placing a new field and editing its lines.
#include <gmock/gmock.h>

#include "history_fixture.h"

namespace tavrin::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST_F(HistoryTest, MarkerIsTheTrimmedFirstLineOrTheStarWhenThereIsNone) {
  write(tabellen("TavrinInfo.dat"), "  NEU-KENNUNG \t\nzweite Zeile\n");
  EXPECT_EQ(get_info_string_from_file(), Value("NEU-KENNUNG"));
  EXPECT_EQ(g().header_info, "NEU-KENNUNG");
  // A file without a first line names no marker: the star, as without a file.
  for (const char* blank : {"", "   \n", "\nAENDERUNGEN\n"}) {
    write(tabellen("TavrinInfo.dat"), blank);
    get_info_string_from_file();
    EXPECT_EQ(g().header_info, "*") << '"' << blank << '"';
  }
  fs::remove(tabellen("TavrinInfo.dat"));
  EXPECT_TRUE(get_info_string_from_file().is_nil());
  EXPECT_EQ(g().header_info, "*");
  EXPECT_THAT(messages(), IsEmpty());
}

TEST_F(HistoryTest, DefaultMarkerTakesAnyTextWithAnAttributeAndTheLastOneWins) {
  fs::remove(tabellen("TavrinInfo.dat"));
  get_info_string_from_file();
  new_drawing();
  host::am_create_text(
      {kw("owner"), kw("current_sheet"), kw("docu-text"), "ohne", Value::point(0, 0)});
  EXPECT_THAT(am_info_findinfo(0), ElementsAre(kw("error"), Value("INFO-Feld nicht gefunden")));
  EXPECT_TRUE(g().info_element.is_nil());
  const Value first = info_text({"irgendwas"});
  const Value second = info_text({"BENENNUNG"}, 50);
  EXPECT_TRUE(found(am_info_findinfo(0)));
  EXPECT_EQ(g().info_element, second);
  (void)first;
}

TEST_F(HistoryTest, MarkerSearchFindsTheLastFieldOfTheCurrentSheetOnly) {
  new_drawing();
  const Value older = info_text({"AENDERUNGEN alt", "A"});
  info_text({"BENENNUNG"}, 30);  // an attribute without the marker is no INFO field
  const Value newer = info_text({"x AENDERUNGEN y"}, 60);
  EXPECT_TRUE(found(am_info_findinfo(0)));
  EXPECT_EQ(g().info_element, newer);
  (void)older;

  // A field on another sheet is not found; mode 0 forgets the last element, mode 1 keeps it.
  host::am_sheet_create({kw("view_scale"), "1:1"});
  info_text({"BENENNUNG"});
  EXPECT_FALSE(found(am_info_findinfo(0)));
  EXPECT_TRUE(g().info_element.is_nil());
  g().info_element = newer;
  host::am_sheet_create({kw("view_scale"), "1:1"});
  EXPECT_FALSE(found(am_info_findinfo(1)));
  EXPECT_EQ(g().info_element, newer);
}

TEST_F(HistoryTest, TextToListKeepsInnerEmptyLinesAndDropsATrailingOne) {
  EXPECT_THAT(text_to_list("a\n\nb\n"), ElementsAre("a", "", "b"));
  EXPECT_THAT(text_to_list("a\r\nb"), ElementsAre("a\r", "b"));
  EXPECT_THAT(text_to_list("\n"), ElementsAre(""));
  EXPECT_THAT(text_to_list(""), IsEmpty());
}

TEST_F(HistoryTest, DuplicateCheckNamesTheLastPairLaterLineFirst) {
  check_doppelte_zeile("A\nB\nA\nB");
  EXPECT_THAT(messages(),
              ElementsAre("Zeile 4 ist identisch mit Zeile 2 und wird nicht eingetragen"));
  EXPECT_THAT(g().zeilenliste, ElementsAre("A", "B", "A", "B"));
  front().clear();
  check_doppelte_zeile("A\nA\nB");
  check_doppelte_zeile("A\nB\nC\n");
  EXPECT_THAT(messages(),
              ElementsAre("Zeile 2 ist identisch mit Zeile 1 und wird nicht eingetragen"));
}

TEST_F(HistoryTest, EditShowsTheStoredHistoryAndReplacesItInTextOrder) {
  new_drawing();
  const Value field = info_text({"AENDERUNGEN", "A erste"});
  edit_history("AENDERUNGEN\nA erste\n\nB zweite\n");
  ASSERT_EQ(front().text_requests().size(), 1u);
  EXPECT_EQ(front().text_requests()[0].title, "Änderungstext");
  EXPECT_EQ(front().text_requests()[0].initial, "AENDERUNGEN\nA erste");
  EXPECT_THAT(lines_of(field), ElementsAre("AENDERUNGEN", "A erste", "", "B zweite"));

  // The editor shows what is stored; giving it back unchanged keeps every line in its place.
  for (int round = 0; round < 2; ++round) {
    front().clear();
    front().set_output(sink_);
    edit_history(std::nullopt);
    ASSERT_EQ(front().text_requests().size(), 1u);
    const std::string shown = *front().text_requests()[0].initial;
    edit_history(shown);
    EXPECT_THAT(lines_of(field), ElementsAre("AENDERUNGEN", "A erste", "", "B zweite"));
  }
  EXPECT_FALSE(host::active_dialog());
  EXPECT_THAT(messages(), IsEmpty());
}

TEST_F(HistoryTest, EditRefusesWithoutFieldOrMarkerAndStoresNothing) {
  new_drawing();
  edit_history("AENDERUNGEN\nneu");
  EXPECT_THAT(messages(), ElementsAre("INFO-Feld nicht gefunden"));
  EXPECT_THAT(front().text_requests(), IsEmpty());

  front().clear();
  const Value field = info_text({"AENDERUNGEN", "A"});
  edit_history("kein Kennzeichen\nB");
  EXPECT_THAT(messages(), ElementsAre("Kennzeichen für den HEADER fehlt"));
  EXPECT_THAT(lines_of(field), ElementsAre("AENDERUNGEN", "A"));

  // A cancelled editor ends the command without a change.
  edit_history(std::nullopt);
  EXPECT_FALSE(host::active_dialog());
  EXPECT_THAT(lines_of(field), ElementsAre("AENDERUNGEN", "A"));
}

TEST_F(HistoryTest, EditWarnsAboutRepeatedLinesButStoresTheText) {
  new_drawing();
  const Value field = info_text({"AENDERUNGEN"});
  edit_history("AENDERUNGEN\nA\nB\nA\nB\n");
  EXPECT_THAT(messages(),
              ElementsAre("Zeile 5 ist identisch mit Zeile 3 und wird nicht eingetragen"));
  // The store holds a repeated line once, as the warning says.
  EXPECT_THAT(lines_of(field), ElementsAre("AENDERUNGEN", "A", "B"));
}

TEST_F(HistoryTest, DropQueuesTheTemplateOnlyWhereNoFieldIsAndADrawingIsLoaded) {
  new_drawing(Value());
  host::sd_call_dialog("TV_INFO_DROP");
  EXPECT_THAT(messages(), ElementsAre("Keine Zeichnung vorhanden"));
  EXPECT_THAT(host::queued_commands(), IsEmpty());

  // A drawing without number is still a drawing once it holds something.
  front().clear();
  host::am_geo_rectangle(
      {kw("owner"), kw("current_sheet"), Value::point(0, 0), Value::point(9, 9)});
  host::sd_call_dialog("TV_INFO_DROP");
  EXPECT_THAT(messages(), IsEmpty());
  EXPECT_EQ(host::queued_commands().size(), 1u);

  host::run_queued_commands();  // no point given: the placement is cancelled
  front().clear();
  new_drawing();
  host::sd_call_dialog("TV_INFO_DROP");
  EXPECT_THAT(messages(), IsEmpty());
  const std::string path = tabellen("INFO.mi").string();
  EXPECT_THAT(
      host::queued_commands(),
      ElementsAre("AM_LOAD_SKETCH :owner :current_sheet :adjust 5 :FILENAME \"" + path + "\""));
  // The queued line asks for the placement point; the template's text is then the field.
  front().queue_point(host::Point2{100, 50});
  host::run_queued_commands();
  ASSERT_EQ(front().point_prompts().size(), 1u);
  ASSERT_TRUE(found(am_info_findinfo(0)));
  EXPECT_THAT(lines_of(g().info_element), ElementsAre("AENDERUNGEN: Index | Datum | Änderungen"));

  host::sd_call_dialog("TV_INFO_DROP");
  EXPECT_THAT(messages(), ElementsAre("Es ist schon ein INFO-Feld vorhanden"));
  EXPECT_THAT(host::queued_commands(), IsEmpty());
}

}  // namespace
}  // namespace tavrin::testing
