// The store of shells and controls, its snapshot queries and its change notification.
#include "host/ui/model.h"

#include <algorithm>
#include <map>

#include "host/api/error.h"
#include "host/api/testing.h"
#include "host/ui/frontend.h"

namespace host::ui {

const char* kind_name(ControlKind kind) {
  switch (kind) {
    case ControlKind::Area:
      return "area";
    case ControlKind::GridArea:
      return "grid area";
    case ControlKind::Label:
      return "label";
    case ControlKind::Toggle:
      return "toggle button";
    case ControlKind::Text:
      return "text field";
    case ControlKind::PushButton:
      return "push button";
    case ControlKind::Separator:
      return "separator";
    case ControlKind::DisplayTable:
      return "display table";
  }
  return "control";
}

Store& Store::get() {
  static Store store;
  return store;
}

Shell& Store::create_shell(Shell shell) {
  std::string name = shell.name;
  controls_.erase(std::remove_if(controls_.begin(), controls_.end(),
                                 [&](const Control& c) { return c.shell == name; }),
                  controls_.end());
  if (Shell* existing = this->shell(name)) {
    *existing = std::move(shell);
    return *existing;
  }
  shell_order_.push_back(name);
  shells_.push_back(std::move(shell));
  return shells_.back();
}

Shell* Store::shell(const std::string& name) {
  auto it =
      std::find_if(shells_.begin(), shells_.end(), [&](const Shell& s) { return s.name == name; });
  return it == shells_.end() ? nullptr : &*it;
}

Control* Store::control(const std::string& name) {
  auto it = std::find_if(controls_.begin(), controls_.end(),
                         [&](const Control& c) { return c.name == name; });
  return it == controls_.end() ? nullptr : &*it;
}

void Store::drop_descendants(const std::string& parent) {
  std::vector<std::string> doomed{parent};
  auto is_doomed = [&](const std::string& n) {
    return std::find(doomed.begin(), doomed.end(), n) != doomed.end();
  };
  // Repeat until nothing new: a control replaced in place may sit before its new parent.
  for (bool grew = true; grew;) {
    grew = false;
    for (const Control& c : controls_) {
      if (is_doomed(c.parent) && !is_doomed(c.name)) {
        doomed.push_back(c.name);
        grew = true;
      }
    }
  }
  controls_.erase(
      std::remove_if(controls_.begin(), controls_.end(),
                     [&](const Control& c) { return c.name != parent && is_doomed(c.name); }),
      controls_.end());
}

Control& Store::put_control(Control control) {
  if (Control* existing = this->control(control.name)) {
    if (existing->kind == ControlKind::Area || existing->kind == ControlKind::GridArea) {
      drop_descendants(existing->name);
      existing = this->control(control.name);
    }
    *existing = std::move(control);
    return *existing;
  }
  controls_.push_back(std::move(control));
  return controls_.back();
}

std::string Store::shell_of_parent(const std::string& parent) const {
  if (parent.empty()) return "";
  for (const Control& c : controls_) {
    if (c.name == parent) return c.shell;
  }
  for (const Shell& s : shells_) {
    if (s.name == parent || s.name + "-AA" == parent) return s.name;
  }
  throw Error("parent " + parent + " does not exist");
}

bool Store::effectively_visible(const Control& c) const {
  const Control* at = &c;
  // Walk up through areas: a hidden area hides everything in it.
  for (int depth = 0; at && depth < 64; ++depth) {
    if (!at->visible) return false;
    auto it = std::find_if(controls_.begin(), controls_.end(),
                           [&](const Control& p) { return p.name == at->parent; });
    at = it == controls_.end() ? nullptr : &*it;
  }
  if (c.shell.empty()) return true;
  auto s = std::find_if(shells_.begin(), shells_.end(),
                        [&](const Shell& sh) { return sh.name == c.shell; });
  return s != shells_.end() && s->shown;
}

void Store::set_image(const std::string& name, const std::string& file) {
  for (auto& [n, f] : images_) {
    if (n == name) {
      f = file;
      return;
    }
  }
  images_.emplace_back(name, file);
}

const std::string* Store::image(const std::string& name) const {
  for (const auto& [n, f] : images_) {
    if (n == name) return &f;
  }
  return nullptr;
}

void Store::clear() {
  shell_order_.clear();
  shells_.clear();
  controls_.clear();
  images_.clear();
}

// --- Queries ---------------------------------------------------------------------------

std::vector<std::string> shell_names() {
  return Store::get().shell_order();
}

std::optional<Shell> find_shell(const std::string& name) {
  Shell* s = Store::get().shell(name);
  return s ? std::optional<Shell>(*s) : std::nullopt;
}

std::optional<Control> find_control(const std::string& name) {
  Control* c = Store::get().control(name);
  return c ? std::optional<Control>(*c) : std::nullopt;
}

std::vector<Control> controls_of_shell(const std::string& shell) {
  std::vector<Control> out;
  for (const Control& c : Store::get().controls()) {
    if (c.shell == shell) out.push_back(c);
  }
  return out;
}

std::vector<Control> children_of(const std::string& parent) {
  std::vector<Control> out;
  for (const Control& c : Store::get().controls()) {
    if (c.parent == parent) out.push_back(c);
  }
  return out;
}

std::optional<std::string> image_file(const std::string& image) {
  const std::string* f = Store::get().image(image);
  return f ? std::optional<std::string>(*f) : std::nullopt;
}

// --- Observers -------------------------------------------------------------------------

namespace {

std::map<std::uint64_t, ModelObserver>& observers() {
  static std::map<std::uint64_t, ModelObserver> list;
  return list;
}
std::uint64_t next_observer_id = 1;

[[maybe_unused]] const bool registered = [] {
  register_reset_hook([] {
    Store::get().clear();
    observers().clear();
  });
  return true;
}();

}  // namespace

std::uint64_t add_model_observer(ModelObserver observer) {
  std::uint64_t id = next_observer_id++;
  observers().emplace(id, std::move(observer));
  return id;
}

void remove_model_observer(std::uint64_t id) {
  observers().erase(id);
}

void notify(ModelChange change) {
  // A copy, so an observer may add or remove observers while being told.
  auto current = observers();
  for (auto& [id, observer] : current) observer(change);
  front_end().model_changed();
}

}  // namespace host::ui
