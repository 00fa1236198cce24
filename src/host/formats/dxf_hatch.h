// Hatches: boundary paths, pattern lines and fill of a HATCH entity, from its groups.
#pragma once

#include <vector>

#include "host/drawing/model.h"
#include "host/formats/dxf_groups.h"

namespace host::dxf {

// One family of parallel pattern lines, as the entity carries it: already turned by the
// hatch's angle and scaled by its scale. Dashes: positive drawn, negative gaps, 0 dots.
struct PatternLine {
  double angle = 0;  // degrees
  Vec2 base;
  Vec2 offset;  // from one line of the family to the next
  std::vector<double> dashes;
};

struct Hatch {
  std::vector<std::vector<Vec2>> rings;  // boundary paths as closed point rings
  bool solid = false;
  std::vector<PatternLine> pattern;
  int fill_rgb = -1;  // a gradient's first colour as 0xRRGGBB; -1 none
  int fill_aci = -1;  // or as a palette colour
  Vec2 extrusion_xy;
  double extrusion_z = 1;
  // MPOLYGON: its boundary paths are drawn as lines too, and a solid fill takes the fill
  // colour (`fill_aci`, or `fill_rgb` stored as a gradient).
  bool boundary_lines = false;
};

// A HATCH, or with `mpolygon` an MPOLYGON: the same paths and pattern, but its own fill flag
// (71; 70 is a version there), fill colour and an offset of the whole.
Hatch parse_hatch(const Groups& groups, bool mpolygon = false);

// What the pattern draws inside the rings (even-odd): dashes as segments, dots as points.
// `too_dense` when it would take more than `limit` strokes: such a pattern prints as an even
// tone, and the caller fills the area instead.
struct PatternStrokes {
  std::vector<std::pair<Vec2, Vec2>> dashes;
  std::vector<Vec2> dots;
  bool too_dense = false;
};
PatternStrokes pattern_strokes(const std::vector<std::vector<Vec2>>& rings,
                               const std::vector<PatternLine>& pattern, std::size_t limit);

// Points along a circular arc (degrees, counter-clockwise when ccw) or an elliptic arc
// (parameters in radians), both ends included.
void append_arc(std::vector<Vec2>& out, Vec2 centre, double radius, double start_deg,
                double end_deg, bool ccw);
void append_ellipse(std::vector<Vec2>& out, Vec2 centre, Vec2 major, double ratio,
                    double start_param, double end_param, bool ccw);
// A polyline's vertices with its bulged segments as points along their arcs.
std::vector<Vec2> flatten_bulges(const std::vector<Vec2>& points, const std::vector<double>& bulges,
                                 bool closed);

}  // namespace host::dxf
