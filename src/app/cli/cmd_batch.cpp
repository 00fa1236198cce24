// `tavrin batch`: the directory run over every marked drawing file of a directory.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "batch_scale.h"
#include "commands.h"
#include "host/api/language.h"
#include "host/api/error.h"
#include "host/api/files.h"
#include "host/api/ui_ops.h"
#include "host/api/front_end.h"

namespace cli {

namespace {

struct BatchOptions {
  std::string directory;
  std::string filter;
  std::vector<std::string> select;
  JobOptions job;
  ScaleOptions scale;
};

// Marks the listed files: all of them, or those whose names match a --select pattern.
void mark_files(const std::vector<std::string>& patterns) {
  const std::string table = "TAVRIN-ltb";
  const int rows = host::sd_get_logical_table_number_of_rows(table);
  if (patterns.empty()) {
    // "  X" marks every row when none is marked, which is the state after any rebuild.
    if (rows > 0) host::ui::press_button("TAVRIN-DIALOG-ALLE-AN-AUS-PB");
    return;
  }
  for (int row = 0; row < rows; ++row) {
    const host::Value name = host::sd_read_logical_table_cell(table, row, host::kw("name"));
    const std::string text = name.is_string() ? name.as_string() : "";
    for (const std::string& pattern : patterns) {
      if (host::sd_string_match_pattern_p(pattern, text)) {
        host::ui::click_table_row("TAVRIN-DIALOG-DT", row);
        break;
      }
    }
  }
}

void choose_filter(const std::string& filter) {
  if (filter.empty()) return;
  const std::string key = filter == "mi" ? "MI-TB" : filter == "bdl" ? "BDL-TB" : "ALLE-TB";
  host::ui::click_toggle("TAVRIN-DIALOG-" + key);
}

int run_batch(const GlobalOptions& global, BatchOptions o) {
  const std::string dir = std::filesystem::absolute(o.directory.empty() ? "." : o.directory)
                              .lexically_normal()
                              .string();
  if (!std::filesystem::is_directory(dir)) {
    throw host::Error(host::translate_format("batch: {} is not a directory", dir));
  }
  if (!o.scale.shard.empty()) parse_shard(o.scale.shard);
  // The run changes into the plot directory; the report is named from where we started.
  if (!o.scale.report.empty()) o.scale.report = std::filesystem::absolute(o.scale.report).string();
  if (!o.scale.state.empty()) o.scale.state = std::filesystem::absolute(o.scale.state).string();
  if (!o.scale.memory_limit.empty()) parse_memory_size(o.scale.memory_limit);
  if (!o.scale.shard_list.empty())
    o.scale.shard_list = std::filesystem::absolute(o.scale.shard_list).string();
  Session session(global);
  if (o.scale.quiet) session.front_end().set_progress_stream(std::cerr, false);
  session.load_module();
  start_command("TAVRIN-BATCH-START-DIALOG");
  // The plot directory is chosen as a person would: the directory button opens the folder
  // browser, which this front end answers with DIR.
  session.front_end().queue_folder(dir);
  host::ui::press_button("TAVRIN-DIALOG-VERZEICHNIS-PB");
  apply_job_options(o.job);
  choose_filter(o.filter);
  mark_files(o.select);
  prepare_scaled_run(o.scale, dir);
  const int status = press_start(session);
  write_batch_report(o.scale, dir, status);
  return status;
}

}  // namespace

Runner add_batch_command(CLI::App& app) {
  auto options = std::make_shared<BatchOptions>();
  CLI::App* cmd = app.add_subcommand(
      "batch",
      host::translate_format("Directory run (\"{}\"): plot, print and save every marked drawing file of DIR.\n"
      "The stored standard settings are loaded first; the options below change them as clicks "
      "in the main dialog would. Without --select every listed file is marked.", G_("Verzeichnis")));
  cmd->add_option("DIR", options->directory, _("the plot directory (default: the current directory)"));
  cmd->add_option("--filter", options->filter, _("list only MI files, only bundles, or all files"))
      ->check(CLI::IsMember({"mi", "bdl", "all"}));
  cmd->add_option("--select", options->select,
                  _("mark only files whose names match this wildcard pattern (repeatable)"));
  add_job_options(*cmd, options->job);
  add_scale_options(*cmd, options->scale);
  return [options](const GlobalOptions& global) { return run_batch(global, *options); };
}

}  // namespace cli
