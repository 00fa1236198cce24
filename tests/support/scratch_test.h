// A fresh host and a fresh scratch directory for every test, removed again afterwards.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host/api/error.h"
#include "host/api/testing.h"
#include "support/expect.h"

namespace tavrin_test {

class ScratchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::reset_host();
    std::string pattern = (std::filesystem::temp_directory_path() / "tv-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  std::string write(const std::string& name, const std::string& content) const {
    std::ofstream(path(name), std::ios::binary) << content;
    return path(name);
  }
  static std::string example(const std::string& name) {
    return std::string(TAVRIN_SOURCE_DIR) + "/examples/" + name;
  }

  std::filesystem::path dir_;
};

}  // namespace tavrin_test
