// Actions are either callables or command lines; both end up as the same host behaviour.
#include "host/ui/actions.h"

#include "host/api/commands.h"
#include "host/api/error.h"
#include "host/api/ui_ops.h"
#include "host/ui/args.h"
#include "host/ui/dialogs.h"
#include "host/value/reader.h"

namespace host::ui {

Value run_action(const Value& action, const List& args) {
  switch (action.kind()) {
    case Kind::Nil:
      return Value();
    case Kind::Function:
      return action.call(args);
    case Kind::String:
      return run_command_line(action.as_string());
    case Kind::Symbol:
      return run_named_command(action.as_string());
    default:
      throw Error("not an action: " + print_literal(action));
  }
}

Value run_named_command(const std::string& name) {
  std::string command = upper(trim_blanks(name));
  if (dialog_defined(command)) return sd_call_dialog(command);
  return run_command_line(command);
}

}  // namespace host::ui
