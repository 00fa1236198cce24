// The preview goes through the very functions a print or PDF goes through, so it can only
// differ from the paper by not being plotted.
#include "dialogs/plot_preview.h"

#include "base/output_name.h"
#include "engine/output.h"
#include "engine/plot_style.h"
#include "engine/printing.h"
#include "engine/sheet_format.h"
#include "host/api/host.h"

namespace tavrin {

host::Value tavrin_plot_preview(const SettingReader& read) {
  const JobSettings s = read_job_settings(read);
  const std::string firma = read("FIRMA-TX");
  const auto shown = host::guarded(
      [&] {
        SheetFormat sheet = calculate_sheet_format();
        if (!s.drucken) {
          sheet = set_plot_syle_parameter(firma, sheet);
          const host::Value current = host::sd_am_inq_curr_sheet();
          const std::string name = host::print_text(host::sd_am_inq_sheet(current).at(0));
          host::sd_show_plot_preview(pdf_plot_args(sheet, create_speichername(name)));
          return host::Value::t();
        }
        const bool fit = s.einpassen && s.format.truthy();
        if (fit) {
          sheet =
              check_if_einpassformat_greater_than_blattformat(host::print_text(s.format), sheet);
        }
        sheet = set_plot_syle_parameter(firma, sheet);
        const std::string plotter = s.auto_plotter || !s.drucker.truthy()
                                        ? select_plotter(sheet)
                                        : host::print_text(s.drucker);
        const std::string paper = get_plotter_format_name(plotter, sheet.format_name);
        host::sd_show_plot_preview(printer_plot_args(plotter, paper, sheet, fit));
        return host::Value::t();
      },
      host::OnError::Show);
  return shown.value_or(host::Value());
}

}  // namespace tavrin
