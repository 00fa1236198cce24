// A fresh host with a recording front end and helpers that build drawings element by element.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "host/api/host.h"
#include "host/api/testing.h"
#include "host/drawing/store.h"
#include "host/ui/headless.h"
#include "support/scratch_dir.h"

namespace tavrin_test {

inline host::Element text(const std::string& content, std::vector<std::string> info = {}) {
  host::Element e;
  e.id = host::next_id();
  e.kind = host::ElementKind::Text;
  e.points = {{5, 5}};
  e.text.lines = {content};
  e.info = std::move(info);
  return e;
}

inline host::Element line(host::Vec2 a, host::Vec2 b) {
  host::Element e;
  e.id = host::next_id();
  e.kind = host::ElementKind::Line;
  e.points = {a, b};
  return e;
}

inline host::Sheet sheet(const std::string& name, std::vector<host::Element> elements) {
  host::Sheet s;
  s.id = host::next_id();
  s.name = name;
  s.unique_name = "U-" + name;
  s.elements = std::move(elements);
  return s;
}

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::reset_host();
    host::ui::set_front_end(&front_);
    scratch_.emplace();
    dir_ = scratch_->path();
  }
  void TearDown() override {
    host::ui::set_front_end(nullptr);
    scratch_.reset();
  }

  void use_drawing(std::vector<host::Sheet> sheets) {
    host::Drawing d;
    d.id = host::next_id();
    d.number = "4711";
    d.sheets = std::move(sheets);
    host::replace_current_drawing(std::move(d));
  }
  host::Sheet& sheet_at(std::size_t i) { return host::current_drawing().sheets.at(i); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  std::ostringstream out_;
  host::ui::HeadlessFrontEnd front_{out_};
  std::optional<tavrin_test::ScratchDir> scratch_;
  std::filesystem::path dir_;
};

}  // namespace tavrin_test
