// The configuration tables in "TABELLEN" and their files.
#include "config/tables.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <map>

#include "base/globals.h"
#include "config/language.h"
#include "host/api/host.h"
#include "host/api/location.h"
#include "host/api/text.h"
#include "host/api/language.h"

namespace tavrin {

namespace {

constexpr const char* kFormatFile = "TavrinFormat.dat";
constexpr const char* kPlotterFile = "TavrinPlotter.dat";
constexpr const char* kFormatNamesFile = "TavrinPlotterFormatNames.dat";
constexpr const char* kPlotStylesFile = "TavrinPlotSyles.dat";
constexpr const char* kPlotStylePath = "Annotation/Plot/PensTrafoStyle";

bool file_exists(const std::string& path) {
  return host::sd_inq_file_status(path, host::kw("existence")).truthy();
}

std::vector<std::string> texts_of(const host::List& values) {
  std::vector<std::string> out;
  out.reserve(values.size());
  for (const host::Value& v : values) out.push_back(host::print_text(v));
  return out;
}

std::vector<std::string> host_plot_style_names() {
  return texts_of(
      get_only_first_of_sublist(host::sd_get_setting_styles_range_list(kPlotStylePath)));
}

std::vector<std::string> installed_printers() {
  return texts_of(host::sd_inq_printers());
}

// The tables the module makes itself (printers, plot styles) live beside the ones the
// administrator keeps, in the installation, which a user may not be allowed to write. Such
// a table is kept here instead: it holds for this process, the user is told once, and the
// next start tries to write it again.
std::map<std::string, std::vector<std::string>>& unwritten_tables() {
  static std::map<std::string, std::vector<std::string>> tables;
  return tables;
}

void write_made_table(const std::vector<std::string>& rows, const std::string& path) {
  try {
    write_list_file(rows, path);
    unwritten_tables().erase(path);
  } catch (const host::Error& e) {
    const bool told = unwritten_tables().count(path) != 0;
    unwritten_tables()[path] = rows;
    if (!told)
      host::sd_display_message(
          host::format(G_("~A~%Die Tabelle gilt nur bis zum Ende dieses Programms."), e.what()));
  }
}

// A made table as file_to_list reads it (last line first); nullopt when there is none.
std::optional<std::vector<std::string>> made_table(const std::string& path) {
  if (file_exists(path)) return file_to_list(path);
  const auto kept = unwritten_tables().find(path);
  if (kept == unwritten_tables().end()) return std::nullopt;
  return std::vector<std::string>(kept->second.rbegin(), kept->second.rend());
}

// One entry of the format table, or the reason why the line cannot be one.
struct FormatLine {
  std::optional<FormatRow> row;
  bool fit = false;
  std::string problem;
};

FormatLine parse_format_line(const std::string& line) {
  const std::vector<std::string> fields = split_fields(line);
  if (fields.size() < 3) return {std::nullopt, false, G_("weniger als drei Felder (Name|lang|kurz)")};
  const std::optional<host::Value> long_side = parse_table_number(fields[1]);
  const std::optional<host::Value> short_side = parse_table_number(fields[2]);
  const auto positive = [](const std::optional<host::Value>& side) {
    return side && side->as_double() > 0;
  };
  if (!positive(long_side) || !positive(short_side)) {
    return {std::nullopt, false, G_("die Seitenlängen müssen positive Zahlen sein (Dezimalpunkt)")};
  }
  const bool fit = fields.size() >= 4 && host::trim_blanks(fields[3]) == "E";
  return {FormatRow{fields[0], *long_side, *short_side}, fit, ""};
}

}  // namespace

std::string tabellen_path(const std::string& file_name) {
  return host::format("~A/TABELLEN/~A", g().tavrin_path, file_name);
}

std::vector<std::string> split_fields(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t bar = line.find('|', start);
    fields.emplace_back(
        line.substr(start, bar == std::string_view::npos ? line.npos : bar - start));
    if (bar == std::string_view::npos) return fields;
    start = bar + 1;
  }
}

std::optional<host::Value> parse_table_number(std::string_view field) {
  const std::string text = host::trim_blanks(field);
  std::string_view digits = text;
  if (!digits.empty() && digits.front() == '+') {
    digits.remove_prefix(1);
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) return std::nullopt;
  }
  if (digits.empty()) return std::nullopt;
  const char* first = digits.data();
  const char* last = first + digits.size();
  std::int64_t whole = 0;
  if (auto [end, ec] = std::from_chars(first, last, whole); ec == std::errc() && end == last) {
    return host::Value::integer(whole);
  }
  double real = 0;
  if (auto [end, ec] = std::from_chars(first, last, real, std::chars_format::fixed);
      ec == std::errc() && end == last && std::isfinite(real)) {
    return host::Value::real(real);
  }
  return std::nullopt;
}

std::vector<NumberedLine> read_numbered_lines(const std::string& data_file) {
  const std::string content = host::read_file(data_file);
  std::vector<NumberedLine> lines;
  int number = 0;
  // Editors on other systems may start the file with a byte-order mark; it is no text.
  std::size_t start = content.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  while (start < content.size()) {
    const std::size_t newline = content.find('\n', start);
    const std::size_t end = newline == std::string::npos ? content.size() : newline;
    ++number;
    std::string text = host::trim_blanks(std::string_view(content).substr(start, end - start));
    if (!text.empty()) lines.push_back({number, std::move(text)});
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> file_to_list(const std::string& data_file) {
  std::vector<std::string> lines;
  for (NumberedLine& line : read_numbered_lines(data_file)) lines.push_back(std::move(line.text));
  std::reverse(lines.begin(), lines.end());
  return lines;
}

void write_list_file(const std::vector<std::string>& liste, const std::string& filename) {
  std::string content;
  for (const std::string& element : liste) content += host::format("~A~%", element);
  host::write_file_atomically(filename, content);
}

// A line that cannot be a format is left out and reported, never read as a zero size:
// the sheet-format search would otherwise pick it for every sheet.
void read_format_data() {
  const std::string path = tabellen_path(kFormatFile);
  const std::vector<NumberedLine> lines = read_numbered_lines(path);
  Globals& vars = g();
  vars.plot_format_data.clear();
  vars.plot_fit_formats.clear();
  std::string problems;
  for (const NumberedLine& line : lines) {
    FormatLine parsed = parse_format_line(line.text);
    if (!parsed.row) {
      if (!problems.empty()) problems += "\n";
      problems += host::located(path, line.number, parsed.problem + G_(", die Zeile wird übergangen"),
                                line.text);
      continue;
    }
    if (parsed.fit) vars.plot_fit_formats.push_back(parsed.row->name);
    vars.plot_format_data.push_back(std::move(*parsed.row));
  }
  if (!problems.empty()) host::sd_display_message(G_("Fehler in der Formattabelle:\n") + problems);
}

void read_plotter_data() {
  Globals& vars = g();
  vars.plotter_names.clear();
  vars.plotter_auto_format.clear();
  // A start without a print system leaves the file missing until the next start finds one:
  // until then no printer is known.
  const auto lines = made_table(tabellen_path(kPlotterFile));
  if (!lines) return;
  for (auto line = lines->rbegin(); line != lines->rend(); ++line) {
    Row fields = split_fields(*line);
    // A queue name never holds blanks; one written as "HP | A3" must still reach the printer.
    vars.plotter_names.push_back(host::trim_blanks(fields.front()));
    vars.plotter_auto_format.push_back(std::move(fields));
  }
}

void read_plotter_format_names() {
  const std::string path = tabellen_path(kFormatNamesFile);
  if (!made_table(path)) write_made_table(g().plotter_names, path);
  const std::vector<std::string> lines = made_table(path).value_or(std::vector<std::string>{});
  Globals& vars = g();
  vars.plotter_format_names.clear();
  for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
    vars.plotter_format_names.push_back(split_fields(*line));
  }
}

// Kept as read, last line first: the main dialog offers the styles in this order.
std::vector<std::string> plot_transformation_ini() {
  const std::string path = tabellen_path(kPlotStylesFile);
  const auto made = made_table(path);
  g().plotstyle_list = made ? *made : file_to_list(path);  // reports the missing file
  return g().plotstyle_list;
}

std::vector<std::string> set_start_range_values() {
  g().plotter_names = installed_printers();
  g().plotstyle_list = host_plot_style_names();
  return g().plotstyle_list;
}

void write_start_range_values_to_file() {
  write_list_file(g().plotter_names, tabellen_path(kPlotterFile));
  write_list_file(g().plotstyle_list, tabellen_path(kPlotStylesFile));
}

bool create_konfig_files_if_not_exist() {
  const std::string plotter_path = tabellen_path(kPlotterFile);
  // An empty file is what an earlier start without a print system left: ask again.
  if (!file_exists(plotter_path) || file_to_list(plotter_path).empty()) {
    host::sd_display_message(host::format("~A~% ~A", lang_text(33), lang_text(34)),
                             host::Severity::Information);
    // Without a print system (a server that only writes PDF) the run must still start;
    // the file is then left as it is so that the next start tries again.
    const std::optional<host::Value> printers =
        host::guarded([] { return host::Value(host::sd_inq_printers()); }, host::OnError::Warn);
    if (printers && !printers->as_list().empty()) {
      g().plotter_names = texts_of(printers->as_list());
      write_made_table(g().plotter_names, plotter_path);
    }
  }
  const std::string styles_path = tabellen_path(kPlotStylesFile);
  if (file_exists(styles_path)) return false;
  g().plotstyle_list = host_plot_style_names();
  write_made_table(g().plotstyle_list, styles_path);
  return true;
}

host::List get_only_first_of_sublist(const host::List& liste) {
  host::List firsts;
  firsts.reserve(liste.size());
  for (const host::Value& element : liste) {
    const host::List& sub = element.as_list();
    firsts.push_back(sub.empty() ? host::Value() : sub.front());
  }
  return firsts;
}

host::Value string_to_symbol(const std::string& text) {
  return host::read_literal(":" + text);
}

std::string substract_extension(const std::string& drawing_file_name) {
  static const std::vector<std::string> kDrawingExtensions = {"MI", "DWG", "DXF",
                                                              "BI", "IGS", "IGES"};
  const std::size_t dot = drawing_file_name.rfind('.');
  if (dot == std::string::npos) return drawing_file_name;
  const std::string piece = host::upper(drawing_file_name.substr(dot + 1));
  const bool known = std::find(kDrawingExtensions.begin(), kDrawingExtensions.end(), piece) !=
                     kDrawingExtensions.end();
  return known ? drawing_file_name.substr(0, dot) : drawing_file_name;
}

}  // namespace tavrin
