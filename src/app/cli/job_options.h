// The job options of `batch` and `now`: each becomes the click or entry a person would make
// in the main dialog after the stored standard has been loaded.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "base/job_table.h"

namespace CLI {
class App;
}

namespace cli {

struct JobOptions {
  // By row of the job table: a check switched on or off, an entry chosen.
  std::array<std::optional<bool>, tavrin::kJobTable.size()> checks;
  std::array<std::optional<std::string>, tavrin::kJobTable.size()> choices;
  std::optional<std::string> sheets;
  std::vector<std::string> autotext;  // INFO=VALUE
  bool store_standard = false;

  std::optional<bool>& check(tavrin::Job job) { return checks[static_cast<std::size_t>(job)]; }
};

// Adds an option for every table row that has one, and refuses contradicting options (such
// as --plotter with --auto-plotter, or --fit with --no-print) before anything runs.
void add_job_options(CLI::App& command, JobOptions& options);

// Applies the options to the open main dialog through the host's user actions. Throws
// host::Error with a text for the user when an option cannot be applied (an entry that is
// not offered, a control a person could not reach, no sheet selection at all).
void apply_job_options(const JobOptions& options);

}  // namespace cli
