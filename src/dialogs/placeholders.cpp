// Placeholders until the main dialog and the file list land.
#include "dialogs/job_settings.h"
#include "host/api/host.h"

namespace tavrin {

std::string tv_read_value(const std::string& key) {
  const std::string control = "TAVRIN-DIALOG-" + key;
  if (host::sd_text_control_p(control)) {
    const host::Value v = host::sd_get_text_control_value(control, true);
    return v.is_string() ? v.as_string() : "";
  }
  return host::sd_togglebutton_set_p(control) ? "1" : "0";
}

bool tv_set_nil_or_t(const std::string& text) { return text == "1"; }

std::vector<std::string> create_filelist() { return {}; }

}  // namespace tavrin

#include "dialogs/start_commands.h"

namespace tavrin {

void register_start_dialogs() {}
void tavrin_start(bool) {}

}  // namespace tavrin
