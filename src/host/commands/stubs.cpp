// Placeholders until the command language lands; each throws a host error naming the operation.
#include "host/api/commands.h"
#include "host/api/error.h"

namespace host {

Value sd_execute_annotator_command([[maybe_unused]] const List& args) { throw Error("sd_execute_annotator_command: not available yet"); }
Value sd_execute_annotator_function([[maybe_unused]] const List& args) { throw Error("sd_execute_annotator_function: not available yet"); }
void sd_put_buffer([[maybe_unused]] const std::string& line) { throw Error("sd_put_buffer: not available yet"); }
void run_queued_commands() { throw Error("run_queued_commands: not available yet"); }
std::vector<std::string> queued_commands() { throw Error("queued_commands: not available yet"); }
Value load_dia([[maybe_unused]] const List& args) { throw Error("load_dia: not available yet"); }
void register_command([[maybe_unused]] const std::string& name, [[maybe_unused]] Function body) { throw Error("register_command: not available yet"); }
bool command_registered([[maybe_unused]] const std::string& name) { throw Error("command_registered: not available yet"); }
Value run_command_line([[maybe_unused]] const std::string& line) { throw Error("run_command_line: not available yet"); }
List sd_inq_version() { throw Error("sd_inq_version: not available yet"); }
void set_host_major_version([[maybe_unused]] int major) { throw Error("set_host_major_version: not available yet"); }

}  // namespace host
