// A fresh installation directory per test: *tavrin-path* points at it, "TABELLEN" exists.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/globals.h"
#include "host/api/testing.h"
#include "host/ui/headless.h"
#include "support/scratch_dir.h"

namespace tavrin::testing {

class TableDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::reset_host();
    tavrin::reset_globals();
    host::ui::default_front_end().clear();
    scratch_.emplace();
    root_ = scratch_->path();
    std::filesystem::create_directory(root_ / "TABELLEN");
    tavrin::g().tavrin_path = root_.string();
  }
  void TearDown() override {
    env_.restore();
    scratch_.reset();
  }

  std::string table(const std::string& name) const { return (root_ / "TABELLEN" / name).string(); }

  void write(const std::string& name, const std::string& content) const {
    std::ofstream(table(name), std::ios::binary) << content;
  }

  std::string read(const std::string& name) const {
    std::ifstream in(table(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  bool exists(const std::string& name) const { return std::filesystem::exists(table(name)); }

  // Every file name in TABELLEN: nothing half-written may stay behind.
  std::vector<std::string> listing() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root_ / "TABELLEN")) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  const std::vector<std::string>& messages() const {
    return host::ui::default_front_end().messages();
  }

  std::optional<tavrin_test::ScratchDir> scratch_;
  tavrin_test::EnvGuard env_;
  std::filesystem::path root_;
};

}  // namespace tavrin::testing
