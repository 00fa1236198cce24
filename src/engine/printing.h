// Printing the selected sheets of the current drawing, the failure report, and the list of
// installed printers.
#pragma once

#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/sheet_format.h"
#include "host/api/value.h"

namespace tavrin {

// The printer plot command of a sheet: scale 1 on the paper of its own format, or fitted by
// the host to the paper (`fitted`).
host::List printer_plot_args(const std::string& plotter, const std::string& paper,
                             const SheetFormat& sheet, bool fitted);

// Prints the current sheet with the pen set `firma`, fitted into `fit_format` when it is a
// text, on `plotter` (nil: chosen from the plotter table). Nil on success; after a failure
// the four-line report naming `report_name` is in the output box.
host::Value drucken(const host::Value& firma, const host::Value& fit_format,
                    const host::Value& plotter, const host::Value& report_name);

// The four-line failure report of a plot in the output box.
host::Value show_fehlermeldung(const host::Value& report_name, const std::string& plotter);

}  // namespace tavrin
