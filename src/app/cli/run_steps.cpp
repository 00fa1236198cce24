// Steps that the directory run and the current-drawing run share.
#include "commands.h"
#include "host/api/commands.h"
#include "host/api/error.h"
#include "host/api/front_end.h"

namespace cli {

void start_command(const char* name) {
  host::run_command_line(name);
}

int press_start(Session& session) {
  host::ui::press_button("TAVRIN-DIALOG-START-PB");
  session.finish_command();
  return host::reported_problems() > 0 ? kProblems : kOk;
}

}  // namespace cli
