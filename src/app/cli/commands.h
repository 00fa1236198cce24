// The subcommands of `tavrin`. Each adds itself to the application and runs when chosen.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

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
Runner add_history_command(CLI::App& app);
Runner add_admin_command(CLI::App& app);
Runner add_report_command(CLI::App& app);

// The commands of the ribbon groups "Änderungen" and "Admin", one file each.
Runner add_history_show(CLI::App& history);
Runner add_history_edit(CLI::App& history);
Runner add_history_new(CLI::App& history);
Runner add_history_pdf(CLI::App& history);
Runner add_admin_regenerate(CLI::App& admin);
Runner add_admin_edit(CLI::App& admin);
Runner add_admin_info(CLI::App& admin);

// Shared steps of the change-history commands.
// Loads FILE as the current drawing; a host error names the file.
void load_drawing_file(const std::string& file);
// Keeps FILE as FILE.org and writes the current drawing to FILE; on failure FILE is restored.
// The exit status.
int save_in_place(Session& session, const std::string& file);
// A problem message since message number `from` (warnings and notices do not count): the
// command could not do its job.
bool failed_since(Session& session, std::size_t from);
// Runs the registered command that an available command of the Annotation group "Tavrin"
// names ("ADMIN" runs TV-ADMIN-DIALOG), as its ribbon button does.
void run_available_command(const std::string& command);

// Shared steps of the two plot runs.
// Starts a registered module command by name; a host error ends the run with kUsage.
void start_command(const char* name);
// Presses "Start" in the main dialog, runs what it queued, and turns the reported problems
// into the exit status.
int press_start(Session& session);

}  // namespace cli
