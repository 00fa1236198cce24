// The host's error type and error state: what a failing host operation throws and marks.
// Below everything else in the host, so that every layer can fail the same way.
#pragma once

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

// Forgets the error state (no error, nothing recorded, actions not blocked).
void reset_error_state();

}  // namespace host
