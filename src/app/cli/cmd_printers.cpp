// `tavrin printers`: the installed printers, one per line.
#include <CLI/CLI.hpp>
#include <cstdlib>
#include <iostream>
#include <string>

#include "commands.h"
#include "host/api/language.h"
#include "host/api/drawing_ops.h"
#include "host/api/front_end.h"

namespace cli {

Runner add_printers_command(CLI::App& app) {
  app.add_subcommand("printers",
                     _("List the printers installed on this machine (the CUPS queues), one per line."));
  return [](const GlobalOptions&) {
    const host::List printers = host::sd_inq_printers();
    for (const host::Value& name : printers) std::cout << host::print_text(name) << '\n';
    if (printers.empty()) {
      const char* server = std::getenv("CUPS_SERVER");
      std::cerr << (server != nullptr
                        ? host::translate_format("tavrin: no printers installed (or no print server reachable at {})", server)
                        : std::string(_("tavrin: no printers installed (or no print server reachable)")))
                << "\n";
    }
    return int{kOk};
  };
}

}  // namespace cli
