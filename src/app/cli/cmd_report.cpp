// `tavrin report merge`: one report from the reports of the parts of a sharded run.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "host/api/language.h"
#include "host/api/files.h"
#include "run_report.h"

namespace cli {

namespace {

struct MergeOptions {
  std::vector<std::string> inputs;
  std::string output;
};

int run_merge(const MergeOptions& o) {
  std::vector<nlohmann::ordered_json> parts;
  for (const std::string& path : o.inputs) {
    try {
      parts.push_back(nlohmann::ordered_json::parse(host::read_file(path)));
      check_run_report(parts.back());
    } catch (const std::exception& e) {
      std::cerr << "tavrin report merge: " << path << ": " << e.what() << '\n';
      return kUsage;
    }
  }
  const std::string text = merge_run_reports(parts).dump(2) + "\n";
  if (o.output.empty() || o.output == "-") {
    std::cout << text;
  } else {
    host::write_file_atomically(o.output, text);
  }
  return kOk;
}

}  // namespace

Runner add_report_command(CLI::App& app) {
  CLI::App* report = app.add_subcommand("report", _("Work with the JSON reports of `batch --report`"));
  report->require_subcommand(1);
  auto options = std::make_shared<MergeOptions>();
  CLI::App* merge = report->add_subcommand(
      "merge",
      _("Merge the reports of the parts of a sharded run into one: their file lists one after "
      "another in the order given, the totals counted again, the worst exit status."));
  merge->add_option("REPORT", options->inputs, _("the parts' reports, in part order"))->required();
  merge->add_option("--output,-o", options->output,
                    _("write the merged report here (default: stdout)"));
  return [options](const GlobalOptions&) { return run_merge(*options); };
}

}  // namespace cli
