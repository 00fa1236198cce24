// A fresh host, a scratch directory and python3-ezdxf for the DXF tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/drawing/model.h"
#include "support/scratch_test.h"

namespace tavrin_test {

class DxfTest : public ScratchTest {
 protected:
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
};

inline host::Element make_element(host::ElementKind kind, std::vector<host::Vec2> points) {
  host::Element e;
  e.kind = kind;
  e.points = std::move(points);
  return e;
}

}  // namespace tavrin_test
