// The directory run spread over worker processes (--jobs), over the parts of a cluster run
// (--shard) and described in a JSON report (--report): always the sequential run's result.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "e2e_support.h"
#include "fault_support.h"

namespace e2e {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// The examples, plus a later file with the flange's drawing number but another title (its
// outputs replace the flange's, which become ".org") and a file no reader understands.
void add_collisions(const Scratch& s) {
  std::string flange = slurp(s.examples() / "flansch.mi");
  flange = std::regex_replace(flange, std::regex("Flansch DN 80"), "Flansch DN 99");
  std::ofstream(s.examples() / "zz-flansch.mi") << flange;
  std::ofstream(s.examples() / "kaputt.mi") << "tavrin-mi 1\nsheet \"1\" oops\n";
}

const char* const kJob = " --pdf --dxf --mi --yes";

std::string batch(const Scratch& s, const std::string& extra) {
  return "batch " + quote(s.examples().string()) + kJob + " " + extra;
}

// What a run left: every file's name, and its content where content is reproducible (PDF
// files carry their creation time: their pages, page sizes and text instead).
std::map<std::string, std::string> result_of(const fs::path& dir) {
  std::map<std::string, std::string> out;
  for (const std::string& name : files_in(dir)) {
    const fs::path p = dir / name;
    if (name.find(".pdf") != std::string::npos) {
      const PdfInfo info = pdf_info(p);
      out[name] = std::to_string(info.pages) + " " + std::to_string(info.width) + "x" +
                  std::to_string(info.height) + "\n" + pdf_text(p);
    } else {
      out[name] = slurp(p);
    }
  }
  return out;
}

std::string without(std::string text, const std::string& dir) {
  for (auto at = text.find(dir); at != std::string::npos; at = text.find(dir))
    text.replace(at, dir.size(), "DIR");
  return text;
}

TEST(Scale, WorkersWriteWhatTheSequentialRunWrites) {
  Scratch one, many;
  add_collisions(one);
  add_collisions(many);
  const Result a = one.tavrin(batch(one, "--jobs 1"));
  const Result b = many.tavrin(batch(many, "--jobs 3"));
  EXPECT_EQ(a.status, 1) << a.output;  // the empty and the broken file
  EXPECT_EQ(b.status, a.status) << b.output;
  EXPECT_EQ(without(b.output, many.examples().string()),
            without(a.output, one.examples().string()));
  EXPECT_EQ(result_of(many.examples()), result_of(one.examples()));
  // The later file in list order won; the earlier output is the ".org" copy.
  EXPECT_THAT(dxf_texts(many.examples() / "4711_A_1.dxf"), HasSubstr("DN 99"));
  EXPECT_THAT(dxf_texts(many.examples() / "4711_A_1.dxf.org"), HasSubstr("DN 80"));
}

TEST(Scale, AKilledWorkerIsReportedAndLeavesNothingBehind) {
  Scratch s;
  const Result r = tavrin_with_env(s, "TAVRIN_WORKER_FAULT=platte.mi", batch(s, "--jobs 2"));
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_THAT(r.output, HasSubstr("platte.mi: the worker process was killed by signal 9"));
  const auto files = files_in(s.examples());
  // The plate writes "Blatt_1.*" (the layout example "welle_Blatt_1.*"); its worker died
  // after staging the first of them.
  for (const std::string& name : files) {
    EXPECT_FALSE(name.starts_with("Blatt_1")) << name;
    EXPECT_THAT(name, Not(HasSubstr(".tavrin-stage")));
  }
  // The other files were done all the same.
  for (const char* name : {"4712_1.pdf", "4711_A_1.pdf", "4711_A_1.dxf"})
    EXPECT_THAT(files, ::testing::Contains(name));
}

TEST(Scale, ShardsRunOneAfterAnotherWriteWhatOneRunWrites) {
  Scratch whole, parts;
  add_collisions(whole);
  add_collisions(parts);
  ASSERT_EQ(
      whole.tavrin(batch(whole, "--report " + quote((whole.root() / "all.json").string()))).status,
      1);
  std::string reports;
  for (int k = 0; k < 3; ++k) {
    const std::string report =
        quote((parts.root() / ("part" + std::to_string(k) + ".json")).string());
    // Every part after the first lists the outputs of the earlier ones too: the shared list
    // keeps the parts to the files the first part saw.
    parts.tavrin(batch(parts, "--shard " + std::to_string(k) + "/3 --report " + report +
                                  " --shard-list " + quote((parts.root() / "list").string())));
    reports += " " + report;
  }
  EXPECT_EQ(result_of(parts.examples()), result_of(whole.examples()));

  // The merged reports of the parts describe the files of the whole run, in its order.
  const Result merged = parts.tavrin("report merge" + reports + " -o " +
                                     quote((parts.root() / "merged.json").string()));
  ASSERT_EQ(merged.status, 0) << merged.output;
  const auto files_of = [](const fs::path& report) {
    return run("/usr/bin/python3 -c 'import json,sys; r=json.load(open(sys.argv[1])); "
               "print(json.dumps([r[\"files\"], r[\"totals\"], r[\"exit_status\"]]))' " +
               quote(report.string()))
        .output;
  };
  EXPECT_EQ(files_of(parts.root() / "merged.json"), files_of(whole.root() / "all.json"));
  const Result bad = parts.tavrin("report merge " + quote((parts.root() / "profile").string()));
  EXPECT_EQ(bad.status, 2) << bad.output;
  EXPECT_EQ(parts.tavrin("batch . --shard 3/3 --yes").status, 2);
}

TEST(Scale, ReportFollowsItsSchemaAndTellsWhatWasWritten) {
  Scratch s;
  const fs::path report = s.root() / "r.json";
  ASSERT_EQ(s.tavrin(batch(s, "--jobs 2 --report " + quote(report.string()))).status, 1);
  const std::string schema = std::string(TAVRIN_SOURCE_DIR) + "/docs/report.schema.json";
  const Result valid =
      run("/usr/bin/python3 -c 'import json,sys,jsonschema; "
          "jsonschema.validate(json.load(open(sys.argv[1])), json.load(open(sys.argv[2])))' " +
          quote(report.string()) + " " + quote(schema));
  EXPECT_EQ(valid.status, 0) << valid.output;
  // One line per file: name, load status, problems, and per sheet what it became.
  const Result facts =
      run("/usr/bin/python3 -c 'import json,sys,os\n"
          "r = json.load(open(sys.argv[1]))\n"
          "for f in r[\"files\"]:\n"
          "  print(f[\"file\"], f[\"drawing_number\"], f[\"load\"], len(f[\"problems\"]))\n"
          "  for s in f[\"sheets\"]:\n"
          "    print(\" \", s[\"name\"], s.get(\"measured_mm\"), s.get(\"format\"), "
          "s.get(\"orientation\"), s.get(\"fit_factor\"))\n"
          "    for o in s[\"outputs\"]: assert os.path.getsize(os.path.join(r[\"directory\"], "
          "o[\"path\"])) == o[\"bytes\"], o\n"
          "print(r[\"totals\"][\"files\"], r[\"totals\"][\"failed\"], r[\"exit_status\"])' " +
          quote(report.string()));
  EXPECT_EQ(facts.status, 0) << facts.output;
  EXPECT_THAT(facts.output, HasSubstr("flansch.mi 4711 A loaded 0\n  1 [400.0, 280.0]"));
  EXPECT_THAT(facts.output, HasSubstr("leer.mi None failed 1\n"));
  EXPECT_THAT(facts.output, HasSubstr("\n7 1 1\n"));
}

// Print jobs reach the print system in list order, whichever worker finishes first: the
// queue is held, so its spool keeps every job's PDF under the job's number.
TEST(Scale, PrintJobsArriveInListOrderFromTheWorkers) {
  Scratch s;
  PrintServer cups(s.root() / "cups");
  if (!cups.installed()) GTEST_SKIP() << "SKIPPED: cupsd is not installed";
  ASSERT_EQ(cups.started().status, 0) << cups.started().output;
  const fs::path& server = cups.dir();
  const std::string env = cups.env();
  ASSERT_EQ(run(env + " cupsdisable tavrin-file").status, 0);

  const fs::path dir = s.root() / "print";
  fs::create_directories(dir);
  constexpr int kDrawings = 8;
  make_drawings(dir, kDrawings, 0);
  const Result r = run(tavrin_command(
      s, "batch " + quote(dir.string()) + " --print --plotter tavrin-file --yes --jobs 2", s.root(),
      env));
  ASSERT_EQ(r.status, 0) << r.output;
  for (int i = 1; i <= kDrawings; ++i) {
    char job[32], number[16];
    std::snprintf(job, sizeof job, "d%05d-001", i);
    std::snprintf(number, sizeof number, "P%02d ", i);
    const Result info = run("pdfinfo " + quote((server / "spool" / job).string()));
    EXPECT_THAT(info.output, HasSubstr(std::string("Title:           ") + number)) << job;
  }
}

}  // namespace
}  // namespace e2e
