// The host's error state: the last error, whether it is active, whether actions are blocked.
#include "host/value/error.h"

namespace host {

namespace {

struct ErrorState {
  bool active = false;
  bool recorded = false;  // the last error stays readable after a reset
  std::string message;
  std::string keyword;
  bool blocked = false;
};

ErrorState& state() {
  static ErrorState s;
  return s;
}

}  // namespace

void reset_error_state() {
  state() = ErrorState{};
}

void set_error_state(const Error& e) {
  ErrorState& s = state();
  s.active = true;
  s.recorded = true;
  s.message = e.what();
  s.keyword = e.keyword();
}

bool lisp_error_active() {
  return state().active;
}

void reset_lisp_error_active() {
  state().active = false;
}

Value sd_inq_error_obj(const Value& property) {
  const ErrorState& s = state();
  if (!s.recorded) return Value();
  const Value message(s.message);
  const Value keyword = s.keyword.empty() ? Value() : kw(s.keyword);
  if (property.is_nil()) return Value(List{kw("message"), message, kw("keyword"), keyword});
  // The error display knows the text as :error-mesg; both names answer it.
  if (property.is_keyword("message") || property.is_keyword("error-mesg")) return message;
  if (property.is_keyword("keyword")) return keyword;
  return Value();
}

// The module (such as :oli) only says who refused; the text is the same for all.
void sd_modinfo_set_error([[maybe_unused]] const Value& module, const Value& keyword) {
  const std::string name = keyword.is_nil() ? std::string() : keyword.as_string();
  set_error_state(Error("Call refused: the host is busy with another action",
                        Value::keyword(name).as_string()));
}

void set_actions_blocked(bool blocked) {
  state().blocked = blocked;
}

bool actions_blocked() {
  return state().blocked;
}

}  // namespace host
