// `tavrin admin edit`: opens one table file in the user's editor ($VISUAL or $EDITOR, on a
// terminal), as the buttons "Format", "Plotter", "Transform" and "FormatName" do.
#include <CLI/CLI.hpp>
#include <map>
#include <memory>
#include <string>

#include "commands.h"
#include "host/api/language.h"

namespace cli {

namespace {

const std::map<std::string, std::string> kTables{{"format", "FORMAT"},
                                                 {"plotter", "PLOTTER"},
                                                 {"transform", "TRANSFORM"},
                                                 {"formatname", "FORMATNAME"}};

int run_edit(const GlobalOptions& global, const std::string& table) {
  Session session(global);
  session.load_module();
  const std::size_t before = session.front_end().messages().size();
  run_available_command(kTables.at(table));
  session.finish_command();
  const bool opened = !session.front_end().edited_files().empty();
  return opened && !failed_since(session, before) ? kOk : kProblems;
}

}  // namespace

Runner add_admin_edit(CLI::App& admin) {
  auto table = std::make_shared<std::string>();
  CLI::App* cmd = admin.add_subcommand("edit", _("Open a table file in $VISUAL or $EDITOR."));
  cmd->add_option("TABLE", *table,
                  _("format: TavrinFormat.dat, plotter: TavrinPlotter.dat, transform: "
                  "TavrinPlotSyles.dat, formatname: TavrinPlotterFormatNames.dat"))
      ->required()
      ->check(CLI::IsMember({"format", "plotter", "transform", "formatname"}));
  return [table](const GlobalOptions& global) { return run_edit(global, *table); };
}

}  // namespace cli
