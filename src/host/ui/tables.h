// Logical tables (rows of cells under named columns) and the display tables that show them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/value/value.h"

namespace host::ui {

struct LogicalTable {
  std::string name;
  std::vector<std::string> columns;       // column ids, upper case ("X", "NAME", ...)
  std::vector<std::string> column_names;  // headers as given, blanks included
  std::vector<std::string> types;         // "string", ... (empty when not given)
  std::vector<std::string> units;
  std::vector<List> rows;  // every row has one cell per column
};

std::vector<std::string> logical_table_names();
std::optional<LogicalTable> find_logical_table(const std::string& name);
// The index of a column given as a keyword (:name), its id as text, or a 0-based number.
// Throws host::Error naming the table and the column when there is none.
std::size_t column_index(const LogicalTable& table, const Value& column);
// The logical table a display table shows; throws host::Error when either is missing.
LogicalTable table_of_display(const std::string& display_table);

// A person's click on a row: single-row tables select just it, multi-row tables toggle it.
// Throws host::Error naming the table when the row does not exist.
void select_display_row(const std::string& display_table, int row);

}  // namespace host::ui
