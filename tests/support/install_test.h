// A private installation for the module's tests: a copy of the installation tree, a profile
// directory (TAVRIN_PROFILE_DIR) and an output directory that is the working directory; the
// module's variables fresh and pointing at the copy, the language texts loaded, and the headless
// front end recording into sink_. Working directory and environment are given back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "base/globals.h"
#include "config/language.h"
#include "host/api/host.h"
#include "host/api/testing.h"
#include "host/ui/headless.h"
#include "support/expect.h"
#include "support/scratch_dir.h"

namespace tavrin_test {

class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::reset_host();
    tavrin::reset_globals();
    front().clear();
    front().set_output(sink_);
    previous_cwd_ = std::filesystem::current_path();
    scratch_.emplace();
    root_ = scratch_->path();
    std::filesystem::copy(TAVRIN_SOURCE_DIR "/share/tavrin", install(),
                          std::filesystem::copy_options::recursive);
    std::filesystem::create_directories(profile());
    std::filesystem::create_directories(out_dir());
    env_.set("TAVRIN_PROFILE_DIR", profile().string());
    tavrin::g().tavrin_path = install().string();
    host::sd_set_current_working_directory(out_dir().string());
    tavrin::language_file_to_ltab();
  }
  void TearDown() override {
    std::filesystem::current_path(previous_cwd_);
    env_.restore();
    scratch_.reset();
  }

  std::filesystem::path install() const { return root_ / "install"; }
  std::filesystem::path tabellen(const std::string& name) const {
    return install() / "TABELLEN" / name;
  }
  std::filesystem::path profile() const { return root_ / "profile"; }
  std::filesystem::path out_dir() const { return root_ / "out"; }

  static void write(const std::filesystem::path& file, const std::string& content) {
    std::ofstream(file, std::ios::binary) << content;
  }
  static std::string read(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  static host::ui::HeadlessFrontEnd& front() { return host::ui::default_front_end(); }
  static const std::vector<std::string>& messages() { return front().messages(); }

  std::ostringstream sink_;
  std::filesystem::path root_;
  std::filesystem::path previous_cwd_;
  std::optional<ScratchDir> scratch_;
  EnvGuard env_;
};

}  // namespace tavrin_test
