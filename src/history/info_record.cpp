// The change history of a drawing: finding the INFO field, placing a new one from the
// template, and editing its lines with the duplicate check.
#include "history/info_record.h"

#include <algorithm>

#include "base/globals.h"
#include "base/sheet_extent.h"
#include "config/tables.h"
#include "host/api/host.h"
#include "host/api/text.h"
#include "host/api/language.h"

namespace tavrin {

// kInfoNotFound is shown in the run's language; this marks it for the catalogue.
[[maybe_unused]] constexpr const char* kInfoNotFoundText = GN_("INFO-Feld nicht gefunden");

namespace {

using host::kw;
using host::List;
using host::Value;

bool matches_marker(const std::string& line, const std::string& marker) {
  return host::sd_string_match_pattern_p(host::format("*~A*", marker), line);
}

// The docu texts of a sheet; a selection the host refuses is shown and counts as empty.
List docu_texts_of(const std::string& sheet_name) {
  const auto selection = host::guarded(
      [&] {
        return Value(
            host::get_selection({kw("focus_type"), kw("sd_anno_text_seltype"), kw("select"),
                                 kw("docu_text"), kw("by_sheet_docu_rest"), sheet_name}));
      },
      host::OnError::Show);
  return selection ? selection->as_list() : List{};
}

bool carries_marker(const Value& element, const std::string& marker) {
  for (const Value& attribute : host::sd_am_inq_info_attributes(element)) {
    if (matches_marker(host::print_text(attribute), marker)) return true;
  }
  return false;
}

// Attributes come back last added first; reversed they are the text's lines.
std::vector<std::string> lines_of(const Value& element) {
  std::vector<std::string> lines;
  for (const Value& attribute : host::sd_am_inq_info_attributes(element))
    lines.insert(lines.begin(), host::print_text(attribute));
  return lines;
}

Value open_text_editor(const List& args) {
  const Value so_far = args.empty() ? Value() : args.front();
  const Value initial = info_text_from_element(so_far);
  const Value edited = host::sd_show_general_text_editor(
      {kw("title"), G_("Änderungstext"), kw("initialtext"), initial.is_string() ? initial : Value("")});
  host::sd_hide_general_text_editor();
  // A cancelled editor ends the command: nothing is entered and nothing stored.
  if (edited.is_string())
    host::feed_dialog_input(edited);
  else
    host::cancel_active_dialog();
  return Value();
}

void define_info_edit() {
  host::DialogVariable text;
  text.name = "INFO-TEXT";
  text.type = "text";
  text.title = "Text";
  text.prompt = G_("Bitte Änderungstext eingeben oder ergänzen");
  text.input_tool = open_text_editor;
  text.after_input = [](const List& args) {
    if (!args.empty() && args.front().is_string()) check_doppelte_zeile(args.front().as_string());
    return Value();
  };
  host::DialogSpec spec;
  spec.name = "TV_INFO_EDIT";
  spec.title = "Tv_Info_Edit";
  spec.variables.push_back(std::move(text));
  spec.precondition = [](const List&) { return Value(am_info_findinfo(0)); };
  spec.ok_action = [](const List& values) {
    tv_info_edit_ok(values.empty() ? Value() : values.front());
    return Value();
  };
  host::define_dialog(std::move(spec));
}

void define_info_drop() {
  host::DialogSpec spec;
  spec.name = "TV_INFO_DROP";
  spec.title = "Tv_Info_Drop";
  spec.ok_action = [](const List&) {
    tv_info_drop();
    return Value();
  };
  host::define_dialog(std::move(spec));
}

}  // namespace

void register_history_dialogs() {
  define_info_drop();
  define_info_edit();
}

Value get_info_string_from_file() {
  g().header_info = "*";
  const std::string path = host::format("~A/TABELLEN/TavrinInfo.dat", g().tavrin_path);
  if (!host::sd_inq_file_status(path, kw("existence")).truthy()) return Value();
  const std::string content = host::read_file(path);
  const std::string first = host::trim_blanks(content.substr(0, content.find('\n')));
  // A blank first line names no marker; an empty marker would match every text anyway.
  if (!first.empty()) g().header_info = first;
  return Value(g().header_info);
}

List am_info_findinfo(int mode) {
  const std::string marker = mode == 0 ? g().header_info : "*";
  if (mode == 0) g().info_element = Value();
  Value match;
  // The last matching text of the selection wins: the scan never stops early.
  for (const Value& element : docu_texts_of(host::sd_am_inq_curr_sheet_name())) {
    if (carries_marker(element, marker)) match = element;
  }
  if (match.is_nil()) return {kw("error"), Value(G_(kInfoNotFound))};
  g().info_element = match;
  return {kw("ok")};
}

bool found(const List& result) {
  return !result.empty() && result.front().is_keyword("ok");
}

Value info_text_from_element(const Value& info_text) {
  if (!info_text.is_nil()) return info_text;
  if (g().info_element.is_nil()) return Value();
  const std::vector<std::string> lines = lines_of(g().info_element);
  if (lines.empty()) return Value();
  std::string text = host::format("~A", lines.front());
  for (std::size_t i = 1; i < lines.size(); ++i) text = host::format("~A~%~A", text, lines[i]);
  return Value(text);
}

std::vector<std::string> text_to_list(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

void check_doppelte_zeile(const std::string& text) {
  g().zeilenliste = text_to_list(text);
  const auto& lines = g().zeilenliste;
  std::size_t x = 0, wo = 0;
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    for (std::size_t j = i + 1; j < lines.size(); ++j) {
      if (lines[i] == lines[j]) {
        x = i + 1;
        wo = j + 1;
        break;
      }
    }
  }
  if (x == 0) return;
  host::sd_display_message(
      host::format(G_("Zeile ~A ist identisch mit Zeile ~A und wird nicht eingetragen"),
                   static_cast<long long>(wo), static_cast<long long>(x)),
      host::Severity::Warning);
}

bool drawing_loaded() {
  if (host::sd_am_inq_drawing_no().truthy()) return true;
  // An empty sheet has no extent: its inquiry fails, quietly.
  for (const Value& sheet : host::sd_am_inq_all_sheets()) {
    const auto corner =
        host::guarded([&] { return Value(blatt_punkt(host::sd_am_inq_unique_name(sheet), 104)); },
                      host::OnError::Silent);
    if (corner) return true;
  }
  return false;
}

void tv_info_drop() {
  const List result = am_info_findinfo(0);
  const std::string path = host::format("~A/TABELLEN/INFO.mi", g().tavrin_path);
  const std::string line =
      host::format("AM_LOAD_SKETCH :owner :current_sheet :adjust 5 :FILENAME ~s", path);
  if (!drawing_loaded()) {
    host::sd_display_message(G_("Keine Zeichnung vorhanden"));
  } else if (found(result)) {
    host::sd_display_message(G_("Es ist schon ein INFO-Feld vorhanden"));
  } else {
    host::sd_put_buffer(line);
  }
}

void tv_info_edit_ok(const Value& info_text) {
  g().zeilenliste = text_to_list(info_text.is_string() ? info_text.as_string() : "");
  const auto& lines = g().zeilenliste;
  const bool has_marker = std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
    return matches_marker(line, g().header_info);
  });
  if (!has_marker) {
    host::sd_display_message(G_("Kennzeichen für den HEADER fehlt"));
    return;
  }
  List attributes(lines.begin(), lines.end());
  const Value element = g().info_element;
  host::guarded(
      [&] {
        host::sd_am_delete_all_info_attributes(element);
        return host::sd_am_add_info_attributes(attributes, element);
      },
      host::OnError::Show);
}

}  // namespace tavrin
