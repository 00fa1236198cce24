// The job options of `batch` and `now`: each becomes the click or entry a person would make
// in the main dialog after the stored standard has been loaded.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace cli {

struct JobOptions {
  std::optional<bool> mi, dxf, pdf, history_pdf, print;
  std::optional<std::string> plotter;
  bool auto_plotter = false;
  std::optional<std::string> fit;
  std::optional<std::string> style;
  std::optional<std::string> sheets;
  std::vector<std::string> autotext;  // INFO=VALUE
  bool store_standard = false;
};

void add_job_options(CLI::App& command, JobOptions& options);

// Applies the options to the open main dialog through the host's user actions. Throws
// host::Error with a text for the user when an option cannot be applied (an entry that is
// not offered, a control a person could not reach).
void apply_job_options(const JobOptions& options);

}  // namespace cli
