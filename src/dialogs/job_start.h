// The driver's dialog glue: what the main dialog's start button and the two run commands do,
// and the job settings read from the dialog's controls.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/driver.h"
#include "host/api/host.h"

namespace tavrin {

// Action of the main dialog's start button: asks, then starts "TV-BATCH-DIALOG" or
// "TV-NOW-DIALOG". Nil when the answer is not yes.
host::Value tavrin();
// The directory run over the marked files of the file list.
host::Value tavrin_batch_exe();
// The run over the drawing that is loaded now.
host::Value tavrin_now_exe();

// Reads a setting by key (tv_read_value in the dialog; a recorder in tests).
using SettingReader = std::function<std::string(const std::string&)>;

// Reads the settings in the driver's order, only those the job needs. `between` runs after
// the four sheet-selection toggles (the current-drawing run takes the drawing number there).
JobSettings read_job_settings(const SettingReader& read, const std::function<void()>& between = {});

// The engine's own steps, with the change history's revision PDF.
DrawingSteps engine_steps();

// The runs with their settings read through `read` (tv_read_value, or a recorder in tests).
host::Value run_batch_dialog(const std::vector<std::string>& files, const SettingReader& read,
                             const DrawingSteps& steps);
host::Value run_now_dialog(const SettingReader& read, const DrawingSteps& steps);

}  // namespace tavrin
