// Texts on a cairo context: a real font, size as character height, angle, ratio, slant,
// adjust point, line spacing, several lines and an optional frame.
#pragma once

#include <cairo.h>

#include <deque>
#include <string>

#include "host/drawing/model.h"

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
    cairo_font_face_t* face = nullptr;
    double cap_height = 0.73;  // height of a capital letter per unit of font size
  };
  // The answer stays valid for the cache's lifetime: faces are only ever added, and a deque
  // does not move what it holds when it grows.
  const Face& face(cairo_t* cr, const std::string& host_font);

 private:
  std::deque<Face> faces_;
};

// The installed font family that stands in for a host font name.
const char* font_family_for(const std::string& host_font);

// Draws the text element `e` (already known to be a text) in the given colour; the frame,
// when the text has one, with the context's current line settings. The context's current
// transform maps drawing units, y up.
void draw_text(cairo_t* cr, const Element& e, FontCache& fonts);

}  // namespace host
