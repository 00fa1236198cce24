// The drawing operations with their keyword arguments exactly as the module passes them.
#include <filesystem>
#include <functional>

#include "drawing_fixture.h"
#include "host/api/drawing_ops.h"
#include "host/api/files.h"
#include "host/drawing/store.h"
#include "host/formats/mi.h"
#include "host/ui/frontend.h"
#include "host/ui/headless.h"
#include "support/expect.h"

namespace {

using host::kw;
using host::List;
using host::Value;
using tavrin_test::error_of;

class Ops : public tavrin_test::DrawingTest {
 protected:
  void SetUp() override {
    DrawingTest::SetUp();
    old_cwd_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    host::ui::set_front_end(&front_);
  }
  void TearDown() override {
    host::ui::set_front_end(nullptr);
    std::filesystem::current_path(old_cwd_);
    DrawingTest::TearDown();
  }
  static List sheet_record() { return host::sd_am_inq_sheet(host::sd_am_inq_curr_sheet()); }
  static Value text_at(double x, double y, const std::string& text) {
    return host::am_create_text({kw("owner"), kw("current_sheet"), kw("docu-text"), text,
                                 kw("style"), kw("standard"), Value::point(x, y)});
  }

  std::filesystem::path old_cwd_;
  host::ui::HeadlessFrontEnd front_;
};

TEST_F(Ops, CreateDrawingTakesItsKeywordsInAnyCombination) {
  host::am_create_drawing({kw("yes"), kw("drawing_type"), kw("no_process"), kw("dwg_number"),
                           "/tmp/x/4711", kw("frame_type"), "KEIN", kw("view_scale"), "1:1"});
  EXPECT_EQ(host::sd_am_inq_drawing_no(), Value("/tmp/x/4711"));
  EXPECT_EQ(host::current_drawing().drawing_type, "NO_PROCESS");
  EXPECT_EQ(sheet_record(), (List{"1", "1", "1:1", "KEIN"}));
  // The queued form: :owner without a value, then the type.
  host::am_create_drawing({kw("YES"), kw("owner"), kw("drawing_type"), kw("2D_PROCESS")});
  EXPECT_TRUE(host::sd_am_inq_drawing_no().is_nil());
  EXPECT_EQ(host::current_drawing().drawing_type, "2D_PROCESS");
  EXPECT_EQ(host::sd_am_inq_all_sheets().size(), 1u);
}

TEST_F(Ops, SheetsAreCreatedSwitchedAndDeletedByName) {
  host::am_create_drawing({kw("yes")});
  const Value second = host::am_sheet_create({kw("scale"), "1:1", kw("frame_type"), "KEIN"});
  EXPECT_EQ(host::sd_am_inq_curr_sheet(), second);
  EXPECT_EQ(sheet_record(), (List{"2", "2", "1:1", "KEIN"}));
  host::am_sheet_create({kw("frame-type"), "A4", kw("view_scale"), "2:1"});
  EXPECT_EQ(sheet_record(), (List{"3", "3", "2:1", "A4"}));

  host::am_sheet_delete({kw("delete_sheet"), "3", kw("yes")});
  EXPECT_EQ(host::sd_am_inq_curr_sheet_name(), "2");
  // Unique names are never handed out twice in one drawing.
  host::am_sheet_create({});
  EXPECT_EQ(host::sd_am_inq_curr_sheet_name(), "3");
  EXPECT_EQ(host::sd_am_inq_unique_name(host::sd_am_inq_curr_sheet()), "4");

  host::am_current_sheet("1");
  EXPECT_EQ(host::sd_am_inq_curr_sheet_name(), "1");
  EXPECT_EQ(error_of([] { host::am_current_sheet("Blatt 9"); }),
            "am_current_sheet: there is no sheet named \"Blatt 9\"");
  EXPECT_EQ(error_of([] {
              host::am_sheet_delete({kw("delete_sheet"), "9"});
            }),
            "am_sheet_delete: there is no sheet named \"9\"");
  EXPECT_THROW(host::sd_am_inq_sheet(Value::handle(host::HandleKind::Sheet, 999999)), host::Error);
}

TEST_F(Ops, DeletingTheLastSheetLeavesAnEmptyOne) {
  host::am_load_any_mi({kw("filename"), example("platte.mi")});
  host::am_sheet_delete({kw("delete_sheet"), host::sd_am_inq_curr_sheet_name()});
  ASSERT_EQ(host::sd_am_inq_all_sheets().size(), 1u);
  EXPECT_EQ(host::sd_am_inq_curr_sheet_name(), "1");
  EXPECT_NE(host::sd_am_inq_unique_name(host::sd_am_inq_curr_sheet()), "1");
  EXPECT_FALSE(host::current_drawing().current_sheet().extent());
}

TEST_F(Ops, RectanglesAndDocuTextsGoOnTheCurrentSheet) {
  host::am_geo_rectangle(
      {kw("owner"), kw("current_sheet"), Value::point(0, 0), Value::point(205, -292)});
  const Value text = text_at(5, -5, "Kopf 1 von 2\nÄnderungsmitteilung\n\nletzte");
  const auto& sheet = host::current_drawing().current_sheet();
  ASSERT_EQ(sheet.elements.size(), 2u);
  EXPECT_EQ(sheet.elements[0].kind, host::ElementKind::Rectangle);
  EXPECT_EQ(sheet.extent()->first, (host::Vec2{0, -292}));
  const host::Element& t = sheet.elements[1];
  EXPECT_EQ(t.text.lines,
            (std::vector<std::string>{"Kopf 1 von 2", "Änderungsmitteilung", "", "letzte"}));
  EXPECT_EQ(t.points[0], (host::Vec2{5, -5}));
  EXPECT_EQ(text, Value::handle(host::HandleKind::Element, t.id));
  EXPECT_THROW(host::am_geo_rectangle({kw("owner"), kw("current_sheet"), Value::point(0, 0)}),
               host::Error);
  EXPECT_THROW(host::am_create_text({kw("owner"), kw("current_sheet"), kw("docu-text"), "x"}),
               host::Error);
}

TEST_F(Ops, InfoAttributesListTheLastAddedFirst) {
  const Value e = text_at(0, 0, "INFO");
  host::sd_am_add_info_attributes({"Änderungen", "A Bohrung", "B Fase"}, e);
  EXPECT_EQ(host::sd_am_inq_info_attributes(e), (List{"B Fase", "A Bohrung", "Änderungen"}));
  // Storing the read-back list reversed gives the same order again.
  List lines = host::sd_am_inq_info_attributes(e);
  std::reverse(lines.begin(), lines.end());
  host::sd_am_delete_all_info_attributes(e);
  EXPECT_TRUE(host::sd_am_inq_info_attributes(e).empty());
  host::sd_am_add_info_attributes(lines, e);
  EXPECT_EQ(host::sd_am_inq_info_attributes(e), (List{"B Fase", "A Bohrung", "Änderungen"}));
  // A repeated line is not entered a second time.
  host::sd_am_add_info_attributes({"A Bohrung", "C neu", "C neu"}, e);
  EXPECT_EQ(host::sd_am_inq_info_attributes(e),
            (List{"C neu", "B Fase", "A Bohrung", "Änderungen"}));
  EXPECT_THROW(host::sd_am_inq_info_attributes(Value::handle(host::HandleKind::Element, 0)),
               host::Error);
}

TEST_F(Ops, SelectionGivesTheDocuTextsOfTheNamedSheet) {
  host::am_load_drawing({kw("filename"), example("flansch.mi")});
  const auto select = [](const std::string& sheet) {
    return host::get_selection({kw("focus_type"), kw("anything"), kw("select"), kw("docu_text"),
                                kw("by_sheet_docu_rest"), sheet});
  };
  const List texts = select("Deckblatt");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(host::find_element(texts[0].handle_id())->text.lines.at(0), "Flansch DN 80");
  for (const Value& t : select("1"))
    EXPECT_EQ(host::find_element(t.handle_id())->kind, host::ElementKind::Text);
  EXPECT_EQ(error_of([&] { select("9"); }), "get_selection: there is no sheet named \"9\"");
}

TEST_F(Ops, SketchesArePlacedByTheirAdjustPointAndSavedBack) {
  // A template whose content spans (0, 0) to (40, 20).
  host::Drawing tmpl = host::empty_drawing();
  host::Element frame;
  frame.kind = host::ElementKind::Rectangle;
  frame.points = {{0, 0}, {40, 20}};
  host::Element text;
  text.kind = host::ElementKind::Text;
  text.points = {{2, 2}};
  text.info = {"Änderungen"};
  tmpl.sheets[0].elements = {frame, text};
  const std::string file = write("INFO.mi", host::write_mi_text(tmpl));

  host::am_load_sketch({kw("owner"), kw("current_sheet"), kw("adjust"), 5, kw("filename"), file,
                        Value::point(100, 100)});
  const auto& elements = host::current_drawing().current_sheet().elements;
  ASSERT_EQ(elements.size(), 2u);
  EXPECT_EQ(elements[0].points, (std::vector<host::Vec2>{{80, 90}, {120, 110}}));
  EXPECT_EQ(elements[1].sketch, "INFO");
  EXPECT_EQ(elements[1].info, (std::vector<std::string>{"Änderungen"}));

  // Without a point the person is asked; cancelling loads nothing.
  front_.queue_point(std::nullopt);
  EXPECT_TRUE(host::am_load_sketch(
                  {kw("owner"), kw("current_sheet"), kw("adjust"), 5, kw("filename"), file})
                  .is_nil());
  EXPECT_EQ(elements.size(), 2u);
  ASSERT_EQ(front_.point_prompts().size(), 1u);

  const std::string saved = path("neu.mi");
  host::am_save_sketch({kw("sketch"), "1/INFO", kw("filename"), saved, kw("overwrite"),
                        kw("filename-incl-path"), Value::t()});
  const auto back = host::read_mi_sketch_file(saved);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_TRUE(back[1].same_content(elements[1]));
  EXPECT_THROW_MSG(host::am_save_sketch({kw("sketch"), "1/INFO", kw("filename"), saved}),
                   "exists already");
  EXPECT_EQ(error_of([&] {
              host::am_save_sketch({kw("sketch"), "1/KOPF", kw("filename"), path("k.mi")});
            }),
            "am_save_sketch: sheet \"1\" has no sketch \"KOPF\"");
  EXPECT_THROW(
      host::am_load_sketch({kw("adjust"), 5, kw("filename"), path("fehlt.mi"), Value::point(0, 0)}),
      host::Error);
}

// While the insertion point is asked for, the person goes on working: new sheets move the
// sheets in memory, another drawing replaces them all. The sketch lands on the sheet it was
// meant for, or is refused when that sheet is gone.
TEST_F(Ops, SketchesSurviveWorkDoneWhileThePointIsAsked) {
  struct Busy : host::ui::HeadlessFrontEnd {
    std::function<void()> meanwhile;
    std::optional<host::Point2> read_point(const std::string&) override {
      meanwhile();
      return host::Point2{10, 10};
    }
  } busy;
  host::ui::set_front_end(&busy);
  const std::string file =
      write("S.mi", host::write_mi_text(host::read_mi_file(example("flansch.mi"))));
  const List sketch{kw("adjust"), 1, kw("filename"), file};
  const std::size_t before = host::current_drawing().current_sheet().elements.size();
  busy.meanwhile = [] {
    for (int i = 0; i < 40; ++i) host::am_sheet_create({});
  };
  host::am_load_sketch(sketch);
  EXPECT_GT(host::current_drawing().sheets.front().elements.size(), before);

  busy.meanwhile = [&] { host::am_load_drawing({kw("filename"), example("flansch.mi")}); };
  EXPECT_THROW_MSG(host::am_load_sketch(sketch), "no longer part");
  host::ui::set_front_end(&front_);
}

TEST_F(Ops, SheetsAreSavedAsMiIntoTheWorkingDirectory) {
  host::am_load_drawing({kw("filename"), example("flansch.mi")});
  const List sheets = host::sd_am_inq_all_sheets();
  host::am_save_sheet_mi(
      {kw("sheet"), sheets[2], kw("overwrite"), kw("filename"), "4711_A_Deckblatt.mi"});
  const host::Drawing back = host::read_mi_file(path("4711_A_Deckblatt.mi"));
  EXPECT_EQ(back.number, "4711 A");
  ASSERT_EQ(back.sheets.size(), 1u);
  EXPECT_EQ(back.sheets[0].name, "Deckblatt");
  EXPECT_EQ(back.sheets[0].elements.size(), host::current_drawing().sheets[2].elements.size());
  EXPECT_THROW_MSG(
      host::am_save_sheet_mi({kw("sheet"), sheets[2], kw("filename"), "4711_A_Deckblatt.mi"}),
      "exists already");
}

TEST_F(Ops, SheetsAreSavedAsDxfAndLoadBack) {
  host::am_load_drawing({kw("filename"), example("flansch.mi")});
  const Value first = host::sd_am_inq_all_sheets().at(0);
  host::am_save_sheet_dxf({kw("sheet"), first, kw("overwrite"), kw("filename"), "4711_A_1.dxf"});
  EXPECT_THROW(host::am_save_sheet_dxf({kw("sheet"), first, kw("filename"), "4711_A_1.dxf"}),
               host::Error);
  host::am_load_drawing({kw("filename"), path("4711_A_1.dxf")});
  const auto extent = host::current_drawing().current_sheet().extent();
  ASSERT_TRUE(extent);
  EXPECT_NEAR(extent->second.x, 400, 1e-6);
  EXPECT_NEAR(extent->second.y, 280, 1e-6);
}

}  // namespace
