// What the main dialog's pieces share: the grid they sit in, control identifiers by key, and
// control actions made from plain functions.
#pragma once

#include <functional>
#include <string>

#include "host/api/value.h"

namespace tavrin {

inline constexpr const char* kMainShell = "TAVRIN-DIALOG";
inline constexpr const char* kMainGrid = "TAVRIN-DIALOG-11-GA";

// "TAVRIN-DIALOG-" + key.
inline std::string dialog_control(const std::string& key) {
  return "TAVRIN-DIALOG-" + key;
}

// A control action that runs `f` and answers nil.
inline host::Value action_of(std::function<void()> f) {
  return host::Value::function([f = std::move(f)](const host::List&) {
    f();
    return host::Value();
  });
}

}  // namespace tavrin
