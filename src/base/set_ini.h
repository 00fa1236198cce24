// Module start-up: the entry steps and the settings every plot command begins with.
#pragma once

namespace tavrin {

// Sets the version text, empties the configuration tables and stores the run mode
// (true: directory run, false: current drawing). Returns the flag.
bool set_ini(bool flag);

}  // namespace tavrin
