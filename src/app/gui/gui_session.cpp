// Start-up of the desktop host and its module.
#include "gui_session.h"

#include "host/api/commands.h"
#include "host/api/front_end.h"

namespace gui {

void load_module(const std::string& path) {
  host::load_module(path);
  host::run_queued_commands();
}

}  // namespace gui
