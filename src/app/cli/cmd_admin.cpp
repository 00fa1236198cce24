// `tavrin admin`: the administrator commands. They run in administrator mode, in which the
// host offers them, each through its available-command declaration as its ribbon button does.
#include <CLI/CLI.hpp>
#include <map>
#include <string>

#include "commands.h"
#include "host/api/language.h"
#include "host/api/commands.h"
#include "host/api/error.h"
#include "host/api/front_end.h"

namespace cli {

Runner add_admin_command(CLI::App& app) {
  CLI::App* cmd = app.add_subcommand(
      "admin", _("Administrator commands (\"Admin\"): the table files and the INFO template."));
  cmd->require_subcommand(1);
  std::map<std::string, Runner> runners{{"regenerate", add_admin_regenerate(*cmd)},
                                        {"edit", add_admin_edit(*cmd)},
                                        {"info", add_admin_info(*cmd)}};
  return [cmd, runners](const GlobalOptions& global) {
    GlobalOptions admin = global;
    admin.admin = true;
    for (CLI::App* sub : cmd->get_subcommands()) return runners.at(sub->get_name())(admin);
    return static_cast<int>(kUsage);
  };
}

void run_available_command(const std::string& command) {
  const auto declaration = host::ui::find_declaration({"Annotation", "Tavrin", command});
  if (!declaration) throw host::Error(host::translate_format("admin: the host offers no command {}", command));
  host::run_command_line(declaration->run);
}

}  // namespace cli
