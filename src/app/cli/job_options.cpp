// Job options as clicks and entries in the main dialog, one per row of the job table.
#include "job_options.h"

#include <CLI/CLI.hpp>
#include <string>

#include "host/api/language.h"
#include "host/api/error.h"
#include "host/api/front_end.h"
#include "host/api/ui_ops.h"

namespace cli {

namespace {

using tavrin::Control;
using tavrin::Job;
using tavrin::job_control;
using tavrin::JobRow;
using tavrin::kJobTable;

constexpr std::size_t index_of(Job job) {
  return static_cast<std::size_t>(job);
}

// Sets a check to the wanted state with a click, so its action runs as for a person.
void set_check(const std::string& control, bool on) {
  if (host::sd_togglebutton_set_p(control) != on) host::ui::click_toggle(control);
}

// Selects a radio: a click on an unset radio sets it and runs its action.
void select_radio(Job job) {
  if (!host::sd_togglebutton_set_p(job_control(job))) host::ui::click_toggle(job_control(job));
}

std::string control_of(const char* key) {
  return "TAVRIN-DIALOG-" + std::string(key);
}

// The option's control (or the check it goes with) must be one a person could reach now.
void require_visible(const JobRow& row, const std::string& control) {
  if (!host::sd_control_visible_p(control)) {
    throw host::Error("--" + std::string(row.option) + ": " + _(tavrin::shown_reason(row.shown)));
  }
}

bool needs_printing(const JobRow& row) {
  return row.shown == tavrin::Shown::Printing || row.shown == tavrin::Shown::Fitting ||
         row.shown == tavrin::Shown::ManualPrinter;
}

void apply_sheets(const std::string& spec) {
  if (spec == "all") {
    select_radio(Job::BlattAlle);
    return;
  }
  char op = '=';
  std::string number = spec;
  if (!spec.empty() && (spec[0] == '>' || spec[0] == '<' || spec[0] == '=')) {
    op = spec[0];
    number = spec.substr(1);
  }
  if (number.empty()) throw host::Error(host::translate_format("--sheets {}: a sheet number is missing", spec));
  const auto [radio, field] = op == '>'   ? std::pair{Job::BlattGroesser, Job::BlattGroesserTx}
                              : op == '<' ? std::pair{Job::BlattKleiner, Job::BlattKleinerTx}
                                          : std::pair{Job::BlattX, Job::BlattXTx};
  host::ui::type_text(job_control(field), number);
  select_radio(radio);
}

// The autotext row whose (invisible) INFO label carries the name; -1 when none does.
int autotext_row(const std::string& info, std::string& known) {
  for (int y = 0; host::sd_control_exists_p(tavrin::autotext_control(y, "LB"));
       y += tavrin::kAutotextRowStep) {
    const std::string name = host::sd_get_control_title(tavrin::autotext_control(y, "INFO-LB"));
    if (name == info) return y;
    known += (known.empty() ? "" : ", ") + name;
  }
  return -1;
}

void apply_autotext(const std::vector<std::string>& entries) {
  if (entries.empty()) return;
  select_radio(Job::AutotextAn);
  for (const std::string& entry : entries) {
    const auto eq = entry.find('=');
    if (eq == std::string::npos || eq == 0) {
      throw host::Error(host::translate_format("--autotext {}: expected INFO=VALUE", entry));
    }
    const std::string info = entry.substr(0, eq);
    std::string known;
    const int y = autotext_row(info, known);
    if (y < 0) {
      throw host::Error(host::translate_format(
          "--autotext: no title-block field carries the INFO name {} (offered: {})", info,
          known.empty() ? _("none") : known));
    }
    set_check(tavrin::autotext_control(y, "TB"), true);
    host::ui::pick_entry(tavrin::autotext_control(y, "TX"), entry.substr(eq + 1));
  }
}

// Without any sheet radio on (no standard file chose one), the run would be refused after
// Start; the command line says at once what to add.
void require_sheet_selection() {
  for (Job job : {Job::BlattAlle, Job::BlattGroesser, Job::BlattKleiner, Job::BlattX}) {
    if (host::sd_togglebutton_set_p(job_control(job))) return;
  }
  throw host::Error(
      _("no sheet selection: no standard settings choose which sheets to take; give --sheets "
        "(all, >N, <N or N)"));
}

}  // namespace

void add_job_options(CLI::App& cmd, JobOptions& o) {
  CLI::Option* no_print = nullptr;
  std::vector<CLI::Option*> printing_only;
  for (const JobRow& row : kJobTable) {
    if (row.option == nullptr) continue;
    const std::string name = row.option;
    const std::size_t i = index_of(row.job);
    if (row.control == Control::Check) {
      auto& target = o.checks[i];
      CLI::Option* on = cmd.add_flag_callback(
          "--" + name, [&target] { target = true; }, host::translate_format("switch {} on", _(row.help)));
      CLI::Option* off = cmd.add_flag_callback(
          "--no-" + name, [&target] { target = false; },
          host::translate_format("switch {} off", _(row.help)));
      on->excludes(off);
      if (row.job == Job::Drucken) no_print = off;
      if (needs_printing(row)) printing_only.push_back(on);
    } else {
      CLI::Option* opt = cmd.add_option("--" + name, o.choices[i], row.help);
      if (needs_printing(row)) printing_only.push_back(opt);
    }
  }
  // A choice tied to a check contradicts the option that sets that check the other way.
  for (const JobRow& row : kJobTable) {
    if (row.with_key == nullptr || row.option == nullptr) continue;
    for (const JobRow& check : kJobTable) {
      if (check.option == nullptr || std::string(check.key) != row.with_key) continue;
      const std::string against = (row.with_on ? "--no-" : "--") + std::string(check.option);
      cmd.get_option("--" + std::string(row.option))->excludes(against);
    }
  }
  if (no_print != nullptr) {
    for (CLI::Option* opt : printing_only) opt->excludes(no_print);
  }
  cmd.add_option("--sheets", o.sheets,
                 _("which sheets: all, >N (numbers greater than N), <N, =N or N (exactly N)"));
  cmd.add_option("--autotext", o.autotext,
                 _("stamp VALUE into the title-block texts carrying the INFO name (INFO=VALUE; "
                 "repeatable)"));
  cmd.add_flag("--store-standard", o.store_standard,
               _("store the resulting settings as the standard (the shared copy with --admin)"));
}

void apply_job_options(const JobOptions& o) {
  // In table order: printing is switched before the controls it shows are reached.
  // Checks that are always shown first: printing on shows the controls the others need.
  for (bool always : {true, false}) {
    for (const JobRow& row : kJobTable) {
      const std::optional<bool>& wanted = o.checks[index_of(row.job)];
      if (!wanted || (row.shown == tavrin::Shown::Always) != always) continue;
      require_visible(row, control_of(row.key));
      set_check(control_of(row.key), *wanted);
    }
  }
  for (const JobRow& row : kJobTable) {
    const std::optional<std::string>& entry = o.choices[index_of(row.job)];
    if (!entry) continue;
    if (row.with_key != nullptr) {
      require_visible(row, control_of(row.with_key));
      set_check(control_of(row.with_key), row.with_on);
    }
    require_visible(row, control_of(row.key));
    host::ui::pick_entry(control_of(row.key), *entry);
  }
  if (o.sheets) apply_sheets(*o.sheets);
  require_sheet_selection();
  apply_autotext(o.autotext);
  if (o.store_standard) host::ui::press_button(control_of(tavrin::kStoreStandardButton));
}

}  // namespace cli
