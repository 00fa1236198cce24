// Polylines with widths: drawn as filled bands, as the CAD programs that wrote them show them.
#pragma once

#include <utility>
#include <vector>

#include "host/drawing/model.h"

namespace host::dxf {

// The elements that draw a polyline whose segment i runs from width widths[i].first to
// widths[i].second: a Fill for every run of segments with width (mitred where segments
// meet), a Polyline for every run without. Empty when no segment has a width.
std::vector<Element> polyline_bands(const Element& polyline,
                                    const std::vector<std::pair<double, double>>& widths);

}  // namespace host::dxf
