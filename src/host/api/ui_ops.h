// User-interface operations of the host: dialog shells and controls, tables, messages,
// command dialogs, menus and ribbon. Toolkit-neutral: front ends render this model.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/value/value.h"

namespace host {

// --- Dialog shells and controls ------------------------------------------------------
// Keyword lists as the module passes them, e.g.
//   sd_create_togglebutton_control("TAVRIN-DIALOG-STORE-MI-TB",
//     {kw("parent"), "TAVRIN-DIALOG-11-GA", kw("title"), "MI", kw("x"), 12, kw("y"), 0,
//      kw("width"), 10, kw("height"), 5, kw("indicator"), kw("check"),
//      kw("pushaction"), Value::function(...), kw("releaseaction"), Value::function(...)});
// Creating a control that exists replaces it (and keeps its place in its parent).
void sd_create_dialog_shell(const std::string& name,
                            const List& args);                   // :title :bottomline :closeaction
void sd_append_area(const std::string& name, const List& args);  // :parent :margin :titlecolor
void sd_append_grid_area(const std::string& name,
                         const List& args);  // :parent :width :height :cellsize (w h)
void sd_create_label_control(const std::string& name,
                             const List& args);  // :parent :title :alignment :x :y :width :height
void sd_create_text_control(const std::string& name,
                            const List& args);  // :editable :range (list) :autoadd :value ...
void sd_create_togglebutton_control(
    const std::string& name,
    const List& args);  // :indicator :radio/:check :title :pushaction :releaseaction
void sd_create_pushbutton_control(const std::string& name,
                                  const List& args);  // :title :image :alignment :pushaction
void sd_create_separator_control(const std::string& name, const List& args);
void sd_create_image(const std::string& name, const List& args);  // :file path
void sd_show_dialog_shell(const std::string& name,
                          const List& args = {});  // :position (ctl :bottomleft dx dy)
void sd_hide_dialog_shell(const std::string& name);
void sd_show_control(const std::string& name);
void sd_hide_control(const std::string& name);
// False for a control that is hidden, whose shell is hidden, or that does not exist.
bool sd_control_visible_p(const std::string& name);
bool sd_control_exists_p(const std::string& name);
std::string sd_get_control_title(const std::string& name);
void sd_set_control_title(const std::string& name, const std::string& title);

// Toggle buttons. Operations on a control that does not exist do nothing.
void sd_set_togglebutton(const std::string& name, bool callaction);
void sd_reset_togglebutton(const std::string& name, bool callaction);
bool sd_togglebutton_set_p(const std::string& name);
bool sd_text_control_p(const std::string& name);
// The text (trimmed of blanks when trim), or nil when the field holds no value.
Value sd_get_text_control_value(const std::string& name, bool trim = false);
void sd_set_text_control_value(const std::string& name, const List& args);  // :text v :seeend b

// --- Logical and display tables ------------------------------------------------------
// :columns (:x :name ...) :columnnames ("X" ...) :types (:string ...) :units (...) :contents ((row)
// ...)
void sd_create_logical_table(const std::string& name, const List& args);
// :parent grid :x :y :width :height :logicaltable name :columns (...) :alignment (...)
// :applyColumn... :selectionmode :single-row :selectionaction fn
void sd_create_display_table_control(const std::string& name, const List& args);
void sd_set_display_table_colors(const std::string& name, const List& args);
void sd_logical_table_update_display_tables(const std::string& table);
int sd_get_logical_table_number_of_rows(const std::string& table);
Value sd_read_logical_table_cell(const std::string& table, int row, const Value& column);
void sd_write_logical_table_cell(const std::string& table, int row, const Value& column,
                                 const Value& value);
List sd_read_logical_table_column(const std::string& table, const Value& column);
// Selected row numbers of a display table (0-based).
List sd_get_display_table_selection(const std::string& display_table);

// --- Messages and editors --------------------------------------------------------------
// How much a message matters, as data beside its text: front ends pick an icon by it, and the
// command line tells a warning from a failed command by it, never by the wording.
enum class Severity : char { Information = 'I', Warning = 'W', Problem = 'P' };

void display(const std::string& line);  // appends a line to the output box
void sd_display_message(const std::string& text, Severity severity = Severity::Problem);
// Progress of long work (file n of m and its name); front ends show it where a person looks.
// False when the person asked to stop: the caller ends after the work item it has finished.
// done == total tells the front end that the work is over.
bool sd_show_progress(int done, int total, const std::string& label);
// What a plot would put on paper: the page in millimetres (turned as the plot turns it), how
// the current sheet lands on it, and the printed pens by their style key.
struct PaperPreview {
  double width_mm = 0;
  double height_mm = 0;
  bool fit = false;
  double scale = 1;  // paper millimetres per drawing unit, when not fitted
  bool position_left = false;
  std::string pen_style;    // "" draws every element as it is drawn
  std::string description;  // one line for people: paper, size, orientation, scale, pens
};
// Shows what am_plot_ex with these arguments would put on paper for the current sheet,
// without plotting. Throws host::Error for arguments am_plot_ex would refuse.
void sd_show_plot_preview(const List& plot_args);
// Returns :yes for the first button, :no for the second.
Value sd_display_question(const std::string& text,
                          const List& args);  // :push-1 label :push-2 label
// :title t :initialtext s → the edited text (string) or nil when cancelled.
Value sd_show_general_text_editor(const List& args);
void sd_hide_general_text_editor();
// Opens a text file in the host's editor; t when the editor ended normally.
Value edit(const std::string& path);
// Directory chooser: the chosen path, or nil when cancelled.
Value sd_browse_for_folder(const std::string& title, const Value& initial_dir);
// A point from the person (placement of a sketch); nil when cancelled.
Value sd_read_point(const std::string& prompt);
std::string convert_filename_from_platform(const std::string& path);

// --- Command dialogs -------------------------------------------------------------------
struct DialogVariable {
  std::string name;   // "VERZEICHNIS", "INFO-TEXT"
  std::string type;   // "directory", "string", "text"
  std::string title;  // "Verzeichnis", "Text"
  Value initial;      // initial value (nil for none)
  std::string prompt;
  // Runs when the input becomes active; may feed a value through sd_put_buffer-like input
  // (feed_dialog_input). Receives the value entered so far.
  Function input_tool;
  // Runs after each accepted input of the variable, with the new value.
  Function after_input;
};

struct DialogSpec {
  std::string name;   // upper-case command name, e.g. "TV-BATCH-DIALOG"
  std::string title;  // registered title
  std::vector<DialogVariable> variables;
  // Returns (:ok) or (:error "text"); nil means ok. A failing precondition shows the text.
  Function precondition;
  Function ok_action;  // runs on completion; receives the variables' values in order
};

// Declares a command dialog and registers it as a command under its name.
void define_dialog(DialogSpec spec);
// Starts a registered command dialog by name. Dialogs without variables complete at once;
// a dialog started while another runs ends the first.
Value sd_call_dialog(const std::string& name);
// The running dialog with inputs, if any, and feeding its current input.
std::optional<std::string> active_dialog();
void feed_dialog_input(const Value& value);
void cancel_active_dialog();
// The current value of a variable of the running dialog.
Value dialog_variable_value(const std::string& variable);

// --- Menus and ribbon ------------------------------------------------------------------
void sd_create_menu(
    const std::string& name,
    const List& args);  // :title :contents ((:buttonbox id :title t :buttons (...)) ...)
void sd_add_menu_button(const std::string& name,
                        const List& args);  // :parent :label :image :mapmenu
void sd_fluentui_add_ribbon_tab(const std::string& name, const List& args);
void sd_fluentui_add_ribbon_group(const std::string& id, const List& args);
void sd_fluentui_add_ribbon_button(const List& args);
void sd_fluentui_recalc_ribbon_layout(const List& args);
// Reads a file of available-command declarations (see docs/commands-file.md).
void sd_load_additional_available_commands_file(const std::string& path);

}  // namespace host
