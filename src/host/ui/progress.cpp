// Progress of long work, handed to the front end.
#include "host/api/ui_ops.h"
#include "host/ui/frontend.h"

namespace host {

void sd_show_progress(int done, int total, const std::string& label) {
  ui::front_end().progress(done, total, label);
}

}  // namespace host
