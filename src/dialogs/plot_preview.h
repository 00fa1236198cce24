// The plot preview: what printing or the PDF of the current sheet would put on paper with the
// job settings, shown by the host instead of carried out.
#pragma once

#include "dialogs/job_start.h"

namespace tavrin {

// With printing on: the printer's paper (fitted when fitting is on) and pens, chosen by the
// same steps as the print; otherwise the PDF's page. A step that fails is shown.
host::Value tavrin_plot_preview(const SettingReader& read);

}  // namespace tavrin
