// The module-wide variables.
#include "base/globals.h"

namespace tavrin {

namespace {
Globals& instance() {
  static Globals globals;
  return globals;
}
}  // namespace

Globals& g() { return instance(); }

void reset_globals() { instance() = Globals{}; }

}  // namespace tavrin
