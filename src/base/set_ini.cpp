// The settings every plot command starts from.
#include "base/globals.h"
#include "base/set_ini.h"

namespace tavrin {

bool set_ini(bool flag) {
  Globals& vars = g();
  vars.tavrin_version = "Ostra Version: V21 2015-08-26";
  vars.plot_format_data.clear();
  vars.plotter_names.clear();
  vars.plot_fit_formats.clear();
  vars.plotter_auto_format.clear();
  vars.plotstyle_list.clear();
  // The plotter format-name table survives: it is only ever replaced by rereading its file.
  vars.tavrin_modus = flag;
  return flag;
}

}  // namespace tavrin
