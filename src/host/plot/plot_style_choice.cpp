// The job's choice of plot style table and colour mode, and the tables read for it.
#include "host/plot/plot_style_choice.h"

#include <map>
#include <set>

#include "host/api/error.h"
#include "host/api/settings_ops.h"
#include "host/api/testing.h"
#include "host/api/ui_ops.h"

namespace host {
namespace {

struct State {
  PlotColorSettings settings;
  // Tables read so far by file, and the names not found (nullptr), for this job.
  std::map<std::string, std::shared_ptr<const PlotStyleTable>> tables;
  std::map<std::string, std::string> problems;  // why a named table is missing
  std::set<std::uint64_t> told;  // drawings whose missing table was told
};

State& state() {
  static State s;
  return s;
}

[[maybe_unused]] const bool registered = [] {
  register_reset_hook([] { state() = State{}; });
  return true;
}();

std::shared_ptr<const PlotStyleTable> read_table(const std::filesystem::path& file) {
  auto& tables = state().tables;
  const std::string key = "file:" + file.string();
  if (auto it = tables.find(key); it != tables.end()) return it->second;
  auto table = std::make_shared<const PlotStyleTable>(load_plot_style_table(file));
  tables.emplace(key, table);
  return table;
}

}  // namespace

void set_plot_color_settings(PlotColorSettings settings) {
  state() = State{};
  state().settings = std::move(settings);
}

void set_plot_colors(const std::string& table_file, const std::string& install,
                     const std::string& mode) {
  PlotColorSettings settings{table_file, install, ColorMode::AsDrawn};
  if (mode == "monochrome")
    settings.mode = ColorMode::Monochrome;
  else if (mode == "grayscale")
    settings.mode = ColorMode::Grayscale;
  else if (!mode.empty())
    throw Error("set_plot_colors: unknown colour mode \"" + mode + "\"");
  if (!table_file.empty()) settings.table_file = std::filesystem::absolute(table_file).string();
  set_plot_color_settings(std::move(settings));
  // a job table that cannot be read stops the job before its first plot
  if (!state().settings.table_file.empty()) read_table(state().settings.table_file);
}

const PlotColorSettings& plot_color_settings() {
  return state().settings;
}

std::shared_ptr<const PlotStyleTable> plot_style_table_for(const Drawing& drawing,
                                                           const Sheet& sheet) {
  State& s = state();
  if (!s.settings.table_file.empty()) return read_table(s.settings.table_file);
  if (sheet.plot_style_table.empty()) return nullptr;
  const std::string key = "name:" + sheet.plot_style_table;
  auto it = s.tables.find(key);
  if (it == s.tables.end()) {
    std::shared_ptr<const PlotStyleTable> table;
    const auto folders = plot_style_folders(s.settings.install);
    if (const auto file = find_plot_style_table(sheet.plot_style_table, folders)) {
      try {
        table = read_table(*file);
      } catch (const Error& e) {
        s.problems[key] = std::string("cannot be read: ") + e.what();
      }
    } else {
      s.problems[key] = "not found";
    }
    it = s.tables.emplace(key, table).first;
  }
  if (!it->second && s.told.insert(drawing.id).second) {
    const std::string who = drawing.number ? *drawing.number : sheet.name;
    display(who + ": plot style table \"" + sheet.plot_style_table + "\" " + s.problems[key] +
            "; plotted with the drawing's colours");
  }
  return it->second;
}

}  // namespace host
