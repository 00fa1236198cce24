// The module-wide variables of tavrin: one instance for the whole process.
#pragma once

#include <string>
#include <vector>

#include "host/api/value.h"

namespace tavrin {

using Row = std::vector<std::string>;

// A paper format of the format table: name, long side, short side (drawing units).
struct FormatRow {
  std::string name;
  host::Value long_side;
  host::Value short_side;
};

// Sheet selection: a limit and one of the operators ">", "<", "=".
struct Selection {
  host::Value limit;
  std::string op;
};

struct Globals {
  std::string tavrin_path;  // *tavrin-path*, without trailing "/"
  bool tavrin_admin = false;
  std::string tavrin_version;
  bool tavrin_modus = true;

  std::vector<FormatRow> plot_format_data;
  std::vector<std::string> plot_fit_formats;
  std::vector<std::string> plotter_names;
  std::vector<Row> plotter_auto_format;
  std::vector<Row> plotter_format_names;
  std::vector<std::string> plotstyle_list;

  std::string header_info = "*";
  std::vector<Row> autotextliste;

  // Current-drawing run state, kept until the next such run.
  bool pdf = false;
  host::Value file_ladename;
  Selection blatt_selection;

  // The filter the file list was last read with: clicking it again keeps the list's marks.
  std::string listed_filter;

  host::Value info_element;  // *info-element*: an element handle or nil
  std::vector<std::string> zeilenliste;
  host::Value kpl_info_name;  // *kpl-info-name*: string or nil
  // The sheet *kpl-info-name* lies on, as a handle: a sheet of another drawing may carry the
  // same name, a handle never.
  host::Value kpl_info_sheet;
};

// The one instance. Tests replace it with a fresh one per test (reset_globals).
Globals& g();
void reset_globals();

}  // namespace tavrin
