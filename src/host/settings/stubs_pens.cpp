// Placeholders until the settings lands; each throws a host error naming the operation.
#include "host/settings/pens.h"
#include "host/api/error.h"

namespace host {

Stroke apply_pen_rules([[maybe_unused]] const std::vector<PenRule>& rules, [[maybe_unused]] const Stroke& stroke) { throw Error("apply_pen_rules: not available yet"); }
const PenStyle* active_pen_style() { throw Error("active_pen_style: not available yet"); }
const PenStyle* find_pen_style([[maybe_unused]] const std::string& key) { throw Error("find_pen_style: not available yet"); }

}  // namespace host
