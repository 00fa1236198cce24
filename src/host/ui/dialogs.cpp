// The command-dialog registry and the input state machine of the running dialog.
#include "host/ui/dialogs.h"

#include <cstdint>
#include <filesystem>
#include <map>

#include "host/api/commands.h"
#include "host/api/error.h"
#include "host/api/testing.h"
#include "host/ui/args.h"
#include "host/ui/model.h"
#include "host/value/format.h"
#include "host/value/reader.h"
#include "host/value/text.h"
#include "host/value/language.h"

namespace host::ui {

namespace {

struct Running {
  std::string name;
  std::size_t index = 0;
  List values;
  // Each start gets a new session, so an action that ends or restarts the dialog is noticed.
  std::uint64_t session = 0;
};

std::map<std::string, DialogSpec>& specs() {
  static std::map<std::string, DialogSpec> registry;
  return registry;
}
std::optional<Running> running;
std::uint64_t sessions = 0;

[[maybe_unused]] const bool registered = [] {
  register_reset_hook([] {
    specs().clear();
    running.reset();
  });
  return true;
}();

void notify_dialog(const std::string& name) {
  notify({ModelChange::What::Dialog, name});
}

std::string key_of(const std::string& name) {
  return upper(trim_blanks(name));
}

// Why a precondition refuses the start, or nullopt when it lets the dialog run.
std::optional<std::string> refusal(const DialogSpec& spec) {
  if (!spec.precondition) return std::nullopt;
  Value r = spec.precondition({});
  bool error = r.is_keyword("error") ||
               (r.is_list() && !r.as_list().empty() && r.as_list()[0].is_keyword("error"));
  if (!error) return std::nullopt;
  if (r.is_list() && r.as_list().size() > 1 && r.as_list()[1].is_string()) {
    return r.as_list()[1].as_string();
  }
  return format(G_("Der Befehl ~A kann jetzt nicht ausgeführt werden"), spec.name);
}

// Why an input cannot be taken for the variable, or nullopt when it can.
std::optional<std::string> input_problem(const DialogVariable& var, const Value& value) {
  if (lower(var.type) != "directory") return std::nullopt;
  if (!value.is_string() || value.as_string().empty()) {
    return format(G_("~A: kein Verzeichnis angegeben"), var.title.empty() ? var.name : var.title);
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(value.as_string(), ec)) {
    return format(G_("~A ist kein Verzeichnis"), value.as_string());
  }
  return std::nullopt;
}

void ask_current() {
  if (!running) return;
  const DialogSpec& spec = specs().at(running->name);
  const DialogVariable& var = spec.variables.at(running->index);
  if (var.input_tool) {
    Function tool = var.input_tool;  // the tool may redefine or restart dialogs
    tool({running->values[running->index]});
  }
}

void finish(const DialogSpec& spec, const List& values) {
  if (spec.ok_action) {
    Function ok = spec.ok_action;
    ok(values);
  }
}

}  // namespace

bool dialog_defined(const std::string& name) {
  return specs().count(key_of(name)) > 0;
}

std::vector<std::string> dialog_names() {
  std::vector<std::string> out;
  for (const auto& [name, spec] : specs()) out.push_back(name);
  return out;
}

std::optional<DialogSpec> find_dialog(const std::string& name) {
  auto it = specs().find(key_of(name));
  return it == specs().end() ? std::nullopt : std::optional<DialogSpec>(it->second);
}

std::optional<ActiveDialogView> active_dialog_view() {
  if (!running) return std::nullopt;
  const DialogSpec& spec = specs().at(running->name);
  return ActiveDialogView{spec.name,
                          spec.title,
                          running->index,
                          spec.variables.size(),
                          spec.variables.at(running->index),
                          running->values[running->index]};
}

std::string default_dialog_title(const std::string& name) {
  std::string out = lower(name);
  bool word_start = true;
  for (char& c : out) {
    if (word_start) c = upper_ascii(c);
    word_start = c == '-' || c == '_' || c == ' ';
  }
  return out;
}

}  // namespace host::ui

namespace host {

using ui::running;

void define_dialog(DialogSpec spec) {
  spec.name = ui::key_of(spec.name);
  if (spec.name.empty()) throw Error(_("define_dialog: a dialog needs a name"));
  if (spec.title.empty()) spec.title = ui::default_dialog_title(spec.name);
  std::string name = spec.name;
  if (running && running->name == name) running.reset();  // its spec is about to change
  ui::specs()[name] = std::move(spec);
  register_command(name, [name](const List&) { return sd_call_dialog(name); });
  ui::notify_dialog(name);
}

Value sd_call_dialog(const std::string& name) {
  std::string key = ui::key_of(name);
  auto it = ui::specs().find(key);
  if (it == ui::specs().end()) {
    if (!key.empty() && command_registered(key)) return run_command_line(key);
    throw Error(translate_format("sd_call_dialog: unknown dialog {}", name));
  }
  DialogSpec spec = it->second;  // a copy: its actions may redefine dialogs
  cancel_active_dialog();        // a dialog started while another runs ends the first
  if (auto text = ui::refusal(spec)) {
    sd_display_message(*text);
    return Value();
  }
  if (spec.variables.empty()) {
    ui::finish(spec, {});
    return Value::t();
  }
  List initial;
  for (const DialogVariable& var : spec.variables) initial.push_back(var.initial);
  running = ui::Running{key, 0, std::move(initial), ++ui::sessions};
  ui::notify_dialog(key);
  ui::ask_current();
  return Value::t();
}

std::optional<std::string> active_dialog() {
  if (!running) return std::nullopt;
  return running->name;
}

void feed_dialog_input(const Value& value) {
  if (!running) throw Error(_("feed_dialog_input: no dialog is waiting for input"));
  DialogSpec spec = ui::specs().at(running->name);
  const DialogVariable& var = spec.variables.at(running->index);
  if (auto problem = ui::input_problem(var, value)) {
    sd_display_message(*problem);
    ui::ask_current();  // the same input again
    return;
  }
  running->values[running->index] = value;
  std::uint64_t session = running->session;
  if (var.after_input) var.after_input({value});
  if (!running || running->session != session) return;  // the action ended this dialog
  if (++running->index < spec.variables.size()) {
    ui::notify_dialog(spec.name);
    ui::ask_current();
    return;
  }
  List values = std::move(running->values);
  running.reset();
  ui::notify_dialog(spec.name);
  ui::finish(spec, values);
}

void cancel_active_dialog() {
  if (!running) return;
  std::string name = running->name;
  running.reset();
  ui::notify_dialog(name);
}

Value dialog_variable_value(const std::string& variable) {
  if (!running) throw Error(_("dialog_variable_value: no dialog is running"));
  const DialogSpec& spec = ui::specs().at(running->name);
  for (std::size_t i = 0; i < spec.variables.size(); ++i) {
    if (host::iequals(spec.variables[i].name, variable)) return running->values[i];
  }
  throw Error(translate_format("dialog_variable_value: {} has no variable {}", spec.name, variable));
}

}  // namespace host
