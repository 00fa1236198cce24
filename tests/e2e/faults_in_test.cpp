// Faults on the way in and to the printer: a directory that changes under a running job,
// DXF files built to exhaust memory or time, and a print server that goes away mid-run.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "fault_support.h"

namespace e2e {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;

// Drawings are listed first and loaded one after the other; files removed, emptied or
// replaced in between are reported one by one, and the others are processed.
TEST(FaultsIn, FilesChangedAfterListingAreReportedOneByOne) {
  Scratch s;
  const fs::path dir = s.root() / "moving";
  fs::create_directories(dir);
  // Enough drawings that the run is still far from the end when it is stopped, however fast
  // the machine.
  make_drawings(dir, 120, 0);
  std::vector<fs::path> listed;  // in the order the run lists them: by name
  for (const auto& e : fs::directory_iterator(dir)) listed.push_back(e.path());
  std::sort(listed.begin(), listed.end());
  DirWatch watch(dir);
  // one process, so that the files still to come are changed behind the run
  Background job(
      tavrin_command(s, "batch " + quote(dir.string()) + " --pdf --yes --jobs 1", s.root()),
      s.root() / "moving.log");
  ASSERT_EQ(watch.wait_for(1, std::chrono::seconds(120), job.pid()), 1) << job.output();
  job.signal(SIGSTOP);
  // The victims lie well behind the drawing being processed now.
  std::size_t done = 0;
  for (std::size_t i = 0; i < listed.size(); ++i) {
    const std::string stem = listed[i].stem().string();
    if (fs::exists(dir / (stem + "_Blatt_1.pdf"))) done = i + 1;
  }
  ASSERT_LE(done + 6, listed.size()) << "the run went too fast to change anything behind it";
  const fs::path removed = listed[done + 3], emptied = listed[done + 4],
                 replaced = listed[done + 5];
  fs::remove(removed);
  std::ofstream(emptied, std::ios::trunc).close();
  fs::remove(replaced);
  std::ofstream(replaced) << "tavrin-mi 1\ndrawing \"kaputt\" \"2D\" 0\nsheet \"1\"\n";
  job.signal(SIGCONT);
  EXPECT_EQ(job.wait(std::chrono::seconds(300)), 1) << job.output();
  const std::string out = job.output();
  for (const fs::path& victim : {removed, emptied, replaced}) {
    EXPECT_THAT(out, HasSubstr(victim.filename().string()));
    EXPECT_FALSE(fs::exists(dir / (victim.stem().string() + "_Blatt_1.pdf")));
  }
  int pdfs = 0;
  for (const auto& name : files_in(dir)) pdfs += name.ends_with(".pdf");
  EXPECT_EQ(pdfs, 117) << out;
}

// DXF files made to exhaust memory or time end with an error (naming the file when it cannot
// be loaded) or, for content that is just large, with the plot, within 2 GiB of address space
// and a time bound.
TEST(FaultsIn, DxfBombsEndWithinBoundedMemoryAndTime) {
#if defined(TAVRIN_SANITIZED)
  GTEST_SKIP() << "SKIPPED: the sanitizers reserve more address space than the 2 GiB limit";
#endif
  Scratch s;
  const fs::path dir = s.root() / "bombs";
  fs::create_directories(dir);
  const auto write = [&](const std::string& name, const std::string& body) {
    std::ofstream(dir / name) << body << "0\nEOF\n";
  };
  const std::string entities = "0\nSECTION\n2\nENTITIES\n";
  const std::string end = "0\nENDSEC\n";
  const auto insert = [](const std::string& block, double x) {
    return "0\nINSERT\n8\n0\n2\n" + block + "\n10\n" + std::to_string(x) + "\n20\n0\n";
  };

  std::string deep = "0\nSECTION\n2\nBLOCKS\n";
  for (int i = 0; i < 5000; ++i)
    deep += "0\nBLOCK\n2\nB" + std::to_string(i) + "\n10\n0\n20\n0\n" +
            (i + 1 < 5000 ? insert("B" + std::to_string(i + 1), 1)
                          : "0\nLINE\n8\n0\n10\n0\n20\n0\n11\n1\n21\n1\n") +
            "0\nENDBLK\n";
  write("deep.dxf", deep + end + entities + insert("B0", 0) + end);

  std::string many = "0\nSECTION\n2\nBLOCKS\n";
  for (int i = 0; i < 12; ++i) {
    many += "0\nBLOCK\n2\nM" + std::to_string(i) + "\n10\n0\n20\n0\n";
    for (int k = 0; k < 10; ++k)
      many += i + 1 < 12 ? insert("M" + std::to_string(i + 1), k)
                         : "0\nLINE\n8\n0\n10\n0\n20\n0\n11\n1\n21\n1\n";
    many += "0\nENDBLK\n";
  }
  write("many.dxf", many + end + entities + insert("M0", 0) + end);

  std::string poly = entities + "0\nLWPOLYLINE\n8\n0\n90\n1000000\n70\n0\n";
  poly.reserve(30'000'000);
  for (int i = 0; i < 1'000'000; ++i)
    poly += "10\n" + std::to_string(i % 1000) + "\n20\n" + std::to_string(i / 1000) + "\n";
  write("polyline.dxf", poly + end);

  std::string mtext = entities + "0\nMTEXT\n8\n0\n10\n0\n20\n0\n40\n2.5\n";
  const std::string chunk = "3\n" + std::string(250, 'x') + "\n";
  mtext.reserve(105'000'000);
  for (int i = 0; i < 400'000; ++i) mtext += chunk;
  write("mtext.dxf", mtext + "1\nEnde\n" + end);

  write("counts.dxf", entities +
                          "0\nLWPOLYLINE\n8\n0\n90\n2000000000\n10\n0\n20\n0\n10\n1\n20\n1\n" +
                          "0\nPOLYLINE\n8\n0\n66\n1\n71\n2000000000\n72\n2000000000\n0\nSEQEND\n" +
                          "0\nSPLINE\n8\n0\n71\n3\n72\n2000000000\n73\n2000000000\n40\n0\n" + end);

  int n = 0;
  for (const char* name : {"deep.dxf", "many.dxf", "polyline.dxf", "mtext.dxf", "counts.dxf"}) {
    SCOPED_TRACE(name);
    const fs::path out = s.root() / ("out" + std::to_string(++n));
    fs::create_directories(out);
    Background job(
        "sh -c " +
            quote("ulimit -v 2097152 && exec " +
                  tavrin_command(s, "now " + quote((dir / name).string()) + " --pdf --yes", out)),
        s.root() / "bomb.log");
    const int status = job.wait(std::chrono::seconds(240));
    const std::string output = job.output();
    // 0: plotted; 1: reported; 2: the one drawing of the run could not be loaded
    EXPECT_TRUE(status >= 0 && status <= 2) << "status " << status << "\n"
                                            << output.substr(0, 2000);
    if (status == 2) {
      EXPECT_THAT(output, HasSubstr(name));
    }
    EXPECT_THAT(incomplete_outputs(out), IsEmpty());
  }
}

// The print server goes away in the middle of a directory run: every sheet still to print is
// reported once with the printer's name, the PDFs are still written, and the run ends.
TEST(FaultsIn, APrintServerThatStopsMidRunFailsEachRemainingSheetOnce) {
  Scratch s;
  PrintServer cups(s.root() / "cups");
  if (!cups.installed()) GTEST_SKIP() << "SKIPPED: cupsd is not installed";
  ASSERT_EQ(cups.started().status, 0) << cups.started().output;
  const fs::path& server = cups.dir();

  const fs::path dir = s.root() / "print";
  fs::create_directories(dir);
  make_drawings(dir, 10, 0);
  DirWatch arrived(server / "out");
  Background job(
      tavrin_command(s,
                     "batch " + quote(dir.string()) + " --print --plotter tavrin-file --pdf --yes",
                     s.root(), cups.env()),
      s.root() / "print.log");
  ASSERT_EQ(arrived.wait_for(1, std::chrono::seconds(120), job.pid()), 1) << job.output();
  job.signal(SIGSTOP);
  cups.stop();
  job.signal(SIGCONT);
  EXPECT_EQ(job.wait(std::chrono::seconds(300)), 1) << job.output();
  const std::string out = job.output();
  int reports = 0;
  for (std::size_t at = 0; (at = out.find("Plotter: tavrin-file", at)) != std::string::npos; ++at)
    ++reports;
  EXPECT_GE(reports, 1) << out;
  EXPECT_LE(reports, 9) << out;
  // each drawing at most once: one sheet each
  for (int i = 1; i <= 10; ++i) {
    const std::string name = (i < 10 ? "P0" : "P") + std::to_string(i) + ".mi";
    const auto first = out.find(name + "\n");
    EXPECT_TRUE(first == std::string::npos || out.find(name + "\n", first + 1) == std::string::npos)
        << name << " reported twice:\n"
        << out;
    EXPECT_TRUE(fs::exists(dir / (name.substr(0, 3) + "_Blatt_1.pdf"))) << out;
  }
}

}  // namespace
}  // namespace e2e
