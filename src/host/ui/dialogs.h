// Command dialogs: declared dialogs that run as host commands, each with an input state
// machine over its variables (see DialogSpec in host/api/ui_ops.h).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/api/ui_ops.h"

namespace host::ui {

bool dialog_defined(const std::string& name);
std::vector<std::string> dialog_names();  // upper case, sorted
std::optional<DialogSpec> find_dialog(const std::string& name);

// The running dialog as a front end shows it: which input is asked and what it holds.
struct ActiveDialogView {
  std::string name;
  std::string title;
  std::size_t index = 0;  // of the variable being asked
  std::size_t count = 0;
  DialogVariable variable;
  Value value;  // the variable's value so far
};
std::optional<ActiveDialogView> active_dialog_view();

// The title a dialog gets when its declaration names none: "SET-PLOT-DIR" → "Set-Plot-Dir".
std::string default_dialog_title(const std::string& name);

}  // namespace host::ui
