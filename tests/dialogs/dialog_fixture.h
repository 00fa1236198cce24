// The dialogs as a person meets them: a copy of the installation tree, a profile directory,
// a plot directory, the start commands registered, and the headless front end recording.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "config/language.h"
#include "dialogs/job_settings.h"
#include "dialogs/start_commands.h"
#include "host/api/host.h"
#include "host/api/testing.h"
#include "host/ui/headless.h"
#include "host/ui/model.h"
#include "host/ui/tables.h"
#include "host/ui/user_actions.h"
#include "base/globals.h"

namespace tavrin::testing {

namespace fs = std::filesystem;

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::reset_host();
    tavrin::reset_globals();
    front().clear();
    front().set_output(sink_);
    front().set_question_policy(host::ui::HeadlessFrontEnd::QuestionPolicy::Scripted);
    previous_cwd_ = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "tavrin-dialogs-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    fs::copy(TAVRIN_SOURCE_DIR "/share/tavrin", install(), fs::copy_options::recursive);
    // A fixed printer and style list, so that no start asks the print system.
    write(install() / "TABELLEN/TavrinPlotter.dat", "Plotter-A4\nPlotter-A3\n");
    write(install() / "TABELLEN/TavrinPlotSyles.dat", "Schwarz\n");
    fs::create_directories(profile());
    fs::create_directories(plot_dir());
    setenv("TAVRIN_PROFILE_DIR", profile().c_str(), 1);
    g().tavrin_path = install().string();
    host::sd_set_current_working_directory(plot_dir().string());
    language_file_to_ltab();
    register_start_dialogs();
  }
  void TearDown() override {
    fs::current_path(previous_cwd_);
    unsetenv("TAVRIN_PROFILE_DIR");
    fs::remove_all(root_);
  }

  fs::path install() const { return root_ / "install"; }
  fs::path profile() const { return root_ / "profile"; }
  fs::path plot_dir() const { return root_ / "plot"; }
  fs::path user_copy() const { return profile() / "TavrinStandard.dat"; }
  fs::path shared_copy() const { return install() / "TABELLEN/TavrinStandard.dat"; }

  static void write(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
  }
  static std::string read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static std::vector<std::string> lines_of(const fs::path& path) {
    std::vector<std::string> lines;
    std::istringstream in(read(path));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  // The start command as the ribbon runs it.
  static void start(bool batch) {
    host::sd_call_dialog(batch ? "TAVRIN-BATCH-START-DIALOG" : "TAVRIN-NOW-START-DIALOG");
  }

  static std::string id(const std::string& key) { return "TAVRIN-DIALOG-" + key; }
  static bool on(const std::string& key) { return host::sd_togglebutton_set_p(id(key)); }
  static bool shown(const std::string& key) { return host::sd_control_visible_p(id(key)); }
  static host::ui::Control control(const std::string& key) {
    auto c = host::ui::find_control(id(key));
    EXPECT_TRUE(c.has_value()) << key;
    return c.value_or(host::ui::Control{});
  }

  // The file table's column as texts.
  static std::vector<std::string> column(const char* name) {
    std::vector<std::string> out;
    for (const host::Value& v : host::sd_read_logical_table_column("TAVRIN-ltb", host::kw(name))) {
      out.push_back(v.is_string() ? v.as_string() : host::print_text(v));
    }
    return out;
  }

  static host::ui::HeadlessFrontEnd& front() { return host::ui::default_front_end(); }

  std::ostringstream sink_;
  fs::path root_;
  fs::path previous_cwd_;
};

}  // namespace tavrin::testing
