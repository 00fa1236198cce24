// The configuration tables: reading, creating and rewriting the files in TABELLEN.
#include "config/tables.h"

#include <gmock/gmock.h>

#include <cstdlib>
#include <locale>

#include "base/set_ini.h"
#include "config/language.h"
#include "host/api/host.h"
#include "table_dir.h"

namespace tavrin {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using testing::TableDirTest;

std::vector<std::string> names_of(const std::vector<FormatRow>& rows) {
  std::vector<std::string> names;
  for (const FormatRow& row : rows) names.push_back(row.name);
  return names;
}

class TablesTest : public TableDirTest {};

// A decimal comma for every stream of the process, as a German desktop would have it.
struct CommaDecimals : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

TEST_F(TablesTest, FileToListTrimsDropsBlankLinesAndGivesTheLastLineFirst) {
  write("x.dat", "\xEF\xBB\xBF  erste  \r\n\n   \n\tzweite\r\ndritte");
  EXPECT_THAT(file_to_list(table("x.dat")), ElementsAre("dritte", "zweite", "erste"));
  write("leer.dat", "");
  EXPECT_TRUE(file_to_list(table("leer.dat")).empty());
}

TEST_F(TablesTest, FormatTableKeepsFileOrderAndReadsTheFitMark) {
  write("TavrinFormat.dat",
        "A4|297|210|E\n"
        "\n"
        "   A3|420|297| E  \n"
        "A2|594|420|X\n"
        "A1|841|594\n"
        "A0|1189|841|E|mehr\n"
        "A5|210|148.5|\n");
  const std::locale previous =
      std::locale::global(std::locale(std::locale::classic(), new CommaDecimals));
  read_format_data();
  std::locale::global(previous);
  const auto& rows = g().plot_format_data;
  EXPECT_THAT(names_of(rows), ElementsAre("A4", "A3", "A2", "A1", "A0", "A5"));
  EXPECT_EQ(rows[0].long_side, host::Value(297));
  EXPECT_EQ(rows[0].short_side, host::Value(210));
  EXPECT_DOUBLE_EQ(rows[5].short_side.as_double(), 148.5);
  EXPECT_THAT(g().plot_fit_formats, ElementsAre("A4", "A3", "A0"));
  EXPECT_TRUE(messages().empty());
}

// Bad lines are left out with one message naming file and line; they never become size 0,
// and a decimal comma is refused rather than read as 210 or as 210.5.
TEST_F(TablesTest, FormatLinesThatAreNotFormatsAreReportedAndLeftOut) {
  write("TavrinFormat.dat",
        "A4|297|210|E\n"    // 1
        "A5|210,5|148\n"    // 2
        "\n"                // 3
        "B4|abc|250|E\n"    // 4
        "C5|229\n"          // 5
        "Null|0|210\n"      // 6
        "Neg|-297|210\n"    // 7
        "Inf|inf|210\n"     // 8
        "Mm|297mm|210\n"    // 9
        "A3|420|297|E\n");  // 10
  read_format_data();

  EXPECT_THAT(names_of(g().plot_format_data), ElementsAre("A4", "A3"));
  EXPECT_THAT(g().plot_fit_formats, ElementsAre("A4", "A3"));
  ASSERT_EQ(messages().size(), 1u);
  const std::string& text = messages()[0];
  for (int line : {2, 4, 5, 6, 7, 8, 9}) {
    EXPECT_THAT(text, HasSubstr("TavrinFormat.dat:" + std::to_string(line) + ":"));
  }
  EXPECT_THAT(text, Not(HasSubstr(".dat:1:")));
  EXPECT_THAT(text, Not(HasSubstr(".dat:10:")));
  EXPECT_THAT(text, HasSubstr("die Zeile wird übergangen\nA5|210,5|148\n^"));
}

TEST_F(TablesTest, MissingFormatTableEndsTheCommandWithAnErrorNamingTheFile) {
  try {
    read_format_data();
    FAIL() << "no error for a missing format table";
  } catch (const host::Error& e) {
    EXPECT_THAT(e.what(), HasSubstr("TavrinFormat.dat"));
  }
  std::filesystem::remove_all(root_ / "TABELLEN");
  EXPECT_THROW(read_format_data(), host::Error);
}

TEST_F(TablesTest, PlotterTablesKeepFileOrderAndTheFormatNamesFileIsMadeFromThem) {
  write("TavrinPlotter.dat", "HP_A3|A4|A3\n\n  Plotter_Gross | A0 |A1  \nPDF\n");
  read_plotter_data();
  EXPECT_THAT(g().plotter_names, ElementsAre("HP_A3", "Plotter_Gross", "PDF"));
  ASSERT_EQ(g().plotter_auto_format.size(), 3u);
  EXPECT_THAT(g().plotter_auto_format[0], ElementsAre("HP_A3", "A4", "A3"));
  EXPECT_THAT(g().plotter_auto_format[1], ElementsAre("Plotter_Gross ", " A0 ", "A1"));
  EXPECT_THAT(g().plotter_auto_format[2], ElementsAre("PDF"));

  ASSERT_FALSE(exists("TavrinPlotterFormatNames.dat"));
  read_plotter_format_names();
  EXPECT_EQ(read("TavrinPlotterFormatNames.dat"), "HP_A3\nPlotter_Gross\nPDF\n");
  ASSERT_EQ(g().plotter_format_names.size(), 3u);
  EXPECT_THAT(g().plotter_format_names[0], ElementsAre("HP_A3"));
  EXPECT_THAT(listing(), ElementsAre("TavrinPlotter.dat", "TavrinPlotterFormatNames.dat"));
}

TEST_F(TablesTest, AnExistingFormatNamesFileIsReadNotReplaced) {
  write("TavrinPlotter.dat", "HP\n");
  write("TavrinPlotterFormatNames.dat", "HP|A4/A4 Normal|A3/Tabloid\nAlt|A0/Rolle\n");
  read_plotter_data();
  read_plotter_format_names();
  EXPECT_EQ(read("TavrinPlotterFormatNames.dat"), "HP|A4/A4 Normal|A3/Tabloid\nAlt|A0/Rolle\n");
  ASSERT_EQ(g().plotter_format_names.size(), 2u);
  EXPECT_THAT(g().plotter_format_names[0], ElementsAre("HP", "A4/A4 Normal", "A3/Tabloid"));
  EXPECT_THAT(g().plotter_format_names[1], ElementsAre("Alt", "A0/Rolle"));
}

TEST_F(TablesTest, PlotStyleListIsKeptInReverseFileOrder) {
  write("TavrinPlotSyles.dat", "Schwarz\n\n Farbe \nDuenn\n");
  EXPECT_THAT(plot_transformation_ini(), ElementsAre("Duenn", "Farbe", "Schwarz"));
  EXPECT_THAT(g().plotstyle_list, ElementsAre("Duenn", "Farbe", "Schwarz"));
}

TEST_F(TablesTest, WriteListFileReplacesTheFileWithoutLeavingATemporaryBeside) {
  write("TavrinPlotSyles.dat", "alt1\nalt2\nalt3\n");
  write_list_file({"eins", "zwei"}, table("TavrinPlotSyles.dat"));
  EXPECT_EQ(read("TavrinPlotSyles.dat"), "eins\nzwei\n");
  EXPECT_THAT(listing(), ElementsAre("TavrinPlotSyles.dat"));
  write_list_file({}, table("TavrinPlotSyles.dat"));
  EXPECT_EQ(read("TavrinPlotSyles.dat"), "");
}

// The first start creates the plotter and style files from the system, with one notice;
// later starts leave existing files alone.
TEST_F(TablesTest, FirstStartCreatesThePlotterAndStyleFilesOnce) {
  write("TavrinLanguage.dat", "33|Neu erzeugt:\n34|Bitte Formate eintragen.\n");
  language_file_to_ltab();
  std::vector<std::string> styles;
  for (const host::Value& v : get_only_first_of_sublist(
           host::sd_get_setting_styles_range_list("Annotation/Plot/PensTrafoStyle"))) {
    styles.push_back(host::print_text(v));
  }
  ASSERT_FALSE(styles.empty()) << "the host ships default plot styles";

  EXPECT_TRUE(create_konfig_files_if_not_exist());
  ASSERT_FALSE(messages().empty());
  EXPECT_EQ(messages()[0], "Neu erzeugt:\n Bitte Formate eintragen.");
  EXPECT_EQ(file_to_list(table("TavrinPlotSyles.dat")).size(), styles.size());
  EXPECT_EQ(g().plotstyle_list, styles);
  if (exists("TavrinPlotter.dat")) {
    std::vector<std::string> lines = file_to_list(table("TavrinPlotter.dat"));
    std::reverse(lines.begin(), lines.end());
    EXPECT_EQ(lines, g().plotter_names);
  }

  host::ui::default_front_end().clear();
  write("TavrinPlotter.dat", "Eigener|A4\n");
  write("TavrinPlotSyles.dat", "Eigen\n");
  EXPECT_FALSE(create_konfig_files_if_not_exist());
  EXPECT_TRUE(messages().empty());
  EXPECT_EQ(read("TavrinPlotter.dat"), "Eigener|A4\n");
  EXPECT_EQ(read("TavrinPlotSyles.dat"), "Eigen\n");
}

// Without a reachable print server the plotter file is not written empty (nor trusted when
// an earlier start left it empty), so that the next start asks the system again.
TEST_F(TablesTest, NoPrintServerLeavesThePlotterFileForTheNextStart) {
  env_.set("CUPS_SERVER", table("no-cups.sock"));
  write("TavrinLanguage.dat", "33|Neu erzeugt:\n34|Bitte Formate eintragen.\n");
  language_file_to_ltab();
  EXPECT_TRUE(create_konfig_files_if_not_exist());
  EXPECT_FALSE(exists("TavrinPlotter.dat"));
  host::ui::default_front_end().clear();
  write("TavrinPlotter.dat", "");
  create_konfig_files_if_not_exist();
  EXPECT_FALSE(messages().empty()) << "an empty plotter file is asked for again";
  read_plotter_data();
  EXPECT_TRUE(g().plotter_names.empty());
}

// Regenerating writes bare printer names (format assignments are lost, as the admin is
// warned) and the host's style names in host order.
TEST_F(TablesTest, StartRangeValuesComeFromTheSystemAndAreWrittenBack) {
  write("TavrinPlotter.dat", "Alt|A4|A3\n");
  g().plotter_auto_format = {{"bleibt"}};
  const std::vector<std::string> styles = set_start_range_values();
  EXPECT_EQ(styles, g().plotstyle_list);
  EXPECT_FALSE(styles.empty());
  EXPECT_THAT(g().plotter_auto_format, ElementsAre(ElementsAre("bleibt")));
  write_start_range_values_to_file();
  std::vector<std::string> printers = file_to_list(table("TavrinPlotter.dat"));
  std::reverse(printers.begin(), printers.end());
  EXPECT_EQ(printers, g().plotter_names);
  std::vector<std::string> written = file_to_list(table("TavrinPlotSyles.dat"));
  std::reverse(written.begin(), written.end());
  EXPECT_EQ(written, styles);
}

TEST_F(TablesTest, SetIniEmptiesTheTablesButKeepsTheFormatNames) {
  g().plot_format_data = {{"A4", host::Value(297), host::Value(210)}};
  g().plot_fit_formats = {"A4"};
  g().plotter_names = {"HP"};
  g().plotter_auto_format = {{"HP", "A4"}};
  g().plotstyle_list = {"S"};
  g().plotter_format_names = {{"HP", "A4/Letter"}};
  EXPECT_FALSE(set_ini(false));
  EXPECT_FALSE(g().tavrin_modus);
  EXPECT_EQ(g().tavrin_version, "Ostra Version: V21 2015-08-26");
  EXPECT_TRUE(g().plot_format_data.empty());
  EXPECT_TRUE(g().plot_fit_formats.empty());
  EXPECT_TRUE(g().plotter_names.empty());
  EXPECT_TRUE(g().plotter_auto_format.empty());
  EXPECT_TRUE(g().plotstyle_list.empty());
  EXPECT_EQ(g().plotter_format_names.size(), 1u);
  EXPECT_TRUE(set_ini(true));
  EXPECT_TRUE(g().tavrin_modus);
}

TEST(TableHelpers, SubstractExtensionRemovesOnlyAKnownLastExtension) {
  EXPECT_EQ(substract_extension("plan.dwg"), "plan");
  EXPECT_EQ(substract_extension("a.Mi"), "a");
  EXPECT_EQ(substract_extension("a.b.mi"), "a.b");
  EXPECT_EQ(substract_extension("teil.IGES"), "teil");
  EXPECT_EQ(substract_extension("plan.pdf"), "plan.pdf");
  EXPECT_EQ(substract_extension("dwg"), "dwg");
  EXPECT_EQ(substract_extension("plan."), "plan.");
  EXPECT_EQ(substract_extension("/x/y.bdl.mi"), "/x/y.bdl");
}

TEST(TableHelpers, SublistHeadsAndKeywordsFromText) {
  EXPECT_TRUE(get_only_first_of_sublist({}).empty());
  const host::List styles = {host::Value(host::List{"Schwarz", 1}),
                             host::Value(host::List{"Farbe"}), host::Value(host::List{})};
  EXPECT_EQ(get_only_first_of_sublist(styles), (host::List{"Schwarz", "Farbe", host::Value()}));

  EXPECT_EQ(string_to_symbol("Firma A"), host::kw("FIRMA"));
  EXPECT_EQ(string_to_symbol("schwarz_weiss"), host::kw("SCHWARZ_WEISS"));
}

TEST(TableHelpers, TableNumbersAreIntegersOrPointDecimalsOnly) {
  EXPECT_EQ(parse_table_number(" 297 "), host::Value(297));
  EXPECT_EQ(parse_table_number("+12"), host::Value(12));
  EXPECT_DOUBLE_EQ(parse_table_number("148.5")->as_double(), 148.5);
  for (const char* bad :
       {"", " ", "148,5", "1e3", "297mm", "4/2", "nan", "inf", "+-3", "abc", "1 2"}) {
    EXPECT_FALSE(parse_table_number(bad).has_value()) << bad;
  }
}

}  // namespace
}  // namespace tavrin
