// A fresh host, a scratch directory and python3-ezdxf for the DXF tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "host/api/error.h"
#include "host/api/testing.h"
#include "host/drawing/model.h"

namespace tavrin_test {

class DxfTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::reset_host();
    std::string pattern = (std::filesystem::temp_directory_path() / "tv-dxf-XXXXXX").string();
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

  // Runs a python3 script (with ezdxf) written to the scratch directory; its standard
  // output, or a failure of the test when it exits with an error.
  std::string python(const std::string& script, const std::string& args = "") const {
    const std::string file = write("script.py", script);
    const std::string command =
        "PYTHONIOENCODING=utf-8 /usr/bin/python3 '" + file + "' " + args + " 2>&1";
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
      ADD_FAILURE() << "cannot run python3";
      return out;
    }
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
    int status = pclose(pipe);
    EXPECT_EQ(status, 0) << out;
    return out;
  }

  std::filesystem::path dir_;
};

// The message of the host error that `op` throws, or "no error".
template <class Op>
std::string error_of(Op op) {
  try {
    op();
  } catch (const host::Error& e) {
    return e.what();
  }
  return "no error";
}

inline host::Element make_element(host::ElementKind kind, std::vector<host::Vec2> points) {
  host::Element e;
  e.kind = kind;
  e.points = std::move(points);
  return e;
}

}  // namespace tavrin_test
