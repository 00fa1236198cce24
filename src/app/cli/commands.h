// The subcommands of `tavrin`. Each adds itself to the application and runs when chosen.
#pragma once

#include <functional>

#include "job_options.h"
#include "session.h"

namespace CLI {
class App;
}

namespace cli {

// A subcommand's run function: returns the exit status.
using Runner = std::function<int(const GlobalOptions&)>;

Runner add_batch_command(CLI::App& app);
Runner add_now_command(CLI::App& app);
Runner add_printers_command(CLI::App& app);

// Shared steps of the two plot runs.
// Starts a registered module command by name; a host error ends the run with kUsage.
void start_command(const char* name);
// Presses "Start" in the main dialog, runs what it queued, and turns the reported problems
// into the exit status.
int press_start(Session& session);

}  // namespace cli
