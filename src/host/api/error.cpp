// The guard through which the module calls host operations.
#include "host/api/error.h"

#include "host/api/testing.h"
#include "host/api/ui_ops.h"

namespace host {

namespace {

const bool registered = [] {
  register_reset_hook(reset_error_state);
  return true;
}();

}  // namespace

std::optional<Value> guarded(const std::function<Value()>& op, OnError on_error) {
  if (actions_blocked()) {
    sd_modinfo_set_error(kw("oli"), kw("sd-call-action-illegal-call"));
    return std::nullopt;
  }
  try {
    return op();
  } catch (const Error& e) {
    set_error_state(e);
    reset_lisp_error_active();
    const std::string text = e.what();
    switch (on_error) {
      case OnError::Show:
        display_error(text);
        break;
      case OnError::Report:
        display(text);
        break;
      case OnError::Silent:
        break;
    }
    return std::nullopt;
  }
}

void display_error(const std::string& text) {
  sd_display_message(text);
}

}  // namespace host
