// The file area of a directory run: the plot directory, the filters, and the table of files
// in which the user marks those to process.
#pragma once

#include <string>
#include <vector>

#include "host/api/value.h"

namespace tavrin {

inline constexpr const char* kFileTable = "TAVRIN-ltb";
inline constexpr const char* kFileDisplay = "TAVRIN-DIALOG-DT";

// Adds the file area to the main dialog's grid, starting 5 cells below row y; returns y + 102.
int batch_zusatz_dialog(int y);
// Selects the filter radio for n (0 "*.mi", 1 "*.bdl", else "*") and rebuilds the list unmarked.
void switch_filter_buttons(int n);
// "*.mi", "*.bdl" or "*", from the filter radios.
std::string read_filter();
// Called after loading the standard: the list then always shows every file.
void any_filetype_selected();

// Rebuilds the file table from the plot directory, every row carrying the mark ("" or "X").
void tv_read_directory(const std::string& mark);
// The logical table: columns :x :name :format :size, their headers, the rows of the directory.
void tv_create_log_tab_table(const std::string& table, const std::string& filter,
                             const std::string& mark);
// One row (mark, name, type, size) per file of the plot directory that matches the filter,
// in listing order; subdirectories are left out.
host::List tv_create_file_list(const std::string& filter, const std::string& mark);
// The file size in units of 1000 bytes, rounded half to even; "?" when the host cannot tell.
std::string size_in_kbyte(const host::Value& bytes);

// Selection action of the display table: flips the mark of the selected row.
void tv_set_table_selection(const std::string& display_table);
// The "  X" button: unmarks all when any row is marked, else marks all.
void tv_select_all_or_nothing();

}  // namespace tavrin
