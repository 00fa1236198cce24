// The seam between the sheet renderer and what it draws on. The renderer decides what is
// drawn and in which order (strokes joined, texts after their stroke, groups clipped); a
// canvas turns that into output. CairoCanvas draws on any cairo context (screen, raster,
// paper); PdfCanvas (pdf_canvas.h) writes a PDF page's vector content itself and hands
// texts and pictures to cairo. Paths follow cairo's model: user space is the current
// transformation's, angles are radians, and a path is consumed by the paint that ends it.
#pragma once

#include <cairo.h>

#include <vector>

#include "host/drawing/model.h"
#include "host/plot/render.h"
#include "host/plot/strokes.h"
#include "host/plot/text_render.h"

namespace host {

class Canvas {
 public:
  virtual ~Canvas() = default;

  virtual void new_path() = 0;
  // Ends the current sub-path without a current point: a following arc starts afresh.
  virtual void new_sub_path() = 0;
  virtual void move_to(double x, double y) = 0;
  virtual void line_to(double x, double y) = 0;
  // An arc around (cx, cy) from angle a0 to a1, counter-clockwise in user space (clockwise
  // when `negative`), joined by a line to the current point if there is one.
  virtual void arc(double cx, double cy, double r, double a0, double a1, bool negative) = 0;
  virtual void close_path() = 0;
  virtual void rectangle(double x, double y, double w, double h) = 0;

  // The pen of the strokes that follow (see apply_stroke).
  virtual void set_stroke(const Stroke& printed, double units_per_paper_mm,
                          double own_dash_scale) = 0;
  virtual void stroke() = 0;
  // Fills the path by the even-odd rule; an edge above 0 also outlines it in the same colour
  // at that width (user units) without dashes.
  virtual void fill(const Rgb& color, double edge) = 0;

  // Clips to the group's outline and maps its content through its placement until
  // end_group. False when the canvas has drawn the whole group itself (the caller then draws
  // nothing of it and calls no end_group).
  virtual bool begin_group(const Element& group, const RenderStyle& style,
                           double units_per_paper_mm) = 0;
  virtual void end_group() = 0;

  // A text in the printed stroke `printed` (colour, and width for its frame).
  virtual void text(const Element& e, StrokeResolver& pens, const Stroke& printed,
                    double units_per_paper_mm, double own_dash_scale) = 0;
  // A picture, its pixels in the plot's colour mode.
  virtual void image(const Element& e, ColorMode mode) = 0;
};

// A canvas over a cairo context, in the context's current user space.
class CairoCanvas final : public Canvas {
 public:
  explicit CairoCanvas(cairo_t* cr) : cr_(cr) {}
  cairo_t* context() const { return cr_; }
  FontCache& fonts() { return fonts_; }

  void new_path() override { cairo_new_path(cr_); }
  void new_sub_path() override { cairo_new_sub_path(cr_); }
  void move_to(double x, double y) override { cairo_move_to(cr_, x, y); }
  void line_to(double x, double y) override { cairo_line_to(cr_, x, y); }
  void arc(double cx, double cy, double r, double a0, double a1, bool negative) override;
  void close_path() override { cairo_close_path(cr_); }
  void rectangle(double x, double y, double w, double h) override {
    cairo_rectangle(cr_, x, y, w, h);
  }
  void set_stroke(const Stroke& printed, double units_per_paper_mm,
                  double own_dash_scale) override {
    apply_stroke(cr_, printed, units_per_paper_mm, own_dash_scale);
  }
  void stroke() override { cairo_stroke(cr_); }
  void fill(const Rgb& color, double edge) override;
  bool begin_group(const Element& group, const RenderStyle& style,
                   double units_per_paper_mm) override;
  void end_group() override { cairo_restore(cr_); }
  void text(const Element& e, StrokeResolver& pens, const Stroke& printed,
            double units_per_paper_mm, double own_dash_scale) override;
  void image(const Element& e, ColorMode mode) override;

 private:
  cairo_t* cr_;
  FontCache fonts_;
};

// Draws the elements in order on the canvas (the renderer of render.cpp).
void draw_elements(Canvas& canvas, const std::vector<Element>& elements, const RenderStyle& style);

// Draws one group element with its clip and placement (groups=false inside).
void draw_group(Canvas& canvas, const Element& group, const RenderStyle& style,
                double units_per_paper_mm);

// The group's placement when it can be drawn: finite, not degenerate, an outline of three
// corners or more.
bool drawable_group(const Element& group);

}  // namespace host
