// Host errors, the host's error state, and the one guard through which the module calls
// host operations that can fail.
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "host/value/value.h"

namespace host {

class Error : public std::runtime_error {
 public:
  explicit Error(std::string message, std::string keyword = "")
      : std::runtime_error(std::move(message)), keyword_(std::move(keyword)) {}
  // Optional error keyword, e.g. "SD-CALL-ACTION-ILLEGAL-CALL".
  const std::string& keyword() const { return keyword_; }

 private:
  std::string keyword_;
};

// Marks the host's error state with the given error (what a failing operation does).
void set_error_state(const Error& e);
// True while an error has been raised and not reset.
bool lisp_error_active();
void reset_lisp_error_active();
// The last error: (:message "...") properties; with a property keyword, that property.
// sd_inq_error_obj(kw("message")) gives the message text (a string) or nil.
Value sd_inq_error_obj(const Value& property = Value());
// Sets an error by module and keyword, as the host does for refused calls.
void sd_modinfo_set_error(const Value& module, const Value& keyword);

// The host refuses actions while it is not ready for one (for example while a modal
// question is open). Front ends and tests set this; guarded calls then skip their step.
void set_actions_blocked(bool blocked);
bool actions_blocked();

// What the guard does with a caught host error after resetting the error state.
enum class OnError {
  Show,    // show the host's error text in a message (the host's error display)
  Report,  // append the error text to the output box
  Silent,  // only reset the error state
};

// Runs one host operation. On a host::Error: reset the error state, then show, report or
// stay silent, and return nullopt. While actions are blocked: set the illegal-call error
// (:oli :sd-call-action-illegal-call), skip the operation and return nullopt.
std::optional<Value> guarded(const std::function<Value()>& op, OnError on_error);

// Shows an error text through the host's error display (a message box).
void display_error(const std::string& text);

}  // namespace host
