// Host errors and their state (re-exported from host/value), and the one guard through which the
// module calls host operations that can fail.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "host/value/error.h"
#include "host/value/value.h"

namespace host {

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
