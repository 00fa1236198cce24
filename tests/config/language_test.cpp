// Language texts by number, and the shipped tables read cleanly.
#include "config/language.h"

#include <gmock/gmock.h>

#include "config/tables.h"
#include "host/api/host.h"
#include "table_dir.h"

namespace tavrin {
namespace {

using ::testing::ElementsAre;
using testing::TableDirTest;

class LanguageTest : public TableDirTest {};

TEST_F(LanguageTest, LookupByNumberLastLineWins) {
  write("TavrinLanguage.dat",
        "5|Alt\n"
        "\n"
        "   \n"
        "  6|Sechs  \n"
        "5|Neu\n"
        "7|\n"
        "8\n"
        "9| mit Blank|und Rest\n"
        "x|Kein Wert\n"
        "10 |Zehn\n"
        "11|Elf\n"
        "11\n");
  language_file_to_ltab();
  EXPECT_EQ(host::sd_get_logical_table_number_of_rows("TavrinLanguage"), 10);
  EXPECT_EQ(lang_text(5), "Neu");
  EXPECT_EQ(lang_text(6), "Sechs");
  EXPECT_EQ(lang_text(7), "");
  EXPECT_EQ(lang_text(8), "");
  EXPECT_EQ(lang_text(9), " mit Blank");
  EXPECT_EQ(lang_text(10), "Zehn");
  EXPECT_EQ(lang_text(11), "") << "a later line without text replaces the earlier one";
  EXPECT_EQ(lang_text(1), "");
  EXPECT_EQ(lang_text(0), "");
}

TEST_F(LanguageTest, TableHasTheDocumentedColumns) {
  write("TavrinLanguage.dat", "3|Drei\n1|Eins\n");
  language_file_to_ltab();
  EXPECT_EQ(host::sd_read_logical_table_column("TavrinLanguage", host::kw("nr")),
            (host::List{3, 1}));
  EXPECT_EQ(host::sd_read_logical_table_column("TavrinLanguage", host::kw("text")),
            (host::List{"Drei", "Eins"}));
  // Reading again replaces the table instead of adding to it.
  write("TavrinLanguage.dat", "1|Anders\n");
  language_file_to_ltab();
  EXPECT_EQ(host::sd_get_logical_table_number_of_rows("TavrinLanguage"), 1);
  EXPECT_EQ(lang_text(1), "Anders");
  EXPECT_EQ(lang_text(3), "");
}

TEST_F(LanguageTest, MissingLanguageFileIsAnErrorNamingIt) {
  try {
    language_file_to_ltab();
    FAIL() << "no error for a missing language file";
  } catch (const host::Error& e) {
    EXPECT_THAT(e.what(), ::testing::HasSubstr("TavrinLanguage.dat"));
  }
}

// The installation: every text number the module shows has a text, the format table reads
// without complaint and offers the ISO formats for fitting.
class ShippedTablesTest : public TableDirTest {
 protected:
  void SetUp() override {
    TableDirTest::SetUp();
    g().tavrin_path = TAVRIN_SOURCE_DIR "/share/tavrin";
  }
};

TEST_F(ShippedTablesTest, EveryTextNumberHasAText) {
  language_file_to_ltab();
  EXPECT_EQ(host::sd_get_logical_table_number_of_rows("TavrinLanguage"), 40);
  for (int nr = 1; nr <= 40; ++nr) EXPECT_FALSE(lang_text(nr).empty()) << nr;
  EXPECT_EQ(lang_text(22), "Ja");
  EXPECT_EQ(lang_text(23), "Nein");
}

TEST_F(ShippedTablesTest, FormatTableOffersTheIsoFormats) {
  read_format_data();
  EXPECT_TRUE(messages().empty());
  ASSERT_GE(g().plot_format_data.size(), 5u);
  EXPECT_EQ(g().plot_format_data[0].name, "A4");
  EXPECT_EQ(g().plot_format_data[0].long_side, host::Value(297));
  EXPECT_EQ(g().plot_format_data[0].short_side, host::Value(210));
  EXPECT_THAT(g().plot_fit_formats, ElementsAre("A4", "A3", "A2", "A1", "A0"));
}

TEST_F(ShippedTablesTest, StandardSettingsHoldTheNineteenKeysInOrder) {
  const std::vector<std::string> keys = {"STORE-MI-TB",
                                         "STORE-DXF-TB",
                                         "STORE-PDF-TB",
                                         "AUTO-PLOTTER-SELECT-TB",
                                         "EINPASSEN-TB",
                                         "BLATT-ALLE-TB",
                                         "BLATT-GROESSER-TB",
                                         "BLATT-KLEINER-TB",
                                         "BLATT-X-TB",
                                         "DRUCKEN-TB",
                                         "MI-TB",
                                         "BDL-TB",
                                         "ALLE-TB",
                                         "DRUCKER-TX",
                                         "FORMAT-TX",
                                         "FIRMA-TX",
                                         "BLATT-GROESSER-TX",
                                         "BLATT-KLEINER-TX",
                                         "BLATT-X-TX"};
  std::vector<std::string> lines = file_to_list(tabellen_path("TavrinStandard.dat"));
  std::reverse(lines.begin(), lines.end());
  ASSERT_EQ(lines.size(), keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const std::vector<std::string> fields = split_fields(lines[i]);
    ASSERT_EQ(fields.size(), 2u) << lines[i];
    EXPECT_EQ(fields[0], keys[i]);
    if (keys[i].ends_with("-TB")) {
      EXPECT_TRUE(fields[1] == "0" || fields[1] == "1") << lines[i];
    }
  }
}

}  // namespace
}  // namespace tavrin
