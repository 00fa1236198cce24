// Registered commands, typed command lines, parenthesised forms and the host version.
#include <algorithm>
#include <map>
#include <optional>
#include <string>

#include "host/api/commands.h"
#include "host/api/drawing_ops.h"
#include "host/api/error.h"
#include "host/api/settings_ops.h"
#include "host/api/testing.h"
#include "host/api/ui_ops.h"
#include "host/commands/annotator.h"
#include "host/commands/forms.h"
#include "host/commands/tokens.h"
#include "host/value/format.h"
#include "host/value/reader.h"
#include "host/value/text.h"

namespace host {

namespace {

struct Registry {
  std::map<std::string, Function> commands;  // by upper-case name
  int major_version = 18;
};

Registry& registry() {
  static Registry r;
  return r;
}

[[maybe_unused]] const bool kResetRegistered =
    (register_reset_hook([] { registry() = Registry{}; }), true);

std::string first_string(const List& args, const char* op) {
  if (args.empty() || !args[0].is_string()) throw Error(format("~A: expects a text", op));
  return args[0].as_string();
}

using Operation = Value (*)(const List&);

// Host operations a command file or a typed form may call, by name with "-" read as "_".
const std::map<std::string, Operation>& operations() {
  static const std::map<std::string, Operation> ops{
      {"AM_DEFINE_PEN_TRANSFORMATION", am_define_pen_transformation},
      {"SD_SET_SETTING_VALUES", sd_set_setting_values},
      {"CREATE_DEFAULT_SETTING_USER_STYLE", create_default_setting_user_style},
      {"DELETE_DEFAULT_SETTING_USER_STYLE", delete_default_setting_user_style},
      {"MODIFY_DEFAULT_SETTING", modify_default_setting},
      {"AM_CREATE_DRAWING", am_create_drawing},
      {"AM_LOAD_DRAWING", am_load_drawing},
      {"AM_LOAD_SKETCH", am_load_sketch},
      {"LOAD_DIA", load_dia},
      {"SD_EXECUTE_ANNOTATOR_COMMAND", sd_execute_annotator_command},
      {"SD_EXECUTE_ANNOTATOR_FUNCTION", sd_execute_annotator_function},
      {"SD_PUT_BUFFER",
       [](const List& args) {
         sd_put_buffer(first_string(args, "SD_PUT_BUFFER"));
         return Value::t();
       }},
  };
  return ops;
}

std::string operation_name(std::string name) {
  for (char& c : name)
    if (c == '-') c = '_';
  return name;
}

// "Tavrin::AUTOTEXT-EINTRAG" names AUTOTEXT-EINTRAG of the module's package.
std::string without_package(const std::string& name) {
  const auto colons = name.rfind("::");
  return colons == std::string::npos ? name : name.substr(colons + 2);
}

// A registered command by its upper-case name, with or without a package prefix.
const Function* find_registered(const std::string& name) {
  auto& commands = registry().commands;
  auto it = commands.find(name);
  if (it == commands.end()) it = commands.find(without_package(name));
  return it == commands.end() ? nullptr : &it->second;
}

Value run_form_text(std::string_view text) {
  std::size_t used = 0;
  const Value form = read_literal(text, &used);
  if (!trim_view(text.substr(used)).empty())
    throw Error(format("command line: unexpected text after the closing bracket: ~A",
                       std::string(trim_view(text.substr(used)))));
  if (!form.is_list()) throw Error("command line: expects a form (NAME arguments...)");
  return commands::call_form(form.as_list());
}

// While a command dialog waits for input, a line holding one value (a quoted text, a number,
// a point or a keyword) is that input, as if typed into the dialog's prompt.
std::optional<Value> dialog_input(std::string_view text) {
  if (!active_dialog()) return std::nullopt;
  std::vector<commands::Token> tokens;
  try {
    tokens = commands::tokenize(text);
  } catch (const Error&) {
    return std::nullopt;
  }
  if (tokens.size() != 1) return std::nullopt;
  switch (tokens.front().type) {
    case commands::TokenType::String:
    case commands::TokenType::Number:
    case commands::TokenType::Point:
    case commands::TokenType::Keyword:
      return commands::token_value(tokens.front());
    default:
      return std::nullopt;
  }
}

Value run_registered(const std::string& name, const Function& body, std::string_view rest) {
  List args;
  try {
    for (const auto& token : commands::tokenize(rest)) args.push_back(commands::token_value(token));
  } catch (const Error& e) {
    throw Error(format("~A: ~A", name, e.what()));
  }
  return body(args);
}

}  // namespace

namespace commands {

Value call_form(const List& form) {
  if (form.empty() || !(form[0].is_symbol() || form[0].is_string()))
    throw Error("command form: expects an operator name first");
  const std::string name = upper(form[0].as_string());
  const List args(form.begin() + 1, form.end());
  if (const Function* body = find_registered(name)) return (*body)(args);
  const auto& ops = operations();
  if (auto it = ops.find(operation_name(without_package(name))); it != ops.end())
    return it->second(args);
  throw Error(format("Unknown command: ~A", name));
}

}  // namespace commands

void register_command(const std::string& name, Function body) {
  registry().commands[host::upper(name)] = std::move(body);
}

bool command_registered(const std::string& name) {
  return find_registered(host::upper(name)) != nullptr;
}

Value run_command_line(const std::string& line) {
  const std::string_view text = trim_view(line);
  if (text.empty()) return Value::nil();
  if (auto input = dialog_input(text)) {
    feed_dialog_input(*input);
    return Value::t();
  }
  if (text.front() == '(') return run_form_text(text);
  const std::size_t name_end = std::min(text.find_first_of(" \t"), text.size());
  const std::string name = host::upper(text.substr(0, name_end));
  if (const Function* body = find_registered(name))
    return run_registered(name, *body, text.substr(name_end));
  return commands::run_annotator_line(text);
}

List sd_inq_version() {
  return {kw("major"), Value::string(std::to_string(registry().major_version)), kw("minor"),
          Value::string("0")};
}

void set_host_major_version(int major) {
  registry().major_version = major;
}

}  // namespace host
