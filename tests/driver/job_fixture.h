// A plot job set up as a person would: the main dialog's job controls, a plot directory
// with drawing files, and recorders in place of the engine's per-drawing steps.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "base/globals.h"
#include "config/language.h"
#include "engine/driver.h"
#include "host/api/host.h"
#include "host/api/testing.h"
#include "host/drawing/model.h"
#include "host/formats/mi.h"
#include "host/ui/headless.h"
#include "support/scratch_dir.h"

namespace tavrin::testing {

inline const std::vector<std::string> kToggleKeys = {
    "STORE-DXF-TB",   "STORE-MI-TB",        "STORE-PDF-TB",     "DRUCKEN-TB",
    "BLATT-ALLE-TB",  "BLATT-GROESSER-TB",  "BLATT-KLEINER-TB", "BLATT-X-TB",
    "AUTOTEXT-AN-TB", "STORE-AENDERUNG-TB", "EINPASSEN-TB",     "AUTO-PLOTTER-SELECT-TB",
    "SCHWARZWEISS-TB", "GRAUSTUFEN-TB"};
inline const std::vector<std::string> kTextKeys = {
    "FIRMA-TX", "FORMAT-TX", "DRUCKER-TX", "BLATT-GROESSER-TX", "BLATT-KLEINER-TX", "BLATT-X-TX",
    "PLOTSTILTABELLE-TX"};

class FreshHost : public ::testing::Test {
 protected:
  void SetUp() override {
    host::reset_host();
    tavrin::reset_globals();
  }
};

class JobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::reset_host();
    tavrin::reset_globals();
    host::ui::default_front_end().clear();
    host::ui::default_front_end().set_question_policy(
        host::ui::HeadlessFrontEnd::QuestionPolicy::Scripted);
    previous_cwd_ = std::filesystem::current_path();
    scratch_.emplace();
    dir_ = scratch_->path();
    host::sd_set_current_working_directory(dir_.string());
    g().tavrin_path = TAVRIN_SOURCE_DIR "/share/tavrin";
    language_file_to_ltab();
    make_job_controls();
  }
  void TearDown() override {
    std::filesystem::current_path(previous_cwd_);
    scratch_.reset();
  }

  static std::string control(const std::string& key) { return "TAVRIN-DIALOG-" + key; }

  // The job controls of the main dialog, all off and empty.
  static void make_job_controls() {
    using host::kw;
    host::sd_create_dialog_shell("TAVRIN-DIALOG", {kw("title"), "Tavrin"});
    host::sd_append_area("TAVRIN-DIALOG-1-AA", {kw("parent"), "TAVRIN-DIALOG"});
    host::sd_append_grid_area("TAVRIN-DIALOG-11-GA", {kw("parent"), "TAVRIN-DIALOG-1-AA"});
    for (const std::string& key : kToggleKeys) {
      host::sd_create_togglebutton_control(
          control(key), {kw("parent"), "TAVRIN-DIALOG-11-GA", kw("indicator"), kw("check")});
    }
    for (const std::string& key : kTextKeys) {
      host::sd_create_text_control(control(key),
                                   {kw("parent"), "TAVRIN-DIALOG-11-GA", kw("editable"), true});
    }
  }

  static void set(const std::string& key, bool on) {
    if (on) {
      host::sd_set_togglebutton(control(key), false);
    } else {
      host::sd_reset_togglebutton(control(key), false);
    }
  }
  static void type(const std::string& key, const std::string& text) {
    host::sd_set_text_control_value(control(key), {host::kw("text"), text});
  }

  // A drawing file with the number (none for "") and one element on each named sheet.
  std::string drawing_file(const std::string& name, const std::string& number,
                           const std::vector<std::string>& sheets) const {
    host::Drawing d;
    d.id = host::next_id();
    if (!number.empty()) d.number = number;
    for (const std::string& sheet_name : sheets) {
      host::Sheet s;
      s.id = host::next_id();
      s.name = sheet_name;
      s.unique_name = sheet_name;
      host::Element line;
      line.id = host::next_id();
      line.points = {{0, 0}, {100, 50}};
      s.elements.push_back(line);
      d.sheets.push_back(s);
    }
    write(name, host::write_mi_text(d));
    return name;
  }

  // A bundle: a zip archive holding the drawing, written by an independent tool.
  std::string bundle_file(const std::string& name, const std::string& number) const {
    const std::string inner = drawing_file("inner-" + number + ".mi", number, {"1"});
    const std::string command =
        "cd '" + dir_.string() +
        "' && /usr/bin/python3 -c \"import zipfile,sys; "
        "z=zipfile.ZipFile(sys.argv[1],'w'); z.write(sys.argv[2]); z.close()\" '" +
        name + "' '" + inner + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    std::filesystem::remove(dir_ / inner);
    return name;
  }

  void write(const std::string& name, const std::string& content) const {
    std::ofstream(dir_ / name, std::ios::binary) << content;
  }

  static const host::ui::HeadlessFrontEnd& front() { return host::ui::default_front_end(); }

  std::optional<tavrin_test::ScratchDir> scratch_;
  std::filesystem::path dir_;
  std::filesystem::path previous_cwd_;
};

// Records every per-drawing step with the drawing that is current when it runs.
struct StepLog {
  std::vector<std::string> calls;
  Selection selection;
  std::vector<host::List> drucken_args;

  static std::string current_drawing() {
    const host::Value number = host::sd_am_inq_drawing_no();
    return number.is_string() ? number.as_string() : "-";
  }

  DrawingSteps steps() {
    DrawingSteps s;
    s.autotext = [this] { calls.push_back("autotext " + current_drawing()); };
    s.speichern = [this](const host::Value& file, const Selection& sel, bool mi, bool dxf) {
      selection = sel;
      calls.push_back(host::format("speichern ~A ~A mi=~A dxf=~A", current_drawing(), file,
                                   mi ? 1 : 0, dxf ? 1 : 0));
      return host::Value();
    };
    s.drucken = [this](bool drucken, const host::Value& firma, const host::Value& format,
                       const host::Value& drucker, bool mi, bool dxf, bool pdf,
                       const host::Value& file, const Selection& sel, const host::Value& report) {
      selection = sel;
      drucken_args.push_back({drucken, firma, format, drucker, mi, dxf, pdf, file, report});
      calls.push_back(host::format("drucken ~A ~A", current_drawing(), file));
      // The print loop leaves the last sheet current.
      const host::List sheets = host::sd_am_inq_all_sheets();
      if (!sheets.empty())
        host::am_current_sheet(host::print_text(host::sd_am_inq_sheet(sheets.back()).at(0)));
    };
    s.aenderungs_pdf = [this](const host::Value& file) {
      calls.push_back(host::format("aenderung ~A ~A sheet=~A", current_drawing(), file,
                                   host::sd_am_inq_curr_sheet_name()));
      return host::Value();
    };
    s.load_subpart = [this](const std::string& path) { calls.push_back("load_subpart " + path); };
    return s;
  }
};

}  // namespace tavrin::testing
