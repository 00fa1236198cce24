// Colour and line-type names of the command language.
#pragma once

#include <optional>
#include <string>

#include "host/drawing/model.h"

namespace host::commands {

// BLACK, WHITE, RED, GREEN, BLUE, CYAN, MAGENTA, YELLOW (upper case).
std::optional<Rgb> color_by_name(const std::string& name);
// The host's line types: SOLID, DASHED, DASH_CENTER, CENTER, PHANTOM, DOTTED, LONG_DASHED.
bool is_linetype(const std::string& name);

}  // namespace host::commands
