// The facade operations on dialog shells and controls.
#include <algorithm>

#include "host/api/error.h"
#include "host/api/ui_ops.h"
#include "host/ui/actions.h"
#include "host/ui/args.h"
#include "host/ui/model.h"

namespace host {

using ui::Control;
using ui::ControlKind;
using ui::ModelChange;
using ui::Store;
using ui::UiArgs;

namespace {

void notify_control(const std::string& name) {
  ui::notify({ModelChange::What::Control, name});
}
void notify_shell(const std::string& name) {
  ui::notify({ModelChange::What::Shell, name});
}

}  // namespace

namespace ui {

Control new_control(const char* op, const std::string& name, ControlKind kind, const List& args) {
  if (name.empty()) throw Error(std::string(op) + ": a control needs a name");
  UiArgs a(args, std::string(op) + ": " + name);
  Control c;
  c.name = name;
  c.kind = kind;
  c.parent = a.text("parent");
  try {
    c.shell = Store::get().shell_of_parent(c.parent);
  } catch (const Error& e) {
    throw Error(std::string(op) + ": " + name + ": " + e.what());
  }
  c.x = a.cells("x");
  c.y = a.cells("y");
  c.width = a.cells("width");
  c.height = a.cells("height");
  c.title = a.text("title");
  c.alignment = a.keyword_lower("alignment");
  c.visible = a.flag("visible", true);
  c.args = args;
  return c;
}

}  // namespace ui

namespace {

void put(Control c) {
  std::string name = c.name;
  Store::get().put_control(std::move(c));
  notify_control(name);
}

// Runs after the model is consistent: the action may rebuild this very control.
void switch_toggle(const char* op, const std::string& name, bool on, bool callaction) {
  Control* c = Store::get().control(name);
  if (!c) return;  // the module addresses toggles that a dialog mode leaves out
  if (c->kind != ControlKind::Toggle) {
    throw Error(std::string(op) + ": " + name + " is a " + ui::kind_name(c->kind) +
                ", not a toggle button");
  }
  c->set = on;
  Value action = on ? c->push_action : c->release_action;
  notify_control(name);
  if (callaction) ui::run_action(action, {Value(name)});
}

Control* text_control(const char* op, const std::string& name) {
  Control* c = Store::get().control(name);
  if (c && c->kind != ControlKind::Text) {
    throw Error(std::string(op) + ": " + name + " is a " + ui::kind_name(c->kind) +
                ", not a text field");
  }
  return c;
}

std::optional<std::string> text_of(const std::optional<Value>& v) {
  if (!v || v->is_nil()) return std::nullopt;
  return ui::value_text(*v);
}

}  // namespace

void sd_create_dialog_shell(const std::string& name, const List& args) {
  if (name.empty()) throw Error("sd_create_dialog_shell: a shell needs a name");
  UiArgs a(args, "sd_create_dialog_shell: " + name);
  ui::Shell s;
  s.name = name;
  s.title = a.text("title");
  s.bottomline = a.flag("bottomline", true);
  s.close_action = a.get("closeaction").value_or(Value());
  s.args = args;
  Store::get().create_shell(std::move(s));
  notify_shell(name);
}

void sd_append_area(const std::string& name, const List& args) {
  Control c = ui::new_control("sd_append_area", name, ControlKind::Area, args);
  UiArgs a(args);
  c.margin = a.cells("margin");
  c.title_color = a.text("titlecolor");
  put(std::move(c));
}

void sd_append_grid_area(const std::string& name, const List& args) {
  Control c = ui::new_control("sd_append_grid_area", name, ControlKind::GridArea, args);
  UiArgs a(args);
  // :width and :height of a grid area are pixels; its cells are :cellsize (w h) or one number.
  c.pixel_width = c.width;
  c.pixel_height = c.height;
  c.width = c.height = 0;
  c.cell_width = c.cell_height = 5.0;
  if (auto cs = a.get("cellsize")) {
    if (cs->is_number()) {
      c.cell_width = c.cell_height = cs->as_double();
    } else if (cs->is_list() && cs->as_list().size() == 2) {
      c.cell_width = cs->as_list()[0].as_double();
      c.cell_height = cs->as_list()[1].as_double();
    } else {
      throw Error("sd_append_grid_area: " + name + ": :cellsize must be a number or (w h)");
    }
  }
  c.margin = a.cells("margin");
  c.title_color = a.text("titlecolor");
  put(std::move(c));
}

void sd_create_label_control(const std::string& name, const List& args) {
  put(ui::new_control("sd_create_label_control", name, ControlKind::Label, args));
}

void sd_create_text_control(const std::string& name, const List& args) {
  Control c = ui::new_control("sd_create_text_control", name, ControlKind::Text, args);
  UiArgs a(args);
  c.value = text_of(a.get("value"));
  c.editable = a.flag("editable", true);
  c.has_range = a.has("range");
  c.range = a.texts("range");
  c.autoadd = a.flag("autoadd", false);
  c.multiline = a.flag("multiline", false);
  c.seeend = a.flag("seeend", false);
  put(std::move(c));
}

void sd_create_togglebutton_control(const std::string& name, const List& args) {
  Control c = ui::new_control("sd_create_togglebutton_control", name, ControlKind::Toggle, args);
  UiArgs a(args);
  c.radio = a.keyword_lower("indicator") == "radio";
  c.set = a.flag("value", false);
  c.push_action = a.get("pushaction").value_or(Value());
  c.release_action = a.get("releaseaction").value_or(Value());
  put(std::move(c));
}

void sd_create_pushbutton_control(const std::string& name, const List& args) {
  Control c = ui::new_control("sd_create_pushbutton_control", name, ControlKind::PushButton, args);
  UiArgs a(args);
  c.image = a.text("image");
  c.push_action = a.get("pushaction").value_or(Value());
  put(std::move(c));
}

void sd_create_separator_control(const std::string& name, const List& args) {
  put(ui::new_control("sd_create_separator_control", name, ControlKind::Separator, args));
}

void sd_create_image(const std::string& name, const List& args) {
  UiArgs a(args, "sd_create_image: " + name);
  auto file = a.optional_text("file");
  if (name.empty() || !file) throw Error("sd_create_image: needs a name and :file");
  Store::get().set_image(name, *file);
  ui::notify({ModelChange::What::Control, name});
}

void sd_show_dialog_shell(const std::string& name, const List& args) {
  ui::Shell* s = Store::get().shell(name);
  if (!s) throw Error("sd_show_dialog_shell: no dialog shell " + name);
  UiArgs a(args, "sd_show_dialog_shell: " + name);
  if (auto pos = a.get("position"); pos && pos->is_list() && !pos->as_list().empty()) {
    const List& p = pos->as_list();
    ui::ShellPosition sp;
    sp.anchor = ui::value_text(p[0]);
    if (p.size() > 1) sp.corner = host::lower(ui::value_text(p[1]));
    if (p.size() > 2 && p[2].is_number()) sp.dx = static_cast<int>(p[2].as_double());
    if (p.size() > 3 && p[3].is_number()) sp.dy = static_cast<int>(p[3].as_double());
    s->position = sp;
  }
  s->shown = true;
  notify_shell(name);
}

void sd_hide_dialog_shell(const std::string& name) {
  ui::Shell* s = Store::get().shell(name);
  if (!s)
    return;  // closing the main dialog hides an autotext dialog that may never have been built
  s->shown = false;
  notify_shell(name);
}

void sd_show_control(const std::string& name) {
  if (Control* c = Store::get().control(name)) {
    c->visible = true;
    notify_control(name);
  }
}

void sd_hide_control(const std::string& name) {
  if (Control* c = Store::get().control(name)) {
    c->visible = false;
    notify_control(name);
  }
}

bool sd_control_visible_p(const std::string& name) {
  if (const Control* c = Store::get().control(name)) return Store::get().effectively_visible(*c);
  if (const ui::Shell* s = Store::get().shell(name)) return s->shown;
  return false;
}

bool sd_control_exists_p(const std::string& name) {
  return Store::get().control(name) || Store::get().shell(name);
}

std::string sd_get_control_title(const std::string& name) {
  if (const Control* c = Store::get().control(name)) return c->title;
  if (const ui::Shell* s = Store::get().shell(name)) return s->title;
  return "";
}

void sd_set_control_title(const std::string& name, const std::string& title) {
  if (Control* c = Store::get().control(name)) {
    c->title = title;
    notify_control(name);
  } else if (ui::Shell* s = Store::get().shell(name)) {
    s->title = title;
    notify_shell(name);
  }
}

void sd_set_togglebutton(const std::string& name, bool callaction) {
  switch_toggle("sd_set_togglebutton", name, true, callaction);
}

void sd_reset_togglebutton(const std::string& name, bool callaction) {
  switch_toggle("sd_reset_togglebutton", name, false, callaction);
}

bool sd_togglebutton_set_p(const std::string& name) {
  const Control* c = Store::get().control(name);
  return c && c->kind == ControlKind::Toggle && c->set;
}

bool sd_text_control_p(const std::string& name) {
  const Control* c = Store::get().control(name);
  return c && c->kind == ControlKind::Text;
}

Value sd_get_text_control_value(const std::string& name, bool trim) {
  const Control* c = text_control("sd_get_text_control_value", name);
  if (!c || !c->value) return Value();
  return Value(trim ? host::trim_blanks(*c->value) : *c->value);
}

void sd_set_text_control_value(const std::string& name, const List& args) {
  Control* c = text_control("sd_set_text_control_value", name);
  if (!c) return;
  UiArgs a(args, "sd_set_text_control_value: " + name);
  c->value = text_of(a.get("text"));
  c->seeend = a.flag("seeend", false);
  notify_control(name);
}

}  // namespace host
