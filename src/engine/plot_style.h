// The pen transformation style of a print or PDF, and the temporary style of a fitted sheet
// whose pen sizes are divided by the fitting factor.
#pragma once

#include <string>

#include "engine/sheet_format.h"
#include "host/api/value.h"

namespace tavrin {

// Applies the user's pen set `firma` and returns the sheet format with the style to plot
// with: the user's style keyword, or :tavrintmptrans for a factor other than 1.
SheetFormat set_plot_syle_parameter(const std::string& firma, const SheetFormat& sheet);

// The one command line that defines the temporary style's pens from the pen list value.
std::string tmp_plot_style_command(const host::Value& pens, const host::Value& factor);

// Writes that command line to "tmp_tavrin.lsp" in the host's temporary directory, loads it
// into the host and deletes the file again.
void modify_tmp_plot_sytle(const host::Value& pens, const host::Value& factor);

}  // namespace tavrin
