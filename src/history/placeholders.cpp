// Placeholders until the change history lands.
#include "history/revision_pdf.h"

namespace tavrin {

host::Value create_aenderungs_pdf(const host::Value&) { return {}; }
host::Value create_info_plot_style() { return {}; }

}  // namespace tavrin
