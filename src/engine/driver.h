// The plot job driver: the directory and current-drawing runs over typed job settings, and
// the sheet-selection test.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/globals.h"
#include "host/api/value.h"

namespace tavrin {

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
  // How plots print colours: "" as drawn, "monochrome" or "grayscale"; and the job's CAD
  // plot style table file ("": each sheet's own).
  std::string color_mode;
  std::string plot_style_table;
};

// Hands the job's plot colours to the host. False (shown and counted) when the job's plot
// style table cannot be read: the job must not run.
bool set_job_plot_colors(const JobSettings& s);

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

// The directory run over the given paths (relative to the current working directory).
host::Value run_batch_job(const std::vector<std::string>& files, const JobSettings& settings,
                          const DrawingSteps& steps);
// The run over the drawing that is loaded now (its number in file_ladename).
host::Value run_now_job(const JobSettings& settings, const DrawingSteps& steps);

}  // namespace tavrin
