// Cutting content to a clipping region: a group element as plain elements (for exchange
// files whose readers know nothing of our groups) and clipped block references (XCLIP).
#pragma once

#include <vector>

#include "host/drawing/model.h"

namespace host::dxf {

// A clipping region: closed rings, inside by the even-odd rule, so that a ring inside
// another cuts a hole.
using Rings = std::vector<std::vector<Vec2>>;

// What of `placed` (already on the sheet) lies inside the region, appended to `out`. Content
// wholly inside keeps its kind (placed exactly); lines and curves that cross the boundary
// become the polylines of their visible pieces (curves flattened finely); fills and masks
// are cut to the region as areas; a text or point stays whole when its insertion point is
// inside; a picture only when it is wholly inside. INFO attributes stay with each piece.
void clip_element(const Element& placed, const Rings& region, std::vector<Element>& out);

// A group's content placed on the sheet and cut to its outline, as clip_element cuts.
std::vector<Element> clipped_view(const Element& group);

// The points along a line, rectangle, circle, arc or polyline (curves as fine chords); a
// closed figure ends where it began. Empty for texts and groups.
std::vector<Vec2> flattened(const Element& e);

}  // namespace host::dxf
