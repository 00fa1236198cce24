// The change-history and administrator commands through the `tavrin` program, checked on the
// drawings, tables and PDF files they write.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "e2e_support.h"

namespace e2e {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr double kPtPerMm = 72.0 / 25.4;

std::string read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

std::string change(int i) {
  return "Änderung " + std::string(i < 10 ? "0" : "") + std::to_string(i);
}

// A drawing "4711" with a frame and, when `changes` >= 0, an INFO field of that many changes
// below its marker line. The file lists attributes last added first.
fs::path drawing_with_history(const fs::path& path, int changes) {
  std::string info = "0";
  if (changes >= 0) {
    info = std::to_string(changes + 1);
    for (int i = changes; i >= 1; --i) info += " \"" + change(i) + "\"";
    info += " \"AENDERUNGEN: Index | Datum | Änderungen\"";
  }
  write(
      path,
      "tavrin-mi 1\n"
      "drawing \"4711\" \"2D_PROCESS\" 0\n"
      "sheet \"1\" \"1\" \"1:1\" \"A4\"\n"
      "rectangle 1 1 1 \"SOLID\" 0.7 2 0 0 200 287 \"\" 0\n"
      "text 0 1 1 \"SOLID\" 0.25 1 10 10 2.5 0 1 \"hp_i3098_v\" 1 0 1.6 0 1 \"Änderungen\" \"\" " +
          info + "\nend\n");
  return path;
}

TEST(History, RevisionPdfOfFortyChangesHasTwoA4PortraitPagesInOrder) {
  Scratch s;
  const fs::path drawing = drawing_with_history(s.root() / "vierzig.mi", 40);
  fs::create_directories(s.root() / "out");
  const Result r = s.tavrin("history pdf " + quote(drawing.string()), s.root() / "out");
  ASSERT_EQ(r.status, 0) << r.output;
  const fs::path pdf = s.root() / "out" / "4711_Änderungen.pdf";
  ASSERT_TRUE(fs::exists(pdf)) << r.output;

  const PdfInfo info = pdf_info(pdf);
  EXPECT_EQ(info.pages, 2);
  EXPECT_NEAR(info.width, 210 * kPtPerMm, 1);
  EXPECT_NEAR(info.height, 297 * kPtPerMm, 1);
  EXPECT_EQ(run("qpdf --check " + quote(pdf.string())).status, 0);

  const std::string text = pdf_text(pdf);
  std::size_t at = 0;
  for (const std::string& expected :
       {std::string("AENDERUNGEN: Index | Datum | Änderungen 1 von 2"),
        std::string("Änderungsmitteilung"), std::string("Zeichnungsnummer: 4711"), change(1),
        change(33), std::string("AENDERUNGEN: Index | Datum | Änderungen 2 von 2"), change(34),
        change(40)}) {
    const std::size_t found = text.find(expected, at);
    ASSERT_NE(found, std::string::npos) << expected << "\n" << text;
    at = found + expected.size();
  }
  for (int i = 1; i < 40; ++i) EXPECT_LT(text.find(change(i)), text.find(change(i + 1))) << i;
  // Only the revision PDF is written; the drawing itself is left alone.
  EXPECT_EQ(files_in(s.root() / "out").size(), 1u);
}

TEST(History, BatchWritesTheRevisionPdfOnlyForDrawingsWithAnInfoField) {
  Scratch s;
  const Result r = s.tavrin("batch " + quote(s.examples().string()) + " --history-pdf --yes");
  EXPECT_EQ(r.status, 1) << r.output;  // the empty example is reported
  const auto files = files_in(s.examples());
  EXPECT_THAT(files, Contains("4711_A_Änderungen.pdf"));
  int revision_pdfs = 0;
  for (const auto& name : files) revision_pdfs += name.find("Änderungen.pdf") != std::string::npos;
  EXPECT_EQ(revision_pdfs, 1) << r.output;
  EXPECT_THAT(
      pdf_text(s.examples() / "4711_A_Änderungen.pdf"),
      AllOf(HasSubstr("Zeichnungsnummer: 4711 A"), HasSubstr("A 2026-01-12 Bohrung ergänzt")));
}

TEST(History, NewEditShowRoundTripSavesInPlaceWithABackup) {
  Scratch s;
  const fs::path drawing = drawing_with_history(s.root() / "neu.mi", -1);
  const std::string file = quote(drawing.string());
  Result r = s.tavrin("history show " + file);
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.output, HasSubstr("INFO-Feld nicht gefunden"));

  r = s.tavrin("history new " + file + " --at 100,50");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(fs::exists(s.root() / "neu.mi.org"));
  r = s.tavrin("history show " + file);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "AENDERUNGEN: Index | Datum | Änderungen\n");
  r = s.tavrin("history new " + file + " --at 10,10");
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.output, HasSubstr("Es ist schon ein INFO-Feld vorhanden"));

  write(s.root() / "text.txt",
        "AENDERUNGEN: Index | Datum | Änderungen\nA eins\n\nB zwei\nA eins\n");
  r = s.tavrin("history edit " + file + " --text-file " + quote((s.root() / "text.txt").string()));
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_THAT(r.output, HasSubstr("Zeile 5 ist identisch mit Zeile 2 und wird nicht eingetragen"));
  EXPECT_EQ(s.tavrin("history show " + file).output,
            "AENDERUNGEN: Index | Datum | Änderungen\nA eins\n\nB zwei\n");

  // The user's editor gets the stored history and its result is stored.
  r = tavrin_with_env(s, "EDITOR='sed -i s/zwei/drei/'", "history edit " + file);
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_THAT(s.tavrin("history show " + file).output, HasSubstr("B drei\n"));

  // A text without the marker changes nothing, not even the backup.
  const std::string saved = read(drawing), backup = read(s.root() / "neu.mi.org");
  write(s.root() / "text.txt", "ohne Kennzeichen\n");
  r = s.tavrin("history edit " + file + " --text-file " + quote((s.root() / "text.txt").string()));
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.output, HasSubstr("Kennzeichen für den HEADER fehlt"));
  EXPECT_EQ(read(drawing), saved);
  EXPECT_EQ(read(s.root() / "neu.mi.org"), backup);
}

TEST(History, AdminInfoStoresTheNewMarkerForTemplateAndSearch) {
  Scratch s;
  const Result r = s.tavrin("admin info --marker REVISIONEN");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(read(s.share() / "TABELLEN" / "TavrinInfo.dat"), "REVISIONEN\n");
  EXPECT_THAT(read(s.share() / "TABELLEN" / "INFO.mi"),
              AllOf(HasSubstr("\"REVISIONEN\""), Not(HasSubstr("AENDERUNGEN"))));
  // The example's field carries the old marker: it is no longer an INFO field.
  const Result show = s.tavrin("history show " + quote((s.examples() / "flansch.mi").string()));
  EXPECT_EQ(show.status, 1);
  EXPECT_THAT(show.output, HasSubstr("INFO-Feld nicht gefunden"));
}

TEST(History, AdminRegenerateReplacesThePlotterTableAfterItsNotice) {
  Scratch s;
  write(s.share() / "TABELLEN" / "TavrinPlotter.dat", "Plotter-A3|A3|A4\n");
  const Result r = s.tavrin("admin regenerate");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_THAT(r.output, HasSubstr("TavrinPlotter.dat\nTavrinPlotSyles.dat"));
  EXPECT_THAT(read(s.share() / "TABELLEN" / "TavrinPlotter.dat"), Not(HasSubstr("|")));
  EXPECT_THAT(read(s.share() / "TABELLEN" / "TavrinPlotSyles.dat"), HasSubstr("STANDARD"));
}

TEST(History, AdminEditWithoutATerminalNamesTheTableAndFails) {
  Scratch s;
  const Result r = tavrin_with_env(s, "EDITOR=true", "admin edit format");
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_THAT(r.output, HasSubstr("TavrinFormat.dat"));
  EXPECT_EQ(s.tavrin("admin edit nothing").status, 2);
}

TEST(History, AdminEditOnATerminalRunsTheEditorOnTheTable) {
  Scratch s;
  // `script` gives the program a terminal, where the host starts the user's editor.
  const std::string inner =
      "EDITOR='sed -i s/1189/1190/' TAVRIN_PROFILE_DIR=" + quote((s.root() / "profile").string()) +
      " " + quote(TAVRIN_CLI) + " --path " + quote(s.share().string()) + " admin edit format";
  const Result r = run("script -qec " + quote(inner) + " /dev/null");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_THAT(read(s.share() / "TABELLEN" / "TavrinFormat.dat"), HasSubstr("\nA0|1190|841"));
}

}  // namespace
}  // namespace e2e
