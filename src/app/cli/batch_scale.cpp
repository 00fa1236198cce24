// `tavrin batch --jobs N --shard K/N --report FILE`.
#include "batch_scale.h"

#include <sched.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <vector>

#include "host/api/language.h"
#include "host/api/runs.h"
#include "host/api/error.h"
#include "host/api/files.h"
#include "host/api/ui_ops.h"
#include "host/api/workers.h"
#include "host/api/front_end.h"
#include "run_report.h"

namespace cli {

namespace {

constexpr const char* kFileTable = "TAVRIN-ltb";

std::string name_of(int row) {
  const host::Value name = host::sd_read_logical_table_cell(kFileTable, row, host::kw("name"));
  return name.is_string() ? name.as_string() : "";
}

bool marked(int row) {
  const host::Value x = host::sd_read_logical_table_cell(kFileTable, row, host::kw("x"));
  return x.is_string() && x.as_string() == "X";
}

std::vector<std::string> marked_names() {
  std::vector<std::string> names;
  const int count = host::sd_get_logical_table_number_of_rows(kFileTable);
  for (int row = 0; row < count; ++row)
    if (marked(row)) names.push_back(name_of(row));
  return names;
}

// The list all parts share. Outputs land in the plot directory, so a part that lists the
// directory after another part has written sees more files, and positions in its list would
// shift: files done twice or never. The first part to find no list file writes its marked
// list there (exclusively: of parts starting together, one wins); every part reads it.
std::vector<std::string> shared_list(const std::string& path) {
  std::string text;
  for (const std::string& name : marked_names()) text += name + "\n";
  const std::string temp = path + ".new-" + std::to_string(::getpid());
  host::write_file_atomically(temp, text);
  // link() refuses to replace an existing list: the first part's list stays.
  if (::link(temp.c_str(), path.c_str()) != 0 && errno != EEXIST) {
    const std::string why = std::strerror(errno);
    ::unlink(temp.c_str());
    throw host::Error("--shard-list " + path + ": " + why);
  }
  ::unlink(temp.c_str());
  std::vector<std::string> names;
  std::istringstream in(host::read_file(path));
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) names.push_back(line);
  return names;
}

// Marks exactly these files, as clicks on their rows would.
void keep_marks(const std::set<std::string>& part) {
  const int count = host::sd_get_logical_table_number_of_rows(kFileTable);
  for (int row = 0; row < count; ++row) {
    if (marked(row) != (part.count(name_of(row)) > 0))
      host::ui::click_table_row("TAVRIN-DIALOG-DT", row);
  }
}

void keep_shard_marks(const Shard& shard, const std::string& list_file) {
  const std::vector<std::string> list = list_file.empty() ? marked_names() : shared_list(list_file);
  const auto [first, last] = shard_range(shard, static_cast<int>(list.size()));
  keep_marks(std::set<std::string>(list.begin() + first, list.begin() + last));
}

}  // namespace

int available_cores() {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
  return 1;
}

void add_scale_options(CLI::App& command, ScaleOptions& options) {
  command
      .add_option("--jobs,-j", options.jobs,
                  _("worker processes (default: one per core; 1 runs every file in this process). "
                  "Outputs, print jobs and output lines come in list order, as with 1"))
      ->check(CLI::Range(1, 1024));
  command.add_option("--shard", options.shard,
                     _("process only part K of N (0 <= K < N) of the marked files, for a cluster "
                     "scheduler; see docs/cluster.md"));
  command.add_option("--shard-list", options.shard_list,
                     _("with --shard: the marked list all parts share; the first part writes it, "
                     "every part takes its files from it (use one new name per run)"));
  command.add_option("--report", options.report,
                     _("write a JSON report of the run to FILE; see docs/report.md"));
  command.add_flag("--resume", options.resume,
                   _("continue an interrupted run: skip the files it committed whose input is "
                     "unchanged, do the rest; the directory ends as after an uninterrupted run"));
  command.add_option("--state", options.state,
                     _("the run's journal (default: .tavrin-state/ in the plot directory, one per "
                       "--shard part)"));
  command.add_option("--memory-limit", options.memory_limit,
                     _("memory one drawing may take, such as 200M or 3G (default: three quarters "
                       "of the machine's memory shared by the workers); a drawing that needs "
                       "more is reported and not plotted"));
  command.add_flag("--quiet,-q", options.quiet, _("no progress line on the terminal"));
}

Shard parse_shard(const std::string& text) {
  const auto slash = text.find('/');
  Shard s;
  const auto read = [&](std::string_view part, int& out) {
    const auto [ptr, ec] = std::from_chars(part.data(), part.data() + part.size(), out);
    return ec == std::errc() && ptr == part.data() + part.size() && !part.empty();
  };
  const std::string_view all(text);
  if (slash == std::string::npos || !read(all.substr(0, slash), s.index) ||
      !read(all.substr(slash + 1), s.count) || s.count < 1 || s.index < 0 || s.index >= s.count)
    throw host::Error(host::translate_format("--shard {}: expected K/N with 0 <= K < N, for example 0/4", text));
  return s;
}

std::pair<int, int> shard_range(const Shard& shard, int marked) {
  const auto bound = [&](int k) {
    return static_cast<int>(static_cast<long long>(k) * marked / shard.count);
  };
  return {bound(shard.index), bound(shard.index + 1)};
}

std::uint64_t parse_memory_size(const std::string& text) {
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  std::string unit(ptr, end);
  for (char& c : unit) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (unit.ends_with("IB")) unit.resize(unit.size() - 2);
  else if (unit.size() > 1 && unit.ends_with("B")) unit.pop_back();
  const std::string units = "BKMGT";
  const auto power = unit.empty() ? 0 : units.find(unit);
  if (ec != std::errc() || ptr == text.data() || unit.size() > 1 || power == std::string::npos ||
      !(value > 0) || value >= 1e15)
    throw host::Error("--memory-limit " + text + ": expected a size such as 200M or 3G");
  return static_cast<std::uint64_t>(std::ldexp(value, 10 * static_cast<int>(power)));
}

void prepare_scaled_run(const ScaleOptions& options, const std::string& directory) {
  host::set_worker_count(options.jobs.value_or(available_cores()));
  host::set_memory_limit(options.memory_limit.empty() ? 0 : parse_memory_size(options.memory_limit));
  const Shard shard = options.shard.empty() ? Shard{} : parse_shard(options.shard);
  const std::string journal = options.state.empty()
                                  ? host::default_run_journal(directory, shard.index, shard.count)
                                  : options.state;
  host::set_run_journal(journal, options.resume);
  host::set_run_report(!options.report.empty());
  // A resumed run takes the files of the run it continues: the directory holds its outputs
  // now, which were no files of that run.
  const std::vector<std::string> earlier =
      options.resume ? host::run_journal_files(journal) : std::vector<std::string>{};
  if (!earlier.empty()) {
    std::set<std::string> names;
    for (const std::string& label : earlier)
      names.insert(std::filesystem::path(label).filename().string());
    keep_marks(names);
  } else if (!options.shard.empty()) {
    keep_shard_marks(shard, options.shard_list);
  }
}

void write_batch_report(const ScaleOptions& options, const std::string& directory,
                        int exit_status) {
  if (options.report.empty()) return;
  nlohmann::ordered_json files = nlohmann::ordered_json::array();
  for (const std::string& item : host::take_run_report())
    files.push_back(nlohmann::ordered_json::parse(item));
  nlohmann::ordered_json shard = nullptr;
  if (!options.shard.empty()) {
    const Shard s = parse_shard(options.shard);
    shard = {{"index", s.index}, {"count", s.count}};
  }
  const nlohmann::ordered_json report =
      make_run_report(directory, shard, std::move(files), exit_status);
  host::write_file_atomically(options.report, report.dump(2) + "\n");
}

}  // namespace cli
