// Shared set-up of the user-interface tests: a fresh host and a recording front end.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "host/api/host.h"
#include "host/api/testing.h"
#include "host/ui/headless.h"

namespace host::ui::testing {

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_host();
    front.set_output(out);
    set_front_end(&front);
  }
  void TearDown() override { set_front_end(nullptr); }

  // A dialog shell with one grid area "G" in it, shown unless asked otherwise.
  void make_dialog(const std::string& shell = "D", bool shown = true) {
    sd_create_dialog_shell(shell, {kw("title"), "Dialog"});
    sd_append_area(shell + "-1-AA", {kw("parent"), shell + "-AA", kw("margin"), 1});
    sd_append_grid_area("G", {kw("parent"), shell + "-1-AA", kw("width"), 400, kw("height"), 190,
                              kw("cellsize"), List{5.0, 5.0}});
    if (shown) sd_show_dialog_shell(shell);
  }

  // An action that records its name in `calls`.
  Value record(const std::string& name) {
    return Value::function([this, name](const List&) {
      calls.push_back(name);
      return Value();
    });
  }

  std::ostringstream out;
  HeadlessFrontEnd front{out};
  std::vector<std::string> calls;
};

}  // namespace host::ui::testing
