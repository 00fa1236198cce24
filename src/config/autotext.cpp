// Autotext: the file of title-block fields, the dialog that offers them, and stamping the
// chosen values into the current drawing.
#include "config/autotext.h"

#include <string_view>

#include "base/job_table.h"
#include "config/language.h"
#include "config/tables.h"
#include "host/api/host.h"
#include "host/api/language.h"
#include "host/api/text.h"

namespace tavrin {

namespace {

using host::kw;

constexpr const char* kShell = "TAVRIN-AUTOTEXT-DIALOG";
constexpr const char* kGrid = "TAVRIN-AUTOTEXT-DIALOG-11-GA";
constexpr int kRowCells = kAutotextRowStep;
constexpr int kRowPixels = 30;

std::string label_id(int y) {
  return autotext_control(y, "LB");
}
std::string toggle_id(int y) {
  return autotext_control(y, "TB");
}
std::string value_id(int y) {
  return autotext_control(y, "TX");
}
std::string info_id(int y) {
  return autotext_control(y, "INFO-LB");
}

// Rows are written by hand: a short row simply has empty fields.
std::string field(const Row& row, std::size_t index) {
  return index < row.size() ? row[index] : "";
}

// The editable flag is a token of the host language: NIL in any case forbids own values.
bool editable(const Row& row) {
  return host::upper(host::trim_blanks(field(row, 1))) != "NIL";
}

host::List proposals(const Row& row) {
  host::List values;
  for (std::size_t i = 3; i < row.size(); ++i) values.push_back(row[i]);
  return values;
}

host::Value eintrag_action(int y, bool flag) {
  return host::Value::function([y, flag](const host::List&) {
    autotext_eintrag(y, flag);
    return host::Value();
  });
}

// The command language doubles a quote inside a single-quoted text; a value escaped this way
// reaches the drawing exactly, whatever quotes or command words it holds.
std::string quoted_text(std::string_view text) {
  std::string out;
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out;
}

void create_containers(int rows) {
  host::sd_create_dialog_shell(kShell, {kw("title"), lang_text(35), kw("bottomline"), host::Value(),
                                        kw("areabackground"), kw("command")});
  host::sd_append_area(
      "TAVRIN-AUTOTEXT-DIALOG-1-AA",
      {kw("parent"), "TAVRIN-AUTOTEXT-DIALOG-AA", kw("frame"), host::Value(), kw("margin"), 1,
       kw("titlecolor"), "#ffff00", kw("background"), kw("option")});
  host::sd_append_grid_area(
      kGrid, {kw("parent"), "TAVRIN-AUTOTEXT-DIALOG-1-AA", kw("frame"), host::Value(), kw("width"),
              400, kw("height"), kRowPixels * rows, kw("cellsize"), host::List{5.0, 5.0},
              kw("titlecolor"), "#ffffff", kw("background"), kw("command")});
}

void create_row(const Row& row, int y) {
  host::sd_create_label_control(
      label_id(y), {kw("parent"), kGrid, kw("title"), field(row, 0), kw("alignment"), kw("left"),
                    kw("x"), 0, kw("y"), y, kw("width"), 25, kw("height"), 5});
  host::sd_create_text_control(
      value_id(y),
      {kw("parent"), kGrid, kw("x"), 45, kw("y"), y, kw("width"), 35, kw("height"), 5,
       kw("editable"), editable(row), kw("range"), proposals(row), kw("autoadd"), host::Value()});
  host::sd_hide_control(value_id(y));
  host::sd_create_togglebutton_control(
      toggle_id(y), {kw("parent"), kGrid, kw("title"), "", kw("indicator"), kw("radio"), kw("x"),
                     30, kw("y"), y, kw("width"), 15, kw("height"), 5, kw("pushaction"),
                     eintrag_action(y, true), kw("releaseaction"), eintrag_action(y, false)});
  // Placed beyond the grid's width: it carries the INFO name without showing it.
  host::sd_create_label_control(
      info_id(y), {kw("parent"), kGrid, kw("title"), field(row, 2), kw("alignment"), kw("left"),
                   kw("x"), 500, kw("y"), y, kw("width"), 25, kw("height"), 5});
}

}  // namespace

std::vector<Row> tv_load_autotext() {
  std::string path = host::format("~A/TABELLEN/TavrinAutotext.dat", g().tavrin_path);
  // An English run reads the English labels beside the German file when the installation has
  // them; the INFO names, which the drawings carry, are the same in both.
  const std::string english = host::format("~A/TABELLEN/TavrinAutotext_en.dat", g().tavrin_path);
  if (host::run_language() == host::Language::en &&
      host::sd_inq_file_status(english, kw("existence")).truthy()) {
    path = english;
  }
  if (!host::sd_inq_file_status(path, kw("existence")).truthy()) return {};
  const std::string content = host::read_file(path);
  std::vector<Row> rows;
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string_view line(content.data() + start, end - start);
    // Only the line end goes; the line itself stays as written.
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    rows.push_back(split_fields(line));
    start = end + 1;
  }
  if (!rows.empty()) rows.erase(rows.begin());  // the administrator's header
  return rows;
}

void tavrin_autotext_dialog() {
  g().autotextliste = tv_load_autotext();
  const std::vector<Row>& rows = g().autotextliste;
  create_containers(static_cast<int>(rows.size()));
  int y = 0;
  for (const Row& row : rows) {
    create_row(row, y);
    y += kRowCells;
  }
  host::sd_show_dialog_shell(
      kShell, {kw("position"), host::List{"TOP-MENU-TOOLBOX-TB", kw("bottomleft"), 10, 10}});
}

void autotext_eintrag(int y, bool flag) {
  if (flag) {
    host::sd_show_control(value_id(y));
  } else {
    host::sd_hide_control(value_id(y));
  }
}

void autotext_switch(int zeiger) {
  host::sd_reset_togglebutton("TAVRIN-DIALOG-AUTOTEXT-AN-TB", false);
  host::sd_reset_togglebutton("TAVRIN-DIALOG-AUTOTEXT-AUS-TB", false);
  if (zeiger == 0) {
    host::sd_set_togglebutton("TAVRIN-DIALOG-AUTOTEXT-AUS-TB", false);
    host::sd_hide_dialog_shell(kShell);
  } else if (zeiger == 1) {
    host::sd_set_togglebutton("TAVRIN-DIALOG-AUTOTEXT-AN-TB", false);
    tavrin_autotext_dialog();
  }
}

void set_autotext_to_drawing() {
  for (int y = 0; host::sd_control_visible_p(label_id(y)); y += kRowCells) {
    if (!host::sd_control_visible_p(value_id(y))) continue;
    const host::Value value = host::sd_get_text_control_value(value_id(y), true);
    const std::string text = value.is_string() ? value.as_string() : "";
    const std::string info = host::sd_get_control_title(info_id(y));
    const std::string line = host::format("CHANGE_TEXT '~A' GLOBAL INFOS '~A' END",
                                          quoted_text(text), quoted_text(info));
    // A refused line must not end the run: it is reported (and counted) and the next row
    // still applies.
    host::guarded(
        [&] {
          return host::sd_execute_annotator_command({kw("cmd"), line});
        },
        host::OnError::Report);
  }
}

}  // namespace tavrin
