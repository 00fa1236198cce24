// What a plot would put on paper, worked out from the same plot arguments and by the same
// rules as the plot itself, so that a front end can show it before anything is written.
#pragma once

#include <string>

#include "host/plot/layout.h"
#include "host/settings/pens.h"
#include "host/value/value.h"

namespace host {

struct PlotPreview {
  PageSize page;            // millimetres, turned as the plot turns it
  Placement placement;      // scale or fit, as on the paper
  const PenStyle* pens;     // the printed pens; nullptr draws as drawn
  std::string paper;        // the paper's name, "" for a page of the sheet's own size
  std::string description;  // one line for people: paper, size, orientation, scale, pens
};

// The page of the current sheet for an am_plot_ex argument list. Throws host::Error like
// am_plot_ex for a list it would refuse (and when there is no sheet).
PlotPreview plot_preview(const List& plot_args);

}  // namespace host
