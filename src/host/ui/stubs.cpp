// Placeholders until the dialogs lands; each throws a host error naming the operation.
#include "host/api/ui_ops.h"
#include "host/api/error.h"

namespace host {

void sd_create_dialog_shell([[maybe_unused]] const std::string& name, [[maybe_unused]] const List& args) { throw Error("sd_create_dialog_shell: not available yet"); }
void sd_append_area([[maybe_unused]] const std::string& name, [[maybe_unused]] const List& args) { throw Error("sd_append_area: not available yet"); }
void sd_append_grid_area([[maybe_unused]] const std::string& name, [[maybe_unused]] const List& args) { throw Error("sd_append_grid_area: not available yet"); }
void sd_create_label_control([[maybe_unused]] const std::string& name, [[maybe_unused]] const List& args) { throw Error("sd_create_label_control: not available yet"); }
void sd_create_text_control([[maybe_unused]] const std::string& name, [[maybe_unused]] const List& args) { throw Error("sd_create_text_control: not available yet"); }
void sd_create_togglebutton_control([[maybe_unused]] const std::string& name, [[maybe_unused]] const List& args) { throw Error("sd_create_togglebutton_control: not available yet"); }
void sd_create_pushbutton_control([[maybe_unused]] const std::string& name, [[maybe_unused]] const List& args) { throw Error("sd_create_pushbutton_control: not available yet"); }
void sd_create_separator_control([[maybe_unused]] const std::string& name, [[maybe_unused]] const List& args) { throw Error("sd_create_separator_control: not available yet"); }
void sd_create_image([[maybe_unused]] const std::string& name, [[maybe_unused]] const List& args) { throw Error("sd_create_image: not available yet"); }
void sd_hide_dialog_shell([[maybe_unused]] const std::string& name) { throw Error("sd_hide_dialog_shell: not available yet"); }
void sd_show_control([[maybe_unused]] const std::string& name) { throw Error("sd_show_control: not available yet"); }
void sd_hide_control([[maybe_unused]] const std::string& name) { throw Error("sd_hide_control: not available yet"); }
bool sd_control_visible_p([[maybe_unused]] const std::string& name) { throw Error("sd_control_visible_p: not available yet"); }
bool sd_control_exists_p([[maybe_unused]] const std::string& name) { throw Error("sd_control_exists_p: not available yet"); }
std::string sd_get_control_title([[maybe_unused]] const std::string& name) { throw Error("sd_get_control_title: not available yet"); }
void sd_set_control_title([[maybe_unused]] const std::string& name, [[maybe_unused]] const std::string& title) { throw Error("sd_set_control_title: not available yet"); }
void sd_set_togglebutton([[maybe_unused]] const std::string& name, [[maybe_unused]] bool callaction) { throw Error("sd_set_togglebutton: not available yet"); }
void sd_reset_togglebutton([[maybe_unused]] const std::string& name, [[maybe_unused]] bool callaction) { throw Error("sd_reset_togglebutton: not available yet"); }
bool sd_togglebutton_set_p([[maybe_unused]] const std::string& name) { throw Error("sd_togglebutton_set_p: not available yet"); }
bool sd_text_control_p([[maybe_unused]] const std::string& name) { throw Error("sd_text_control_p: not available yet"); }
Value sd_get_text_control_value([[maybe_unused]] const std::string& name, [[maybe_unused]] bool trim) { throw Error("sd_get_text_control_value: not available yet"); }
void sd_set_text_control_value([[maybe_unused]] const std::string& name, [[maybe_unused]] const List& args) { throw Error("sd_set_text_control_value: not available yet"); }
void sd_create_logical_table([[maybe_unused]] const std::string& name, [[maybe_unused]] const List& args) { throw Error("sd_create_logical_table: not available yet"); }
void sd_create_display_table_control([[maybe_unused]] const std::string& name, [[maybe_unused]] const List& args) { throw Error("sd_create_display_table_control: not available yet"); }
void sd_set_display_table_colors([[maybe_unused]] const std::string& name, [[maybe_unused]] const List& args) { throw Error("sd_set_display_table_colors: not available yet"); }
void sd_logical_table_update_display_tables([[maybe_unused]] const std::string& table) { throw Error("sd_logical_table_update_display_tables: not available yet"); }
int sd_get_logical_table_number_of_rows([[maybe_unused]] const std::string& table) { throw Error("sd_get_logical_table_number_of_rows: not available yet"); }
Value sd_read_logical_table_cell([[maybe_unused]] const std::string& table, [[maybe_unused]] int row, [[maybe_unused]] const Value& column) { throw Error("sd_read_logical_table_cell: not available yet"); }
void sd_write_logical_table_cell([[maybe_unused]] const std::string& table, [[maybe_unused]] int row, [[maybe_unused]] const Value& column, [[maybe_unused]] const Value& value) { throw Error("sd_write_logical_table_cell: not available yet"); }
List sd_read_logical_table_column([[maybe_unused]] const std::string& table, [[maybe_unused]] const Value& column) { throw Error("sd_read_logical_table_column: not available yet"); }
List sd_get_display_table_selection([[maybe_unused]] const std::string& display_table) { throw Error("sd_get_display_table_selection: not available yet"); }
void display([[maybe_unused]] const std::string& line) { throw Error("display: not available yet"); }
void sd_display_message([[maybe_unused]] const std::string& text) { throw Error("sd_display_message: not available yet"); }
Value sd_display_question([[maybe_unused]] const std::string& text, [[maybe_unused]] const List& args) { throw Error("sd_display_question: not available yet"); }
Value sd_show_general_text_editor([[maybe_unused]] const List& args) { throw Error("sd_show_general_text_editor: not available yet"); }
void sd_hide_general_text_editor() { throw Error("sd_hide_general_text_editor: not available yet"); }
Value edit([[maybe_unused]] const std::string& path) { throw Error("edit: not available yet"); }
Value sd_browse_for_folder([[maybe_unused]] const std::string& title, [[maybe_unused]] const Value& initial_dir) { throw Error("sd_browse_for_folder: not available yet"); }
Value sd_read_point([[maybe_unused]] const std::string& prompt) { throw Error("sd_read_point: not available yet"); }
std::string convert_filename_from_platform([[maybe_unused]] const std::string& path) { throw Error("convert_filename_from_platform: not available yet"); }
void define_dialog([[maybe_unused]] DialogSpec spec) { throw Error("define_dialog: not available yet"); }
Value sd_call_dialog([[maybe_unused]] const std::string& name) { throw Error("sd_call_dialog: not available yet"); }
std::optional<std::string> active_dialog() { throw Error("active_dialog: not available yet"); }
void feed_dialog_input([[maybe_unused]] const Value& value) { throw Error("feed_dialog_input: not available yet"); }
void cancel_active_dialog() { throw Error("cancel_active_dialog: not available yet"); }
Value dialog_variable_value([[maybe_unused]] const std::string& variable) { throw Error("dialog_variable_value: not available yet"); }
void sd_create_menu([[maybe_unused]] const std::string& name, [[maybe_unused]] const List& args) { throw Error("sd_create_menu: not available yet"); }
void sd_add_menu_button([[maybe_unused]] const std::string& name, [[maybe_unused]] const List& args) { throw Error("sd_add_menu_button: not available yet"); }
void sd_fluentui_add_ribbon_tab([[maybe_unused]] const std::string& name, [[maybe_unused]] const List& args) { throw Error("sd_fluentui_add_ribbon_tab: not available yet"); }
void sd_fluentui_add_ribbon_group([[maybe_unused]] const std::string& id, [[maybe_unused]] const List& args) { throw Error("sd_fluentui_add_ribbon_group: not available yet"); }
void sd_fluentui_add_ribbon_button([[maybe_unused]] const List& args) { throw Error("sd_fluentui_add_ribbon_button: not available yet"); }
void sd_fluentui_recalc_ribbon_layout([[maybe_unused]] const List& args) { throw Error("sd_fluentui_recalc_ribbon_layout: not available yet"); }
void sd_load_additional_available_commands_file([[maybe_unused]] const std::string& path) { throw Error("sd_load_additional_available_commands_file: not available yet"); }

}  // namespace host
