// Font faces for plotting, resolved once per font configuration and remembered across runs.
#pragma once

#include <cairo.h>

#include <string>

namespace host {

// A new reference to the face fontconfig picks for the family, slant and weight, as cairo's
// own family lookup would pick it for a PDF page. A one-drawing process spent a quarter of its
// time reading fontconfig's configuration for this lookup alone, so the answers are kept in
// the user's cache directory and used again for as long as the font configuration, the font
// directories and the chosen font files stay unchanged.
cairo_font_face_t* resolved_font_face(const std::string& family, cairo_font_slant_t slant,
                                      cairo_font_weight_t weight);

// Lets go of the faces kept for the process (before cairo's static data is reset at the exit
// of a sanitized build).
void release_font_faces();

// The file that remembers the answers: $XDG_CACHE_HOME/tavrin/font-matches, else
// ~/.cache/tavrin/font-matches; empty when neither can be named.
std::string font_match_cache_file();

}  // namespace host
