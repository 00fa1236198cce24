// The file area of a directory run: the filter radios, the file table and its marks.
#include "dialogs/file_list.h"

#include <cctype>
#include <cstdint>

#include "base/globals.h"
#include "config/language.h"
#include "config/tables.h"
#include "dialogs/dialog_ids.h"
#include "dialogs/job_settings.h"
#include "dialogs/start_commands.h"
#include "host/api/host.h"
#include "host/api/text.h"

namespace tavrin {

namespace {

using host::kw;
using host::List;
using host::Value;

// The table always sits here, whatever row the area above it starts at.
constexpr int kTableX = 0, kTableY = 39, kTableWidth = 79, kTableHeight = 97;
// Above this many rows the name header leaves room for the scroll bar.
constexpr std::size_t kRowsWithoutScrollBar = 33;

Value filter_action(int n) {
  return action_of([n] { switch_filter_buttons(n); });
}

void filter_radio(const std::string& key, int title, int x, int width, int y, int n) {
  host::sd_create_togglebutton_control(
      dialog_control(key),
      {kw("parent"), kMainGrid, kw("title"), lang_text(title), kw("indicator"), kw("radio"),
       kw("x"), x, kw("y"), y, kw("width"), width, kw("height"), 5, kw("pushaction"),
       filter_action(n), kw("releaseaction"), filter_action(n)});
}

std::string type_text(const std::string& name) {
  const std::string lowered = host::lower(name);
  if (host::sd_string_match_pattern_p("*.mi", lowered)) return lang_text(17);
  if (host::sd_string_match_pattern_p("*.bdl", lowered)) return lang_text(18);
  if (host::sd_string_match_pattern_p("*.dxf", lowered)) return lang_text(19);
  if (host::sd_string_match_pattern_p("*.dwg", lowered)) return lang_text(40);
  return "";
}

std::string name_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string cell_text(const Value& v) {
  return host::trim_blanks(v.is_string() ? v.as_string() : host::print_text(v));
}

}  // namespace

int batch_zusatz_dialog(int y) {
  host::sd_create_separator_control(
      dialog_control("DIR-SE"),
      {kw("parent"), kMainGrid, kw("x"), 0, kw("y"), y + 5, kw("width"), 80, kw("height"), 1});
  create_dir_button(y + 6);
  const int filter_row = y + 11;
  host::sd_create_pushbutton_control(
      dialog_control("ALLE-AN-AUS-PB"),
      {kw("parent"), kMainGrid, kw("title"), "  X", kw("alignment"), kw("left"), kw("x"), 0,
       kw("y"), filter_row, kw("width"), 5, kw("height"), 5, kw("pushaction"),
       action_of(tv_select_all_or_nothing)});
  filter_radio("MI-TB", 12, 12, 15, filter_row, 0);
  filter_radio("BDL-TB", 13, 30, 15, filter_row, 1);
  filter_radio("ALLE-TB", 14, 50, 20, filter_row, 2);
  return y + 102;
}

void switch_filter_buttons(int n) {
  for (const char* key : {"MI-TB", "BDL-TB", "ALLE-TB"})
    host::sd_reset_togglebutton(dialog_control(key), false);
  const char* chosen = n == 0 ? "MI-TB" : n == 1 ? "BDL-TB" : "ALLE-TB";
  host::sd_set_togglebutton(dialog_control(chosen), false);
  // The radio that is on already lists what it lists: rereading would drop every mark.
  if (read_filter() == g().listed_filter) return;
  tv_read_directory("");
}

std::string read_filter() {
  if (host::sd_togglebutton_set_p(dialog_control("MI-TB"))) return "*.mi";
  if (host::sd_togglebutton_set_p(dialog_control("BDL-TB"))) return "*.bdl";
  return "*";
}

void any_filetype_selected() {
  if (tv_read_value("MI-TB") == "1" && tv_read_value("BDL-TB") == "1" &&
      tv_read_value("ALLE-TB") == "1")
    return;
  host::sd_set_togglebutton(dialog_control("ALLE-TB"), true);
}

std::string size_in_kbyte(const Value& bytes) {
  if (!bytes.is_number()) return "?";
  const std::int64_t size = bytes.as_integer();
  if (size <= 0) return "0";
  std::int64_t units = size / 1000;
  const std::int64_t rest = size % 1000;
  // A half rounds to the even neighbour.
  if (rest > 500 || (rest == 500 && units % 2 == 1)) ++units;
  return std::to_string(units);
}

List tv_create_file_list(const std::string& filter, const std::string& mark) {
  List rows;
  for (const Value& entry :
       host::sd_directory_list(host::sd_get_current_working_directory(), filter)) {
    const std::string& path = entry.as_string();
    if (host::sd_directory_p(path)) continue;
    const std::string name = name_of(path);
    rows.push_back(List{mark, name, type_text(name), size_in_kbyte(host::sd_inq_file_size(path))});
  }
  return rows;
}

void tv_create_log_tab_table(const std::string& table, const std::string& filter,
                             const std::string& mark) {
  const List rows = tv_create_file_list(filter, mark);
  const std::size_t blanks = rows.size() > kRowsWithoutScrollBar ? 58 : 63;
  host::sd_create_logical_table(
      table,
      {kw("columns"), List{kw("x"), kw("name"), kw("format"), kw("size")}, kw("columnnames"),
       List{"X", std::string(blanks, ' ') + "Filename", "     Typ", "    KByte"}, kw("types"),
       List{kw("string"), kw("string"), kw("string"), kw("string")}, kw("contents"), rows});
}

void tv_read_directory(const std::string& mark) {
  g().listed_filter = read_filter();
  tv_create_log_tab_table(kFileTable, read_filter(), mark);
  host::sd_create_display_table_control(
      kFileDisplay, {kw("parent"),
                     kMainGrid,
                     kw("x"),
                     kTableX,
                     kw("y"),
                     kTableY,
                     kw("width"),
                     kTableWidth,
                     kw("height"),
                     kTableHeight,
                     kw("logicaltable"),
                     kFileTable,
                     kw("columns"),
                     List{kw("x"), kw("name"), kw("format"), kw("size")},
                     kw("alignment"),
                     List{kw("left"), kw("right"), kw("right"), kw("right")},
                     kw("applycolumn"),
                     kw("name"),
                     kw("applyaction"),
                     kw("default-tokens"),
                     kw("keycolumntoken"),
                     kw("keyvalues"),
                     kw("selectionmode"),
                     kw("single-row"),
                     kw("selectionaction"),
                     Value::function([](const List& args) {
                       tv_set_table_selection(args.empty() ? std::string(kFileDisplay)
                                                           : host::print_text(args[0]));
                       return Value();
                     })});
  host::sd_set_display_table_colors(
      kFileDisplay, {kw("columnseparators"), Value::t(), kw("columnseparatorcolor"), Value::t(),
                     kw("rowcolors"), Value::t()});
  host::sd_logical_table_update_display_tables(kFileTable);
}

void tv_set_table_selection(const std::string& display_table) {
  const List selection = host::sd_get_display_table_selection(display_table);
  if (selection.empty()) return;
  const int row = static_cast<int>(selection.front().as_integer());
  const bool marked =
      !cell_text(host::sd_read_logical_table_cell(kFileTable, row, kw("x"))).empty();
  host::sd_write_logical_table_cell(kFileTable, row, kw("x"), marked ? "" : "X");
}

void tv_select_all_or_nothing() {
  bool any_marked = false;
  for (const Value& cell : host::sd_read_logical_table_column(kFileTable, kw("x"))) {
    if (cell_text(cell) == "X") any_marked = true;
  }
  tv_read_directory(any_marked ? "" : "X");
}

std::vector<std::string> create_filelist() {
  std::vector<std::string> names;
  // No table at all (the standard could not be loaded): nothing is marked.
  const std::optional<Value> rows =
      host::guarded([] { return Value(host::sd_get_logical_table_number_of_rows(kFileTable)); },
                    host::OnError::Silent);
  if (!rows) return names;
  for (int row = 0; row < rows->as_integer(); ++row) {
    if (cell_text(host::sd_read_logical_table_cell(kFileTable, row, kw("x"))) != "X") continue;
    // The name exactly as listed: it is the file's path relative to the plot directory.
    const Value name = host::sd_read_logical_table_cell(kFileTable, row, kw("name"));
    names.push_back(name.is_string() ? name.as_string() : host::print_text(name));
  }
  return names;
}

}  // namespace tavrin
