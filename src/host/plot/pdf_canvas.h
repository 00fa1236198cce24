// A PDF page's vector content written by tavrin itself, texts and pictures drawn by cairo.
//
// cairo formats every coordinate with snprintf, records the whole page before writing it and
// deflates at a level a caller cannot set; on large drawings that was most of a plot's time.
// This canvas writes strokes, fills, masks and the clips of groups straight into the page's
// content stream (one buffer, std::to_chars, arcs as Bezier curves with cairo's accuracy).
// Texts (real text with embedded subset fonts) and raster pictures stay with cairo: each run
// of them is drawn on cairo pages of their own (same size and matrix), whose content
// pdf_pages.cpp inserts at its place in our stream.
//
// Order: texts wait, as the renderer already lets them, on top of the strokes that follow
// them; a fill or mask that may cover a waiting text, a picture, or a group that cairo draws
// whole draws what waits first, so that what lies above stays above. A usual page is then
// one stream of vectors and one cairo run.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "host/plot/canvas.h"
#include "host/plot/pdf_pages.h"

namespace host {

class PdfCanvas final : public Canvas {
 public:
  // `cr` draws on the PDF surface, sized for this page (in points); `page` maps drawing
  // units to cairo's device space (points, y down) and must keep angles (suits()); `style`
  // is the page's render style.
  PdfCanvas(cairo_t* cr, const cairo_matrix_t& page, double page_width, double page_height,
            const RenderStyle& style);

  // Whether a page matrix keeps circles round (a uniform scale, rotation or mirror): a pen
  // is then the same width in every direction and can be written in page coordinates.
  static bool suits(const cairo_matrix_t& m);

  void new_path() override;
  void new_sub_path() override;
  void move_to(double x, double y) override;
  void line_to(double x, double y) override;
  void arc(double cx, double cy, double r, double a0, double a1, bool negative) override;
  void close_path() override;
  void rectangle(double x, double y, double w, double h) override;
  void set_stroke(const Stroke& printed, double units_per_paper_mm, double own_dash_scale) override;
  void stroke() override;
  void fill(const Rgb& color, double edge) override;
  bool begin_group(const Element& group, const RenderStyle& style,
                   double units_per_paper_mm) override;
  void end_group() override;
  void text(const Element& e, StrokeResolver& pens, const Stroke& printed,
            double units_per_paper_mm, double own_dash_scale) override;
  void image(const Element& e, ColorMode mode) override;

  // Draws what still waits and hands over the page's content. Throws host::Error when
  // cairo fails.
  OwnPage finish();

 private:
  // What the next paint uses, tracked as cairo tracks it (one colour for strokes and fills,
  // widths and dashes in device units).
  struct Pen {
    Rgb color{0, 0, 0};
    double width = 2;
    std::vector<double> dash;
    double dash_offset = 0;
    int cap = 0, join = 0;
    bool even_odd = false;
    bool operator==(const Pen&) const = default;
  };
  // The graphics state the stream has set, as far as our operators touch it.
  struct Written {
    Rgb stroke{0, 0, 0}, fill{0, 0, 0};
    double width = 1;
    std::vector<double> dash;
    double dash_offset = 0;
    int cap = 0, join = 0;
  };
  // A box in device units; empty when made.
  struct Box {
    double x0 = HUGE_VAL, y0 = HUGE_VAL, x1 = -HUGE_VAL, y1 = -HUGE_VAL;
    bool meets(const Box& o) const { return x0 <= o.x1 && o.x0 <= x1 && y0 <= o.y1 && o.y0 <= y1; }
    void add(double x, double y);
    void add(const Box& b);
  };
  struct GroupClip {
    const Element* group;
    std::string clip;  // its outline in device units, as path operators
    bool even_odd;
    bool written = false;
    Pen pen;
    cairo_matrix_t ctm;
    Box visible;  // outside the group
  };
  // A text, picture or whole group waiting for cairo.
  struct Waiting {
    enum Kind { Text, Image, WholeGroup } kind;
    const Element* e;
    const Element* group;  // the group whose clip and placement it is drawn in
    bool even_odd;         // the clip's fill rule
    Stroke printed;
    double units_per_paper_mm, own_dash_scale;
  };

  void put(double v);       // thousandths of a device unit, into the stream
  void put_fine(double v);  // millionths: widths, dashes
  // A point of the path in thousandths of a device unit.
  void put_point(long long qx, long long qy);
  void end_sub_path();
  void device(double x, double y, long long& qx, long long& qy) const;
  void write_color(const Rgb& c, const char* op);
  void write_pen_for_stroke();
  void open();
  void close();
  void draw_waiting();
  const GroupClip* current_group() const { return groups_.empty() ? nullptr : &groups_.back(); }

  cairo_t* cr_;
  cairo_matrix_t page_, ctm_;
  double scale_ = 1;  // device units per user unit
  double page_height_;
  RenderStyle style_;
  StrokeResolver pens_;
  CairoCanvas cairo_;

  std::string stream_;
  std::string path_;
  Box box_;  // of the path's sub-paths kept so far
  // The sub-path being built: where it begins in path_, its box.
  std::size_t sub_at_ = 0;
  Box sub_box_;
  bool in_sub_path_ = false;
  bool culling_ = true;
  Box visible_;  // the page within the clips of the groups
  bool has_point_ = false, after_move_ = false;
  std::size_t move_at_ = 0;
  long long cur_x_ = 0, cur_y_ = 0, start_x_ = 0, start_y_ = 0;
  // The last straight segment: where it begins in path_ (npos: the last piece was no
  // segment) and its first point.
  std::size_t line_at_ = std::string::npos;
  long long prev_x_ = 0, prev_y_ = 0;

  bool open_ = false;
  Pen pen_;
  Written written_;
  std::vector<Written> saved_;
  std::vector<GroupClip> groups_;
  std::vector<Waiting> waiting_;
  Box waiting_box_;                // where the waiting texts may reach
  RenderStyle waiting_style_;      // of a whole group that waits
  std::vector<std::size_t> runs_;  // where cairo's pages are painted in the stream
};

}  // namespace host
