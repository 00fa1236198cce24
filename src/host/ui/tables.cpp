// Logical tables and display tables: the facade operations and the row selection.
#include "host/ui/tables.h"

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

std::vector<LogicalTable>& tables() {
  static std::vector<LogicalTable> list;
  return list;
}

[[maybe_unused]] const bool registered = [] {
  register_reset_hook([] { tables().clear(); });
  return true;
}();

LogicalTable* table(const std::string& name) {
  auto it = std::find_if(tables().begin(), tables().end(),
                         [&](const LogicalTable& t) { return t.name == name; });
  return it == tables().end() ? nullptr : &*it;
}

LogicalTable& existing_table(const char* op, const std::string& name) {
  LogicalTable* t = table(name);
  if (!t) throw Error(std::string(op) + ": no logical table " + name);
  return *t;
}

Control& display_control(const char* op, const std::string& name) {
  Control* c = Store::get().control(name);
  if (!c || !c->table) throw Error(std::string(op) + ": no display table " + name);
  return *c;
}

std::size_t checked_row(const char* op, const LogicalTable& t, int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= t.rows.size()) {
    throw Error(format("~A: row ~A of ~A does not exist (~A rows)", op, row, t.name,
                       static_cast<int>(t.rows.size())));
  }
  return static_cast<std::size_t>(row);
}

// Rows that a rebuilt table no longer has cannot stay selected.
void prune_selections(const LogicalTable& t, bool clear_all) {
  std::vector<std::string> bound;
  for (const Control& c : Store::get().controls()) {
    if (c.table && c.table->logical_table == t.name) bound.push_back(c.name);
  }
  int rows = static_cast<int>(t.rows.size());
  for (const std::string& name : bound) {
    auto& sel = Store::get().control(name)->table->selection;
    if (clear_all) sel.clear();
    sel.erase(std::remove_if(sel.begin(), sel.end(), [&](int r) { return r >= rows; }), sel.end());
  }
  // Told only now: an observer may read the store while it is told.
  for (const std::string& name : bound) notify({ModelChange::What::Control, name});
}

void read_rows(const std::string& name, const UiArgs& a, std::size_t columns,
               std::vector<List>& rows) {
  auto contents = a.get("contents");
  if (!contents || contents->is_nil()) return;
  if (!contents->is_list())
    throw Error("sd_create_logical_table: " + name + ": :contents is not a list");
  for (const Value& row : contents->as_list()) {
    if (!row.is_list()) throw Error("sd_create_logical_table: " + name + ": a row is not a list");
    List cells = row.as_list();
    if (cells.size() > columns) {
      throw Error(format("sd_create_logical_table: ~A: row ~A has ~A cells for ~A columns", name,
                         static_cast<int>(rows.size()), static_cast<int>(cells.size()),
                         static_cast<int>(columns)));
    }
    cells.resize(columns);
    rows.push_back(std::move(cells));
  }
}

}  // namespace

std::vector<std::string> logical_table_names() {
  std::vector<std::string> out;
  for (const LogicalTable& t : tables()) out.push_back(t.name);
  return out;
}

std::optional<LogicalTable> find_logical_table(const std::string& name) {
  LogicalTable* t = table(name);
  return t ? std::optional<LogicalTable>(*t) : std::nullopt;
}

std::size_t column_index(const LogicalTable& t, const Value& column) {
  if (column.is_number()) {
    auto i = column.as_integer();
    if (i >= 0 && static_cast<std::size_t>(i) < t.columns.size())
      return static_cast<std::size_t>(i);
  } else if (column.is_string() || column.is_keyword() || column.is_symbol()) {
    std::string id = upper(column.as_string());
    auto it = std::find(t.columns.begin(), t.columns.end(), id);
    if (it != t.columns.end()) return static_cast<std::size_t>(it - t.columns.begin());
  }
  throw Error("logical table " + t.name + " has no column " + print_literal(column));
}

LogicalTable table_of_display(const std::string& display_table) {
  Control& c = display_control("display table", display_table);
  return existing_table("display table", c.table->logical_table);
}

void select_display_row(const std::string& display_table, int row) {
  Control& c = display_control("click_table_row", display_table);
  const LogicalTable& t = existing_table("click_table_row", c.table->logical_table);
  checked_row("click_table_row", t, row);
  auto& sel = c.table->selection;
  if (c.table->selection_mode == "single-row" || c.table->selection_mode.empty()) {
    sel.assign({row});
  } else if (auto it = std::find(sel.begin(), sel.end(), row); it != sel.end()) {
    sel.erase(it);
  } else {
    sel.push_back(row);
  }
  notify({ModelChange::What::Control, display_table});
}

}  // namespace host::ui

namespace host {

using ui::UiArgs;

void sd_create_logical_table(const std::string& name, const List& args) {
  UiArgs a(args, "sd_create_logical_table: " + name);
  ui::LogicalTable t;
  t.name = name;
  for (const std::string& c : a.texts("columns")) t.columns.push_back(host::upper(c));
  if (name.empty() || t.columns.empty()) {
    throw Error("sd_create_logical_table: " + name + ": needs a name and :columns");
  }
  t.column_names = a.texts("columnnames");
  if (t.column_names.empty()) t.column_names = t.columns;
  t.types = a.texts("types");
  t.units = a.texts("units");
  for (auto* list : {&t.column_names, &t.types, &t.units}) {
    if (!list->empty() && list->size() != t.columns.size()) {
      throw Error(format("sd_create_logical_table: ~A: ~A columns but a list of ~A", name,
                         static_cast<int>(t.columns.size()), static_cast<int>(list->size())));
    }
  }
  for (std::string& type : t.types) type = host::lower(type);
  ui::read_rows(name, a, t.columns.size(), t.rows);
  if (ui::LogicalTable* existing = ui::table(name)) {
    *existing = std::move(t);
  } else {
    ui::tables().push_back(std::move(t));
  }
  ui::prune_selections(*ui::table(name), true);
  ui::notify({ui::ModelChange::What::Table, name});
}

void sd_create_display_table_control(const std::string& name, const List& args) {
  const char* op = "sd_create_display_table_control";
  UiArgs a(args, std::string(op) + ": " + name);
  ui::TableBinding b;
  b.logical_table = a.optional_text("logicaltable").value_or(a.text("table"));
  const ui::LogicalTable& t = ui::existing_table(op, b.logical_table);
  for (const std::string& c : a.texts("columns")) {
    b.columns.push_back(t.columns[ui::column_index(t, Value::keyword(c))]);
  }
  if (b.columns.empty()) b.columns = t.columns;
  for (const std::string& al : a.texts("alignment")) b.alignment.push_back(host::lower(al));
  b.alignment.resize(b.columns.size(), "left");
  b.selection_mode = a.keyword_lower("selectionmode", "single-row");
  b.selection_action = a.get("selectionaction").value_or(Value());
  ui::Control c = ui::new_control(op, name, ui::ControlKind::DisplayTable, args);
  c.alignment.clear();  // a list per column, kept in the binding
  c.table = std::move(b);
  ui::Store::get().put_control(std::move(c));
  ui::notify({ui::ModelChange::What::Control, name});
}

void sd_set_display_table_colors(const std::string& name, const List& args) {
  ui::Control& c = ui::display_control("sd_set_display_table_colors", name);
  UiArgs a(args, "sd_set_display_table_colors: " + name);
  c.table->column_separators = a.flag("columnseparators", c.table->column_separators);
  c.table->column_separator_color = a.flag("columnseparatorcolor", c.table->column_separator_color);
  c.table->row_colors = a.flag("rowcolors", c.table->row_colors);
  ui::notify({ui::ModelChange::What::Control, name});
}

void sd_logical_table_update_display_tables(const std::string& table) {
  ui::prune_selections(ui::existing_table("sd_logical_table_update_display_tables", table), false);
  ui::notify({ui::ModelChange::What::Table, table});
}

int sd_get_logical_table_number_of_rows(const std::string& table) {
  return static_cast<int>(
      ui::existing_table("sd_get_logical_table_number_of_rows", table).rows.size());
}

Value sd_read_logical_table_cell(const std::string& table, int row, const Value& column) {
  const char* op = "sd_read_logical_table_cell";
  const ui::LogicalTable& t = ui::existing_table(op, table);
  return t.rows[ui::checked_row(op, t, row)][ui::column_index(t, column)];
}

void sd_write_logical_table_cell(const std::string& table, int row, const Value& column,
                                 const Value& value) {
  const char* op = "sd_write_logical_table_cell";
  ui::LogicalTable& t = ui::existing_table(op, table);
  t.rows[ui::checked_row(op, t, row)][ui::column_index(t, column)] = value;
  ui::notify({ui::ModelChange::What::Table, table});
}

List sd_read_logical_table_column(const std::string& table, const Value& column) {
  const ui::LogicalTable& t = ui::existing_table("sd_read_logical_table_column", table);
  std::size_t col = ui::column_index(t, column);
  List out;
  for (const List& row : t.rows) out.push_back(row[col]);
  return out;
}

List sd_get_display_table_selection(const std::string& display_table) {
  const ui::Control& c = ui::display_control("sd_get_display_table_selection", display_table);
  List out;
  for (int row : c.table->selection) out.push_back(Value(row));
  return out;
}

}  // namespace host
