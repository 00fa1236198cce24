// The colour index palette of CAD drawings (1..255); index 7 is white, the host's default
// colour. Plot style tables are keyed by it.
#pragma once

#include "host/drawing/model.h"

namespace host {

// The colour of an index; an index outside 1..255 gives white.
Rgb aci_to_rgb(int aci);
// The index (1..255) closest to the colour; the lowest of equal ones.
int nearest_aci(const Rgb& color);

}  // namespace host
