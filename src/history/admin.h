// The administrator commands: tables, printer and style files, the INFO template.
#pragma once

#include <string>

#include "host/api/value.h"

namespace tavrin {

// Declares the six administrator dialogs and the two dialogs of the INFO window.
void register_admin_dialogs();

// Opens "~A/TABELLEN/<name>" in the host's editor; the editor's result, or nil after an
// error, which is shown.
host::Value tv_admin_edit(const std::string& name);
// Regenerates "TavrinPlotter.dat" and "TavrinPlotSyles.dat" from the system, after a notice.
void tv_admin();
// The INFO window with the template's first line in its text field.
void tv_info_store_ui(const host::Value& first_line);
// Loads the INFO template (as the drawing, or onto a new sheet) and opens the INFO window.
void tv_admin_info_dialog();
// Stores the window's first line as the template's marker line and as the marker file.
void tv_admin_info_finish();
// Removes the working sheet and hides the INFO window; nothing is stored.
void tv_admin_info_cancel();

}  // namespace tavrin
