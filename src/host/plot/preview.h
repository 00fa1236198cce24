// What a plot would put on paper, worked out from the same plot arguments and by the same
// rules as the plot itself, so that a front end can show it before anything is written.
#pragma once

#include "host/api/ui_ops.h"
#include "host/value/value.h"

namespace host {

// The page of the current sheet for an am_plot_ex argument list. Throws host::Error like
// am_plot_ex for a list it would refuse (and when there is no sheet).
PaperPreview plot_preview(const List& plot_args);

}  // namespace host
