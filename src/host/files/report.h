// The run report's record of one item (one file of a directory run), filled by the host
// operations that the item's run calls, and written as one JSON object.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace host::workers::report {

// What a plot of a sheet tells about it; sizes in millimetres.
struct PlotFacts {
  std::string sheet;
  std::optional<double> measured_width, measured_height;
  double page_width = 0, page_height = 0;
  std::string format;  // the paper's name, "-" when no known paper has the page's size
  std::string orientation;
  double fit_factor = 1;
  std::string plot_style;
  std::string printer;  // empty for a PDF
};

bool active();
void begin_item(const std::string& label);
// The item's JSON object; the record is closed.
std::string end_item();

void note_loaded();
void note_problem(const std::string& text);
// The sheet the next outputs belong to.
void note_sheet(const std::string& name);
void note_plot(const PlotFacts& facts);
void note_output(const std::string& path, std::size_t bytes);

// The objects of finished items, in list order, until taken.
void add_item(std::string json);

}  // namespace host::workers::report
