// The plot preview joins the plot layer, which knows the page, with the front end, which shows
// it; only the facade sees both.
#include "host/plot/preview.h"
#include "host/ui/frontend.h"

namespace host {

void sd_show_plot_preview(const List& plot_args) {
  ui::front_end().show_plot_preview(plot_preview(plot_args));
}

}  // namespace host
