// Output names, MI and DXF saves with backups, the PDF of a sheet, and the fallback loader.
#include "engine/output.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <sstream>

#include "engine/plot_style.h"
#include "engine_fixture.h"

namespace tavrin::test {
namespace {

using host::List;
using host::Value;
using ::testing::ElementsAre;

const Selection kAll{0, ">"};

// Width and height in points from pdfinfo's "Page size:  W x H pts" line; -1 when absent.
std::pair<double, double> page_size(const std::string& pdfinfo) {
  const auto at = pdfinfo.find("Page size:");
  if (at == std::string::npos) return {-1, -1};
  const List numbers =
      host::read_all_literals(pdfinfo.substr(at + 10, pdfinfo.find(" pts", at) - at - 10));
  if (numbers.size() != 3) return {-1, -1};
  return {numbers[0].as_double(), numbers[2].as_double()};
}

class OutputTest : public EngineTest {
 protected:
  void two_sheets(std::optional<std::string> number) {
    set_drawing(std::move(number),
                {{"1", {rectangle(0, 0, 400, 280)}}, {"2", {rectangle(0, 0, 210, 297)}}});
  }
  std::vector<std::string> files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_))
      names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  void clear_dir() {
    for (const auto& entry : std::filesystem::directory_iterator(dir_))
      std::filesystem::remove_all(entry.path());
  }
};

TEST_F(OutputTest, OutputNamesStayInsideTheOutputDirectory) {
  set_drawing("4711 A", {{"1", {}}});
  EXPECT_EQ(create_speichername("2"), "4711_A_2");
  EXPECT_EQ(create_speichername("Blatt 2"), "4711_A_Blatt_2");
  set_drawing("../../etc\\x", {{"1", {}}});
  EXPECT_EQ(create_speichername("a/b"), ".._.._etc_x_a_b");
  set_drawing(std::nullopt, {{"1", {}}});
  EXPECT_EQ(create_speichername("2"), "2");
  EXPECT_EQ(create_speichername("Blatt 2"), "Blatt_2");
  EXPECT_EQ(create_speichername(".."), "__");
  EXPECT_EQ(create_speichername("."), "_");
  EXPECT_EQ(create_speichername("..."), "...");
  EXPECT_EQ(create_speichername("/"), "_");

  // A sheet named like a way out of the directory is saved inside it.
  set_drawing(std::nullopt,
              {{"..", {rectangle(0, 0, 10, 10)}}, {"../up", {rectangle(0, 0, 10, 10)}}});
  speichern_alle_blaetter(Value(), kAll, true, true);
  EXPECT_EQ(files(), (std::vector<std::string>{".._up.dxf", ".._up.mi", "__.dxf", "__.mi"}));
  EXPECT_FALSE(std::filesystem::exists(dir_.parent_path() / "up.mi"));
}

TEST_F(OutputTest, ASecondRunKeepsTheEarlierFilesAsBackups) {
  two_sheets("4711");
  EXPECT_TRUE(speichern_alle_blaetter(Value(), kAll, true, true).is_nil());
  EXPECT_EQ(files(),
            (std::vector<std::string>{"4711_1.dxf", "4711_1.mi", "4711_2.dxf", "4711_2.mi"}));
  const std::string first_mi = read("4711_1.mi");
  const std::string first_dxf = read("4711_1.dxf");

  host::current_drawing().sheets[0].elements.push_back(text("Zweiter Lauf", 10, 10));
  speichern_alle_blaetter(Value(), kAll, true, true);
  EXPECT_EQ(files(), (std::vector<std::string>{"4711_1.dxf", "4711_1.dxf.org", "4711_1.mi",
                                               "4711_1.mi.org", "4711_2.dxf", "4711_2.dxf.org",
                                               "4711_2.mi", "4711_2.mi.org"}));
  EXPECT_EQ(read("4711_1.mi.org"), first_mi);
  EXPECT_EQ(read("4711_1.dxf.org"), first_dxf);
  EXPECT_NE(read("4711_1.mi").find("Zweiter Lauf"), std::string::npos);
  EXPECT_EQ(host::reported_problems(), 0);
}

TEST_F(OutputTest, ADrawingIsNeverWrittenBackInTheFormatItCameFrom) {
  struct Case {
    Value file;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases{
      {Value("plan/x.DXF"), {"1.mi"}},
      {Value("x.dxf.Mi"), {"1.dxf"}},
      {Value("x.mi.dxf"), {"1.mi"}},
      {Value("dxf"), {"1.dxf", "1.mi"}},  // shorter than ".dxf": ends in nothing
      {Value(), {"1.dxf", "1.mi"}},       // a current-drawing run without drawing number
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(host::print_literal(c.file));
    clear_dir();
    set_drawing(std::nullopt, {{"1", {rectangle(0, 0, 10, 10)}}});
    speichern_alle_blaetter(c.file, kAll, true, true);
    EXPECT_EQ(files(), c.expected);
  }
}

TEST_F(OutputTest, ALoadedDxfDrawingGetsItsMiAndPdfButNoDxf) {
  const std::string path = (dir_ / "Teil.DXF").string();
  int status = -1;
  run("/usr/bin/python3 -c 'import ezdxf, sys\n"
      "doc = ezdxf.new()\n"
      "doc.header[\"$INSUNITS\"] = 4\n"
      "msp = doc.modelspace()\n"
      "msp.add_lwpolyline([(0, 0), (400, 0), (400, 280), (0, 280)], close=True)\n"
      "doc.saveas(sys.argv[1])' '" +
          path + "'",
      &status);
  ASSERT_EQ(status, 0);
  host::am_load_drawing({host::kw("filename"), path});
  const std::string sheet = sheet_names().at(0);
  speichern_alle_blaetter(Value(path), kAll, true, true);
  create_pdf("Standard", sheet);
  const std::string base = create_speichername(sheet);
  EXPECT_EQ(files(), (std::vector<std::string>{"Teil.DXF", base + ".mi", base + ".pdf"}));
  const auto [w, h] = page_size(run("pdfinfo '" + (dir_ / (base + ".pdf")).string() + "'"));
  EXPECT_NEAR(w, 400 * 72 / 25.4, 0.1);
  EXPECT_NEAR(h, 280 * 72 / 25.4, 0.1);
  EXPECT_EQ(host::reported_problems(), 0);
}

TEST_F(OutputTest, OnlySelectedSheetsAreSavedAndAFailedSaveIsShownAndCounted) {
  set_drawing("S", {{"1", {rectangle(0, 0, 10, 10)}}, {"2", {rectangle(0, 0, 10, 10)}}, {"A", {}}});
  // A directory that cannot be moved out of the way blocks the DXF of sheet 2.
  std::filesystem::create_directories(dir_ / "S_2.dxf" / "inhalt");
  std::filesystem::create_directories(dir_ / "S_2.dxf.org" / "inhalt");
  speichern_alle_blaetter(Value(), Selection{1, ">"}, true, true);
  EXPECT_TRUE(exists("S_2.mi"));
  EXPECT_TRUE(exists("S_A.dxf"));
  EXPECT_FALSE(exists("S_1.mi"));
  EXPECT_EQ(front_.messages().size(), 1u);
  EXPECT_EQ(host::reported_problems(), 1);
}

TEST_F(OutputTest, ThePdfOfASheetHasTheSheetsSizeAndItsTexts) {
  set_drawing("P 7", {{"1", {rectangle(0, 0, 400, 280), text("Änderungsmitteilung", 20, 20)}},
                      {"2", {rectangle(0, 0, 210, 297)}}});
  host::am_current_sheet("1");
  EXPECT_TRUE(create_pdf("Standard", "1").truthy());
  host::am_current_sheet("2");
  EXPECT_TRUE(create_pdf("Standard", "2").truthy());
  ASSERT_TRUE(exists("P_7_1.pdf"));
  ASSERT_TRUE(exists("P_7_2.pdf"));
  const std::string landscape = run("pdfinfo '" + (dir_ / "P_7_1.pdf").string() + "'");
  EXPECT_EQ(host::read_literal(landscape.substr(landscape.find("Pages:") + 6)), Value(1))
      << landscape;
  const auto [w, h] = page_size(landscape);
  EXPECT_NEAR(w, 400 * 72 / 25.4, 0.1);  // 1133.86 pt
  EXPECT_NEAR(h, 280 * 72 / 25.4, 0.1);  // 793.70 pt
  const auto [pw, ph] = page_size(run("pdfinfo '" + (dir_ / "P_7_2.pdf").string() + "'"));
  EXPECT_NEAR(pw, 210 * 72 / 25.4, 0.1);
  EXPECT_NEAR(ph, 297 * 72 / 25.4, 0.1);
  EXPECT_NE(run("pdftotext '" + (dir_ / "P_7_1.pdf").string() + "' -").find("Änderungsmitteilung"),
            std::string::npos);
  int status = -1;
  run("qpdf --check '" + (dir_ / "P_7_1.pdf").string() + "' >/dev/null 2>&1", &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(host::reported_problems(), 0);
}

// The line widths ("w" operators) of a PDF's uncompressed page content.
std::vector<double> line_widths(const std::string& qdf) {
  std::vector<double> widths;
  std::istringstream lines(qdf);
  for (std::string line; std::getline(lines, line);) {
    if (line.size() > 2 && line.ends_with(" w"))
      widths.push_back(host::read_literal(line).as_double());
  }
  return widths;
}

TEST_F(OutputTest, AFittedSheetIsPlottedWithItsPensDividedByTheFactor) {
  host::sd_set_setting_values(
      {host::kw("application"), "Annotation", host::kw("level"), host::kw("user"),
       host::kw("style-path"), "Annotation/Plot/PensTrafoStyle", host::kw("style"),
       host::kw("breit"), host::kw("values"),
       "(\"Pens\" (:label \"Breit\" :penlist ((:old_linetype :all :color_def :all "
       ":color1 0.0,0.0,0.0 :color2 1.0,1.0,1.0 :pensize_def :all :pensize1 0 "
       ":pensize2 1000000.0 :new_linetype :same :new_pensize 0.7 :pen_number 1 "
       ":new_color 0.0,0.0,0.0))))"});
  set_drawing("W", {{"1", {rectangle(0, 0, 400, 280)}}});
  SheetFormat sheet = calculate_sheet_format();
  host::am_plot_ex(pdf_plot_args(set_plot_syle_parameter("breit", sheet), "eigen"));
  sheet.factor = 2;
  host::am_plot_ex(pdf_plot_args(set_plot_syle_parameter("breit", sheet), "halb"));
  const auto qdf = [this](const std::string& name) {
    return run("qpdf --qdf --object-streams=disable '" + (dir_ / name).string() + "' -");
  };
  const std::vector<double> own = line_widths(qdf("eigen.pdf"));
  const std::vector<double> half = line_widths(qdf("halb.pdf"));
  ASSERT_FALSE(own.empty());
  ASSERT_EQ(half.size(), own.size());
  for (std::size_t i = 0; i < own.size(); ++i) {
    EXPECT_GT(own[i], 0.5);  // 0.7 mm in the page's units
    EXPECT_NEAR(half[i], own[i] / 2, 1e-3);
  }
  EXPECT_TRUE(front_.messages().empty());
}

TEST_F(OutputTest, AFailedPdfIsShownCountedAndGivesNoValue) {
  set_drawing("Q", {{"1", {rectangle(0, 0, 400, 280)}}});
  std::filesystem::create_directories(dir_ / "Q_1.pdf" / "inhalt");
  EXPECT_TRUE(create_pdf("Standard", "1").is_nil());
  EXPECT_EQ(front_.messages().size(), 1u);
  EXPECT_EQ(host::reported_problems(), 1);
}

TEST_F(OutputTest, TheFallbackLoaderNumbersTheDrawingAfterThePathAndLoadsTheFileAtTheOrigin) {
  set_drawing(std::nullopt, {{"1", {rectangle(5, 5, 405, 285)}}});
  const std::string path = (dir_ / "it's a part.mi").string();
  host::am_save_sheet_mi({host::kw("sheet"), host::sd_am_inq_curr_sheet(), host::kw("overwrite"),
                          host::kw("filename"), path});
  host::replace_current_drawing(host::empty_drawing());

  load_subpart_drawing(path);
  EXPECT_EQ(host::sd_am_inq_drawing_no(), Value((dir_ / "it's a part").string()));
  const auto& sheet = host::current_drawing().current_sheet();
  EXPECT_EQ(sheet.frame_type, lang_text(27));
  ASSERT_EQ(sheet.elements.size(), 1u);
  EXPECT_EQ(sheet.elements[0].points[0], (host::Vec2{5, 5}));
  EXPECT_TRUE(front_.messages().empty());

  // A file that cannot be read is shown and counted; the run goes on.
  load_subpart_drawing((dir_ / "fehlt.mi").string());
  EXPECT_EQ(front_.messages().size(), 1u);
  EXPECT_EQ(host::reported_problems(), 1);

  // A file of no drawing type (a run over all files meets them) is one short line of the
  // output box in the user's language, and counted too.
  const std::string notes = (dir_ / "notizen.txt").string();
  host::write_file_atomically(notes, "keine Zeichnung\n");
  load_subpart_drawing(notes);
  EXPECT_EQ(front_.messages().size(), 1u);
  EXPECT_THAT(front_.output_lines(),
              ElementsAre(notes + " ist keine Zeichnungsdatei und wird übergangen"));
  EXPECT_EQ(host::reported_problems(), 2);
}

}  // namespace
}  // namespace tavrin::test
