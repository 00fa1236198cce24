// The administrator commands: tables, printer and style files, the INFO template.
#pragma once

namespace tavrin {

// Declares the six administrator dialogs and the two dialogs of the INFO window.
void register_admin_dialogs();

}  // namespace tavrin
