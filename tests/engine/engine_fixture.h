// A fresh host and module per test: the shipped language texts, a small format table, a
// recording front end, and a private output directory as the host's working directory.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "base/globals.h"
#include "config/language.h"
#include "host/api/host.h"
#include "host/api/testing.h"
#include "host/drawing/store.h"
#include "host/ui/headless.h"
#include "support/scratch_dir.h"

namespace tavrin::test {

// Records like the headless front end and lets a test look around at each output line.
class WatchingFrontEnd : public host::ui::HeadlessFrontEnd {
 public:
  explicit WatchingFrontEnd(std::ostream& out) : HeadlessFrontEnd(out) {}
  std::function<void(const std::string&)> on_output;
  void output_line(const std::string& text) override {
    HeadlessFrontEnd::output_line(text);
    if (on_output) on_output(text);
  }
};

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::reset_host();
    tavrin::reset_globals();
    host::ui::set_front_end(&front_);
    g().tavrin_path = TAVRIN_SOURCE_DIR "/share/tavrin";
    language_file_to_ltab();
    g().plot_format_data = {{"A4", 297, 210}, {"A3", 420, 297}, {"A2", 594, 420}};
    scratch_.emplace();
    dir_ = scratch_->path();
    previous_dir_ = host::sd_get_current_working_directory();
    host::sd_set_current_working_directory(dir_.string());
  }

  void TearDown() override {
    host::ui::set_front_end(nullptr);
    host::sd_set_current_working_directory(previous_dir_);
    scratch_.reset();
  }

  // Makes a drawing of these sheets (name and elements, in order) the current one.
  struct SheetSpec {
    std::string name;
    std::vector<host::Element> elements;
  };
  void set_drawing(std::optional<std::string> number, std::vector<SheetSpec> sheets) {
    host::Drawing d;
    d.number = std::move(number);
    int unique = 0;
    for (SheetSpec& spec : sheets) {
      host::Sheet sheet;
      sheet.name = spec.name;
      sheet.unique_name = std::to_string(++unique);
      sheet.elements = std::move(spec.elements);
      d.sheets.push_back(std::move(sheet));
    }
    host::replace_current_drawing(std::move(d));
  }
  static host::Element rectangle(double x1, double y1, double x2, double y2) {
    host::Element e;
    e.kind = host::ElementKind::Rectangle;
    e.points = {{x1, y1}, {x2, y2}};
    return e;
  }
  static host::Element text(const std::string& content, double x, double y) {
    host::Element e;
    e.kind = host::ElementKind::Text;
    e.points = {{x, y}};
    e.text.lines = {content};
    e.text.size = 5;
    return e;
  }
  // The names of the current drawing's sheets, in order.
  std::vector<std::string> sheet_names() {
    std::vector<std::string> names;
    for (const host::Value& s : host::sd_am_inq_all_sheets())
      names.push_back(host::print_text(host::sd_am_inq_sheet(s).at(0)));
    return names;
  }

  // Runs a shell command; its standard output, and its exit status in `status`.
  static std::string run(const std::string& command, int* status = nullptr) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buf[4096];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
    const int rc = pclose(pipe);
    if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
  }

  bool exists(const std::string& name) const { return std::filesystem::exists(dir_ / name); }
  std::string read(const std::string& name) const {
    return host::read_file((dir_ / name).string());
  }

  std::ostringstream printed_;
  WatchingFrontEnd front_{printed_};
  std::optional<tavrin_test::ScratchDir> scratch_;
  std::filesystem::path dir_;
  std::string previous_dir_;
};

}  // namespace tavrin::test
