// Building the main dialog: every control at its cell, with its title and its action.
#include "dialogs/main_dialog.h"

#include "base/globals.h"
#include "base/job_table.h"
#include "config/autotext.h"
#include "config/language.h"
#include "dialogs/dialog_ids.h"
#include "dialogs/file_list.h"
#include "dialogs/job_settings.h"
#include "dialogs/job_start.h"
#include "host/api/host.h"
#include "host/api/language.h"

namespace tavrin {

namespace {

using host::kw;
using host::List;
using host::Value;

// The first free row below the BLATT row: right below it in a current-drawing run, below
// the file table (rows 28 to 135) in a directory run.
constexpr int kButtonRowNow = 28;
constexpr int kButtonRowBatch = 136;
constexpr int kBlattRow = 23;

struct Cell {
  int x, y, width, height;
};

List placed(const Cell& c, List more) {
  List args{kw("parent"), kMainGrid,   kw("x"), c.x,          kw("y"),
            c.y,          kw("width"), c.width, kw("height"), c.height};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// A setting's title: its language text, or the title the table gives.
std::string title_of(Job job) {
  const JobRow& row = job_row(job);
  return row.lang_text != 0 ? lang_text(row.lang_text) : G_(row.title);
}

void label(const std::string& key, const std::string& title, const Cell& c) {
  host::sd_create_label_control(dialog_control(key),
                                placed(c, {kw("title"), title, kw("alignment"), kw("left")}));
}

void separator(const std::string& key, int y) {
  host::sd_create_separator_control(dialog_control(key), placed({0, y, 80, 1}, {}));
}

// A toggle whose push and release actions are the same function.
void toggle(Job job, const Cell& c, const Value& action) {
  const char* indicator = job_row(job).control == Control::Radio ? "radio" : "check";
  host::sd_create_togglebutton_control(
      job_control(job), placed(c, {kw("title"), title_of(job), kw("indicator"), kw(indicator),
                                   kw("pushaction"), action, kw("releaseaction"), action}));
}

List entries(const std::vector<std::string>& texts) {
  List out;
  for (const std::string& t : texts) out.push_back(t);
  return out;
}

// Choice only from the list: nothing typed, nothing added.
void drop_down(Job job, const std::vector<std::string>& range, const Cell& c) {
  host::sd_create_text_control(
      job_control(job),
      placed(c, {kw("editable"), Value(), kw("range"), entries(range), kw("autoadd"), Value()}));
}

void sheet_field(Job job, const Cell& c) {
  host::sd_create_text_control(
      job_control(job),
      placed(c, {kw("editable"), Value::t(), kw("multiline"), Value(), kw("focusmarking"), Value(),
                 kw("modifiedmarking"), Value(), kw("wordwrap"), Value()}));
}

void close_main_dialog() {
  host::sd_hide_dialog_shell("TAVRIN-AUTOTEXT-DIALOG");
  host::sd_hide_dialog_shell(kMainShell);
}

void create_frame(bool batch) {
  host::sd_create_image("START-IMAGE",
                        {kw("file"), host::format("~A/ICONS/Start.bmp", g().tavrin_path)});
  host::sd_create_image("STORE-STANDARD-IMAGE",
                        {kw("file"), host::format("~A/ICONS/Store_Standard.bmp", g().tavrin_path)});
  host::sd_create_dialog_shell(
      kMainShell, {kw("title"), g().tavrin_version, kw("bottomline"), Value(), kw("closeaction"),
                   action_of(close_main_dialog)});
  host::sd_append_area("TAVRIN-DIALOG-1-AA", {kw("parent"), "TAVRIN-DIALOG-AA", kw("margin"), 1,
                                              kw("titlecolor"), "#ffff00"});
  host::sd_append_grid_area(
      kMainGrid, {kw("parent"), "TAVRIN-DIALOG-1-AA", kw("width"), 400, kw("height"),
                  batch ? 730 : 190, kw("cellsize"), List{5.0, 5.0}, kw("titlecolor"), "#ffffff"});
}

void create_output_rows() {
  label("SPEICHERN-LB", lang_text(4), {0, 0, 11, 5});
  toggle(Job::StoreMi, {12, 0, 10, 5}, Value());
  toggle(Job::StoreDxf, {24, 0, 10, 5}, Value());
  toggle(Job::StorePdf, {36, 0, 10, 5}, action_of(switch_pdf));
  separator("AENDERUNG-SE", 5);
  toggle(Job::StoreAenderung, {0, 6, 100, 5}, Value());
}

void create_print_rows() {
  separator("DRUCKEN-SE", 11);
  label("DRUCKEN-LB", lang_text(5), {0, 12, 10, 5});
  toggle(Job::AutoPlotter, {12, 12, 30, 5}, action_of(switch_druckerwahl));
  drop_down(Job::Drucker, g().plotter_names, {45, 12, 35, 5});
  toggle(Job::Drucken, {3, 17, 3, 5}, action_of(switch_drucken));
  toggle(Job::Einpassen, {12, 17, 13, 5}, action_of(switch_einpassen));
  drop_down(Job::Format, g().plot_fit_formats, {26, 17, 18, 5});
  drop_down(Job::Firma, g().plotstyle_list, {45, 17, 35, 5});
}

Value blaetter(const char* name) {
  return action_of([name] { switch_blaetter(name); });
}

void create_sheet_row() {
  separator("BLATT-SE", 22);
  label("BLATT-LB", lang_text(7), {0, kBlattRow, 10, 5});
  toggle(Job::BlattAlle, {12, kBlattRow, 7, 5}, blaetter("ALLE"));
  toggle(Job::BlattGroesser, {20, kBlattRow, 16, 5}, blaetter("GROESSER"));
  sheet_field(Job::BlattGroesserTx, {36, kBlattRow, 7, 5});
  toggle(Job::BlattKleiner, {43, kBlattRow, 14, 5}, blaetter("KLEINER"));
  sheet_field(Job::BlattKleinerTx, {57, kBlattRow, 7, 5});
  toggle(Job::BlattX, {64, kBlattRow, 12, 5}, blaetter("X"));
  sheet_field(Job::BlattXTx, {76, kBlattRow, 4, 5});
}

void create_button_rows(int b) {
  host::sd_create_pushbutton_control(
      dialog_control(kStoreStandardButton),
      placed({0, b, 20, 10}, {kw("image"), "STORE-STANDARD-IMAGE", kw("alignment"), kw("center"),
                              kw("pushaction"), action_of(tv_store_standard)}));
  host::sd_create_pushbutton_control(
      dialog_control("START-PB"),
      placed({20, b, 40, 10}, {kw("title"), "", kw("image"), "START-IMAGE", kw("alignment"),
                               kw("center"), kw("pushaction"), action_of([] { tavrin(); })}));
  label("AUTOTEXT-LB", lang_text(35), {65, b + 1, 15, 5});
  toggle(Job::AutotextAn, {62, b + 5, 8, 5}, action_of([] { autotext_switch(1); }));
  toggle(Job::AutotextAus, {70, b + 5, 10, 5}, action_of([] { autotext_switch(0); }));
}

void show_or_hide(const std::string& key, bool shown) {
  if (shown) {
    host::sd_show_control(dialog_control(key));
  } else {
    host::sd_hide_control(dialog_control(key));
  }
}

bool is_on(const std::string& key) {
  return host::sd_togglebutton_set_p(dialog_control(key));
}

}  // namespace

void tavrin_dialog() {
  const bool batch = g().tavrin_modus;
  create_frame(batch);
  create_output_rows();
  create_print_rows();
  create_sheet_row();
  if (batch) {
    batch_zusatz_dialog(kBlattRow);
    // A fresh list at once: marks of an earlier dialog must never reach this run, even when
    // no standard can be loaded to rebuild it.
    tv_read_directory("");
  }
  create_button_rows(batch ? kButtonRowBatch : kButtonRowNow);
  host::sd_show_dialog_shell(
      kMainShell, {kw("position"), List{"TOP-MENU-TOOLBOX-TB", kw("bottomleft"), 10, 10}});
  tv_reset_dialog();
}

void tv_reset_dialog() {
  host::sd_reset_togglebutton(dialog_control("DRUCKEN-TB"), true);
  host::sd_reset_togglebutton(dialog_control("EINPASSEN-TB"), true);
  autotext_switch(0);
}

void switch_drucken() {
  if (!is_on("DRUCKEN-TB")) {
    show_or_hide("AUTO-PLOTTER-SELECT-TB", false);
    if (!is_on("STORE-PDF-TB")) show_or_hide("FIRMA-TX", false);
    show_or_hide("EINPASSEN-TB", false);
    show_or_hide("DRUCKER-TX", false);
    show_or_hide("FORMAT-TX", false);
    return;
  }
  show_or_hide("AUTO-PLOTTER-SELECT-TB", true);
  show_or_hide("FIRMA-TX", true);
  show_or_hide("EINPASSEN-TB", true);
  switch_druckerwahl();
  switch_einpassen();
}

void switch_pdf() {
  // With printing on, the plot style stays visible whatever PDF says.
  if (is_on("DRUCKEN-TB")) return;
  show_or_hide("FIRMA-TX", is_on("STORE-PDF-TB"));
}

void switch_druckerwahl() {
  show_or_hide("DRUCKER-TX", !is_on("AUTO-PLOTTER-SELECT-TB"));
}

void switch_einpassen() {
  show_or_hide("FORMAT-TX", is_on("EINPASSEN-TB") && is_on("DRUCKEN-TB"));
}

void switch_blaetter(const std::string& name) {
  for (const char* key : {"BLATT-ALLE-TB", "BLATT-GROESSER-TB", "BLATT-KLEINER-TB", "BLATT-X-TB"}) {
    host::sd_reset_togglebutton(dialog_control(key), false);
  }
  host::sd_set_togglebutton(host::format("TAVRIN-DIALOG-BLATT-~A-TB", name), false);
}

}  // namespace tavrin
