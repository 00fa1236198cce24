// The revision PDF: the change history of a drawing on A4 pages.
#pragma once

#include "host/api/value.h"

namespace tavrin {

// `item` is the drawing file being processed (unused). Nil when there is no INFO field or
// the plot failed.
host::Value create_aenderungs_pdf(const host::Value& item);
host::Value create_info_plot_style();

}  // namespace tavrin
