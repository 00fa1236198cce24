// The toolkit-neutral control model: dialog shells and the controls in them, as the module
// builds them and as front ends render them. Front ends read snapshots and listen for changes;
// they change the model only through the user-action layer.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/value/value.h"

namespace host::ui {

enum class ControlKind { Area, GridArea, Label, Toggle, Text, PushButton, Separator, DisplayTable };
const char* kind_name(ControlKind kind);

// Where a shell appears: relative to a host control, e.g. ("TOP-MENU-TOOLBOX-TB" :bottomleft 10
// 10).
struct ShellPosition {
  std::string anchor;
  std::string corner;  // "bottomleft", "topleft", ...
  int dx = 0;
  int dy = 0;
};

struct Shell {
  std::string name;
  std::string title;
  bool bottomline = true;  // the standard OK/Cancel line
  Value close_action;      // nil: closing only hides the shell
  bool shown = false;
  std::optional<ShellPosition> position;
  List args;  // everything the module passed, for what a front end wants beyond the above
};

// A display table's binding to its logical table (see tables.h for the table itself).
struct TableBinding {
  std::string logical_table;
  std::vector<std::string> columns;    // column ids shown, in order ("X", "NAME", ...)
  std::vector<std::string> alignment;  // "left", "right", "center" per shown column
  std::string selection_mode = "single-row";
  Value selection_action;  // called with the display table's name
  bool column_separators = false;
  bool column_separator_color = false;
  bool row_colors = false;
  std::vector<int> selection;  // selected rows, 0-based, in selection order
};

struct Control {
  std::string name;
  ControlKind kind = ControlKind::Label;
  std::string parent;  // area, grid area or shell ("" when created without one)
  std::string shell;   // the shell it lives in ("" when none)
  // Grid position and size in cells; a size of 0 leaves it to the front end.
  int x = 0, y = 0, width = 0, height = 0;
  std::string title;
  bool visible = true;
  std::string alignment;  // "left", "center", "right" or ""

  // Toggle buttons: the indicator is only the look; radio partners are the module's business.
  bool radio = false;
  bool set = false;
  // Toggles and push buttons: a callable or a command line; called with the control's name.
  Value push_action;
  Value release_action;
  std::string image;  // push buttons: a registered image name

  // Text fields: no value at all is different from the empty text.
  std::optional<std::string> value;
  bool editable = true;
  std::vector<std::string> range;  // drop-down entries; empty for a plain field
  bool has_range = false;          // created with :range (possibly empty)
  bool autoadd = false;
  bool multiline = false;
  bool seeend = false;

  // Areas and grid areas: pixels and cell size.
  int pixel_width = 0, pixel_height = 0;
  double cell_width = 0, cell_height = 0;
  int margin = 0;
  std::string title_color;

  std::optional<TableBinding> table;  // display tables
  List args;
};

// What changed, so that a front end can refresh just that (or everything).
struct ModelChange {
  enum class What { Shell, Control, Table, Menu, Ribbon, Dialog, Everything };
  What what = What::Everything;
  std::string name;
};
using ModelObserver = std::function<void(const ModelChange&)>;

// --- Read-only queries (snapshots) for front ends and tests ------------------------------
std::vector<std::string> shell_names();  // creation order
std::optional<Shell> find_shell(const std::string& name);
std::optional<Control> find_control(const std::string& name);
// Controls of a shell in creation order (a replaced control keeps its place).
std::vector<Control> controls_of_shell(const std::string& shell);
std::vector<Control> children_of(const std::string& parent);
std::optional<std::string> image_file(const std::string& image);

// --- Change notification -------------------------------------------------------------
std::uint64_t add_model_observer(ModelObserver observer);
void remove_model_observer(std::uint64_t id);
// Tells the observers and the front end; the model's own operations call it.
void notify(ModelChange change);

// What every control shares, read from its keyword list: parent (and so its shell), grid
// position, title, alignment, visibility. Throws host::Error naming op and control.
Control new_control(const char* op, const std::string& name, ControlKind kind, const List& args);

// --- The store behind the facade (host::ui internals) ------------------------------------
class Store {
 public:
  static Store& get();

  Shell& create_shell(Shell shell);  // replaces a shell of that name and drops its controls
  Shell* shell(const std::string& name);
  // Creates or replaces a control in place; replacing a container drops its descendants.
  Control& put_control(Control control);
  Control* control(const std::string& name);
  // The shell a parent name leads to: a shell, its main area "<shell>-AA", or a control.
  // Throws host::Error naming the parent when it is none of these.
  std::string shell_of_parent(const std::string& parent) const;
  bool effectively_visible(const Control& c) const;
  const std::vector<std::string>& shell_order() const { return shell_order_; }
  const std::vector<Control>& controls() const { return controls_; }
  void set_image(const std::string& name, const std::string& file);
  const std::string* image(const std::string& name) const;
  void clear();

 private:
  void drop_descendants(const std::string& parent);
  std::vector<std::string> shell_order_;
  std::vector<Shell> shells_;
  std::vector<Control> controls_;  // creation order
  std::vector<std::pair<std::string, std::string>> images_;
};

}  // namespace host::ui
