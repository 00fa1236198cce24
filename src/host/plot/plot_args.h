// The keyword list of am_plot_ex, parsed into a plot request.
#pragma once

#include <optional>
#include <string>

#include "host/value/value.h"

namespace host {

enum class PlotterType { Pdf, Printer };
enum class Orientation { Unspecified, Portrait, Landscape };
enum class PlotOutput { Sheet, Drawing };

struct PlotRequest {
  PlotterType plotter_type = PlotterType::Pdf;
  std::string plotter_name;
  bool custom_size = false;
  std::optional<double> width;   // millimetres
  std::optional<double> height;  // millimetres
  Orientation orientation = Orientation::Unspecified;
  std::string paper;  // :paper_format_ra
  std::string destination;
  int copies = 1;
  bool position_left = false;
  std::string transf_style;  // key of the pen style, upper case; "" for the active one
  bool fit = false;          // :scale_fit; otherwise :scale_factor_value
  double scale = 1;
  PlotOutput output = PlotOutput::Sheet;
  bool plot = false;  // :plot given: carry the plot out
};

// Parses the list as the module builds it. A keyword the host does not know, a value of the
// wrong kind or a missing value throws host::Error naming the keyword.
PlotRequest parse_plot_args(const List& args);

}  // namespace host
