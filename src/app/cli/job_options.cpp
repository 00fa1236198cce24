// Job options as clicks and entries in the main dialog.
#include "job_options.h"

#include <CLI/CLI.hpp>
#include <string>

#include "host/api/error.h"
#include "host/api/ui_ops.h"
#include "host/api/front_end.h"

namespace cli {

namespace {

std::string control(const std::string& key) { return "TAVRIN-DIALOG-" + key; }

void add_switch(CLI::App& cmd, const std::string& name, std::optional<bool>& target,
                const std::string& what) {
  cmd.add_flag_callback("--" + name, [&target] { target = true; }, "switch " + what + " on");
  cmd.add_flag_callback("--no-" + name, [&target] { target = false; }, "switch " + what + " off");
}

// Sets a check toggle to the wanted state with a click, so its action runs as for a person.
void set_toggle(const std::string& key, bool on) {
  if (host::sd_togglebutton_set_p(control(key)) != on) host::ui::click_toggle(control(key));
}

// Selects a radio toggle: a click on an unset radio sets it and runs its action.
void select_radio(const std::string& key) {
  if (!host::sd_togglebutton_set_p(control(key))) host::ui::click_toggle(control(key));
}

void require_visible(const std::string& key, const std::string& option, const std::string& why) {
  if (!host::sd_control_visible_p(control(key))) {
    throw host::Error(option + ": " + why);
  }
}

void apply_sheets(const std::string& spec) {
  if (spec == "all") {
    select_radio("BLATT-ALLE-TB");
    return;
  }
  std::string op = "=";
  std::string number = spec;
  if (!spec.empty() && (spec[0] == '>' || spec[0] == '<' || spec[0] == '=')) {
    op = spec.substr(0, 1);
    number = spec.substr(1);
  }
  if (number.empty()) throw host::Error("--sheets " + spec + ": a sheet number is missing");
  const std::string name = op == ">" ? "GROESSER" : op == "<" ? "KLEINER" : "X";
  host::ui::type_text(control("BLATT-" + name + "-TX"), number);
  select_radio("BLATT-" + name + "-TB");
}

// The autotext row whose (invisible) INFO label carries the name; -1 when none does.
int autotext_row(const std::string& info, std::string& known) {
  for (int y = 0; host::sd_control_exists_p(host::format("TAVRIN-AUTOTEXT-DIALOG-~A-LB", y)); y += 5) {
    const std::string name = host::sd_get_control_title(host::format("TAVRIN-AUTOTEXT-DIALOG-~A-INFO-LB", y));
    if (name == info) return y;
    known += (known.empty() ? "" : ", ") + name;
  }
  return -1;
}

void apply_autotext(const std::vector<std::string>& entries) {
  if (entries.empty()) return;
  select_radio("AUTOTEXT-AN-TB");
  for (const std::string& entry : entries) {
    const auto eq = entry.find('=');
    if (eq == std::string::npos || eq == 0) {
      throw host::Error("--autotext " + entry + ": expected INFO=VALUE");
    }
    const std::string info = entry.substr(0, eq);
    const std::string value = entry.substr(eq + 1);
    std::string known;
    const int y = autotext_row(info, known);
    if (y < 0) {
      throw host::Error("--autotext: no title-block field carries the INFO name " + info +
                        " (offered: " + (known.empty() ? "none" : known) + ")");
    }
    const std::string toggle = host::format("TAVRIN-AUTOTEXT-DIALOG-~A-TB", y);
    if (!host::sd_togglebutton_set_p(toggle)) host::ui::click_toggle(toggle);
    host::ui::pick_entry(host::format("TAVRIN-AUTOTEXT-DIALOG-~A-TX", y), value);
  }
}

}  // namespace

void add_job_options(CLI::App& cmd, JobOptions& o) {
  add_switch(cmd, "mi", o.mi, "saving each selected sheet as an MI file");
  add_switch(cmd, "dxf", o.dxf, "saving each selected sheet as a DXF file");
  add_switch(cmd, "pdf", o.pdf, "writing a PDF file per selected sheet");
  add_switch(cmd, "history-pdf", o.history_pdf,
             "writing the change history of each drawing as a revision PDF");
  add_switch(cmd, "print", o.print, "printing each selected sheet");
  cmd.add_option("--plotter", o.plotter,
                 "print on this printer (switches automatic printer selection off)");
  cmd.add_flag("--auto-plotter", o.auto_plotter,
               "choose the printer per sheet from the printer table by the sheet's format");
  cmd.add_option("--fit", o.fit, "fit every printed sheet into this paper format");
  cmd.add_option("--style", o.style, "pen style (plot style) for printing and PDF");
  cmd.add_option("--sheets", o.sheets,
                 "which sheets: all, >N (numbers greater than N), <N, =N or N (exactly N)");
  cmd.add_option("--autotext", o.autotext,
                 "stamp VALUE into the title-block texts carrying the INFO name (INFO=VALUE; "
                 "repeatable)");
  cmd.add_flag("--store-standard", o.store_standard,
               "store the resulting settings as the standard (the shared copy with --admin)");
}

void apply_job_options(const JobOptions& o) {
  if (o.mi) set_toggle("STORE-MI-TB", *o.mi);
  if (o.dxf) set_toggle("STORE-DXF-TB", *o.dxf);
  if (o.pdf) set_toggle("STORE-PDF-TB", *o.pdf);
  if (o.history_pdf) set_toggle("STORE-AENDERUNG-TB", *o.history_pdf);
  if (o.print) set_toggle("DRUCKEN-TB", *o.print);
  if (o.plotter || o.auto_plotter) {
    require_visible("AUTO-PLOTTER-SELECT-TB", o.plotter ? "--plotter" : "--auto-plotter",
                    "the printer is chosen only while printing is on (--print)");
    set_toggle("AUTO-PLOTTER-SELECT-TB", !o.plotter.has_value());
    if (o.plotter) host::ui::pick_entry(control("DRUCKER-TX"), *o.plotter);
  }
  if (o.fit) {
    require_visible("EINPASSEN-TB", "--fit", "fitting applies to printing only (--print)");
    set_toggle("EINPASSEN-TB", true);
    host::ui::pick_entry(control("FORMAT-TX"), *o.fit);
  }
  if (o.style) {
    require_visible("FIRMA-TX", "--style", "the pen style is used only for printing or PDF");
    host::ui::pick_entry(control("FIRMA-TX"), *o.style);
  }
  if (o.sheets) apply_sheets(*o.sheets);
  apply_autotext(o.autotext);
  if (o.store_standard) host::ui::press_button(control("STORE-KONFIG-PB"));
}

}  // namespace cli
