// The drawing model of the host: drawings, sheets, sketches and elements with INFO attributes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace host {

struct Vec2 {
  double x = 0;
  double y = 0;
  bool operator==(const Vec2&) const = default;
};

struct Rgb {
  double r = 1, g = 1, b = 1;  // 0..1; the host's default colour is white on a dark screen
  bool operator==(const Rgb&) const = default;
};

// How a line ends (Butt, Round, Square) or turns a corner (Butt: mitred, Round, Square:
// bevelled).
enum class LineCap : std::uint8_t { Butt, Round, Square };

// Line types by their host names: "SOLID", "DASHED", "DASH_CENTER", "CENTER", "PHANTOM",
// "DOTTED", "LONG_DASHED".
struct Stroke {
  Rgb color;
  std::string linetype = "SOLID";
  double pensize = 0;  // millimetres; 0 is the thinnest pen of the device
  // A dash pattern of the drawing's own line type in drawing units (dashes positive, gaps
  // negative, dots 0); empty: the host's pattern for `linetype`.
  std::vector<double> dashes{};
  // The colour's index in the CAD palette (1..255) when the drawing gave it so; 0 when the
  // colour came as a true colour. Plot style tables by colour are keyed by it; two indexes
  // may share one colour.
  std::uint8_t color_index = 0;
  // The named plot style the drawing gives the element; "" for none.
  std::string plot_style{};
  // Line ends and corners on paper; the drawing's elements print round, a plot style
  // table may print others.
  LineCap cap = LineCap::Round;
  LineCap join = LineCap::Round;
  bool operator==(const Stroke&) const = default;
};

// A 2D affine map: x' = a x + b y + e, y' = c x + d y + f.
struct Transform {
  double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
  Vec2 apply(Vec2 p) const { return {a * p.x + b * p.y + e, c * p.x + d * p.y + f}; }
  double det() const { return a * d - b * c; }
  // First `inner`, then this.
  Transform after(const Transform& inner) const {
    return {a * inner.a + b * inner.c,     a * inner.b + b * inner.d,
            c * inner.a + d * inner.c,     c * inner.b + d * inner.d,
            a * inner.e + b * inner.f + e, c * inner.e + d * inner.f + f};
  }
  bool operator==(const Transform&) const = default;
};

// Fill: an area in the stroke's colour, bounded by closed rings and filled by the even-odd
// rule, so that a ring inside another is a hole. Mask: the same in the paper's colour, hiding
// what was drawn before it. Point: a dot of the pen's size. Image: a raster file shown in a
// parallelogram. Group: other elements seen through a window (a view of the model space in a
// paper-space viewport); see Group below.
enum class ElementKind {
  Line,
  Polyline,
  Rectangle,
  Circle,
  Arc,
  Text,
  Fill,
  Point,
  Mask,
  Image,
  Group
};

struct Group;

struct TextProps {
  std::vector<std::string> lines;  // content, one entry per line
  double size = 3.5;               // character height in millimetres
  double angle = 0;                // degrees, counter-clockwise
  int adjust = 1;                  // 1..9: 1 bottom left, 5 centre, 9 top right (rows from bottom)
  std::string font = "hp_i3098_v";
  double ratio = 1;        // width to height of the characters
  double slant = 0;        // degrees
  double linespace = 1.6;  // distance between lines as a multiple of the size
  bool frame = false;
  // The content with inline formatting codes (runs with their own height, font, width,
  // slant, tracking and colour, stacked fractions, paragraph alignment and indents; see
  // docs/mi-format.md); "" for plain lines. It is shown only while its plain text equals
  // `lines`, so a text whose lines were changed never shows the old content.
  std::string formatted{};
  double wrap_width = 0;  // lines wrap at this width in drawing units; 0: only at breaks
  // Background: 0 none, 1 filled with `background_color`, 2 filled with the paper colour.
  int background = 0;
  Rgb background_color{};
  double background_margin = 1.5;  // the fill reaches (margin - 1) x size beyond the text
  // Columns: with a wrap width, the lines flow into up to `column_count` columns of that
  // width, `column_gutter` apart, each as tall as its entry in `column_heights` (the last
  // entry stands for the rest; 0 or none: no limit). A column break (\N) starts the next.
  // The box of the text (its background and frame) is as tall as the tallest column; a
  // text without columns may have one height: the height of its box.
  int column_count = 0;
  double column_gutter = 0;
  std::vector<double> column_heights{};
  // A text fitted between two points: its natural width stretched or squeezed to this
  // width (0: none), the height kept or, with `fit_scales_height`, scaled alike.
  double fit_width = 0;
  bool fit_scales_height = false;
  bool backward = false;     // mirrored left to right
  bool upside_down = false;  // mirrored top to bottom
  bool operator==(const TextProps&) const = default;
};

struct Element {
  std::uint64_t id = 0;  // unique in the process; never reused
  ElementKind kind = ElementKind::Line;
  Stroke stroke;
  // Line: 2 points. Polyline: its vertices (bulges[i] belongs to the segment from point i).
  // Rectangle: 2 opposite corners. Circle/Arc: centre. Text: insertion point. Point: itself.
  // Group: the corners of its clipping outline (a polygon of at least 3 corners) on the sheet.
  std::vector<Vec2> points;
  std::vector<double> bulges;
  double radius = 0;
  double start_angle = 0;  // arcs, degrees, counter-clockwise from start to end
  double end_angle = 0;
  bool closed = false;  // polylines
  // Fill and Mask: the points are consecutive closed rings of these many points each.
  std::vector<std::uint32_t> rings;
  // Image: the raster file (PNG or JPEG); its points are the corners at the picture's lower
  // left, lower right and upper left, then, for a picture cut to a clipping boundary, the
  // corners of that boundary (at least 3).
  std::string source;
  TextProps text;
  // Group: what it shows and where; shared (and never changed) between copies.
  std::shared_ptr<const Group> group;
  // INFO attributes, last added first.
  std::vector<std::string> info;
  // Name of the sketch (named group) the element belongs to; "" for the sheet itself.
  std::string sketch;

  bool same_content(const Element& o) const;  // everything but the id
};

// The content of a group element: its elements, mapped onto the sheet by `placement` and
// clipped to the group's outline. Several views of the same model space share `elements`.
// Groups do not nest.
struct Group {
  Transform placement;
  std::shared_ptr<const std::vector<Element>> elements;
  // The content's own dash patterns (Stroke::dashes): lengths on the sheet, the same in
  // every view whatever its scale (true); or lengths in the content's units, growing and
  // shrinking with the placement (false), for drawings that scale line types by the
  // model's setting only.
  bool paper_dashes = true;

  const std::vector<Element>& content() const;
  bool same_content(const Group& o) const;
};

struct Sheet {
  std::uint64_t id = 0;
  std::string name;
  std::string unique_name;
  std::string scale = "1:1";
  std::string frame_type;
  // The CAD plot style table its layout names ("monochrome.ctb"); "" for none.
  std::string plot_style_table{};
  std::vector<Element> elements;

  // Lower-left and upper-right corners of the content; nullopt for an empty sheet.
  std::optional<std::pair<Vec2, Vec2>> extent() const;
};

struct Drawing {
  std::uint64_t id = 0;
  std::optional<std::string> number;
  std::string drawing_type = "2D_PROCESS";
  std::vector<Sheet> sheets;
  std::size_t current = 0;  // index into sheets
  // What the reader repaired or converted, one output-box line each; shown after loading,
  // never saved.
  std::vector<std::string> notes;

  Sheet& current_sheet();
  const Sheet& current_sheet() const;
  Sheet* find_sheet(const std::string& name);
  Sheet* find_sheet_by_id(std::uint64_t id);
};

// Lower-left and upper-right corners of what one element draws on the sheet; nullopt when
// it draws nothing.
std::optional<std::pair<Vec2, Vec2>> element_extent(const Element& element);

// Fresh ids for drawings, sheets and elements.
std::uint64_t next_id();

}  // namespace host
