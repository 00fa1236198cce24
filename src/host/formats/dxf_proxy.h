// Proxy graphics: the look of custom objects (walls, doors, alignments of the architecture,
// MEP and civil variants of CAD programs) stored beside them as a binary list of drawing
// primitives, so that programs without the object's own code can still show it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "host/drawing/model.h"
#include "host/formats/dxf_assembly.h"
#include "host/formats/dxf_groups.h"
#include "host/formats/dxf_text.h"

namespace host::dxf {

// Whether an entity of this kind is drawn from its proxy graphic: ACAD_PROXY_ENTITY, and the
// custom kinds the reader has no drawing of its own for.
bool draws_proxy_graphic(const std::string& entity);

// The proxy graphic of an entity from its groups: the binary chunks (310, hex digits) that
// follow its byte count (92, or 160 in newer files), cut to that count; empty without one.
std::string proxy_graphic_bytes(const Groups& groups);

// What the graphic's indices and texts refer to in the drawing.
struct ProxyTables {
  std::vector<std::string> layers;     // the layer table, in file order
  std::vector<std::string> linetypes;  // the line type table without BYLAYER and BYBLOCK
  std::string font;                    // for texts that name none
};

struct ProxyPiece {
  Element element;
  RawStroke stroke;
};

// Draws the graphic in the top view, in the coordinates of the space or block that holds the
// entity. `entity` is the proxy's own layer, colour, line type and weight: the primitives
// start from them, and their "by block" values mean them. Unknown primitives are skipped;
// a primitive that does not fit its data ends the graphic. Any bytes are safe: counts are
// checked against the data, and at most `limit` pieces come out.
std::vector<ProxyPiece> decode_proxy_graphic(std::string_view data, const RawStroke& entity,
                                             const ProxyTables& tables,
                                             const TextDecoder& decoder,
                                             std::size_t limit = 1'000'000);

}  // namespace host::dxf
