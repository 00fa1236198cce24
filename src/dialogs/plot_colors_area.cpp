// The plot colour settings of the main dialog.
#include "dialogs/plot_colors_area.h"

#include "base/job_table.h"
#include "dialogs/dialog_ids.h"
#include "host/api/host.h"

namespace tavrin {

namespace {

using host::kw;
using host::List;
using host::Value;

constexpr const char* kGrid = "TAVRIN-DIALOG-31-GA";

List placed(int x, int y, int width, List more) {
  List args{kw("parent"), kGrid, kw("x"), x, kw("y"), y, kw("width"), width, kw("height"), 5};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// Black and greys exclude each other: switching one on switches the other off.
void exclusive(Job on, Job other) {
  if (host::sd_togglebutton_set_p(job_control(on)))
    host::sd_reset_togglebutton(job_control(other), false);
}

void check(Job job, Job other, int x, int width) {
  const Value action = action_of([job, other] { exclusive(job, other); });
  host::sd_create_togglebutton_control(
      job_control(job), placed(x, 0, width, {kw("title"), job_row(job).title, kw("indicator"),
                                          kw("check"), kw("pushaction"), action,
                                          kw("releaseaction"), action}));
}

}  // namespace

void create_plot_colors_area() {
  host::sd_append_area("TAVRIN-DIALOG-3-AA", {kw("parent"), "TAVRIN-DIALOG-AA", kw("margin"), 1,
                                              kw("titlecolor"), "#ffff00"});
  host::sd_append_grid_area(kGrid, {kw("parent"), "TAVRIN-DIALOG-3-AA", kw("width"), 400,
                                    kw("height"), 50, kw("cellsize"), List{5.0, 5.0},
                                    kw("titlecolor"), "#ffffff"});
  host::sd_create_label_control(dialog_control("FARBEN-LB"),
                                placed(0, 0, 11, {kw("title"), "Farben", kw("alignment"), kw("left")}));
  check(Job::Monochrome, Job::Grayscale, 12, 17);
  check(Job::Grayscale, Job::Monochrome, 30, 15);
  // the table file: a path typed in (or given on the command line)
  host::sd_create_label_control(
      dialog_control("PLOTSTILTABELLE-LB"),
      placed(0, 5, 11, {kw("title"), job_row(Job::PlotStyleTable).title, kw("alignment"),
                        kw("left")}));
  host::sd_create_text_control(
      job_control(Job::PlotStyleTable),
      placed(12, 5, 68, {kw("editable"), Value::t(), kw("multiline"), Value(), kw("wordwrap"),
                      Value()}));
}

}  // namespace tavrin
