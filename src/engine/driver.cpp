// The plot job driver: asks, reads the job settings, walks the drawings, queues the empty
// drawing at the end.
#include "engine/driver.h"

#include "config/autotext.h"
#include "config/language.h"
#include "config/tables.h"
#include "engine/engine.h"
#include "host/api/runs.h"
#include "host/api/host.h"
#include "host/api/text.h"
#include "host/api/language.h"

namespace tavrin {

namespace {

using host::kw;
using host::List;
using host::Value;

constexpr const char* kBatchClosingLine =
    "am_create_drawing  :YES  :owner  :drawing_type  :2D_PROCESS   cancel";
constexpr const char* kNowClosingLine =
    "am_create_drawing  :YES  :owner  :drawing_type  :2D_PROCESS cancel";

// A sheet name or a selection field as the host reads it; nil when it cannot be read.
Value read_quietly(const std::string& text) {
  return host::guarded([&] { return host::read_literal(text); }, host::OnError::Silent)
      .value_or(Value());
}

bool is_real(const Value& v) {
  return v.is_number() && v.kind() != host::Kind::Complex;
}

void refuse_job(const JobSettings& s) {
  host::sd_display_message(*s.selection_problem);
  host::count_problem();
}

bool ends_in_bdl(const std::string& path) {
  if (path.size() < 3) return false;
  std::string tail = path.substr(path.size() - 3);
  for (char& c : tail) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return tail == "bdl";
}

// Loads one listed file in place of the previous drawing. False when nothing of the file
// could be loaded; the reason has been shown or reported and counted.
bool load_job_file(const std::string& path, const DrawingSteps& steps) {
  if (host::sd_am_inq_drawing_no().truthy()) {
    host::guarded(
        [] {
          return host::am_drawing_delete({kw("dwg"), kw("yes")});
        },
        host::OnError::Warn);
  }
  const Value size = host::sd_inq_file_size(path);
  if (!is_real(size) || host::numeric_compare(size, Value::integer(1)) <= 0) {
    host::display(host::format(G_("~A konnte nicht geladen werden"), host::trim_blanks(path)));
    host::count_problem();
    return false;
  }
  // Plotted all the same: an archive run cannot wait for a colleague to close a drawing.
  if (const std::string lock = host::sd_lock_file_beside(path); !lock.empty()) {
    host::display(host::format(
        "~A: ~A lies beside it; the drawing may be open elsewhere and the plot may be stale",
        host::trim_blanks(path), lock));
  }
  if (ends_in_bdl(path)) {
    const List args = {kw("load-drawing"), kw("on"),    kw("load-3d"),
                       kw("off"),          kw("fname"), Value(path)};
    return host::guarded([&] { return host::am_load_bundle(args); }, host::OnError::Show)
        .has_value();
  }
  if (host::guarded(
          [&] {
            return host::am_load_drawing({kw("filename"), Value(path)});
          },
          host::OnError::Silent)) {
    return true;
  }
  // The fallback loader shows and counts its own failures; an escaping error counts here.
  const int before = host::reported_problems();
  const auto fallback = [&] {
    steps.load_subpart(path);
    return Value::t();
  };
  host::guarded(fallback, host::OnError::Show);
  return host::reported_problems() == before;
}

void make_sheet_current(const Value& sheet) {
  host::guarded(
      [&] {
        const List record = host::sd_am_inq_sheet(sheet);
        if (record.empty()) throw host::Error(_("The sheet current after loading no longer exists"));
        return host::am_current_sheet(host::print_text(record.front()));
      },
      host::OnError::Warn);
}

// Autotext, saving, printing and PDF, revision PDF: the fixed order for one loaded drawing.
void process_batch_drawing(const std::string& path, const JobSettings& s,
                           const DrawingSteps& steps) {
  const Value file(path);
  const Value sheet = host::sd_am_inq_curr_sheet();
  if (s.autotext) steps.autotext();
  if (s.store_mi || s.store_dxf) steps.speichern(file, s.selection, s.store_mi, s.store_dxf);
  if (s.drucken || s.store_pdf) {
    steps.drucken(s.drucken, s.firma, s.format, s.drucker, s.store_mi, s.store_dxf, s.store_pdf,
                  file, s.selection, file);
  }
  if (s.aenderung) {
    make_sheet_current(sheet);
    steps.aenderungs_pdf(file);
  }
}

Value finish_job(const char* closing_line) {
  host::sd_put_buffer(closing_line);
  host::sd_display_message(host::format("~A", lang_text(24)), host::Severity::Information);
  return Value();
}

}  // namespace

bool ist_blatt_in_auswahl(const std::string& name, const Selection& selection) {
  const Value number = read_quietly(name);
  if (!number.is_number()) return true;
  if (selection.op == "=") return host::numeric_equal(number, selection.limit);
  // A complex sheet number has no order; it is never greater or less than a limit.
  if (!is_real(number) || !is_real(selection.limit)) return false;
  const int order = host::numeric_compare(number, selection.limit);
  if (selection.op == ">") return order > 0;
  if (selection.op == "<") return order < 0;
  return false;
}

// A file that cannot be loaded is reported and left out: its steps would otherwise run on
// the empty or previous drawing and write outputs that belong to no listed file.
bool set_job_plot_colors(const JobSettings& s) {
  const auto set = host::guarded(
      [&] {
        host::set_plot_colors(s.plot_style_table, g().tavrin_path, s.color_mode);
        return Value::t();
      },
      host::OnError::Show);
  return set.has_value();
}

Value run_batch_job(const std::vector<std::string>& files, const JobSettings& s,
                    const DrawingSteps& steps) {
  if (s.selection_problem) {
    refuse_job(s);
    return Value();
  }
  // before the workers are taken, so that every one of them plots alike
  if (!set_job_plot_colors(s)) return Value();
  const int total = static_cast<int>(files.size());
  // The host may hand each file to a worker process; it carries out the files' outputs and
  // reports in list order, and adds the problems counted in a worker to the run's count. A stop
  // asked for during a drawing takes effect before the next one, so every output written belongs to
  // a drawing that was processed completely.
  int done = 0;
  bool stopped = false;
  host::sd_run_in_workers(files, [&](std::size_t i) {
    stopped = stopped || !host::sd_show_progress(static_cast<int>(i), total, files[i]);
    if (stopped) return;
    const std::string& path = files[i];
    if (load_job_file(path, steps)) process_batch_drawing(path, s, steps);
    ++done;
  });
  host::sd_show_progress(total, total, "");
  if (stopped) {
    host::display(host::format(G_("Abgebrochen: ~A von ~A Zeichnungen bearbeitet"), done, total));
  }
  return finish_job(kBatchClosingLine);
}

Value run_now_job(const JobSettings& s, const DrawingSteps& steps) {
  Globals& vars = g();
  vars.pdf = s.store_pdf;
  if (s.selection_problem) {
    refuse_job(s);
    return Value();
  }
  if (!set_job_plot_colors(s)) return Value();
  vars.blatt_selection = s.selection;
  if (s.autotext) steps.autotext();
  if (s.store_mi || s.store_dxf)
    steps.speichern(vars.file_ladename, vars.blatt_selection, s.store_mi, s.store_dxf);
  if (s.drucken || vars.pdf) {
    steps.drucken(s.drucken, s.firma, s.format, s.drucker, s.store_mi, s.store_dxf, vars.pdf,
                  vars.file_ladename, vars.blatt_selection, Value(""));
  }
  return finish_job(kNowClosingLine);
}

}  // namespace tavrin
