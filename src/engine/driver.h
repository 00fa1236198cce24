// The plot job driver: the confirmation before a run, the directory and current-drawing
// runs, and the sheet-selection test.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/value/value.h"
#include "base/globals.h"

namespace tavrin {

// Action of the main dialog's start button: asks, then starts "TV-BATCH-DIALOG" or
// "TV-NOW-DIALOG". Nil when the answer is not yes.
host::Value tavrin();
// The directory run over the marked files of the file list.
host::Value tavrin_batch_exe();
// The run over the drawing that is loaded now.
host::Value tavrin_now_exe();

// True when the sheet of that name takes part: names that are not numbers always do,
// numbers are compared with the limit.
bool ist_blatt_in_auswahl(const std::string& name, const Selection& selection);

// The job settings as the driver reads them; settings that were not read are nil / false.
struct JobSettings {
  bool store_dxf = false;
  bool store_mi = false;
  bool store_pdf = false;
  bool drucken = false;
  bool blatt_alle = false;
  bool blatt_groesser = false;
  bool blatt_kleiner = false;
  bool blatt_x = false;
  bool autotext = false;
  bool aenderung = false;
  bool einpassen = false;
  bool auto_plotter = false;
  host::Value firma;
  host::Value format;
  host::Value drucker;
  Selection selection;
  // Set when the selection's text field holds no number: the job must not run.
  std::optional<std::string> selection_problem;
};

// Reads a setting by key (tv_read_value in the dialog; a recorder in tests).
using SettingReader = std::function<std::string(const std::string&)>;

// Reads the settings in the driver's order, only those the job needs. `between` runs after
// the four sheet-selection toggles (the current-drawing run takes the drawing number there).
JobSettings read_job_settings(const SettingReader& read, const std::function<void()>& between = {});

// The per-drawing operations of a job, in the order the driver calls them. The defaults
// are the engine's; tests put recorders in their place to see the order and the arguments.
struct DrawingSteps {
  std::function<void()> autotext;
  std::function<host::Value(const host::Value&, const Selection&, bool, bool)> speichern;
  std::function<void(bool, const host::Value&, const host::Value&, const host::Value&, bool, bool,
                     bool, const host::Value&, const Selection&, const host::Value&)>
      drucken;
  std::function<host::Value(const host::Value&)> aenderungs_pdf;
  std::function<void(const std::string&)> load_subpart;
};
DrawingSteps engine_steps();

// The directory run over the given paths (relative to the current working directory).
host::Value run_batch_job(const std::vector<std::string>& files, const SettingReader& read,
                          const DrawingSteps& steps = engine_steps());
host::Value run_now_job(const SettingReader& read, const DrawingSteps& steps = engine_steps());

}  // namespace tavrin
