// The main dialog TAVRIN-DIALOG: its controls and the visibility rules between them.
#pragma once

#include <string>

namespace tavrin {

// Builds and shows the main dialog for the run mode in *tavrin-modus*, then resets it.
void tavrin_dialog();
// Printing and fitting off (their controls hidden), autotext off.
void tv_reset_dialog();

// The visibility rules; each is the action of the toggle it is named after.
void switch_drucken();
void switch_pdf();
void switch_druckerwahl();
void switch_einpassen();
// Exactly one of the four BLATT radios on: "ALLE", "GROESSER", "KLEINER" or "X".
void switch_blaetter(const std::string& name);

}  // namespace tavrin
