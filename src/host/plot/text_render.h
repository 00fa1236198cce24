// Texts on a cairo context: a real font, size as character height, angle, ratio, slant,
// adjust point, line spacing, several lines, formatted runs, background and frame.
#pragma once

#include <cairo.h>

#include <deque>
#include <string>

#include "host/drawing/model.h"
#include "host/drawing/text_layout.h"
#include "host/plot/strokes.h"

namespace host {

// Font faces by host font name, with the cap height of each face measured once.
class FontCache {
 public:
  FontCache() = default;
  FontCache(const FontCache&) = delete;
  FontCache& operator=(const FontCache&) = delete;
  ~FontCache();

  struct Face {
    std::string host_name;
    bool bold = false;
    bool italic = false;
    cairo_font_face_t* face = nullptr;
    double cap_height = 0.73;     // height of a capital letter per unit of font size
    bool stroke_metrics = false;  // stands for a single-stroke font and takes its widths
  };
  // The answer stays valid for the cache's lifetime: faces are only ever added, and a deque
  // does not move what it holds when it grows.
  const Face& face(cairo_t* cr, const std::string& host_font, bool bold = false,
                   bool italic = false);
  // Advance width of the text in the run's style, in the units of the style's height.
  double advance(cairo_t* cr, const RunStyle& style, std::string_view text);
  // How much wider than the face's own glyphs the text is drawn so that it takes the width
  // `advance` gives: 1 but for faces that stand for single-stroke fonts.
  double stretch(cairo_t* cr, const RunStyle& style, std::string_view text);

 private:
  std::deque<Face> faces_;
};

// The font family asked of fontconfig for a font name: the host's plotter fonts and the
// single-stroke (SHX) fonts of CAD programs stand for sans, serif or mono faces; TrueType
// file names stand for their family; any other name is a family that fontconfig resolves,
// to a metric-compatible face where one is installed, else to its default face.
std::string font_family_for(const std::string& font);

// Draws the text element `e` (already known to be a text): each run in its printed colour,
// the background fill and the frame (with the context's current line settings). The
// context's current transform maps drawing units, y up.
void draw_text(cairo_t* cr, const Element& e, FontCache& fonts, StrokeResolver& pens);

}  // namespace host
