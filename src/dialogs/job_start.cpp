// The driver's dialog glue: the start button's question, the two runs started from the main
// dialog, and the job settings read from its controls into what the engine runs.
#include "dialogs/job_start.h"

#include "base/job_table.h"
#include "config/autotext.h"
#include "config/language.h"
#include "dialogs/job_settings.h"
#include "engine/engine.h"
#include "history/revision_pdf.h"
#include "host/api/host.h"
#include "host/api/language.h"

namespace tavrin {

namespace {

using host::kw;
using host::Value;

bool toggle(const SettingReader& read, Job job) {
  return tv_set_nil_or_t(read(job_key(job)));
}

bool is_real(const Value& v) {
  return v.is_number() && v.kind() != host::Kind::Complex;
}

// A sheet-selection field as the host reads it; nil when it cannot be read.
Value read_quietly(const std::string& text) {
  return host::guarded([&] { return host::read_literal(text); }, host::OnError::Silent)
      .value_or(Value());
}

// A limit that is not a number would make the comparison meaningless (and a sheet named
// like the text could match by accident): such a job is refused before anything runs.
void build_selection(const SettingReader& read, JobSettings& s) {
  if (s.blatt_alle) {
    s.selection = {Value::integer(0), ">"};
    return;
  }
  if (!s.blatt_groesser && !s.blatt_kleiner && !s.blatt_x) {
    // No stored standard chose a selection: say which choice is missing, not which field.
    s.selection_problem = host::format(
        G_("Blattauswahl: Es ist keine Auswahl getroffen. Bitte \"~A\", \"~A\", \"~A\" oder "
           "\"~A\" wählen.~%Der Auftrag wurde nicht gestartet."),
        lang_text(job_row(Job::BlattAlle).lang_text),
        lang_text(job_row(Job::BlattGroesser).lang_text),
        lang_text(job_row(Job::BlattKleiner).lang_text), lang_text(job_row(Job::BlattX).lang_text));
    return;
  }
  Job field = Job::BlattXTx;
  std::string op = "=";
  if (s.blatt_groesser) {
    field = Job::BlattGroesserTx;
    op = ">";
  } else if (s.blatt_kleiner) {
    field = Job::BlattKleinerTx;
    op = "<";
  }
  const std::string text = read(job_key(field));
  const Value limit = read_quietly(text);
  if (!is_real(limit)) {
    s.selection_problem = host::format(
        G_("Blattauswahl: Im Feld ~A steht keine Blattnummer: \"~A\".~%Der Auftrag wurde nicht "
           "gestartet."),
        job_key(field), text);
    return;
  }
  s.selection = {limit, op};
}

}  // namespace

DrawingSteps engine_steps() {
  return {set_autotext_to_drawing, speichern_alle_blaetter, drucken_alle_blaetter,
          create_aenderungs_pdf, load_subpart_drawing};
}

JobSettings read_job_settings(const SettingReader& read, const std::function<void()>& between) {
  JobSettings s;
  s.store_dxf = toggle(read, Job::StoreDxf);
  s.store_mi = toggle(read, Job::StoreMi);
  s.store_pdf = toggle(read, Job::StorePdf);
  s.drucken = toggle(read, Job::Drucken);
  s.blatt_alle = toggle(read, Job::BlattAlle);
  s.blatt_groesser = toggle(read, Job::BlattGroesser);
  s.blatt_kleiner = toggle(read, Job::BlattKleiner);
  s.blatt_x = toggle(read, Job::BlattX);
  if (between) between();
  s.autotext = toggle(read, Job::AutotextAn);
  // Only "1" switches the revision PDF on; "0" must not produce one.
  s.aenderung = toggle(read, Job::StoreAenderung);
  if (s.drucken || s.store_pdf) {
    s.einpassen = toggle(read, Job::Einpassen);
    s.auto_plotter = toggle(read, Job::AutoPlotter);
    s.firma = Value(read(job_key(Job::Firma)));
    if (s.einpassen) s.format = Value(read(job_key(Job::Format)));
    if (!s.auto_plotter) s.drucker = Value(read(job_key(Job::Drucker)));
  }
  build_selection(read, s);
  return s;
}

Value run_batch_dialog(const std::vector<std::string>& files, const SettingReader& read,
                       const DrawingSteps& steps) {
  return run_batch_job(files, read_job_settings(read), steps);
}

Value run_now_dialog(const SettingReader& read, const DrawingSteps& steps) {
  const JobSettings s =
      read_job_settings(read, [] { g().file_ladename = host::sd_am_inq_drawing_no(); });
  return run_now_job(s, steps);
}

Value tavrin() {
  const std::string question =
      g().tavrin_modus
          ? lang_text(20)
          : host::format("~A: ~A", lang_text(21), host::sd_get_current_working_directory());
  const Value answer = host::sd_display_question(
      question, {kw("push-1"), Value(lang_text(22)), kw("push-2"), Value(lang_text(23))});
  if (!answer.is_keyword("yes")) return Value();
  return host::sd_call_dialog(g().tavrin_modus ? "TV-BATCH-DIALOG" : "TV-NOW-DIALOG");
}

Value tavrin_batch_exe() {
  return run_batch_dialog(create_filelist(), tv_read_value, engine_steps());
}

Value tavrin_now_exe() {
  return run_now_dialog(tv_read_value, engine_steps());
}

}  // namespace tavrin
