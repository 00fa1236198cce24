// The current-drawing run, autotext and the other commands of the `tavrin` program.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "e2e_support.h"

namespace e2e {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

std::string slurp(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(Now, WritesTheOutputsOfTheLoadedDrawingIntoTheCurrentDirectory) {
  Scratch s;
  const fs::path out = s.root() / "out";
  fs::create_directories(out);
  const Result r =
      s.tavrin("now " + quote((s.examples() / "flansch.mi").string()) + " --pdf --mi --yes", out);
  EXPECT_EQ(r.status, 0) << r.output;
  // In a current-drawing run the drawing number stands for the file, so MI is written too.
  EXPECT_THAT(files_in(out),
              AllOf(Contains("4711_A_1.pdf"), Contains("4711_A_2.pdf"), Contains("4711_A_1.mi")));
  EXPECT_THAT(files_in(s.examples()), Not(Contains("4711_A_1.pdf")));
}

TEST(Now, AutotextChangesTheTitleBlockInTheWrittenFiles) {
  Scratch s;
  const fs::path out = s.root() / "out";
  fs::create_directories(out);
  const Result r =
      s.tavrin("now " + quote((s.examples() / "flansch.mi").string()) +
                   " --mi --dxf --sheets 1 --autotext \"BENENNUNG=Flansch DN 100 'neu'\" --yes",
               out);
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_THAT(slurp(out / "4711_A_1.mi"),
              AllOf(HasSubstr("Flansch DN 100 'neu'"), Not(HasSubstr("\"Flansch DN 80\""))));
  EXPECT_THAT(dxf_texts(out / "4711_A_1.dxf"), HasSubstr("Flansch DN 100 'neu'"));
}

// A DXF whose layouts hold views: one set of outputs per layout, named after it.
TEST(Now, DxfLayoutsGiveOneOutputPerLayoutNamedAfterIt) {
  Scratch s;
  const fs::path dxf = s.root() / "halle 3.dxf";
  std::ofstream(s.root() / "make.py") << R"(
import sys, ezdxf
doc = ezdxf.new("R2000")
doc.modelspace().add_circle((50, 25), 20)
for name in ("Blatt 1", "Schnitt A-A"):
    layout = doc.layouts.new(name)
    layout.page_setup(size=(297, 210), margins=(0, 0, 0, 0), units="mm")
    layout.add_viewport(center=(100, 100), size=(80, 60), view_center_point=(50, 25), view_height=60)
    layout.add_text(name, dxfattribs={"height": 5, "insert": (10, 10)})
doc.saveas(sys.argv[1])
)";
  ASSERT_EQ(
      run("/usr/bin/python3 " + quote((s.root() / "make.py").string()) + " " + quote(dxf.string()))
          .status,
      0);
  const fs::path out = s.root() / "out";
  fs::create_directories(out);
  const Result r =
      s.tavrin("now " + quote(dxf.string()) + " --pdf --dxf --mi --sheets all --yes", out);
  EXPECT_EQ(r.status, 0) << r.output;
  for (const char* sheet : {"halle_3_Blatt_1", "halle_3_Schnitt_A-A"})
    for (const char* ext : {".pdf", ".dxf", ".mi"})
      EXPECT_THAT(files_in(out), Contains(std::string(sheet) + ext)) << r.output;
  EXPECT_THAT(pdf_text(out / "halle_3_Schnitt_A-A.pdf"), HasSubstr("Schnitt A-A"));
  // the view travels as a group in .mi and as its visible content in DXF
  EXPECT_THAT(slurp(out / "halle_3_Blatt_1.mi"), HasSubstr("\ngroup "));
  EXPECT_THAT(dxf_texts(out / "halle_3_Blatt_1.dxf"), HasSubstr("entities 3"));
}

TEST(Now, UnknownAutotextFieldNamesTheOfferedOnes) {
  Scratch s;
  const Result r = s.tavrin("now " + quote((s.examples() / "flansch.mi").string()) +
                            " --pdf --autotext NOSUCH=x --yes");
  EXPECT_EQ(r.status, 2) << r.output;
  EXPECT_THAT(r.output, AllOf(HasSubstr("NOSUCH"), HasSubstr("BENENNUNG")));
}

// Options that contradict each other are refused before anything is loaded or written; a
// job without any sheet selection says which option chooses one.
TEST(Now, ContradictingOptionsAndAMissingSheetSelectionAreUsageErrors) {
  Scratch s;
  const std::string file = quote((s.examples() / "flansch.mi").string());
  for (const char* options :
       {"--print --plotter P --auto-plotter", "--no-print --fit A3", "--no-print --plotter P",
        "--pdf --no-pdf", "--print --fit A3 --no-fitting"}) {
    const Result r = s.tavrin("now " + file + " " + options + " --yes");
    EXPECT_EQ(r.status, 2) << options << "\n" << r.output;
    EXPECT_THAT(r.output, HasSubstr("excludes")) << options;
  }
  fs::remove(s.share() / "TABELLEN/TavrinStandard.dat");
  const Result r = s.tavrin("now " + file + " --pdf --yes", s.root());
  EXPECT_EQ(r.status, 2) << r.output;
  EXPECT_THAT(r.output, HasSubstr("--sheets"));
  EXPECT_THAT(files_in(s.root()), Not(Contains("4711_A_1.pdf")));
}

TEST(Now, MissingFileIsAUsageError) {
  Scratch s;
  const Result r = s.tavrin("now " + quote((s.root() / "missing.mi").string()) + " --pdf --yes");
  EXPECT_EQ(r.status, 2);
  EXPECT_THAT(r.output, HasSubstr("missing.mi"));
}

TEST(Cli, HelpExplainsTheCommandsAndOptions) {
  Scratch s;
  const Result top = s.tavrin("--help");
  EXPECT_EQ(top.status, 0);
  EXPECT_THAT(top.output, AllOf(HasSubstr("batch"), HasSubstr("now"), HasSubstr("printers"),
                                HasSubstr("Exit status")));
  const Result batch = s.tavrin("batch --help");
  EXPECT_EQ(batch.status, 0);
  EXPECT_THAT(batch.output,
              AllOf(HasSubstr("--sheets"), HasSubstr("--autotext"), HasSubstr("--select")));
  EXPECT_EQ(s.tavrin("frobnicate").status, 2);
}

TEST(Cli, PrintersWithoutAPrintServerSaysSo) {
  Scratch s;
  const Result r = s.tavrin("printers");
  // No print server answers on the scratch socket: the list is empty, and the program says
  // why instead of printing nothing.
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_THAT(r.output, HasSubstr("no printers"));
}

}  // namespace
}  // namespace e2e
