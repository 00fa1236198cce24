// The directory run spread over worker processes (--jobs), over the parts of a cluster run
// (--shard) and described in a JSON report (--report): always the sequential run's result.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
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
  for (const std::string& name : files) EXPECT_FALSE(name.starts_with("Blatt_1")) << name;
  EXPECT_EQ(files_in(s.examples() / ".tavrin-state"), std::vector<std::string>{"run.journal"});
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

// What a run's report says of its files, its totals and its exit status.
std::string report_facts(const fs::path& report) {
  return run("/usr/bin/python3 -c 'import json,sys; r=json.load(open(sys.argv[1])); "
             "print(json.dumps([r[\"files\"], r[\"totals\"], r[\"exit_status\"]]))' " +
             quote(report.string()))
      .output;
}

// A run killed (SIGKILL, as a power cut) at a moment of its commits and resumed ends as the
// uninterrupted run: the same outputs, the same ".org" copies (the flange's drawing number
// comes twice, the later file wins), the whole report, no stage directory left.
TEST(Resume, AKilledRunResumedEndsAsTheUninterruptedRun) {
  Scratch whole;
  add_collisions(whole);
  ASSERT_EQ(whole.tavrin(batch(whole, "--jobs 2 --report " + quote((whole.root() / "r.json").string())))
                .status,
            1);
  struct Case {
    const char* fault;  // the commit event before which the parent dies, or "end"
    const char* jobs;
  };
  // Before the first commit, inside a commit (its outputs half renamed), between the two
  // files with the same drawing number, after the last commit; in workers and in-process.
  for (const Case c : {Case{"0", "2"}, Case{"9", "2"}, Case{"14", "2"}, Case{"end", "2"},
                       Case{"9", "1"}, Case{"14", "1"}}) {
    SCOPED_TRACE(std::string("fault ") + c.fault + ", --jobs " + c.jobs);
    Scratch s;
    add_collisions(s);
    const std::string jobs = std::string("--jobs ") + c.jobs;
    const Result killed =
        tavrin_with_env(s, std::string("TAVRIN_PARENT_FAULT=") + c.fault, batch(s, jobs));
    EXPECT_EQ(killed.status, 137) << killed.output;
    const fs::path report = s.root() / "r.json";
    const Result resumed = s.tavrin(batch(s, jobs + " --resume --report " + quote(report.string())));
    EXPECT_EQ(resumed.status, 1) << resumed.output;
    EXPECT_THAT(resumed.output, HasSubstr("Resuming the run: "));
    EXPECT_EQ(result_of(s.examples()), result_of(whole.examples()));
    EXPECT_EQ(report_facts(report), report_facts(whole.root() / "r.json"));
    EXPECT_EQ(files_in(s.examples() / ".tavrin-state"), std::vector<std::string>{"run.journal"});
  }
}

// A file changed after its commit is done again on resume; the unchanged ones are not.
TEST(Resume, AChangedInputIsDoneAgain) {
  Scratch s;
  ASSERT_EQ(s.tavrin(batch(s, "--jobs 2")).status, 1);
  std::string plate = slurp(s.examples() / "schild.dxf");
  fs::remove(s.examples() / "schild.dxf");
  std::ofstream(s.examples() / "schild.dxf") << plate << "\n";
  const Result resumed = s.tavrin(batch(s, "--jobs 2 --resume"));
  EXPECT_THAT(resumed.output, HasSubstr("Resuming the run: 6 of 7 files are done and unchanged"));
  // The changed drawing's earlier output became ".org", as any new plot of it makes it.
  const auto files = files_in(s.examples());
  EXPECT_THAT(files, ::testing::Contains("schild_1.mi.org")) << resumed.output;
  EXPECT_THAT(files, Not(::testing::Contains("4711_A_1.dxf.org")));
}

// Each part of a sharded run resumes its own block.
TEST(Resume, AKilledPartOfAShardedRunResumesItsBlock) {
  Scratch whole, parts;
  add_collisions(whole);
  add_collisions(parts);
  ASSERT_EQ(whole.tavrin(batch(whole, "--jobs 2")).status, 1);
  const std::string list = " --shard-list " + quote((parts.root() / "list").string());
  for (int k = 0; k < 3; ++k) {
    const std::string shard = " --jobs 2 --shard " + std::to_string(k) + "/3" + list;
    if (k == 1) {
      EXPECT_EQ(tavrin_with_env(parts, "TAVRIN_PARENT_FAULT=2", batch(parts, shard)).status, 137);
      EXPECT_THAT(parts.tavrin(batch(parts, shard + " --resume")).output,
                  HasSubstr("Resuming the run: "));
    } else {
      parts.tavrin(batch(parts, shard));
    }
  }
  EXPECT_EQ(result_of(parts.examples()), result_of(whole.examples()));
}

// A drawing that needs more memory than --memory-limit allows is reported in words, leaves no
// output, and the run goes on: in workers and in one process alike.
TEST(MemoryLimit, ADrawingBeyondTheLimitIsReportedAndTheRunGoesOn) {
#ifdef TAVRIN_SANITIZED
  GTEST_SKIP() << "SKIPPED: the sanitizers' shadow memory does not live with an address-space limit";
#endif
  Scratch s;
  {
    // 100,000 lines: far beyond 50 MiB once read.
    std::ofstream big(s.examples() / "huge.dxf");
    big << "0\nSECTION\n2\nENTITIES\n";
    for (int i = 0; i < 100000; ++i)
      big << "0\nLINE\n8\n0\n10\n" << i % 1000 << "\n20\n" << i / 1000 << "\n11\n"
          << i % 1000 + 1 << "\n21\n" << i / 1000 + 1 << "\n";
    big << "0\nENDSEC\n0\nEOF\n";
  }
  for (const char* jobs : {"2", "1"}) {
    SCOPED_TRACE(std::string("--jobs ") + jobs);
    const Result r = s.tavrin("batch " + quote(s.examples().string()) +
                              " --select flansch.mi --select huge.dxf --select welle.dxf --pdf --yes"
                              " --memory-limit 50M --jobs " + jobs);
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_THAT(r.output, HasSubstr("\nhuge.dxf: needs more than 50 MiB of memory; not plotted\n"));
    // That one line and nothing else about the drawing (no reader's complaint before it).
    EXPECT_EQ(r.output.find("huge"), r.output.rfind("huge")) << r.output;
    const auto files = files_in(s.examples());
    for (const std::string& name : files) EXPECT_FALSE(name.starts_with("huge_")) << name;
    EXPECT_THAT(files, ::testing::IsSupersetOf({"4711_A_1.pdf", "welle_Blatt_2.pdf"}));
  }
}

}  // namespace
}  // namespace e2e
