// Running parsed command lines on the current drawing.
#pragma once

#include <string_view>

#include "host/commands/parser.h"

namespace host::commands {

// Parses the whole line first, so a line with a syntax error changes nothing; then runs it.
Value run_annotator_line(std::string_view line);
Value run_command(const Command& cmd);

}  // namespace host::commands
