// Placeholders until the plot engine's output loops land.
#include "engine/engine.h"

namespace tavrin {

host::Value speichern_alle_blaetter(const host::Value&, const Selection&, bool, bool) { return {}; }
void drucken_alle_blaetter(bool, const host::Value&, const host::Value&, const host::Value&, bool,
                           bool, bool, const host::Value&, const Selection&, const host::Value&) {}
void load_subpart_drawing(const std::string&) {}

}  // namespace tavrin
