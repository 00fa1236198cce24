// `tavrin history show`: opens "Edit-Doku" on the drawing, prints the history the editor
// shows, and cancels the editor, so nothing changes.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <string>

#include "commands.h"
#include "host/api/language.h"
#include "host/api/commands.h"

namespace cli {

namespace {

int run_show(const GlobalOptions& global, const std::string& file) {
  Session session(global);
  session.load_module();
  load_drawing_file(file);
  session.front_end().queue_text(std::nullopt);
  host::run_command_line("TV_INFO_EDIT");
  session.finish_command();
  const auto& requests = session.front_end().text_requests();
  // Without an INFO field the editor never opens; the front end has printed why.
  if (requests.empty()) return kProblems;
  std::cout << requests.back().initial.value_or("") << '\n';
  return kOk;
}

}  // namespace

Runner add_history_show(CLI::App& history) {
  auto file = std::make_shared<std::string>();
  CLI::App* cmd = history.add_subcommand(
      "show",
      _("Print the change history of FILE's current sheet: the first line, then the changes."));
  cmd->add_option("FILE", *file, _("the drawing (.mi, .dxf, .dwg or .bdl)"))->required();
  return [file](const GlobalOptions& global) { return run_show(global, *file); };
}

}  // namespace cli
