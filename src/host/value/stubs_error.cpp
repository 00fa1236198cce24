// Placeholders until the host values lands; each throws a host error naming the operation.
#include "host/api/error.h"
#include "host/api/error.h"

namespace host {

void set_error_state([[maybe_unused]] const Error& e) { throw Error("set_error_state: not available yet"); }
bool lisp_error_active() { throw Error("lisp_error_active: not available yet"); }
void reset_lisp_error_active() { throw Error("reset_lisp_error_active: not available yet"); }
Value sd_inq_error_obj([[maybe_unused]] const Value& property)) { throw Error("sd_inq_error_obj: not available yet"); }
void sd_modinfo_set_error([[maybe_unused]] const Value& module, [[maybe_unused]] const Value& keyword) { throw Error("sd_modinfo_set_error: not available yet"); }
void set_actions_blocked([[maybe_unused]] bool blocked) { throw Error("set_actions_blocked: not available yet"); }
bool actions_blocked() { throw Error("actions_blocked: not available yet"); }
std::optional<Value> guarded([[maybe_unused]] const std::function<Value()>& op, [[maybe_unused]] OnError on_error) { throw Error("guarded: not available yet"); }
void display_error([[maybe_unused]] const std::string& text) { throw Error("display_error: not available yet"); }

}  // namespace host
