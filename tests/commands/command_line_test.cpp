// Host command lines and their effect on the current drawing.
#include <gmock/gmock.h>

#include "fixture.h"
#include "host/formats/mi.h"
#include "host/value/format.h"
#include "support/expect.h"

namespace tavrin_test {
namespace {

using ::testing::ElementsAre;

host::Value run(const std::string& line) {
  return host::sd_execute_annotator_command({host::kw("cmd"), line});
}

class CommandLineTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    use_drawing({sheet("1", {text("alt", {"BENENNUNG"}), text("bleibt", {"ZEICHNER"}),
                             line({0, 0}, {10, 0})}),
                 sheet("2", {text("alt", {"X", "BENENNUNG"}), text("ohne INFO")})});
  }
  const std::vector<std::string>& lines(std::size_t s, std::size_t e) {
    return sheet_at(s).elements.at(e).text.lines;
  }
};

TEST_F(CommandLineTest, ChangeTextSetsEveryTextCarryingTheInfoOnAllSheets) {
  run(host::format("CHANGE_TEXT '~A' GLOBAL INFOS '~A' END", "Welle", "BENENNUNG"));
  EXPECT_THAT(lines(0, 0), ElementsAre("Welle"));
  EXPECT_THAT(lines(1, 0), ElementsAre("Welle"));
  EXPECT_THAT(lines(0, 1), ElementsAre("bleibt"));
  EXPECT_THAT(lines(1, 1), ElementsAre("ohne INFO"));
  // An empty value is a value like any other; an INFO that no text carries changes nothing.
  run("CHANGE_TEXT '' GLOBAL INFOS 'ZEICHNER' END");
  EXPECT_THAT(lines(0, 1), ElementsAre(""));
  EXPECT_EQ(run("CHANGE_TEXT 'x' GLOBAL INFOS 'FEHLT' END"), host::Value(0));
}

TEST_F(CommandLineTest, QuotedValueWithQuoteAndEndChangesOnlyTheIntendedTexts) {
  const std::string value = "O'Neil END GLOBAL INFOS 'ZEICHNER' END";
  std::string escaped;
  for (char c : value) escaped += c == '\'' ? std::string("''") : std::string(1, c);
  run(host::format("CHANGE_TEXT '~A' GLOBAL INFOS '~A' END", escaped, "BENENNUNG"));
  EXPECT_THAT(lines(0, 0), ElementsAre(value));
  EXPECT_THAT(lines(1, 0), ElementsAre(value));
  EXPECT_THAT(lines(0, 1), ElementsAre("bleibt"));

  // The same value inserted without escaping is refused as a whole: nothing changes.
  EXPECT_THROW_MSG(run(host::format("CHANGE_TEXT '~A' GLOBAL INFOS '~A' END", value, "ZEICHNER")),
                   "CHANGE_TEXT");
  EXPECT_THAT(lines(0, 1), ElementsAre("bleibt"));
}

TEST_F(CommandLineTest, BadLinesAreErrorsNamingTheCommandAndChangeNothing) {
  EXPECT_THROW_MSG(run("CHANGE_TXT 'a' GLOBAL ALL END"), "CHANGE_TXT");
  EXPECT_THROW_MSG(run("change_text 'a' GLOBAL INFOS 'BENENNUNG'"), "CHANGE_TEXT");
  EXPECT_THROW_MSG(run("CHANGE_TEXT 'a GLOBAL INFOS 'BENENNUNG' END"), "CHANGE_TEXT");
  EXPECT_THROW_MSG(
      run("CHANGE_TEXT 'a' GLOBAL INFOS 'BENENNUNG' END CHANGE_TEXT 'b' GLOBAL ALL END"),
      "after the end");
  EXPECT_THROW_MSG(run("CHANGE_TEXT_ADJUST 10 GLOBAL ALL END"), "CHANGE_TEXT_ADJUST");
  EXPECT_THROW_MSG(run("CHANGE_TEXT_SIZE 0 GLOBAL ALL END"), "CHANGE_TEXT_SIZE");
  EXPECT_THROW_MSG(run("CHANGE_COLOR PINK GLOBAL ALL END"), "CHANGE_COLOR");
  EXPECT_THROW_MSG(run("'CHANGE_TEXT'"), "command name");
  EXPECT_THAT(lines(0, 0), ElementsAre("alt"));
}

TEST_F(CommandLineTest, WithoutGlobalOnlyTheCurrentSheetChanges) {
  host::current_drawing().current = 1;
  run("CHANGE_TEXT 'neu' INFOS 'BENENNUNG' END");
  EXPECT_THAT(lines(1, 0), ElementsAre("neu"));
  EXPECT_THAT(lines(0, 0), ElementsAre("alt"));
}

TEST_F(CommandLineTest, TheTwelveRestylingCommandsRestyleTheWholeDrawing) {
  for (const char* restyle :
       {"CHANGE_COLOR CYAN GLOBAL GEO ALL END", "CHANGE_LINETYPE PHANTOM GLOBAL GEO ALL END",
        "ADD_ELEM_INFO 'PP_dummy' GLOBAL GEO ALL END", "CHANGE_TEXT_ADJUST 7 GLOBAL ALL END",
        "CHANGE_TEXT_FONTNAME 'hp_i3098_v' GLOBAL ALL END", "CHANGE_TEXT_ANGLE 0 GLOBAL ALL END",
        "CHANGE_TEXT_FRAME OFF GLOBAL ALL END", "CHANGE_TEXT_LINESPACE 2.2 GLOBAL ALL END",
        "CHANGE_TEXT_RATIO 1 GLOBAL ALL END", "CHANGE_TEXT_SIZE 3.5 GLOBAL ALL END",
        "CHANGE_TEXT_SLANT 0 GLOBAL ALL END", "CHANGE_COLOR WHITE GLOBAL TEXTS ALL END"})
    run(restyle);
  for (const host::Sheet& s : host::current_drawing().sheets) {
    for (const host::Element& e : s.elements) {
      if (e.kind == host::ElementKind::Text) {
        EXPECT_EQ(e.stroke.color, (host::Rgb{1, 1, 1}));
        EXPECT_EQ(e.stroke.linetype, "SOLID");
        EXPECT_EQ(e.text.adjust, 7);
        EXPECT_EQ(e.text.linespace, 2.2);
        EXPECT_EQ(e.text.size, 3.5);
        EXPECT_EQ(e.text.font, "hp_i3098_v");
        EXPECT_FALSE(e.text.frame);
        EXPECT_EQ(std::count(e.info.begin(), e.info.end(), "PP_dummy"), 0);
      } else {
        EXPECT_EQ(e.stroke.color, (host::Rgb{0, 1, 1}));
        EXPECT_EQ(e.stroke.linetype, "PHANTOM");
        EXPECT_EQ(e.info.front(), "PP_dummy");
      }
    }
  }
}

TEST_F(CommandLineTest, TextPropertiesTakeTheirValues) {
  run("CHANGE_TEXT_ANGLE 90 GLOBAL ALL END");
  run("CHANGE_TEXT_SLANT -15.5 GLOBAL ALL END");
  run("CHANGE_TEXT_RATIO 0.8 GLOBAL ALL END");
  run("CHANGE_TEXT_FRAME ON GLOBAL TEXTS INFOS 'BENENNUNG' END");
  const host::TextProps& t = sheet_at(0).elements[0].text;
  EXPECT_EQ(t.angle, 90);
  EXPECT_EQ(t.slant, -15.5);
  EXPECT_EQ(t.ratio, 0.8);
  EXPECT_TRUE(t.frame);
  EXPECT_FALSE(sheet_at(0).elements[1].text.frame);
}

TEST_F(CommandLineTest, LoadSubpartAddsTheFileToTheCurrentSheetAtTheOffset) {
  host::Drawing part;
  part.sheets = {sheet("A", {line({1, 2}, {3, 4}), text("Teil", {"INFO"})}),
                 sheet("B", {line({0, 0}, {5, 5})})};
  const std::string file = path("teil's.mi");
  host::write_file_atomically(file, host::write_mi_text(part));
  std::string quoted;
  for (char c : file) quoted += c == '\'' ? std::string("''") : std::string(1, c);

  run(host::format("LOAD SUBPART'~A' 0,0", quoted));
  auto& elements = sheet_at(0).elements;
  ASSERT_EQ(elements.size(), 6u);
  EXPECT_EQ(elements[3].points, (std::vector<host::Vec2>{{1, 2}, {3, 4}}));
  EXPECT_THAT(elements[4].info, ElementsAre("INFO"));
  EXPECT_NE(elements[3].id, part.sheets[0].elements[0].id);

  run(host::format("LOAD SUBPART'~A' 10,-2.5", quoted));
  EXPECT_EQ(elements[6].points, (std::vector<host::Vec2>{{11, -0.5}, {13, 1.5}}));
}

TEST_F(CommandLineTest, LoadSubpartOfABadFileIsAnErrorNamingTheFileAndAddsNothing) {
  host::write_file_atomically(path("kaputt.mi"), "not a drawing\n");
  EXPECT_THROW_MSG(run(host::format("LOAD SUBPART'~A' 0,0", path("kaputt.mi"))), "kaputt.mi");
  EXPECT_THROW_MSG(run(host::format("LOAD SUBPART'~A' 0,0", path("fehlt.mi"))), "fehlt.mi");
  EXPECT_EQ(sheet_at(0).elements.size(), 3u);
}

TEST_F(CommandLineTest, QueuedCreateDrawingLinesLeaveAnEmptyDrawing) {
  for (const char* queued :
       {"am_create_drawing  :YES  :owner  :drawing_type  :2D_PROCESS   cancel",
        "am_create_drawing  :YES  :owner  :drawing_type  :2D_PROCESS cancel"}) {
    use_drawing({sheet("1", {line({0, 0}, {1, 1})})});
    host::sd_put_buffer(queued);
    host::run_queued_commands();
    EXPECT_TRUE(front_.messages().empty()) << front_.messages().front();
    EXPECT_FALSE(host::current_drawing().number.has_value());
    ASSERT_EQ(host::current_drawing().sheets.size(), 1u);
    EXPECT_TRUE(host::current_drawing().sheets[0].elements.empty());
  }
  EXPECT_THROW_MSG(run("am_create_drawing :YES cancel :YES"), "AM_CREATE_DRAWING");
}

TEST_F(CommandLineTest, LoadSketchTakesThePointFromThePointInput) {
  host::Drawing sketch;
  sketch.sheets = {sheet("1", {line({0, 0}, {20, 10}), text("*", {"*"})})};
  const std::string file = path("INFO.mi");
  host::write_file_atomically(file, host::write_mi_text(sketch));
  front_.queue_point(host::Point2{100, 50});
  run(host::format("AM_LOAD_SKETCH :owner :current_sheet :adjust 5 :FILENAME ~S", file));
  ASSERT_EQ(front_.point_prompts().size(), 1u);
  ASSERT_EQ(sheet_at(0).elements.size(), 5u);
  // Adjust point 5 is the centre of the sketch's extent, placed on the given point.
  EXPECT_EQ(sheet_at(0).elements[3].points, (std::vector<host::Vec2>{{90, 45}, {110, 55}}));
}

}  // namespace
}  // namespace tavrin_test
