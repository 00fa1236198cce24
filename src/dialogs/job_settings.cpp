// The job settings: reading the main dialog's controls by key, and the standard settings
// file that stores and restores them.
#include "dialogs/job_settings.h"

#include <algorithm>
#include <string_view>

#include "base/globals.h"
#include "base/job_table.h"
#include "config/language.h"
#include "config/tables.h"
#include "dialogs/dialog_ids.h"
#include "dialogs/file_list.h"
#include "host/api/host.h"
#include "host/api/location.h"
#include "host/api/text.h"
#include "host/api/language.h"

namespace tavrin {

namespace {

using host::kw;

std::string user_copy() {
  return host::format("~A/TavrinStandard.dat", host::sd_inq_user_profiledir_pathname());
}

std::string shared_copy() {
  return host::format("~A/TABELLEN/TavrinStandard.dat", g().tavrin_path);
}

bool exists(const std::string& path) {
  return host::sd_inq_file_status(path, kw("existence")).truthy();
}

bool contains(const std::vector<std::string>& keys, const std::string& key) {
  return std::find(keys.begin(), keys.end(), key) != keys.end();
}

// The keys are the dialog's own: a current-drawing run leaves the filter radios out, and
// toggle operations on them then do nothing. A setting the file never holds (the revision
// PDF, autotext) is not taken from a hand-written line either: it would switch on at every
// start without the user asking.
bool names_setting(const std::string& key) {
  return contains(standard_keys(), key);
}

void apply_setting(const std::string& key, const std::string& value) {
  const std::string control = dialog_control(key);
  if (host::sd_text_control_p(control)) {
    host::sd_set_text_control_value(control, {kw("text"), value, kw("seeend"), host::Value::t()});
  } else if (value == "1") {
    // Its action runs: a radio clears its partners, printing shows its controls.
    host::sd_set_togglebutton(control, true);
  } else {
    host::sd_reset_togglebutton(control, false);
  }
}

// Applies one line of the file; a line that sets nothing is reported with its place.
void load_line(const std::string& path, int number, std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (host::trim_blanks(line).empty()) return;
  const std::vector<std::string> pieces = split_fields(line);
  if (pieces.size() < 2) {
    host::display(
        host::located(path, number,
                      host::format(G_("kein \"|\" in der Zeile \"~A\", die Zeile wird übergangen"),
                                   std::string(line)),
                      line));
    return;
  }
  const std::string key = host::trim_blanks(pieces[0]);
  if (!names_setting(key)) {
    host::display(host::located(
        path, number, host::format(G_("unbekannte Einstellung \"~A\", die Zeile wird übergangen"), key),
        line));
    return;
  }
  apply_setting(key, host::trim_blanks(pieces[1]));
}

}  // namespace

std::string tv_read_value(const std::string& key) {
  const std::string control = dialog_control(key);
  if (host::sd_text_control_p(control)) {
    const host::Value v = host::sd_get_text_control_value(control, true);
    return v.is_string() ? v.as_string() : "";
  }
  return host::sd_togglebutton_set_p(control) ? "1" : "0";
}

bool tv_set_nil_or_t(const std::string& text) {
  return text == "1";
}

const std::vector<std::string>& standard_keys() {
  static const std::vector<std::string> keys = [] {
    std::vector<const JobRow*> stored;
    for (const JobRow& row : kJobTable)
      if (row.stored > 0) stored.push_back(&row);
    std::sort(stored.begin(), stored.end(),
              [](const JobRow* a, const JobRow* b) { return a->stored < b->stored; });
    std::vector<std::string> out;
    for (const JobRow* row : stored) out.emplace_back(row->key);
    return out;
  }();
  return keys;
}

void tv_store_standard() {
  std::string content;
  for (const std::string& key : standard_keys())
    content += host::format("~A|~A", key, tv_read_value(key)) + "\n";
  // A file that could not be written is the host's error to show, never a confirmation.
  const std::optional<host::Value> path = host::guarded(
      [&] {
        const std::string target = g().tavrin_admin ? shared_copy() : user_copy();
        host::write_file_atomically(target, content);
        return host::Value(target);
      },
      host::OnError::Show);
  if (path)
    host::sd_display_message(host::format("~A~% ~A", lang_text(16), *path),
                             host::Severity::Information);
}

void tv_load_standard() {
  // A profile directory that cannot be had is no user copy.
  const std::optional<host::Value> user =
      g().tavrin_admin
          ? std::nullopt
          : host::guarded([] { return host::Value(user_copy()); }, host::OnError::Silent);
  const std::string path = (user && exists(user->as_string())) ? user->as_string() : shared_copy();
  // Without any copy the dialog stays as reset; the user is told so in the dialog's language,
  // with the file that is missing.
  const std::optional<host::Value> content =
      host::guarded([&] { return host::Value(host::read_file(path)); }, host::OnError::Silent);
  if (!content) {
    host::sd_display_message(
        host::format(
            G_("Keine Standardeinstellungen: ~A kann nicht gelesen werden.~%Bitte die "
               "Einstellungen wählen und als Standard speichern."),
            path),
        host::Severity::Warning);
    return;
  }
  const std::string& text = content->as_string();
  int number = 1;
  for (std::size_t start = 0; start < text.size(); ++number) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    load_line(path, number, std::string_view(text).substr(start, end - start));
    start = end + 1;
  }
  any_filetype_selected();
}

}  // namespace tavrin
