// The user-action layer: a person's clicks on the control model.
#include "host/ui/user_actions.h"

#include <algorithm>

#include "host/api/commands.h"
#include "host/api/error.h"
#include "host/api/ui_ops.h"
#include "host/ui/actions.h"
#include "host/ui/args.h"
#include "host/ui/frontend.h"
#include "host/ui/headless.h"
#include "host/ui/menus.h"
#include "host/ui/model.h"
#include "host/ui/tables.h"

namespace host::ui {

namespace {

// A person's action is a command of its own: lines its actions queued (sd_put_buffer) run when
// it ends, as they would after a click in the host. Nested actions leave that to the outer one.
int depth = 0;

template <class F>
Value as_command(F&& f) {
  ++depth;
  Value result;
  try {
    result = f();
  } catch (...) {
    --depth;
    throw;
  }
  if (--depth == 0) run_queued_commands();
  return result;
}

// The control a person can reach, of the kind the action needs.
Control& reachable(const char* action, const std::string& id, ControlKind kind) {
  Control* c = Store::get().control(id);
  if (!c) throw Error(std::string(action) + ": there is no control " + id);
  if (!Store::get().effectively_visible(*c)) {
    throw Error(std::string(action) + ": " + id + " is not visible");
  }
  if (c->kind != kind) {
    throw Error(std::string(action) + ": " + id + " is a " + kind_name(c->kind) + ", not a " +
                kind_name(kind));
  }
  return *c;
}

std::string list_entries(const std::vector<std::string>& range) {
  if (range.empty()) return "none";
  std::string out;
  for (const std::string& e : range) out += (out.empty() ? "\"" : ", \"") + e + "\"";
  return out;
}

void set_text(Control& c, const std::string& text) {
  c.value = text;
  if (c.has_range && c.autoadd &&
      std::find(c.range.begin(), c.range.end(), text) == c.range.end()) {
    c.range.push_back(text);
  }
  notify({ModelChange::What::Control, c.name});
}

}  // namespace

void click_toggle(const std::string& id) {
  bool now_set = !reachable("click_toggle", id, ControlKind::Toggle).set;
  as_command([&] {
    if (now_set) {
      sd_set_togglebutton(id, true);
    } else {
      sd_reset_togglebutton(id, true);
    }
    return Value();
  });
}

void ensure_toggle(const std::string& id, bool on) {
  if (reachable("ensure_toggle", id, ControlKind::Toggle).set != on) click_toggle(id);
}

void type_text(const std::string& id, const std::string& text) {
  Control& c = reachable("type_text", id, ControlKind::Text);
  if (!c.editable) throw Error("type_text: " + id + " is not editable");
  set_text(c, text);
}

void pick_entry(const std::string& id, const std::string& entry) {
  Control& c = reachable("pick_entry", id, ControlKind::Text);
  if (!c.has_range) throw Error("pick_entry: " + id + " has no drop-down list");
  bool listed = std::find(c.range.begin(), c.range.end(), entry) != c.range.end();
  if (!listed && !c.editable) {
    throw Error("pick_entry: \"" + entry + "\" is not an entry of " + id +
                "; allowed: " + list_entries(c.range));
  }
  set_text(c, entry);
}

void press_button(const std::string& id) {
  Value action = reachable("press_button", id, ControlKind::PushButton).push_action;
  as_command([&] { return run_action(action, {Value(id)}); });
}

void click_table_row(const std::string& display_table, int row) {
  Control& c = reachable("click_table_row", display_table, ControlKind::DisplayTable);
  Value action = c.table->selection_action;
  select_display_row(display_table, row);
  as_command([&] { return run_action(action, {Value(display_table)}); });
}

void close_shell(const std::string& shell) {
  const Shell* s = Store::get().shell(shell);
  if (!s) throw Error("close_shell: there is no dialog shell " + shell);
  if (!s->shown) throw Error("close_shell: " + shell + " is not shown");
  Value action = s->close_action;
  as_command([&] {
    if (action.is_nil()) {
      sd_hide_dialog_shell(shell);
      return Value();
    }
    return run_action(action, {Value(shell)});
  });
}

void answer_next_question(bool first) {
  if (HeadlessFrontEnd* h = headless_front_end()) {
    h->queue_answer(first);
  } else {
    queue_question_answer(first);
  }
}

void enter_dialog_input(const Value& value) {
  as_command([&] {
    feed_dialog_input(value);
    return Value();
  });
}

Value click_menu_button(const std::string& menu, const std::string& box, std::size_t index) {
  Value command = menu_button_command(menu, box, index);
  return as_command([&] {
    return command.is_function() ? command.call({}) : run_named_command(value_text(command));
  });
}

Value click_ribbon_button(const std::string& tab, const std::string& group, std::size_t index) {
  std::string command = ribbon_button_command(tab, group, index);
  return as_command([&] { return run_named_command(command); });
}

}  // namespace host::ui
