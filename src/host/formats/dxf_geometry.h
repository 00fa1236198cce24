// Placing the content of DXF blocks: affine transforms applied to host elements.
#pragma once

#include <optional>
#include <string>

#include "host/drawing/model.h"

namespace host::dxf {

// x' = a x + b y + e, y' = c x + d y + f
struct Affine {
  double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

  Vec2 apply(Vec2 p) const { return {a * p.x + b * p.y + e, c * p.x + d * p.y + f}; }
  Vec2 apply_vector(Vec2 v) const { return {a * v.x + b * v.y, c * v.x + d * v.y}; }
  double det() const { return a * d - b * c; }
  bool is_identity() const { return a == 1 && b == 0 && c == 0 && d == 1 && e == 0 && f == 0; }
  // First `inner`, then this.
  Affine after(const Affine& inner) const;

  static Affine translation(double x, double y) { return {1, 0, 0, 1, x, y}; }
  static Affine rotation_deg(double degrees);
  static Affine scaling(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
};

// The placement of a block reference: base point to insertion point, scaled, rotated.
Affine insert_transform(Vec2 insertion, double sx, double sy, double angle_deg, Vec2 base);
// The object coordinate system of a 2D entity, by its extrusion direction and elevation
// (its OCS z), seen from above: mirrored for (0,0,-1), a plane at an angle projected as its
// top view (a vertical circle becomes a line).
Affine ocs_transform(double extrusion_x, double extrusion_y, double extrusion_z,
                     double elevation = 0);
// The minor axis of an ellipse (major axis and extrusion in world coordinates), seen from
// above: the ratio times the extrusion crossed with the major axis, so for the usual
// extrusion (0,0,1) the major axis turned left, for (0,0,-1) turned right.
Vec2 ellipse_minor_axis(double mx, double my, double mz, double ratio, double ex, double ey,
                        double ez);

// Millimetres per drawing unit for a $INSUNITS code; nullopt for unitless (0) and unknown
// codes, which stay 1 unit = 1 mm. `name` receives the unit's name.
std::optional<double> insunits_to_mm(int code, std::string* name = nullptr);

// Points along a (rational) B-spline: degree, control points with weights, knot vector.
// Empty when the data do not form a spline (too few points, knots not matching).
std::vector<Vec2> spline_points(int degree, const std::vector<Vec2>& control,
                                const std::vector<double>& weights,
                                const std::vector<double>& knots);

// Applies the transform. Circles, arcs and bulged polylines stay exact under rotation,
// uniform scale and mirroring; a non-uniform scale turns them into polylines. Rectangles
// that no longer have axis-parallel sides become closed polylines. Mirrored texts stay
// readable with their horizontal adjustment on the other side.
void transform_element(Element& element, const Affine& m);

// Scales the element by `factor` into other units (drawing units to millimetres): its
// geometry and its own dash pattern, which is a length in the same units.
void scale_element(Element& element, double factor);

}  // namespace host::dxf
