// `tavrin history`: the change-history commands, and what they share: loading the drawing,
// judging what the front end was told, and saving the drawing back in place.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <string>

#include "commands.h"
#include "host/api/language.h"
#include "host/api/drawing_ops.h"
#include "host/api/error.h"
#include "host/api/files.h"
#include "host/api/front_end.h"

namespace cli {

namespace {

Runner dispatch(CLI::App* parent, std::map<std::string, Runner> runners) {
  return [parent, runners = std::move(runners)](const GlobalOptions& global) {
    for (CLI::App* sub : parent->get_subcommands()) return runners.at(sub->get_name())(global);
    return static_cast<int>(kUsage);
  };
}

}  // namespace

Runner add_history_command(CLI::App& app) {
  CLI::App* cmd = app.add_subcommand(
      "history",
      host::translate_format("The change history (\"{}\") of a drawing: its INFO field and revision PDF.", G_("Änderungen")));
  cmd->require_subcommand(1);
  return dispatch(cmd, {{"show", add_history_show(*cmd)},
                        {"edit", add_history_edit(*cmd)},
                        {"new", add_history_new(*cmd)},
                        {"pdf", add_history_pdf(*cmd)}});
}

void load_drawing_file(const std::string& file) {
  if (!std::filesystem::is_regular_file(file)) throw host::Error(host::translate_format("{} is not a file", file));
  host::am_load_drawing({host::kw("filename"), file});
}

bool failed_since(Session& session, std::size_t from) {
  const auto& severities = session.front_end().severities();
  return std::find(severities.begin() + static_cast<std::ptrdiff_t>(from), severities.end(),
                   host::Severity::Problem) != severities.end();
}

int save_in_place(Session& session, const std::string& file) {
  // The old drawing stays at its name until the new one replaces it in one step, and is kept
  // as FILE.org as well: neither a failed save nor a killed process loses it.
  const std::string backup = host::format("~A.org", file);
  try {
    host::keep_backup_copy(file, backup);
    host::am_save_drawing({host::kw("filename"), file, host::kw("overwrite")});
  } catch (const host::Error& e) {
    host::reset_lisp_error_active();
    session.front_end().message(e.what(), host::Severity::Problem);
    return kProblems;
  }
  return kOk;
}

}  // namespace cli
