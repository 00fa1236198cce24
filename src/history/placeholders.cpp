// Placeholders until the change history lands.
#include "history/revision_pdf.h"

namespace tavrin {

host::Value create_aenderungs_pdf(const host::Value&) { return {}; }
host::Value create_info_plot_style() { return {}; }

}  // namespace tavrin

#include "history/admin.h"
#include "history/info_record.h"

namespace tavrin {

void register_history_dialogs() {}
host::Value get_info_string_from_file() { return {}; }
void register_admin_dialogs() {}

}  // namespace tavrin
