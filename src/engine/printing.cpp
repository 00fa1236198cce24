// Printing the selected sheets of the current drawing, the failure report, and the list of
// installed printers.
#include "engine/printing.h"

#include "base/globals.h"
#include "config/language.h"
#include "engine/driver.h"
#include "engine/output.h"
#include "engine/plot_style.h"
#include "engine/sheet_format.h"
#include "host/api/host.h"

namespace tavrin {

using host::kw;
using host::List;
using host::OnError;

namespace {

void append(List& to, const List& more) {
  to.insert(to.end(), more.begin(), more.end());
}

}  // namespace

// The plot command of one sheet: scale 1 on the paper of its own format, or fitted by the
// host to the paper of the fit format. Portrait and landscape name scale and style in
// opposite order.
List printer_plot_args(const std::string& plotter, const std::string& paper,
                       const SheetFormat& sheet, bool fitted) {
  const bool portrait = sheet.orientation == "PORTRAIT";
  const List scale =
      fitted ? List{kw("scale_fit")} : List{kw("scale_factor"), kw("scale_factor_value"), 1};
  const List style{kw("transf_style"), sheet.plot_style};
  List args{kw("plotter_type_ra"), kw("mswindow_gdi_printer"),
            kw("plotter_name_ra"), plotter,
            kw("plot_warnings"),   kw("off")};
  append(args, portrait ? List{kw("orientation_portrait"), kw("orientation"), kw("portrait")}
                        : List{kw("orientation_landscape"), kw("orientation"), kw("landscape")});
  append(args, {kw("paper_format_ra"), paper, kw("copies"), 1});
  append(args, portrait ? scale : style);
  append(args, portrait ? style : scale);
  append(args, {kw("contents_drawing"), kw("output_sheet"), kw("plot")});
  return args;
}

host::Value drucken(const host::Value& firma, const host::Value& fit_format,
                    const host::Value& plotter, const host::Value& report_name) {
  std::string chosen = plotter.truthy() ? host::print_text(plotter) : "";
  // Measuring and styling are inside the guard too: a sheet that cannot be measured is
  // reported like a failed plot instead of ending the run.
  const auto plotted = host::guarded(
      [&] {
        SheetFormat sheet = calculate_sheet_format();
        if (fit_format.truthy())
          sheet =
              check_if_einpassformat_greater_than_blattformat(host::print_text(fit_format), sheet);
        sheet = set_plot_syle_parameter(host::print_text(firma), sheet);
        if (!plotter.truthy()) chosen = select_plotter(sheet);
        const std::string paper = get_plotter_format_name(chosen, sheet.format_name);
        return host::am_plot_ex(printer_plot_args(chosen, paper, sheet, fit_format.truthy()));
      },
      OnError::Silent);
  if (plotted) return {};
  host::count_problem();
  const std::string empty = leeres_blatt_text(host::sd_am_inq_curr_sheet_name());
  if (!empty.empty()) {
    host::display(empty);
    return {};
  }
  return show_fehlermeldung(report_name, chosen);
}

host::Value show_fehlermeldung(const host::Value& report_name, const std::string& plotter) {
  const host::Value message = host::sd_inq_error_obj(kw("message"));
  host::display(std::string(68, '-'));
  host::display(host::format("~A ~A", lang_text(32), report_name));
  host::display(host::format("Plotter: ~A", plotter));
  host::display(message.truthy() ? host::print_text(message) : "");
  return {};
}

void drucken_alle_blaetter(bool drucken_an, const host::Value& firma, const host::Value& format,
                           const host::Value& drucker, bool /*mi*/, bool /*dxf*/, bool pdf,
                           const host::Value& /*file*/, const Selection& selection,
                           const host::Value& report_name) {
  for (const host::Value& sheet : host::sd_am_inq_all_sheets()) {
    const std::string name = host::print_text(host::sd_am_inq_sheet(sheet).at(0));
    // Outputs of a sheet that could not be made current would show another sheet.
    if (!host::guarded([&] { return host::am_current_sheet(name); }, OnError::Show)) continue;
    if (!ist_blatt_in_auswahl(name, selection)) continue;
    if (drucken_an) drucken(firma, format, drucker, report_name);
    if (pdf) create_pdf(host::print_text(firma), name);
    host::guarded(
        [] {
          return host::delete_default_setting_user_style(
              {"Annotation/Plot/PensTrafoStyle", kw("tavrintmptrans"), kw("yes")});
        },
        OnError::Silent);
  }
}

}  // namespace tavrin
