// Which CAD plot style table and colour mode the plots of a job use: set by the job, kept by
// the host until the next job sets them.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "host/drawing/model.h"
#include "host/plot/print_colors.h"

namespace host {

struct PlotColorSettings {
  // The job's table file; "" lets every sheet plot with the table its layout names.
  std::string table_file;
  // The installation tree whose TABELLEN/PLOTSTYLES holds the tables drawings name.
  std::filesystem::path install;
  ColorMode mode = ColorMode::AsDrawn;
};

void set_plot_color_settings(PlotColorSettings settings);
const PlotColorSettings& plot_color_settings();

// The table a sheet of the drawing plots with; nullptr for none. The job's table when it
// has one (a table that cannot be read throws host::Error); else the one the sheet names,
// from the office's folder or the installation's. A named table that is not found or not
// readable is told in one output-box line per drawing, and the sheet plots with the
// drawing's own colours.
std::shared_ptr<const PlotStyleTable> plot_style_table_for(const Drawing& drawing,
                                                           const Sheet& sheet);

}  // namespace host
