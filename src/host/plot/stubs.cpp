// Placeholders until plotting lands; each throws a host error naming the operation.
#include "host/api/drawing_ops.h"
#include "host/api/error.h"

namespace host {

Value am_plot_ex([[maybe_unused]] const List& args) { throw Error("am_plot_ex: not available yet"); }
List sd_inq_printers() { throw Error("sd_inq_printers: not available yet"); }

}  // namespace host
