// Menus, the task-menu entries and the ribbon as the module builds them, and the declarations
// of available commands that ribbon buttons refer to. Front ends render these; a click runs
// the button's command through the user-action layer.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/value/value.h"

namespace host::ui {

struct MenuButton {
  Value command;  // a command name (symbol or text) or a callable
  std::string label;
  std::string image;
};
struct ButtonBox {
  std::string id;
  std::string title;
  std::vector<MenuButton> buttons;
};
struct Menu {
  std::string name;
  std::string title;
  std::vector<ButtonBox> boxes;
};
// A button added to a host menu that opens another menu (e.g. the task menu's "Tavrin").
struct MenuEntry {
  std::string name;
  std::vector<std::string> parent;  // ("TASK" "Annotation")
  std::string label;
  std::string image;
  std::string mapmenu;
};

// An available command: what a ribbon button refers to.
struct AvailCmd {
  std::string application;
  std::string group;
  std::string command;
};
struct RibbonButton {
  std::string label;
  bool large = false;
  std::string image;
  AvailCmd avail;
};
struct RibbonGroup {
  std::string id;
  std::string title;
  std::vector<RibbonButton> buttons;
};
struct RibbonTab {
  std::string name;
  std::string application;
  std::string title;
  std::vector<RibbonGroup> groups;
};

// One line of a declarations file (docs/commands-file.md).
struct CommandDeclaration {
  AvailCmd avail;
  std::string run;  // the registered command it runs
  std::string description;
  std::string file;
  int line = 0;
};

std::vector<Menu> menus();  // creation order
std::optional<Menu> find_menu(const std::string& name);
std::vector<MenuEntry> menu_entries();
std::vector<RibbonTab> ribbon_tabs();
std::optional<RibbonTab> find_ribbon_tab(const std::string& name);
int ribbon_layout_recalculations();
std::vector<CommandDeclaration> command_declarations();  // in reading order
// Application, group and command compare without regard to case.
std::optional<CommandDeclaration> find_declaration(const AvailCmd& avail);

// The command behind a button, for the user-action layer. Throw host::Error naming what is
// missing (the menu, box, tab, group, button, or the declaration of the ribbon command).
Value menu_button_command(const std::string& menu, const std::string& box, std::size_t index);
std::string ribbon_button_command(const std::string& tab, const std::string& group,
                                  std::size_t index);

}  // namespace host::ui
