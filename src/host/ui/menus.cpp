// The menu and ribbon model and the facade operations that build it.
#include "host/ui/menus.h"

#include <algorithm>

#include "host/api/error.h"
#include "host/api/testing.h"
#include "host/api/ui_ops.h"
#include "host/ui/args.h"
#include "host/ui/model.h"
#include "host/value/format.h"
#include "host/value/reader.h"

namespace host::ui {

namespace {

struct MenuModel {
  std::vector<Menu> menus;
  std::vector<MenuEntry> entries;
  std::vector<RibbonTab> tabs;
  int recalculations = 0;
};

MenuModel& model() {
  static MenuModel m;
  return m;
}

[[maybe_unused]] const bool registered = [] {
  register_reset_hook([] { model() = MenuModel(); });
  return true;
}();

template <class T, class Key>
T* find_by(std::vector<T>& items, Key T::*key, const std::string& name) {
  auto it = std::find_if(items.begin(), items.end(), [&](const T& t) { return t.*key == name; });
  return it == items.end() ? nullptr : &*it;
}

// Adds or replaces in place, keeping the order in which the module first built it.
template <class T, class Key>
void put_by(std::vector<T>& items, Key T::*key, T item) {
  if (T* existing = find_by(items, key, item.*key)) {
    *existing = std::move(item);
  } else {
    items.push_back(std::move(item));
  }
}

MenuButton parse_menu_button(const std::string& menu, const Value& v) {
  if (!v.is_list() || v.as_list().empty()) {
    throw Error("sd_create_menu: " + menu + ": a button is not a list: " + print_literal(v));
  }
  const List& l = v.as_list();
  UiArgs a(List(l.begin() + 1, l.end()), "sd_create_menu: " + menu);
  return {l[0], a.text("label"), a.text("image")};
}

ButtonBox parse_box(const std::string& menu, const Value& v) {
  const List* l = v.is_list() ? &v.as_list() : nullptr;
  if (!l || l->size() < 2 || !(*l)[0].is_keyword("buttonbox")) {
    throw Error("sd_create_menu: " + menu + ": expected (:buttonbox id ...), got " +
                print_literal(v));
  }
  UiArgs a(List(l->begin() + 2, l->end()), "sd_create_menu: " + menu);
  ButtonBox box{value_text((*l)[1]), a.text("title"), {}};
  if (auto buttons = a.get("buttons"); buttons && buttons->is_list()) {
    for (const Value& b : buttons->as_list()) box.buttons.push_back(parse_menu_button(menu, b));
  }
  return box;
}

AvailCmd parse_avail(const Value& v) {
  const List* l = v.is_list() ? &v.as_list() : nullptr;
  if (!l || l->size() != 3) {
    throw Error(
        "sd_fluentui_add_ribbon_button: :availCmd must be (application group command), got " +
        print_literal(v));
  }
  return {value_text((*l)[0]), value_text((*l)[1]), value_text((*l)[2])};
}

}  // namespace

std::vector<Menu> menus() {
  return model().menus;
}

std::optional<Menu> find_menu(const std::string& name) {
  Menu* m = find_by(model().menus, &Menu::name, name);
  return m ? std::optional<Menu>(*m) : std::nullopt;
}

std::vector<MenuEntry> menu_entries() {
  return model().entries;
}
std::vector<RibbonTab> ribbon_tabs() {
  return model().tabs;
}

std::optional<RibbonTab> find_ribbon_tab(const std::string& name) {
  RibbonTab* t = find_by(model().tabs, &RibbonTab::name, name);
  return t ? std::optional<RibbonTab>(*t) : std::nullopt;
}

int ribbon_layout_recalculations() {
  return model().recalculations;
}

Value menu_button_command(const std::string& menu, const std::string& box, std::size_t index) {
  Menu* m = find_by(model().menus, &Menu::name, menu);
  if (!m) throw Error("no menu " + menu);
  ButtonBox* b = find_by(m->boxes, &ButtonBox::id, box);
  if (!b) throw Error("menu " + menu + " has no button box " + box);
  if (index >= b->buttons.size()) {
    throw Error(
        format("button box ~A of menu ~A has no button ~A", box, menu, static_cast<int>(index)));
  }
  return b->buttons[index].command;
}

std::string ribbon_button_command(const std::string& tab, const std::string& group,
                                  std::size_t index) {
  RibbonTab* t = find_by(model().tabs, &RibbonTab::name, tab);
  if (!t) throw Error("no ribbon tab " + tab);
  RibbonGroup* g = find_by(t->groups, &RibbonGroup::id, group);
  if (!g) throw Error("ribbon tab " + tab + " has no group " + group);
  if (index >= g->buttons.size()) {
    throw Error(format("ribbon group ~A has no button ~A", group, static_cast<int>(index)));
  }
  const AvailCmd& avail = g->buttons[index].avail;
  auto decl = find_declaration(avail);
  if (!decl) {
    throw Error(format("ribbon button: the command ~A ~A ~A is not declared", avail.application,
                       avail.group, avail.command));
  }
  return decl->run;
}

}  // namespace host::ui

namespace host {

using ui::UiArgs;

void sd_create_menu(const std::string& name, const List& args) {
  UiArgs a(args, "sd_create_menu: " + name);
  ui::Menu menu{name, a.text("title"), {}};
  if (auto contents = a.get("contents"); contents && contents->is_list()) {
    for (const Value& box : contents->as_list()) menu.boxes.push_back(ui::parse_box(name, box));
  }
  ui::put_by(ui::model().menus, &ui::Menu::name, std::move(menu));
  ui::notify({ui::ModelChange::What::Menu, name});
}

void sd_add_menu_button(const std::string& name, const List& args) {
  UiArgs a(args, "sd_add_menu_button: " + name);
  ui::MenuEntry e{name, a.texts("parent"), a.text("label"), a.text("image"), a.text("mapmenu")};
  ui::put_by(ui::model().entries, &ui::MenuEntry::name, std::move(e));
  ui::notify({ui::ModelChange::What::Menu, name});
}

void sd_fluentui_add_ribbon_tab(const std::string& name, const List& args) {
  UiArgs a(args, "sd_fluentui_add_ribbon_tab: " + name);
  ui::RibbonTab tab{name, a.text("application"), a.text("title"), {}};
  ui::put_by(ui::model().tabs, &ui::RibbonTab::name, std::move(tab));
  ui::notify({ui::ModelChange::What::Ribbon, name});
}

void sd_fluentui_add_ribbon_group(const std::string& id, const List& args) {
  UiArgs a(args, "sd_fluentui_add_ribbon_group: " + id);
  std::string parent = a.text("parent");
  ui::RibbonTab* tab = ui::find_by(ui::model().tabs, &ui::RibbonTab::name, parent);
  if (!tab) throw Error("sd_fluentui_add_ribbon_group: " + id + ": no ribbon tab " + parent);
  ui::put_by(tab->groups, &ui::RibbonGroup::id, ui::RibbonGroup{id, a.text("title"), {}});
  ui::notify({ui::ModelChange::What::Ribbon, parent});
}

void sd_fluentui_add_ribbon_button(const List& args) {
  UiArgs a(args, "sd_fluentui_add_ribbon_button");
  std::vector<std::string> parent = a.texts("parent");
  if (parent.size() != 2) {
    throw Error("sd_fluentui_add_ribbon_button: :parent must be (tab group)");
  }
  ui::RibbonTab* tab = ui::find_by(ui::model().tabs, &ui::RibbonTab::name, parent[0]);
  ui::RibbonGroup* group =
      tab ? ui::find_by(tab->groups, &ui::RibbonGroup::id, parent[1]) : nullptr;
  if (!group) {
    throw Error("sd_fluentui_add_ribbon_button: no ribbon group " + parent[1] + " in tab " +
                parent[0]);
  }
  auto avail = a.get("availcmd");
  if (!avail) throw Error("sd_fluentui_add_ribbon_button: :availCmd is missing");
  group->buttons.push_back(
      {a.text("label"), a.flag("largeimage"), a.text("image"), ui::parse_avail(*avail)});
  ui::notify({ui::ModelChange::What::Ribbon, parent[0]});
}

void sd_fluentui_recalc_ribbon_layout([[maybe_unused]] const List& args) {
  ++ui::model().recalculations;
  ui::notify({ui::ModelChange::What::Ribbon, ""});
}

}  // namespace host
