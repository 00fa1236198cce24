// `tavrin printers`: the installed printers, one per line.
#include <CLI/CLI.hpp>
#include <iostream>

#include "commands.h"
#include "host/api/drawing_ops.h"
#include "host/value/reader.h"

namespace cli {

Runner add_printers_command(CLI::App& app) {
  app.add_subcommand("printers",
                     "List the printers installed on this machine (the CUPS queues), one per line.");
  return [](const GlobalOptions&) {
    for (const host::Value& name : host::sd_inq_printers()) {
      std::cout << host::print_text(name) << '\n';
    }
    return int{kOk};
  };
}

}  // namespace cli
