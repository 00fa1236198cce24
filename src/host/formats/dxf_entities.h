// The entity kinds that dxflib does not hand over, read from their groups: multileaders,
// multilines, images and wipeouts, helices, tolerance frames, infinite lines.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/drawing/model.h"
#include "host/formats/dxf_geometry.h"
#include "host/formats/dxf_groups.h"

namespace host::dxf {

// A multileader: its leader lines, filled arrowheads, and either an MTEXT or a block.
struct MLeader {
  std::vector<std::vector<Vec2>> lines;
  std::vector<std::vector<Vec2>> arrows;  // closed triangles
  struct Text {
    std::string content;  // MTEXT content, format codes and all
    Vec2 at;
    double height = 1;
    double angle = 0;  // degrees
    int attachment = 1;
  };
  std::optional<Text> text;
  struct Block {
    std::string record;  // handle of the block's BLOCK_RECORD
    Vec2 at;
    double sx = 1, sy = 1, angle = 0;
  };
  std::optional<Block> block;
  // colours of the leader lines, the text and the block, as the file codes them (a type in
  // the top byte: 0xC0 by layer, 0xC1 by block, 0xC2 true colour, 0xC3 palette colour)
  std::optional<std::uint32_t> line_color, text_color, block_color;
};
MLeader parse_multileader(const Groups& groups);

// A filled arrowhead at `tip`, pointing away from `from`: as long as `size`, a third as wide;
// empty when it has no direction or size.
std::vector<Vec2> arrowhead(Vec2 tip, Vec2 from, double size);

// The lines of a multiline, one polyline per line of its style.
std::vector<std::vector<Vec2>> mline_lines(const Groups& groups, bool& closed);

// The outline of an IMAGE, WIPEOUT or underlay: its clipping boundary where it has one,
// else its frame; empty when the groups do not place it.
std::vector<Vec2> image_outline(const Groups& groups);

// The outline a clipped block reference (XCLIP) is cut to, from its SPATIAL_FILTER object, in
// the block's own coordinates: the boundary placed by the filter's own transform, then by the
// inverse of the reference's placement when it was clipped (two corners make a rectangle);
// empty when the clipping is off or the boundary is no area.
// `to_block` receives the map from the filter's coordinates to the block's.
std::vector<Vec2> spatial_filter_outline(const Groups& groups, Affine* to_block = nullptr);

// A helix in top view: the curve of its spline.
std::vector<Vec2> helix_points(const Groups& groups);

// A subdivision mesh in top view: the edges of its faces (at level 0), each shared edge
// once. Faces naming vertices it does not have are left out.
std::vector<std::pair<Vec2, Vec2>> mesh_edges(const Groups& groups);

// A geometric tolerance: one framed box per field (fields separated by %%v in the text,
// rows by line breaks), laid out from its insertion point along its direction.
struct ToleranceFrame {
  std::vector<std::vector<Vec2>> boxes;
  std::vector<std::pair<Vec2, std::string>> texts;  // centre of each box and its text
  double height = 2.5;
  double angle = 0;
};
ToleranceFrame tolerance_frame(const Groups& groups, double text_height);

// The segment of an infinite line (both ways) or a ray (from its base) inside the box;
// nullopt when it misses the box.
std::optional<std::pair<Vec2, Vec2>> clip_to_box(Vec2 base, Vec2 direction, bool ray, Vec2 lo,
                                                 Vec2 hi);

}  // namespace host::dxf
