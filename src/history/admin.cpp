// The administrator commands: the table files in the host's editor, the regenerated printer
// and style tables, and the INFO template with its marker.
#include "history/admin.h"

#include "base/globals.h"
#include "config/language.h"
#include "config/tables.h"
#include "history/info_record.h"
#include "host/api/host.h"
#include "host/api/language.h"

namespace tavrin {

namespace {

using host::kw;
using host::List;
using host::Value;

constexpr const char* kInfoShell = "TAVRIN-INFO-DIALOG";
constexpr const char* kInfoText = "TAVRIN-INFO-DIALOG-INFOTEXT-TX";
constexpr const char* kNoFrame = "docu_none_frame";

std::string info_template_path() {
  return host::format("~A/TABELLEN/INFO.mi", g().tavrin_path);
}

std::optional<Value> shown_on_error(const std::function<Value()>& op) {
  return host::guarded(op, host::OnError::Show);
}

void define(const std::string& name, std::function<void()> action) {
  host::DialogSpec spec;
  spec.name = name;
  spec.ok_action = [action = std::move(action)](const List&) {
    action();
    return Value();
  };
  host::define_dialog(std::move(spec));
}

constexpr const char* kWorkingSheetGone =
    GN_("Das Blatt mit der INFO-Vorlage ist in der aktuellen Zeichnung nicht mehr vorhanden; "
        "die Vorlage wurde nicht gespeichert");

// The sheet that holds the INFO sketch being edited ("<sheet>/INFO" names it), while it is a
// sheet of the current drawing: after another drawing was loaded, or the sheet deleted, the
// name may stand for a sheet that has nothing to do with the template.
std::optional<std::string> working_sheet() {
  if (!g().kpl_info_name.is_string()) return std::nullopt;
  for (const Value& sheet : host::sd_am_inq_all_sheets()) {
    if (sheet == g().kpl_info_sheet) return host::print_text(host::sd_am_inq_sheet(sheet).at(0));
  }
  return std::nullopt;
}

// Makes the working sheet current; false when it is gone or cannot be made current.
bool working_sheet_made_current() {
  const auto name = working_sheet();
  return name &&
         host::guarded([&] { return host::am_current_sheet(*name); }, host::OnError::Silent) &&
         host::sd_am_inq_curr_sheet() == g().kpl_info_sheet;
}

void load_info_template(const std::string& path) {
  if (!drawing_loaded()) {
    shown_on_error([&] { return host::am_load_any_mi({kw("filename"), path}); });
    return;
  }
  shown_on_error([] {
    return host::am_sheet_create({kw("frame-type"), kw(kNoFrame), kw("view_scale"), "1:1"});
  });
  shown_on_error([&] {
    return host::am_load_sketch({kw("owner"), kw("current_sheet"), kw("adjust"), 5, kw("filename"),
                                 path, Value::point(0, 0)});
  });
}

void create_info_window() {
  host::sd_create_dialog_shell(kInfoShell, {kw("title"), G_("ÄnderungsFeld"), kw("bottomline"), Value(),
                                            kw("closeaction"), "TV-ADMIN-INFO-CANCEL-DIALOG"});
  host::sd_append_area("TAVRIN-INFO-DIALOG-1-AA",
                       {kw("parent"), kInfoShell, kw("margin"), 1, kw("titlecolor"), "#ffff00"});
  host::sd_append_grid_area("TAVRIN-INFO-DIALOG-11-GA",
                            {kw("parent"), "TAVRIN-INFO-DIALOG-1-AA", kw("cellsize"), List{5, 5},
                             kw("titlecolor"), "#ffffff"});
  const char* grid = "TAVRIN-INFO-DIALOG-11-GA";
  host::sd_create_label_control("TAVRIN-INFO-DIALOG-ZEILE-LB",
                                {kw("parent"), grid, kw("title"), "Erste Zeile", kw("x"), 0,
                                 kw("y"), 0, kw("width"), 40, kw("height"), 5});
  host::sd_create_text_control(kInfoText, {kw("parent"),
                                           grid,
                                           kw("editable"),
                                           Value::t(),
                                           kw("showfocus"),
                                           Value(),
                                           kw("showmodified"),
                                           Value(),
                                           kw("autowrap"),
                                           Value(),
                                           kw("multiline"),
                                           Value(),
                                           kw("x"),
                                           0,
                                           kw("y"),
                                           5,
                                           kw("width"),
                                           40,
                                           kw("height"),
                                           5});
  host::sd_create_pushbutton_control(
      "TAVRIN-INFO-DIALOG-STORE-PB",
      {kw("parent"), grid, kw("title"), "Speichern", kw("alignment"), kw("center"), kw("x"), 0,
       kw("y"), 11, kw("width"), 20, kw("height"), 5, kw("pushaction"),
       "TV-ADMIN-INFO-FINISH-DIALOG"});
  host::sd_create_pushbutton_control(
      "TAVRIN-INFO-DIALOG-CANCEL-PB",
      {kw("parent"), grid, kw("title"), "Abbrechen", kw("alignment"), kw("center"), kw("x"), 20,
       kw("y"), 11, kw("width"), 20, kw("height"), 5, kw("pushaction"),
       "TV-ADMIN-INFO-CANCEL-DIALOG"});
}

void store_marker(const std::string& text) {
  shown_on_error([&] {
    host::write_file_atomically(host::format("~A/TABELLEN/TavrinInfo.dat", g().tavrin_path),
                                host::format("~A~%", text));
    return Value::t();
  });
}

}  // namespace

void register_admin_dialogs() {
  define("TV-ADMIN-DIALOG", tv_admin);
  define("TV-ADMIN-FORMAT-DIALOG", [] { tv_admin_edit("TavrinFormat.dat"); });
  define("TV-ADMIN-PLOTTER-FORMAT-NAME-DIALOG",
         [] { tv_admin_edit("TavrinPlotterFormatNames.dat"); });
  define("TV-ADMIN-TRANSFORM-DIALOG", [] { tv_admin_edit("TavrinPlotSyles.dat"); });
  define("TV-ADMIN-PLOTTER-DIALOG", [] { tv_admin_edit("TavrinPlotter.dat"); });
  define("TV-ADMIN-INFO-DIALOG", tv_admin_info_dialog);
  define("TV-ADMIN-INFO-FINISH-DIALOG", tv_admin_info_finish);
  define("TV-ADMIN-INFO-CANCEL-DIALOG", tv_admin_info_cancel);
}

Value tv_admin_edit(const std::string& name) {
  const std::string path = host::format("~A/TABELLEN/~A", g().tavrin_path, name);
  return shown_on_error([&] { return host::edit(path); }).value_or(Value());
}

void tv_admin() {
  host::sd_display_message(
      host::format("~A~% TavrinPlotter.dat~%TavrinPlotSyles.dat~%~A", lang_text(33), lang_text(34)),
      host::Severity::Information);
  // Both files are written only when the system could be asked: a failed inquiry must not
  // leave the tables half regenerated.
  const auto asked = shown_on_error([] {
    set_start_range_values();
    return Value::t();
  });
  if (!asked) return;
  shown_on_error([] {
    write_start_range_values_to_file();
    return Value::t();
  });
}

void tv_info_store_ui(const Value& first_line) {
  create_info_window();
  host::sd_set_text_control_value(kInfoText, {kw("text"), first_line, kw("seeend"), Value()});
  host::sd_show_dialog_shell(
      kInfoShell, {kw("position"), List{"TOP-MENU-TOOLBOX-TB", kw("bottomleft"), 10, 10}});
}

void tv_admin_info_dialog() {
  const std::string path = info_template_path();
  g().kpl_info_name = Value();
  load_info_template(path);
  Value first_line;
  if (found(am_info_findinfo(1))) {
    const List attributes = host::sd_am_inq_info_attributes(g().info_element);
    if (!attributes.empty()) first_line = attributes.front();
  }
  g().kpl_info_name = Value(host::format("~A/INFO", host::sd_am_inq_curr_sheet_name()));
  g().kpl_info_sheet = host::sd_am_inq_curr_sheet();
  tv_info_store_ui(first_line);
}

void tv_admin_info_finish() {
  // Only a text found on the working sheet now is changed: an element remembered from an
  // earlier search may belong to another drawing or sheet, and so may a sheet of that name.
  if (!working_sheet_made_current()) {
    host::sd_display_message(G_(kWorkingSheetGone));
    tv_admin_info_cancel();
    return;
  }
  if (!found(am_info_findinfo(1))) {
    host::sd_display_message(G_(kInfoNotFound));
    tv_admin_info_cancel();
    return;
  }
  const Value element = g().info_element;
  shown_on_error([&] { return host::sd_am_delete_all_info_attributes(element); });
  const Value value = host::sd_get_text_control_value(kInfoText);
  const std::string text = value.is_string() ? value.as_string() : "";
  shown_on_error([&] { return host::sd_am_add_info_attributes({Value(text)}, element); });
  const auto saved = shown_on_error([&] {
    return host::am_save_sketch({kw("sketch"), g().kpl_info_name, kw("filename"),
                                 info_template_path(), kw("overwrite"), kw("filename-incl-path"),
                                 Value::t()});
  });
  // A marker without its template would find no field placed from then on.
  if (saved) store_marker(text);
  tv_admin_info_cancel();
  get_info_string_from_file();
}

void tv_admin_info_cancel() {
  const auto sheet = working_sheet();
  // Nothing is being edited any more; a second close must not remove another sheet.
  g().kpl_info_name = Value();
  g().kpl_info_sheet = Value();
  // The working sheet goes, even when another sheet has been made current meanwhile; a sheet
  // of another drawing stays.
  if (sheet) {
    host::guarded(
        [&] {
          return host::am_sheet_delete({kw("delete_sheet"), *sheet});
        },
        host::OnError::Show);
  }
  host::guarded(
      [] {
        host::sd_hide_dialog_shell(kInfoShell);
        return Value::t();
      },
      host::OnError::Silent);
}

}  // namespace tavrin
