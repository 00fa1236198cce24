// Measuring a sheet and choosing its paper format, fitting factor, plotter and paper name.
#include "engine/sheet_format.h"

#include <cmath>
#include <optional>

#include "base/globals.h"
#include "config/language.h"
#include "host/api/host.h"
#include "host/api/text.h"

namespace tavrin {

namespace {

// A whole-numbered extent stays an exact integer, so a fitting factor such as 594/420 is an
// exact ratio rather than a rounded float.
host::Value extent_value(double d) {
  constexpr double exact_limit = 9007199254740992.0;  // 2^53
  if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < exact_limit)
    return host::Value::integer(static_cast<std::int64_t>(d));
  return host::Value::real(d);
}

bool at_most(const host::Value& a, const host::Value& b) {
  return host::numeric_compare(a, b) <= 0;
}
bool below(const host::Value& a, const host::Value& b) {
  return host::numeric_compare(a, b) < 0;
}

// The side of a format row that is compared with the bound: its long side for a landscape
// sheet, its short side otherwise.
const host::Value& bound_side(const FormatRow& row, bool landscape) {
  return landscape ? row.long_side : row.short_side;
}

// A row holds the sheet at its own size: a landscape sheet lies along the long side.
bool row_holds(const FormatRow& row, bool landscape, const SheetFormat& sheet) {
  if (landscape)
    return at_most(sheet.width, row.long_side) && at_most(sheet.height, row.short_side);
  return at_most(sheet.width, row.short_side) && at_most(sheet.height, row.long_side);
}

// Walks the format table for the smallest row that holds the sheet at its own size, starting
// from `bound`; strict comparison, so the first of equal rows stays. Returns whether any row
// became the result.
bool smallest_holding_format(const SheetFormat& sheet, bool landscape, host::Value& bound,
                             std::string& name) {
  bool found = false;
  for (const FormatRow& row : g().plot_format_data) {
    const host::Value& side = bound_side(row, landscape);
    if (row_holds(row, landscape, sheet) && below(side, bound)) {
      name = row.name;
      bound = side;
      found = true;
    }
  }
  return found;
}

}  // namespace

SheetFormat calculate_sheet_format() {
  const std::string name = host::sd_am_inq_unique_name(host::sd_am_inq_curr_sheet());
  const host::Point2 p1 = blatt_punkt(name, 104);
  const host::Point2 p2 = blatt_punkt(name, 105);
  SheetFormat sheet;
  sheet.width = extent_value(p2.x - p1.x);
  sheet.height = extent_value(p2.y - p1.y);
  const bool landscape = host::numeric_compare(sheet.width, sheet.height) > 0;
  sheet.orientation = landscape ? "LANDSCAPE" : "PORTRAIT";
  sheet.format_name = "-";
  host::Value bound = 1000000;
  smallest_holding_format(sheet, landscape, bound, sheet.format_name);
  return sheet;
}

SheetFormat check_if_einpassformat_greater_than_blattformat(const std::string& fit_format,
                                                            const SheetFormat& sheet) {
  const bool landscape = sheet.orientation == "LANDSCAPE";
  SheetFormat result = sheet;
  std::optional<host::Value> bound;
  for (const FormatRow& row : g().plot_format_data) {
    if (row.name != fit_format) continue;
    bound = bound_side(row, landscape);
    result.format_name = fit_format;
    result.factor = host::numeric_divide(sheet.width, *bound);
  }
  if (!bound) {
    // Without the fit format there is nothing to fit into: the sheet keeps its own format.
    host::sd_display_message(host::format("~A: ~A ~A", lang_text(25), fit_format, lang_text(25)),
                             host::Severity::Warning);
    return sheet;
  }
  if (smallest_holding_format(result, landscape, *bound, result.format_name)) result.factor = 1;
  return result;
}

std::string select_plotter(const SheetFormat& sheet) {
  const auto& rows = g().plotter_auto_format;
  std::string choice =
      rows.empty() || rows.front().empty() ? "" : host::trim_blanks(rows.front().front());
  for (const Row& row : rows) {
    for (std::size_t i = 1; i < row.size(); ++i) {
      if (host::trim_blanks(row[i]) == sheet.format_name) choice = host::trim_blanks(row[0]);
    }
  }
  return choice;
}

std::string get_plotter_format_name(const std::string& plotter, const std::string& format_name) {
  std::string result = format_name;
  for (const Row& row : g().plotter_format_names) {
    if (row.empty() || host::trim_blanks(row[0]) != plotter) continue;
    for (std::size_t i = 1; i < row.size(); ++i) {
      const std::string& entry = row[i];
      const auto slash = entry.find('/');
      if (slash == std::string::npos || entry.compare(0, slash, format_name) != 0) continue;
      const auto next = entry.find('/', slash + 1);
      result = entry.substr(slash + 1, next == std::string::npos ? next : next - slash - 1);
    }
  }
  return result;
}

}  // namespace tavrin
