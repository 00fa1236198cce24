// The start commands and the small command dialogs around the main dialog.
#pragma once

namespace tavrin {

// Declares tavrin-batch-start-dialog, tavrin-now-start-dialog, set-plot-dir, tv-dummy-dialog,
// tv-batch-dialog and tv-now-dialog as host command dialogs.
void register_start_dialogs();
// Prepares the tables afresh and opens the main dialog for a directory run (true) or the
// current drawing (false), filled from the stored standard.
void tavrin_start(bool modus);
// The button that shows the plot directory, at cell 0 of the row; it opens "SET-PLOT-DIR".
void create_dir_button(int row);

}  // namespace tavrin
