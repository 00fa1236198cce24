// DWG drawings through the `tavrin` program: a stand-in converter that fails in every way a
// real one can (each failure costs only its file, and the converter is started again), and
// real DWG files from the shared corpus against their DXF twins.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>

#include "e2e_support.h"

namespace e2e {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

// Speaks the converter's protocol and does what each fake DWG file says: its content is one
// word. Every start adds a line to $FAKE_STARTS.
constexpr const char* kFakeNode = R"(#!/usr/bin/python3
import json, os, signal, sys, time
with open(os.environ["FAKE_STARTS"], "a") as f:
    f.write("start\n")
def answer(obj):
    sys.stdout.write(json.dumps(obj) + "\n"); sys.stdout.flush()
DXF = "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0\n20\n0\n11\n100\n21\n50\n0\nENDSEC\n0\nEOF\n"
answer({"status": "ready", "libredwg": "fake"})
for line in sys.stdin:
    req = json.loads(line)
    what = open(req["in"]).read().strip()
    if what == "hang":
        time.sleep(3600)
    elif what == "crash":
        sys.stderr.write("fake: segmentation fault ahead\n"); sys.stderr.flush()
        os.kill(os.getpid(), signal.SIGSEGV)
    elif what == "garbage":
        sys.stdout.write("%%% not an answer\n"); sys.stdout.flush()
    elif what == "memory":
        hog = bytearray(400 << 20)
        for i in range(0, len(hog), 4096): hog[i] = 1
        time.sleep(3600)
    elif what == "critical":
        answer({"status": "failed", "code": 256 | 2048, "error": "LibreDWG error"})
    elif what == "baddxf":
        open(req["out"], "w").write("this is no DXF\n")
        answer({"status": "done", "code": 0})
    else:
        open(req["out"], "w").write(DXF)
        answer({"status": "done", "code": 6 if what == "warn" else 0})
)";

struct Fake {
  fs::path node, converter, starts;
  std::string env() const {
    return "TAVRIN_NODE=" + quote(node.string()) +
           " TAVRIN_DWG_CONVERTER=" + quote(converter.string()) +
           " FAKE_STARTS=" + quote(starts.string());
  }
  int start_count() const {
    std::ifstream in(starts);
    int n = 0;
    for (std::string line; std::getline(in, line);) ++n;
    return n;
  }
};

Fake make_fake(const fs::path& root) {
  Fake f{root / "fake-node", root / "converter", root / "starts"};
  std::ofstream(f.node) << kFakeNode;
  fs::permissions(f.node, fs::perms::owner_all);
  fs::create_directories(f.converter / "node_modules/@mlightcad/libredwg-web/wasm");
  std::ofstream(f.converter / "dwg2dxf.mjs") << "// stand-in\n";
  std::ofstream(f.converter / "node_modules/@mlightcad/libredwg-web/wasm/libredwg-web.wasm");
  return f;
}

TEST(Dwg, EveryConverterFailureCostsOnlyItsFileAndTheConverterServesTheRest) {
  Scratch s;
  const Fake fake = make_fake(s.root());
  const fs::path dir = s.root() / "dwg";
  fs::create_directories(dir);
  // In name order: the run meets each failure between files that convert.
  const std::map<std::string, std::string> files = {
      {"a1.dwg", "ok"},     {"a2.DWG", "ok"},    {"b.dwg", "hang"},     {"c.dwg", "crash"},
      {"d.dwg", "garbage"}, {"e.dwg", "memory"}, {"f.dwg", "critical"}, {"g.dwg", "baddxf"},
      {"h.dwg", "warn"},    {"i.dwg", "ok"}};
  for (const auto& [name, what] : files) std::ofstream(dir / name) << what << "\n";

  for (const char* jobs : {"1", "2"}) {
    SCOPED_TRACE(std::string("--jobs ") + jobs);
    fs::remove(fake.starts);
    const Result r = tavrin_with_env(s, fake.env(),
                                     "batch " + quote(dir.string()) + " --jobs " + jobs +
                                         " --pdf --dwg-timeout 3 --dwg-memory-limit 200 --yes");
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_THAT(r.output,
                AllOf(HasSubstr("b.dwg: the DWG reader failed: no result after 3 s"),
                      HasSubstr("c.dwg: the DWG reader failed: the converter crashed (signal 11)"
                                ": fake: segmentation fault ahead"),
                      HasSubstr("d.dwg: the DWG reader failed: the converter answered something "
                                "that is not an answer"),
                      HasSubstr("e.dwg: the DWG reader failed: the converter exceeded its memory "
                                "limit of 200 MB"),
                      HasSubstr("f.dwg: the DWG reader failed: LibreDWG cannot read it (section "
                                "not found, invalid DWG, code 2304)"),
                      HasSubstr("g.dwg (converted to DXF)"),
                      HasSubstr("h.dwg: LibreDWG reported not yet supported, unhandled class "
                                "(code 6)")))
        << r.output;
    // The converted DXF never lies beside the drawing, and the failures left no outputs.
    const auto out = files_in(dir);
    EXPECT_THAT(out, AllOf(Contains("a1_1.pdf"), Contains("a2_1.pdf"), Contains("h_1.pdf"),
                           Contains("i_1.pdf")))
        << r.output;
    for (const char* failed :
         {"b_1.pdf", "c_1.pdf", "d_1.pdf", "e_1.pdf", "f_1.pdf", "g_1.pdf", "a1.dxf", "i.dxf"})
      EXPECT_THAT(out, Not(Contains(failed))) << r.output;
    // One converter serves the files that convert; each of the five failures that leave it
    // in doubt (time, crash, garbage, memory, critical) costs one new start.
    if (std::string(jobs) == "1") {
      EXPECT_EQ(fake.start_count(), 6) << r.output;
    }
    for (const std::string& name : out)
      if (fs::path(name).extension() == ".pdf") fs::remove(dir / name);
  }
}

TEST(Dwg, WithoutNodeOrConverterEachDwgSaysWhatToInstallAndTheRunGoesOn) {
  Scratch s;
  const Fake fake = make_fake(s.root());
  const fs::path dir = s.root() / "mixed";
  fs::create_directories(dir);
  std::ofstream(dir / "a.dwg") << "ok\n";
  std::ofstream(dir / "b.dwg") << "ok\n";
  fs::copy_file(s.examples() / "flansch.mi", dir / "flansch.mi");
  const std::string args = "batch " + quote(dir.string()) + " --pdf --jobs 1 --yes";

  Result r = tavrin_with_env(s, "TAVRIN_NODE=/nonexistent/node", args);
  EXPECT_EQ(r.status, 1) << r.output;
  for (const char* name : {"a.dwg", "b.dwg"})
    EXPECT_THAT(r.output, HasSubstr(std::string(name) + ": the DWG reader failed: DWG files need "
                                                        "Node.js, which is not installed: install "
                                                        "the package nodejs"))
        << r.output;
  EXPECT_THAT(files_in(dir), Contains("4711_A_1.pdf"));

  r = tavrin_with_env(s,
                      "TAVRIN_NODE=" + quote(fake.node.string()) +
                          " TAVRIN_DWG_CONVERTER=" + quote((s.root() / "nowhere").string()),
                      args);
  EXPECT_THAT(r.output, AllOf(HasSubstr("a.dwg: the DWG reader failed: the DWG converter is not "
                                        "installed in " +
                                        (s.root() / "nowhere").string()),
                              HasSubstr("b.dwg: the DWG reader failed"),
                              HasSubstr("run scripts/install-deps.sh")))
      << r.output;
  r = tavrin_with_env(s, "TAVRIN_NODE=/nonexistent/node", "--version");
  EXPECT_THAT(r.output, HasSubstr("DWG converter: Node.js is missing")) << r.output;
}

// ---- Real DWG files from the shared corpus, with the converter of the build ----------------

// Beside the repository, or where $TAVRIN_DWG_CORPUS says (a work tree elsewhere).
const fs::path kCorpus = std::getenv("TAVRIN_DWG_CORPUS") != nullptr
                             ? fs::path(std::getenv("TAVRIN_DWG_CORPUS"))
                             : fs::path(TAVRIN_SOURCE_DIR) / "../shared/dwg-corpus";

bool have_corpus_and_converter(std::string& why) {
  if (!fs::is_directory(kCorpus)) {
    why = "the shared DWG corpus is not beside the repository (" + kCorpus.string() + ")";
    return false;
  }
  if (!fs::exists(fs::path(TAVRIN_BUILD_SHARE) /
                  "dwg/node_modules/@mlightcad/libredwg-web/wasm/libredwg-web.wasm")) {
    why = "the DWG converter's package is not installed (scripts/install-deps.sh)";
    return false;
  }
  return true;
}

// The PDFs a run wrote, by name, with their page sizes.
std::map<std::string, PdfInfo> pdfs_in(const fs::path& dir) {
  std::map<std::string, PdfInfo> found;
  for (const std::string& name : files_in(dir))
    if (fs::path(name).extension() == ".pdf") found[name] = pdf_info(dir / name);
  return found;
}

TEST(DwgCorpus, DwgFilesPlotTheSheetsOfTheirDxfTwins) {
  std::string why;
  if (!have_corpus_and_converter(why)) GTEST_SKIP() << why;
  Scratch s;
  EXPECT_THAT(s.tavrin("--version").output, HasSubstr("DWG converter: LibreDWG 0.13.3"));
  // Three layouts saved by two versions (LibreDWG writes all their layers off, and texts of
  // AC1032 with line breaks and stray bytes: the converter repairs both); a drawing with
  // blocks; each beside its twin, under one name so that the outputs are named alike.
  for (const char* name :
       {"acadsharp/sample_AC1015", "acadsharp/sample_AC1032", "acadsharp/BLOCKROTATIONPARAMETER"}) {
    SCOPED_TRACE(name);
    const fs::path dwg_dir = s.root() / "dwg", dxf_dir = s.root() / "dxf";
    fs::remove_all(dwg_dir), fs::remove_all(dxf_dir);
    fs::create_directories(dwg_dir), fs::create_directories(dxf_dir);
    const std::string base = fs::path(name).filename().string();
    // The suffix in capitals, as DOS-era archives name them.
    fs::copy_file(kCorpus / (std::string(name) + ".dwg"), dwg_dir / (base + ".DWG"));
    fs::copy_file(kCorpus / (std::string(name) + ".twin.dxf"), dxf_dir / (base + ".dxf"));
    const Result from_dwg =
        s.tavrin("now " + quote((dwg_dir / (base + ".DWG")).string()) + " --pdf --yes", dwg_dir);
    const Result from_dxf =
        s.tavrin("now " + quote((dxf_dir / (base + ".dxf")).string()) + " --pdf --yes", dxf_dir);
    EXPECT_EQ(from_dwg.status, 0) << from_dwg.output;
    EXPECT_EQ(from_dxf.status, 0) << from_dxf.output;
    const auto dwg_pdfs = pdfs_in(dwg_dir), dxf_pdfs = pdfs_in(dxf_dir);
    ASSERT_FALSE(dxf_pdfs.empty()) << from_dxf.output;
    ASSERT_EQ(dwg_pdfs.size(), dxf_pdfs.size()) << from_dwg.output;
    for (const auto& [pdf, info] : dxf_pdfs) {
      ASSERT_TRUE(dwg_pdfs.count(pdf)) << pdf << "\n" << from_dwg.output;
      EXPECT_NEAR(dwg_pdfs.at(pdf).width, info.width, 1.0) << pdf;
      EXPECT_NEAR(dwg_pdfs.at(pdf).height, info.height, 1.0) << pdf;
    }
    // Nothing of the conversion is left beside the drawing.
    for (const std::string& file : files_in(dwg_dir))
      EXPECT_NE(fs::path(file).extension(), ".dxf") << file;
  }
}

}  // namespace
}  // namespace e2e
