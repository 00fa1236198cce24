// The guard through which the module calls host operations.
#include "host/api/error.h"

#include "host/api/testing.h"
#include "host/api/ui_ops.h"

namespace host {

namespace {

int& problem_count() {
  static int count = 0;
  return count;
}

const bool registered = [] {
  register_reset_hook(reset_error_state);
  register_reset_hook([] { problem_count() = 0; });
  return true;
}();

}  // namespace

std::optional<Value> guarded(const std::function<Value()>& op, OnError on_error) {
  if (actions_blocked()) {
    sd_modinfo_set_error(kw("oli"), kw("sd-call-action-illegal-call"));
    // A skipped step that had to happen is as much a problem as a failed one.
    if (on_error == OnError::Show || on_error == OnError::Report) count_problem();
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
        count_problem();
        break;
      case OnError::Report:
        display(text);
        count_problem();
        break;
      case OnError::Warn:
        sd_display_message(text, Severity::Warning);
        break;
      case OnError::Silent:
        break;
    }
    return std::nullopt;
  }
}

void display_error(const std::string& text) {
  sd_display_message(text, Severity::Problem);
}

void count_problem(int n) {
  problem_count() += n;
}

int reported_problems() {
  return problem_count();
}

}  // namespace host
