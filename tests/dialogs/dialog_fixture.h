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

#include "base/globals.h"
#include "config/language.h"
#include "dialogs/job_settings.h"
#include "dialogs/start_commands.h"
#include "host/api/host.h"
#include "host/api/testing.h"
#include "host/ui/headless.h"
#include "host/ui/model.h"
#include "host/ui/tables.h"
#include "host/ui/user_actions.h"
#include "support/install_test.h"

namespace tavrin::testing {

namespace fs = std::filesystem;

class DialogTest : public tavrin_test::InstallTest {
 protected:
  void SetUp() override {
    InstallTest::SetUp();
    front().set_question_policy(host::ui::HeadlessFrontEnd::QuestionPolicy::Scripted);
    // A fixed printer and style list, so that no start asks the print system.
    write(install() / "TABELLEN/TavrinPlotter.dat", "Plotter-A4\nPlotter-A3\n");
    write(install() / "TABELLEN/TavrinPlotSyles.dat", "Schwarz\n");
    register_start_dialogs();
  }

  fs::path plot_dir() const { return out_dir(); }
  fs::path user_copy() const { return profile() / "TavrinStandard.dat"; }
  fs::path shared_copy() const { return install() / "TABELLEN/TavrinStandard.dat"; }

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
};

}  // namespace tavrin::testing
