// Measuring a sheet and choosing its paper format, fitting factor, plotter and paper name.
#pragma once

#include <string>

#include "base/sheet_extent.h"
#include "host/api/value.h"

namespace tavrin {

// Orientation, format name ("-" when no format holds the sheet), extent and fitting factor
// of a sheet; the plot style is nil until set_plot_syle_parameter appends it.
struct SheetFormat {
  std::string orientation;  // "LANDSCAPE" or "PORTRAIT"
  std::string format_name;
  host::Value width;
  host::Value height;
  host::Value factor = 1;  // exactly 1: the sheet is plotted at its own size
  host::Value plot_style;
};

// The current sheet's format, factor 1.
SheetFormat calculate_sheet_format();

// Puts the sheet on the fit format, unless a smaller format holds it at its own size.
SheetFormat check_if_einpassformat_greater_than_blattformat(const std::string& fit_format,
                                                            const SheetFormat& sheet);

// The plotter that serves the sheet's format; the last matching table row wins.
std::string select_plotter(const SheetFormat& sheet);

// The plotter's own paper name for a format; the format name itself when none is mapped.
std::string get_plotter_format_name(const std::string& plotter, const std::string& format_name);

}  // namespace tavrin
