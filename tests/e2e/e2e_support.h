// Running the `tavrin` program in a scratch directory and reading what it wrote.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace e2e {

namespace fs = std::filesystem;

struct Result {
  int status = -1;
  std::string output;  // standard output and standard error together
};

// Runs a shell command line; returns its exit status and output.
Result run(const std::string& command_line);
std::string quote(const std::string& s);

// A fresh scratch directory with a copy of the installation tree ("share") and of the
// example drawings ("ex"), removed again at the end of the test.
class Scratch {
 public:
  Scratch();
  ~Scratch();
  const fs::path& root() const { return root_; }
  fs::path share() const { return root_ / "share"; }
  fs::path examples() const { return root_ / "ex"; }
  // `tavrin` with the scratch installation tree and profile, run in `cwd` (default: root).
  Result tavrin(const std::string& args, const fs::path& cwd = {}) const;

 private:
  tavrin_test::ScratchDir dir_;
  fs::path root_;
};

// The throwaway print server of scripts/cups-test-env.sh, kept under `dir` and stopped at the
// end of the test at the latest. Its printer "tavrin-file" writes each job into `dir`/out.
class PrintServer {
 public:
  explicit PrintServer(const fs::path& dir);
  ~PrintServer() { stop(); }
  PrintServer(const PrintServer&) = delete;
  PrintServer& operator=(const PrintServer&) = delete;
  // False when cupsd is not installed (the test then skips).
  bool installed() const { return started_.status != 3; }
  const Result& started() const { return started_; }
  const fs::path& dir() const { return dir_; }
  // The environment assignment that points a program at this server.
  std::string env() const;
  void stop();

 private:
  fs::path dir_;
  Result started_;
  bool stopped_ = false;
};

// Names of the files in a directory, sorted.
std::vector<std::string> files_in(const fs::path& dir);
// pdfinfo's "Page size" of page 1 in points, and the page count.
struct PdfInfo {
  double width = 0, height = 0;
  int pages = 0;
};
PdfInfo pdf_info(const fs::path& pdf);
std::string pdf_text(const fs::path& pdf);
// The texts of a DXF file (TEXT, MTEXT plain text, ATTRIB values) as python3-ezdxf reads them,
// one per line, preceded by a line "entities N".
std::string dxf_texts(const fs::path& dxf);

}  // namespace e2e

namespace e2e {

// `tavrin` as Scratch::tavrin runs it, with environment assignments in front ("EDITOR=...",
// already quoted as the shell needs them).
Result tavrin_with_env(const Scratch& scratch, const std::string& env, const std::string& args,
                       const fs::path& cwd = {});

}  // namespace e2e
