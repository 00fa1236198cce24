// Runs one user action the way the host runs a command: a host error goes to a message
// instead of escaping into the event loop.
#pragma once

#include <exception>
#include <functional>

#include "host/api/commands.h"
#include "host/api/front_end.h"

namespace gui {

inline bool act(const std::function<void()>& action) {
  try {
    action();
    return true;
  } catch (const std::exception& e) {
    host::ui::front_end().message(e.what(), host::Severity::Problem);
    return false;
  }
}

}  // namespace gui
