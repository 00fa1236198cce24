// A fresh host, a fresh scratch directory and an environment restored, for every test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "host/api/error.h"
#include "host/api/testing.h"
#include "support/expect.h"
#include "support/scratch_dir.h"

namespace tavrin_test {

class ScratchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::reset_host();
    scratch_.emplace();
    dir_ = scratch_->path();
  }
  void TearDown() override {
    env_.restore();
    scratch_.reset();
  }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  std::string write(const std::string& name, const std::string& content) const {
    std::ofstream(path(name), std::ios::binary) << content;
    return path(name);
  }
  static std::string example(const std::string& name) {
    return std::string(TAVRIN_SOURCE_DIR) + "/examples/" + name;
  }

  std::optional<ScratchDir> scratch_;
  std::filesystem::path dir_;
  EnvGuard env_;
};

}  // namespace tavrin_test
