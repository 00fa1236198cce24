// Dash patterns of the drawing's own line types, as cairo takes them.
#pragma once

#include <span>
#include <vector>

namespace host {

// A dash pattern of the drawing (dashes positive, gaps negative, dots 0) as alternating on
// and off lengths starting with a dash, and the offset into them where the pattern begins.
// Empty for a solid line.
std::vector<double> cairo_dashes(std::span<const double> pattern, double& offset);

}  // namespace host
