// Parsing a host command line into a command and its operands, without running it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/value/value.h"

namespace host::commands {

// Which elements a command works on: "[GLOBAL] [GEO|TEXTS] (ALL | INFOS '<info>') END".
struct Selection {
  enum class Category { Any, Geo, Texts };
  bool global = false;  // every sheet of the drawing; otherwise the current sheet
  Category category = Category::Any;
  std::optional<std::string> info;  // only elements carrying this INFO attribute
};

struct Command {
  std::string name;  // upper case: "CHANGE_TEXT", "LOAD", "AM_LOAD_SKETCH", ...
  Value operand;     // the value before the selection; the path of LOAD SUBPART
  Point2 offset;     // LOAD SUBPART placement
  List args;         // keyword arguments of AM_LOAD_SKETCH and AM_CREATE_DRAWING
  Selection selection;
};

// Parses one line. Throws host::Error naming the command for an unknown command or bad
// syntax; a line that parses has no effect until it is run.
Command parse_command(std::string_view line);

// True for the commands that change elements through a selection.
bool is_selection_command(const std::string& name);

}  // namespace host::commands
