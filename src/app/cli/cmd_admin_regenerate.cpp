// `tavrin admin regenerate`: "Admin" rewrites the plotter and plot-style tables from the
// installed printers and the host's styles, after its notice.
#include <CLI/CLI.hpp>

#include "commands.h"
#include "host/api/language.h"

namespace cli {

namespace {

int run_regenerate(const GlobalOptions& global) {
  Session session(global);
  session.load_module();
  const std::size_t before = session.front_end().messages().size();
  run_available_command("ADMIN");
  session.finish_command();
  // The notice that the tables are rewritten is information; a problem message is a failure.
  return failed_since(session, before) ? kProblems : kOk;
}

}  // namespace

Runner add_admin_regenerate(CLI::App& admin) {
  admin.add_subcommand("regenerate",
                       _("Regenerate TavrinPlotter.dat and TavrinPlotSyles.dat from the installed "
                       "printers and plot styles (the plotters' format assignments are lost)."));
  return run_regenerate;
}

}  // namespace cli
