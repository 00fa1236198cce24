// The start commands and the small command dialogs around the main dialog.
#pragma once

namespace tavrin {

// Declares tavrin-batch-start-dialog, tavrin-now-start-dialog, set-plot-dir, tv-dummy-dialog,
// tv-batch-dialog and tv-now-dialog as host command dialogs.
void register_start_dialogs();
void tavrin_start(bool modus);

}  // namespace tavrin
