// Helpers of the plotting tests: a fresh temporary directory, running the PDF tools, reading
// page sizes, texts and line widths of a PDF.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/api/testing.h"
#include "host/drawing/model.h"
#include "support/scratch_dir.h"

namespace plot_test {

// A fresh directory under the system's temporary directory, removed with its content.
using TempDir = tavrin_test::ScratchDir;

// A fixture for tests that plot into files: a fresh host, working in a directory of its own,
// given back afterwards.
class InScratchDir : public ::testing::Test {
 protected:
  void SetUp() override {
    host::reset_host();
    old_cwd_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
  }
  void TearDown() override { std::filesystem::current_path(old_cwd_); }

  TempDir dir_;
  std::filesystem::path old_cwd_;
};

// Runs a shell command; returns its exit status and standard output.
struct CommandResult {
  int status = -1;
  std::string out;
};
CommandResult run(const std::string& command);

struct PageBox {
  double width_pt = 0;
  double height_pt = 0;
  int rotate = 0;
};
// Size and rotation of every page (pdfinfo), in order.
std::vector<PageBox> page_boxes(const std::string& pdf);
// The text of one page, or of all pages with page 0 (pdftotext, UTF-8).
std::string pdf_text(const std::string& pdf, int page = 0);
// The arguments of every "w" operator in the uncompressed content streams (qpdf --qdf).
std::vector<double> line_widths(const std::string& pdf);

// A number written by a PDF tool, read without the global locale.
double to_number(const std::string& s);

inline constexpr double kPt = 72.0 / 25.4;

// Elements for drawings built in the tests.
host::Element line(double x1, double y1, double x2, double y2, double pensize = 0.35);
host::Element text(double x, double y, std::vector<std::string> lines, int adjust = 1,
                   double size = 3.5);
host::Element rectangle(double x1, double y1, double x2, double y2);

}  // namespace plot_test
