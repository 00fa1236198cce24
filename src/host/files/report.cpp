// The run report: one JSON object per file, built from what the host operations saw.
#include "host/files/report.h"

#include <cmath>
#include <nlohmann/json.hpp>
#include <utility>
#include <vector>

#include "host/api/workers.h"
#include "host/drawing/store.h"

namespace host::workers::report {

namespace {

using json = nlohmann::ordered_json;

struct State {
  bool on = false;
  bool in_item = false;
  bool loaded = false;
  json item;
  std::string sheet;  // the sheet in context; "" for outputs of no sheet
  std::vector<std::string> items;
};

State& state() {
  static State s;
  return s;
}

bool recording() {
  return state().on && state().in_item;
}

// Millimetres to a tenth of a micrometre: enough for any paper, stable across platforms.
double rounded(double mm) {
  return std::round(mm * 10000) / 10000;
}

json& sheet_entry(const std::string& name) {
  json& sheets = state().item["sheets"];
  for (json& s : sheets)
    if (s["name"] == name) return s;
  sheets.push_back({{"name", name}, {"outputs", json::array()}});
  return sheets.back();
}

void note_drawing_number() {
  const auto& number = current_drawing().number;
  state().item["drawing_number"] = number ? json(*number) : json(nullptr);
}

}  // namespace

bool active() {
  return state().on;
}

void begin_item(const std::string& label) {
  State& s = state();
  if (!s.on) return;
  s.in_item = true;
  s.loaded = false;
  s.sheet.clear();
  s.item = {{"file", label},           {"drawing_number", nullptr},
            {"load", "failed"},        {"problems", json::array()},
            {"sheets", json::array()}, {"outputs", json::array()}};
}

std::string end_item() {
  State& s = state();
  if (!s.in_item) return {};
  s.in_item = false;
  // A file whose load the fallback loader carried without a problem counts as loaded too.
  if (s.loaded || s.item["problems"].empty()) s.item["load"] = "loaded";
  return s.item.dump();
}

void note_loaded() {
  if (!recording()) return;
  state().loaded = true;
  note_drawing_number();
}

void note_problem(const std::string& text) {
  if (recording()) state().item["problems"].push_back(text);
}

void note_sheet(const std::string& name) {
  if (!recording()) return;
  state().sheet = name;
  sheet_entry(name);
}

void note_plot(const PlotFacts& f) {
  if (!recording()) return;
  note_sheet(f.sheet);
  json& s = sheet_entry(f.sheet);
  s["measured_mm"] = f.measured_width && f.measured_height
                         ? json::array({rounded(*f.measured_width), rounded(*f.measured_height)})
                         : json(nullptr);
  s["page_mm"] = json::array({rounded(f.page_width), rounded(f.page_height)});
  s["format"] = f.format;
  s["orientation"] = f.orientation;
  s["fit_factor"] = rounded(f.fit_factor);
  s["plot_style"] = f.plot_style;
  s["printer"] = f.printer.empty() ? json(nullptr) : json(f.printer);
}

void note_output(const std::string& path, std::size_t bytes) {
  if (!recording()) return;
  if (state().item["drawing_number"].is_null()) note_drawing_number();
  const json output = {{"path", path}, {"bytes", bytes}};
  if (state().sheet.empty())
    state().item["outputs"].push_back(output);
  else
    sheet_entry(state().sheet)["outputs"].push_back(output);
}

void add_item(std::string json_text) {
  if (state().on) state().items.push_back(std::move(json_text));
}

}  // namespace host::workers::report

namespace host {

void set_run_report(bool on) {
  workers::report::state().on = on;
}

std::vector<std::string> take_run_report() {
  return std::exchange(workers::report::state().items, {});
}

}  // namespace host
