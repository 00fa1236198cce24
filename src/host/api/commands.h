// The host command language: command lines, macros, queued lines and command files.
#pragma once

#include <string>

#include "host/value/value.h"

namespace host {

Value sd_execute_annotator_command(const List& args);   // :cmd line
Value sd_execute_annotator_function(const List& args);  // :fnc macro → answer text
// Queues a line that runs when the current command ends (run_queued_commands).
void sd_put_buffer(const std::string& line);
// Runs every queued line in order (lines queued meanwhile too). Front ends call it after
// each command; errors of a line are shown through the host's error display.
void run_queued_commands();
// Pending lines, oldest first (for tests and front ends).
std::vector<std::string> queued_commands();
Value load_dia(const List& args);  // :type :source :file path

// Registered commands callable by their upper-case names from command lines, menus and
// the ribbon. Registering the same name again replaces it.
void register_command(const std::string& name, Function body);
bool command_registered(const std::string& name);
// Runs a command line typed by a person: a registered command name or a host command line.
Value run_command_line(const std::string& line);

// Version of the host: (:major "18" :minor "0"); the major version is a host setting.
List sd_inq_version();
void set_host_major_version(int major);

}  // namespace host
