// Running the actions that controls, shells, tables and menus carry.
#pragma once

#include "host/value/value.h"

namespace host::ui {

// A callable runs with the arguments; a text such as "(Tavrin::AUTOTEXT-EINTRAG 0 T)" or a
// command name runs as a host command line; nil does nothing. Host errors pass through.
Value run_action(const Value& action, const List& args);

// Runs a command by name: a declared command dialog starts, any other registered command
// runs as a command line.
Value run_named_command(const std::string& name);

}  // namespace host::ui
