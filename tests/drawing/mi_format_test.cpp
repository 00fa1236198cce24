// The .mi format: exact round trips of everything the model holds, and one clear error for
// every kind of bad input.
#include <clocale>
#include <cmath>
#include <limits>
#include <locale>
#include <memory>

#include "drawing_fixture.h"
#include "host/api/files.h"
#include "host/drawing/store.h"
#include "host/formats/mi.h"
#include "host/formats/registry.h"
#include "support/expect.h"

namespace {

using host::Element;
using host::ElementKind;
using tavrin_test::error_of;
using namespace std::string_literals;

Element element(ElementKind kind, std::vector<host::Vec2> points) {
  Element e;
  e.kind = kind;
  e.points = std::move(points);
  return e;
}

// Every kind, every property away from its default, and numbers that a careless writer loses.
host::Drawing full_drawing() {
  host::Drawing d;
  d.number = "4711 A";
  d.drawing_type = "NO_PROCESS";
  d.current = 1;
  host::Sheet s1;
  s1.name = "1";
  s1.unique_name = "1";
  s1.scale = "1:2";
  s1.frame_type = "A3";
  Element line = element(ElementKind::Line, {{0.1, 1.0 / 3}, {-0.0, 1e-300}});
  line.stroke = {{0.2, 0.4, 1.0 / 7}, "DASH_CENTER", 0.35, {2.5, -0.1, 0, -1.0 / 3}};
  Element poly = element(ElementKind::Polyline, {{0, 0}, {10, 0}, {10, 10}});
  poly.bulges = {0.41421356237309503, -1};
  poly.closed = true;
  poly.sketch = "INFO";
  Element rect =
      element(ElementKind::Rectangle, {{std::numeric_limits<double>::max(), 5}, {4.9e-324, -7}});
  Element circle = element(ElementKind::Circle, {{5, 5}});
  circle.radius = 2.5;
  Element arc = element(ElementKind::Arc, {{1, 2}});
  arc.radius = 3;
  arc.start_angle = 350;
  arc.end_angle = 10.125;
  Element text = element(ElementKind::Text, {{5, -5}});
  text.text = {{"Zeile mit \"Anführung\" und \\", "", "Tab\tund\x01Steuerzeichen", "Ä\xff roh"},
               2.5,
               30,
               7,
               "iso 3098",
               0.8,
               15,
               2.2,
               true};
  text.info = {"zuletzt", "AENDERUNGEN: Änderungen", "zuletzt"};  // stored order, repeats kept
  text.sketch = "INFO";
  Element fill = element(ElementKind::Fill, {{0, 0}, {9, 0}, {0, 9}, {1, 1}, {2, 1}, {1, 2}});
  fill.rings = {3, 3};
  fill.stroke.color = {0.5, 0, 0};
  Element mask = element(ElementKind::Mask, {{0, 0}, {1, 0}, {1, 1}});
  mask.rings = {3};
  Element point = element(ElementKind::Point, {{-1.5, 2.25}});
  point.info = {"PUNKT"};
  Element image = element(ElementKind::Image, {{0, 0}, {64, 0}, {0, 48}});
  image.source = "/pläne/\"bild\".png";
  Element cut = image;  // cut to a triangle
  cut.points.insert(cut.points.end(), {{8, 8}, {56, 8}, {32, 40}});
  Element rich = element(ElementKind::Text, {{1, 2}});
  rich.text.formatted = "{\\H2x;\\fArial|b1;Titel}\\P\"zwei\" \\S1/2;";
  rich.text.lines = {"Titel", "\"zwei\" 1/2"};
  rich.text.wrap_width = 42.5;
  rich.text.background = 1;
  rich.text.background_color = {0.1, 0.2, 0.3};
  rich.text.background_margin = 1.25;
  rich.text.backward = true;
  rich.text.upside_down = true;
  rich.text.fit_width = 12.5;
  rich.text.fit_scales_height = true;
  rich.text.column_count = 3;
  rich.text.column_gutter = 2.5;
  rich.text.column_heights = {10, 0};
  for (auto* e :
       {&line, &poly, &rect, &circle, &arc, &text, &rich, &fill, &mask, &point, &image, &cut})
    s1.elements.push_back(*e);
  host::Sheet s2;
  s2.name = "Blatt 2";
  s2.unique_name = "7";
  // views: two sharing their content, a third with content of its own (and one empty)
  auto content = std::make_shared<std::vector<Element>>(s1.elements);
  Element view = element(ElementKind::Group, {{0, 0}, {80, 0}, {80, 60}, {0, 60}});
  view.group =
      std::make_shared<host::Group>(host::Group{{0.5, -1e-17, 1e-17, 0.5, 100, 1.0 / 3}, content});
  view.info = {"Ansicht"};
  Element twin = view;
  twin.group = std::make_shared<host::Group>(host::Group{{0, -1, 1, 0, -7, 8}, content, false});
  Element own = element(ElementKind::Group, {{0, 0}, {10, 0}, {5, 9}});
  own.group = std::make_shared<host::Group>(
      host::Group{{}, std::make_shared<std::vector<Element>>(std::vector{circle, text})});
  Element empty = own;
  empty.group = std::make_shared<host::Group>(host::Group{{}, nullptr});
  s2.elements = {view, twin, line, own, empty};
  d.sheets = {s1, s2};
  return d;
}

void expect_same(const host::Drawing& a, const host::Drawing& b) {
  EXPECT_EQ(a.number, b.number);
  EXPECT_EQ(a.drawing_type, b.drawing_type);
  EXPECT_EQ(a.current, b.current);
  ASSERT_EQ(a.sheets.size(), b.sheets.size());
  for (std::size_t i = 0; i < a.sheets.size(); ++i) {
    EXPECT_EQ(a.sheets[i].name, b.sheets[i].name);
    EXPECT_EQ(a.sheets[i].unique_name, b.sheets[i].unique_name);
    EXPECT_EQ(a.sheets[i].scale, b.sheets[i].scale);
    EXPECT_EQ(a.sheets[i].frame_type, b.sheets[i].frame_type);
    ASSERT_EQ(a.sheets[i].elements.size(), b.sheets[i].elements.size());
    for (std::size_t j = 0; j < a.sheets[i].elements.size(); ++j)
      EXPECT_TRUE(a.sheets[i].elements[j].same_content(b.sheets[i].elements[j]))
          << "sheet " << i << " element " << j;
  }
}

// Decimal commas in the process locale must not reach the file or the reader.
class CommaLocale : public std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
};

using MiFormat = tavrin_test::DrawingTest;

TEST_F(MiFormat, EveryKindAndPropertyRoundTripsExactly) {
  const host::Drawing d = full_drawing();
  const std::string text = host::write_mi_text(d);
  const host::Drawing back = host::read_mi_text(text, "full.mi");
  expect_same(d, back);
  EXPECT_EQ(host::write_mi_text(back), text);
  EXPECT_TRUE(std::signbit(back.sheets[0].elements[0].points[1].x));
  const auto& views = back.sheets[1].elements;
  EXPECT_EQ(views[0].group->elements, views[1].group->elements) << "shared content stays shared";
  EXPECT_NE(views[0].group->elements, views[3].group->elements);
}

TEST_F(MiFormat, NumbersIgnoreTheProcessLocale) {
  const std::locale old = std::locale::global(std::locale(std::locale::classic(), new CommaLocale));
  const bool c_locale = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  const host::Drawing d = full_drawing();
  const std::string text = host::write_mi_text(d);
  const host::Drawing back = host::read_mi_text(text, "full.mi");
  std::setlocale(LC_NUMERIC, "C");
  std::locale::global(old);
  expect_same(d, back);
  EXPECT_NE(text.find(" 0.1 "), std::string::npos) << "C locale: " << c_locale;
}

TEST_F(MiFormat, SheetAndSketchFilesHoldTheirPart) {
  host::Drawing d = full_drawing();
  const host::Drawing sheet = host::read_mi_text(host::write_mi_sheet_text(d, d.sheets[1]), "s.mi");
  ASSERT_EQ(sheet.sheets.size(), 1u);
  EXPECT_EQ(sheet.sheets[0].name, "Blatt 2");
  EXPECT_EQ(sheet.number, d.number);
  EXPECT_EQ(sheet.current, 0u);

  const std::string file = write("INFO.mi", host::write_mi_sketch_text(d.sheets[0].elements));
  const auto elements = host::read_mi_sketch_file(file);
  ASSERT_EQ(elements.size(), d.sheets[0].elements.size());
  EXPECT_TRUE(elements[5].same_content(d.sheets[0].elements[5]));
}

TEST_F(MiFormat, HandWrittenFilesWithCommentsCrlfAndBomRead) {
  const auto d = host::read_mi_text(
      "\xEF\xBB\xBF# comment\r\ntavrin-mi 1\r\n\r\n  drawing ~ \"2D_PROCESS\" 0\r\n"
      "sheet \"1\" \"1\" \"1:1\" \"\"\r\n# a line\r\n\tline 1 1 1 \"SOLID\"  0.5 2 0 0 10.0 1e1 "
      "\"\" 0\r\nend\r\n",
      "hand.mi");
  EXPECT_FALSE(d.number.has_value());
  ASSERT_EQ(d.sheets[0].elements.size(), 1u);
  EXPECT_EQ(d.sheets[0].elements[0].points[1], (host::Vec2{10, 10}));
}

TEST_F(MiFormat, TheReferenceExampleReads) {
  const std::string doc = host::read_file(std::string(TAVRIN_SOURCE_DIR) + "/docs/mi-format.md");
  const auto start = doc.find("```\n") + 4;
  const host::Drawing d =
      host::read_mi_text(doc.substr(start, doc.find("```", start) - start), "mi-format.md");
  ASSERT_EQ(d.sheets.size(), 2u);
  EXPECT_EQ(d.sheets[0].elements.at(1).info, (std::vector<std::string>{"BENENNUNG"}));
}

TEST_F(MiFormat, BadInputGivesOneErrorNamingFileAndLine) {
  const std::string head =
      "tavrin-mi 1\ndrawing ~ \"2D_PROCESS\" 0\nsheet \"1\" \"1\" \"1:1\" \"\"\n";
  const std::string line = "line 1 1 1 \"SOLID\" 0 2 0 0 10 10 \"\" 0\n";
  const std::string head2 = "tavrin-mi 2" + head.substr(11);
  const struct {
    std::string text, message;
  } cases[] = {
      {"", "bad.mi:1: the file is empty"},
      {"\x7f"
       "ELF\x02\x01\x01\0\0\0binary"s,
       "bad.mi:1: not a tavrin drawing file (the header \"tavrin-mi\" is missing)"},
      {"tavrin-mi 4\n", "bad.mi:1: unsupported version 4 (this host reads versions 1 to 3)"},
      {head + "group 1 1 1 \"S\" 0 3 0 0 1 0 0 1 1 0 0 1 0 0 0 \"\" 0\nend\n",
       "bad.mi:4: a group in a version 1 file"},
      {head2 + "group 1 1 1 \"S\" 0 3 0 0 1 0 0 1 1 0 0 1 0 0 2 \"\" 0\n  " + line + "end\n",
       "bad.mi:4: the group lacks 1 of its 2 content records"},
      {head2 + "group 1 1 1 \"S\" 0 3 0 0 1 0 0 1 1 0 0 1 0 0 = \"\" 0\nend\n",
       "bad.mi:4: \"=\" for the content of a group, but no group before it"},
      {head2 + "group 1 1 1 \"S\" 0 3 0 0 1 0 0 1 1 0 0 1 0 0 1 \"\" 0\n" +
           "group 1 1 1 \"S\" 0 3 0 0 1 0 0 1 1 0 0 1 0 0 0 \"\" 0\nend\n",
       "bad.mi:5: a group inside a group"},
      {head2 + "group 1 1 1 \"S\" 0 2 0 0 1 0 1 0 0 1 0 0 0 \"\" 0\nend\n",
       "bad.mi:4: a group that needs at least 3 points (its outline)"},
      {head2 + "line 1 1 1 \"SOLID\" 0 2 0 0 1 1 wrap 3 \"\" 0\nend\n",
       "bad.mi:4: unknown field \"wrap\" for a line"},
      {head2 +
           "text 1 1 1 \"S\" 0 1 0 0 3.5 0 1 \"f\" 1 0 1.6 0 0 background 3 0 0 0 1 \"\" 0\nend\n",
       "bad.mi:4: bad background kind \"3\""},
      {head2 + "line 1 1 1 \"SOLID\" 0 2 0 0 1 1 dashes 2 1 \"\" 0\nend\n",
       "bad.mi:4: bad number \"\"\"\" for dash length"},
      {head + "line 1 1 1 \"SOLID\" 0 2 0 0 1 1 dashes 2 1 -1 \"\" 0\nend\n",
       "bad.mi:4: a named field in a version 1 file"},
      {"tavrin-mi 1\n", "bad.mi:1: the file ends after its header (truncated)"},
      {head + line, "bad.mi:4: the file ends without \"end\" (truncated)"},
      {head + "line 1 1 1 \"SOLID\" 0 2 0 0 10", "bad.mi:4: line ends before y"},
      {head + "line 1 1 1 \"SOLID\" 0 2 0 0 1,5 10 \"\" 0\nend\n",
       "bad.mi:4: bad number \"1,5\" for x"},
      {head + "line 1 1 1 \"SOLID\" 0 2 0 0 nan 10 \"\" 0\nend\n",
       "bad.mi:4: bad number \"nan\" for x"},
      {head + "lime 1 1 1\nend\n", "bad.mi:4: unknown line kind \"lime\""},
      {head + "line 1 1 1 \"SOLID\" 0 3 0 0 1 1 2 2 \"\" 0\nend\n",
       "bad.mi:4: a line that needs exactly 2 points"},
      {head + "polyline 1 1 1 \"SOLID\" 0 99999999999 0\nend\n",
       "bad.mi:4: bad point count \"99999999999\""},
      {head + "text 1 1 1 \"S\" 0 1 0 0 3.5 0 0 \"f\" 1 0 1.6 0 0 \"\" 0\nend\n",
       "bad.mi:4: bad adjust point \"0\""},
      {head + "text 1 1 1 \"S\" 0 1 0 0 3.5 0 1 \"f\" 1 0 1.6 0 1 \"a\\q\" \"\" 0\nend\n",
       "bad.mi:4: unknown escape \\q in a text line"},
      {head + "text 1 1 1 \"S\" 0 1 0 0 3.5 0 1 \"f\" 1 0 1.6 0 1 \"\xC3(\" \"\" 0\nend\n",
       "bad.mi:4: invalid UTF-8 in a text line"},
      {head + "sheet \"1\" \"2\" \"1:1\" \"\"\nend\n", "bad.mi:4: a second sheet named \"1\""},
      {head2 + "fill 1 1 1 \"S\" 0 4 0 0 1 0 1 1 0 1 1 3 \"\" 0\nend\n",
       "bad.mi:4: a fill that has rings that do not add up to its points"},
      {head2 + "mask 1 1 1 \"S\" 0 2 0 0 1 1 1 2 \"\" 0\nend\n",
       "bad.mi:4: a mask that has a ring of fewer than 3 points"},
      {head2 + "point 1 1 1 \"S\" 0 0 \"\" 0\nend\n",
       "bad.mi:4: a point that needs exactly 1 point"},
      {head2 + "image 1 1 1 \"S\" 0 4 0 0 1 0 0 1 1 1 \"b.png\" \"\" 0\nend\n",
       "bad.mi:4: an image that needs 3 points (lower left, lower right, upper left), then none "
       "or at least 3 (its clipping boundary)"},
      {head + "end\nline\n", "bad.mi:5: text after \"end\""},
      {"tavrin-mi 1\ndrawing ~ \"X\" 3\n" + line + "end\n",
       "bad.mi:3: an element before the first sheet"},
      {"tavrin-mi 1\ndrawing ~ \"X\" 3\nsheet \"1\" \"1\" \"1:1\" \"\"\nend\n",
       "bad.mi:2: the current sheet 3 does not exist"},
  };
  for (const auto& c : cases) {
    const std::string message = error_of([&] { host::read_mi_text(c.text, "bad.mi"); });
    EXPECT_EQ(message.substr(0, message.find('\n')), c.message) << c.text;
  }
  // Below the message stand the offending line and a caret under the place.
  EXPECT_EQ(error_of([&] {
              host::read_mi_text(head + "line 1 1 1 \"SOLID\" 0 2 0 0 1,5 10 \"\" 0\nend\n",
                                 "bad.mi");
            }),
            "bad.mi:4: bad number \"1,5\" for x\n"
            "line 1 1 1 \"SOLID\" 0 2 0 0 1,5 10 \"\" 0\n" +
                std::string(27, ' ') + "^");
  EXPECT_EQ(error_of([&] { host::read_mi_text(head + "\tlime 1 1 1\nend\n", "bad.mi"); }),
            "bad.mi:4: unknown line kind \"lime\"\n\tlime 1 1 1\n\t^");
}

TEST_F(MiFormat, FileErrorsNameThePath) {
  const std::string missing = path("fehlt.mi");
  EXPECT_THROW_MSG(host::read_mi_file(missing), missing);
  const std::string garbled = write("kaputt.mi", "tavrin-mi 1\ndrawing ~ \"X\" 0\nsheet \"1\"\n");
  EXPECT_EQ(error_of([&] { host::read_mi_file(garbled); }),
            garbled + ":3: line ends before the unique sheet name\nsheet \"1\"\n         ^");
}

TEST_F(MiFormat, WriterRefusesWhatItCouldNotReadBack) {
  host::Drawing d = full_drawing();
  d.sheets[0].elements[0].points[0].x = std::numeric_limits<double>::infinity();
  EXPECT_NE(error_of([&] { host::write_mi_text(d); }), "no error");
  d = full_drawing();
  d.sheets[0].elements[3].radius = -1;
  EXPECT_EQ(error_of([&] { host::write_mi_text(d); }),
            "Cannot write a circle that has a negative radius");
  EXPECT_NE(error_of([] { host::write_mi_text(host::Drawing{}); }), "no error");
}

TEST_F(MiFormat, ExamplesLoad) {
  const auto flansch = host::read_drawing_file(example("flansch.mi"));
  EXPECT_EQ(flansch.number, "4711 A");
  ASSERT_EQ(flansch.sheets.size(), 3u);
  EXPECT_EQ(flansch.sheets[2].name, "Deckblatt");
  const auto extent = flansch.sheets[0].extent();
  ASSERT_TRUE(extent);
  EXPECT_EQ(extent->second, (host::Vec2{400, 280}));
  bool history = false;
  for (const auto& e : flansch.sheets[0].elements)
    history =
        history || (!e.info.empty() && e.info.back().find("AENDERUNGEN") != std::string::npos);
  EXPECT_TRUE(history) << "the change history is the first INFO attribute added";
  EXPECT_FALSE(host::read_drawing_file(example("platte.mi")).number.has_value());
  EXPECT_EQ(host::read_drawing_file(example("baugruppe.bdl")).number, "4712");
  EXPECT_THROW_MSG(host::read_drawing_file(example("leer.mi")), "leer.mi: the file is empty");
}

}  // namespace
