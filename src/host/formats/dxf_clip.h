// A group element as plain elements: its content placed on the sheet and cut to its
// outline, for exchange files whose readers know nothing of our groups.
#pragma once

#include <vector>

#include "host/drawing/model.h"

namespace host::dxf {

// Content that lies wholly inside the outline keeps its kind (placed exactly); content that
// crosses it becomes the polylines of its visible pieces (curves flattened finely); a text
// stays whole when its insertion point is inside. INFO attributes stay with each piece.
std::vector<Element> clipped_view(const Element& group);

// The points along a line, rectangle, circle, arc or polyline (curves as fine chords); a
// closed figure ends where it began. Empty for texts and groups.
std::vector<Vec2> flattened(const Element& e);

}  // namespace host::dxf
