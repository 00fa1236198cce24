// The configuration tables in "TABELLEN": line files, the format, plotter, format-name and
// plot-style tables, their creation on first use, and two small string helpers.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/api/value.h"

namespace tavrin {

// "~A/TABELLEN/~A" with *tavrin-path*.
std::string tabellen_path(const std::string& file_name);

// A line file as its non-empty lines, each trimmed, with the physical line number (from 1).
struct NumberedLine {
  int number;
  std::string text;
};
std::vector<NumberedLine> read_numbered_lines(const std::string& data_file);

// The trimmed non-empty lines of the file, last line first. Throws host::Error naming the
// file when it cannot be read.
std::vector<std::string> file_to_list(const std::string& data_file);
// Replaces the file with one line per element, in list order (atomically).
void write_list_file(const std::vector<std::string>& liste, const std::string& filename);

// Splits a line at every "|"; adjacent separators give an empty field.
std::vector<std::string> split_fields(std::string_view line);
// A whole field as a number: an integer or a decimal with "." (locale-independent),
// blanks and a sign allowed. Nothing else: no units, no decimal comma, no inf/nan.
std::optional<host::Value> parse_table_number(std::string_view field);

void read_format_data();
void read_plotter_data();
void read_plotter_format_names();
std::vector<std::string> plot_transformation_ini();

std::vector<std::string> set_start_range_values();
void write_start_range_values_to_file();
// True when the plot-style file had to be created.
bool create_konfig_files_if_not_exist();

// The first element of each element of the list, in order.
host::List get_only_first_of_sublist(const host::List& liste);
// The keyword read from ":" followed by the text ("Firma A" gives :FIRMA).
host::Value string_to_symbol(const std::string& text);
// The name without its last extension when that is a drawing-file extension.
std::string substract_extension(const std::string& drawing_file_name);

}  // namespace tavrin
