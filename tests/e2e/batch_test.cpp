// The directory run through the `tavrin` program, checked on the files it writes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "e2e_support.h"

namespace e2e {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr double kPtPerMm = 72.0 / 25.4;

TEST(Batch, WritesPdfDxfAndMiNamedAfterDrawingAndSheet) {
  Scratch s;
  const Result r = s.tavrin("batch " + quote(s.examples().string()) + " --pdf --dxf --mi --yes");
  // The examples hold an empty file on purpose: it is reported, and the run goes on.
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_THAT(r.output, HasSubstr("leer.mi konnte nicht geladen werden"));

  const auto files = files_in(s.examples());
  for (const char* name : {"4711_A_1.pdf", "4711_A_2.pdf", "4711_A_Deckblatt.pdf", "4711_A_1.dxf",
                           "4711_A_2.dxf", "4711_A_Deckblatt.dxf", "Blatt_1.pdf", "Blatt_1.dxf",
                           "4712_1.pdf", "4712_1.dxf", "4712_1.mi"}) {
    EXPECT_THAT(files, Contains(name)) << r.output;
  }
  // A drawing loaded from an MI file is never written back as MI.
  EXPECT_THAT(files, Not(Contains("4711_A_1.mi")));

  // Sheet 1 of the flange spans 400 x 280 mm: its PDF page has exactly that size.
  const PdfInfo info = pdf_info(s.examples() / "4711_A_1.pdf");
  EXPECT_EQ(info.pages, 1);
  EXPECT_NEAR(info.width, 400 * kPtPerMm, 0.1);
  EXPECT_NEAR(info.height, 280 * kPtPerMm, 0.1);
  EXPECT_THAT(pdf_text(s.examples() / "4711_A_1.pdf"), HasSubstr("Flansch DN 80"));
  EXPECT_EQ(run("qpdf --check " + quote((s.examples() / "4711_A_1.pdf").string())).status, 0);

  // The DXF files are read by an independent reader with their texts.
  EXPECT_THAT(dxf_texts(s.examples() / "4711_A_1.dxf"), HasSubstr("Flansch DN 80"));
}

TEST(Batch, SheetsOptionWritesOnlyThatSheet) {
  Scratch s;
  const Result r = s.tavrin("batch " + quote(s.examples().string()) +
                            " --select flansch.mi --pdf --dxf --sheets 2 --yes");
  EXPECT_EQ(r.status, 0) << r.output;
  const auto files = files_in(s.examples());
  // A sheet whose name is no number ("Deckblatt") belongs to every selection.
  EXPECT_THAT(files, AllOf(Contains("4711_A_2.pdf"), Contains("4711_A_2.dxf"),
                           Contains("4711_A_Deckblatt.pdf")));
  EXPECT_THAT(files, AllOf(Not(Contains("4711_A_1.pdf")), Not(Contains("4711_A_1.dxf"))));
}

TEST(Batch, SecondRunKeepsThePreviousOutputAsOrg) {
  Scratch s;
  const std::string args = "batch " + quote(s.examples().string()) + " --select flansch.mi --dxf --yes";
  ASSERT_EQ(s.tavrin(args).status, 0);
  ASSERT_EQ(s.tavrin(args).status, 0);
  EXPECT_THAT(files_in(s.examples()), AllOf(Contains("4711_A_1.dxf"), Contains("4711_A_1.dxf.org")));
}

TEST(Batch, AnsweringNoRunsNothing) {
  Scratch s;
  // Without --yes and without a terminal the confirmation is answered with the second button.
  const Result r = s.tavrin("batch " + quote(s.examples().string()) + " --pdf");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_THAT(files_in(s.examples()), Not(Contains("4711_A_1.pdf")));
}

TEST(Batch, EntriesThatAreNotOfferedAreRefusedBeforeAnythingRuns) {
  Scratch s;
  const Result style = s.tavrin("batch " + quote(s.examples().string()) + " --pdf --style NOSUCH --yes");
  EXPECT_EQ(style.status, 2) << style.output;
  EXPECT_THAT(style.output, AllOf(HasSubstr("NOSUCH"), HasSubstr("STANDARD")));
  const Result fit = s.tavrin("batch " + quote(s.examples().string()) + " --print --fit A7 --yes");
  EXPECT_EQ(fit.status, 2) << fit.output;
  EXPECT_THAT(fit.output, AllOf(HasSubstr("A7"), HasSubstr("A3")));
  EXPECT_THAT(files_in(s.examples()), Not(Contains("4711_A_1.pdf")));
}

TEST(Batch, MissingDirectoryIsAUsageError) {
  Scratch s;
  const Result r = s.tavrin("batch " + quote((s.root() / "nowhere").string()) + " --pdf --yes");
  EXPECT_EQ(r.status, 2);
  EXPECT_THAT(r.output, HasSubstr("nowhere"));
}

TEST(Batch, MissingFormatTableStopsTheCommand) {
  Scratch s;
  fs::remove(s.share() / "TABELLEN" / "TavrinFormat.dat");
  const Result r = s.tavrin("batch " + quote(s.examples().string()) + " --pdf --yes");
  EXPECT_EQ(r.status, 2) << r.output;
  EXPECT_THAT(r.output, HasSubstr("TavrinFormat.dat"));
}

// An archive folder's clutter: hidden entries are not listed (as the shell's "*" leaves them
// out); a drawing with a lock file beside it is plotted, with one line saying it may be open.
TEST(Batch, HiddenEntriesAreNotListedAndLockedDrawingsArePlottedWithANote) {
  Scratch s;
  const fs::path dir = s.examples();
  fs::copy_file(dir / "flansch.mi", dir / ".hidden.mi");
  fs::create_directories(dir / ".git");
  for (const char* name : {".DS_Store", "welle.dwl", "welle.dwl2", ".~lock.skizze.dxf#"})
    std::ofstream(dir / name) << "x\n";
  const Result r = s.tavrin("batch " + quote(dir.string()) + " --pdf --yes");
  EXPECT_EQ(r.status, 1) << r.output;  // the empty example and the .dwl files, no drawings
  EXPECT_THAT(r.output, Not(HasSubstr(".hidden")));
  EXPECT_THAT(r.output, Not(HasSubstr("DS_Store")));
  EXPECT_THAT(r.output, HasSubstr("welle.dxf: welle.dwl lies beside it; the drawing may be open "
                                  "elsewhere and the plot may be stale"));
  EXPECT_THAT(r.output, HasSubstr("skizze.dxf: .~lock.skizze.dxf# lies beside it"));
  EXPECT_THAT(files_in(dir), AllOf(Contains("welle_Blatt_1.pdf"), Not(Contains("schild.dxf.org"))));
}

}  // namespace
}  // namespace e2e
