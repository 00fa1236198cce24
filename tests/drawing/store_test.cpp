// The drawing store and loading by file type, bundles included.
#include "host/drawing/store.h"

#include <filesystem>

#include "drawing_fixture.h"
#include "host/api/drawing_ops.h"
#include "host/api/files.h"
#include "host/formats/mi.h"
#include "host/formats/registry.h"
#include "support/expect.h"

namespace {

using host::kw;
using host::List;
using tavrin_test::error_of;

class Store : public tavrin_test::DrawingTest {
 protected:
  static std::string fixture(const std::string& name) {
    return std::string(TAVRIN_SOURCE_DIR) + "/tests/drawing/data/" + name;
  }
};

TEST_F(Store, StartsAndResetsToAnEmptyDrawing) {
  host::current_drawing().number = "X";
  host::current_drawing().sheets.emplace_back();
  host::reset_host();
  const host::Drawing& d = host::current_drawing();
  EXPECT_FALSE(d.number);
  ASSERT_EQ(d.sheets.size(), 1u);
  EXPECT_EQ(d.sheets[0].name, "1");
  EXPECT_TRUE(d.sheets[0].elements.empty());
  EXPECT_TRUE(host::sd_am_inq_drawing_no().is_nil());
}

TEST_F(Store, FileTypeProblemsNameTheFile) {
  const std::string missing = path("fehlt.mi");
  EXPECT_EQ(error_of([&] { host::read_drawing_file(missing); }),
            "Cannot load " + missing + ": the file does not exist");
  const std::string empty = write("leer.MI", "");
  EXPECT_EQ(error_of([&] { host::read_drawing_file(empty); }),
            "Cannot load " + empty + ": the file is empty");
  const std::string other = write("bild.png", "PNG");
  EXPECT_EQ(error_of([&] { host::read_drawing_file(other); }),
            "Cannot load " + other + ": unknown drawing file type (expected .mi, .dxf, .dwg or .bdl)");
  EXPECT_EQ(error_of([&] { host::read_drawing_file(dir_.string()); }),
            "Cannot load " + dir_.string() + ": it is not a file");
  // The extension is compared without regard to case.
  const std::string upper = write("GROSS.MI", host::write_mi_text(host::empty_drawing()));
  EXPECT_EQ(host::read_drawing_file(upper).sheets.size(), 1u);
}

TEST_F(Store, BundlesGiveTheirDrawingOrOneClearError) {
  const host::Drawing d = host::read_drawing_file(example("baugruppe.bdl"));
  EXPECT_EQ(d.number, "4712");
  EXPECT_EQ(d.sheets.at(0).scale, "1:2");

  const std::string none = fixture("ohne_zeichnung.bdl");
  EXPECT_EQ(error_of([&] { host::read_drawing_file(none); }),
            "Cannot load " + none + ": the bundle holds no drawing (.mi or .dxf)");
  const std::string broken = fixture("kaputt.bdl");
  EXPECT_EQ(error_of([&] { host::read_drawing_file(broken); }),
            broken +
                "(kaputt.mi):4: bad number \"x\" for x\nline 1 1 1 \"SOLID\" 0 2 0 0 x 1 \"\" 0\n" +
                std::string(27, ' ') + "^");
  const std::string garbage = write("muell.bdl", std::string(4096, '\x55'));
  EXPECT_THROW_MSG(host::read_drawing_file(garbage),
                   "Cannot load " + garbage + ": not a readable bundle");
}

TEST_F(Store, FailedLoadsLeaveTheCurrentDrawingAlone) {
  ASSERT_TRUE(host::am_load_drawing({kw("filename"), example("flansch.mi")}).truthy());
  const std::uint64_t id = host::current_drawing().id;
  const std::string truncated =
      write("halb.mi", host::read_file(example("flansch.mi")).substr(0, 900));
  for (const std::string& bad : {truncated, fixture("ohne_zeichnung.bdl"), example("leer.mi")}) {
    EXPECT_THROW(host::am_load_drawing({kw("filename"), bad}), host::Error) << bad;
    EXPECT_THROW(host::am_load_bundle({kw("load-drawing"), kw("on"), kw("fname"), bad}),
                 host::Error)
        << bad;
  }
  EXPECT_EQ(host::current_drawing().id, id);
  EXPECT_EQ(host::sd_am_inq_drawing_no(), host::Value("4711 A"));
}

TEST_F(Store, ElementLookupSurvivesEditsOfTheDrawing) {
  host::am_load_drawing({kw("filename"), example("flansch.mi")});
  auto& sheets = host::current_drawing().sheets;
  const std::uint64_t last = sheets[1].elements.back().id;
  ASSERT_NE(host::find_element(last), nullptr);
  EXPECT_EQ(host::sheet_of_element(last), &sheets[1]);
  // Someone else removes an element in front of it: the lookup must still find the right one.
  sheets[1].elements.erase(sheets[1].elements.begin());
  ASSERT_NE(host::find_element(last), nullptr);
  EXPECT_EQ(host::find_element(last)->id, last);
  sheets[1].elements.pop_back();
  EXPECT_EQ(host::find_element(last), nullptr);
}

TEST_F(Store, ReplacedDrawingsGetSheetsAndUniqueIds) {
  host::Drawing d;
  host::Sheet s;
  s.name = "A";
  s.elements.resize(3);  // ids all 0, as a reader that knows no ids leaves them
  d.sheets = {s};
  d.current = 5;
  host::replace_current_drawing(d);
  const auto& e = host::current_drawing().sheets[0].elements;
  EXPECT_NE(e[0].id, 0u);
  EXPECT_NE(e[0].id, e[1].id);
  EXPECT_NE(e[1].id, e[2].id);
  EXPECT_EQ(host::current_drawing().current, 0u);
  host::replace_current_drawing(host::Drawing{});
  EXPECT_EQ(host::current_drawing().sheets.size(), 1u);
}

}  // namespace
