// The pen-transformation styles the host ships. Drawings are made on a dark screen, where
// the default colour is white; on paper white prints as black, and the thinnest pen (size 0)
// as 0.25 mm so that it stays visible.
#include "host/settings/style_store.h"

namespace host::settings {

namespace {

// Colour plots: colours as drawn, white as black, size 0 as 0.25 mm.
constexpr const char* kStandard = R"(
("Pens" (:label "Farbe" :penlist (
  (:old_linetype :all :color_def :single :color1 1.0,1.0,1.0 :color2 1.0,1.0,1.0 :pensize_def :all :pensize1 0 :pensize2 1000000.0 :new_linetype :same :new_pensize :off :pen_number 7 :new_color 0.0,0.0,0.0)
  (:old_linetype :all :color_def :all :color1 0.0,0.0,0.0 :color2 1.0,1.0,1.0 :pensize_def :single :pensize1 0 :pensize2 0 :new_linetype :same :new_pensize 0.25 :pen_number 1 :new_color :same)
)) "TrueColorMode" t)
)";

// Monochrome plots: every colour as black, size 0 as 0.25 mm, other sizes as drawn.
constexpr const char* kSchwarzweiss = R"(
("Pens" (:label "Schwarzweiß" :penlist (
  (:old_linetype :all :color_def :all :color1 0.0,0.0,0.0 :color2 1.0,1.0,1.0 :pensize_def :all :pensize1 0 :pensize2 1000000.0 :new_linetype :same :new_pensize :off :pen_number 1 :new_color 0.0,0.0,0.0)
  (:old_linetype :all :color_def :all :color1 0.0,0.0,0.0 :color2 1.0,1.0,1.0 :pensize_def :single :pensize1 0 :pensize2 0 :new_linetype :same :new_pensize 0.25 :pen_number 1 :new_color 0.0,0.0,0.0)
)) "TrueColorMode" nil)
)";

}  // namespace

const std::vector<DefaultStyle>& default_styles() {
  static const std::vector<DefaultStyle> styles{
      {"STANDARD", "Farbe", kStandard},
      {"SCHWARZWEISS", "Schwarzweiß", kSchwarzweiss},
  };
  return styles;
}

}  // namespace host::settings
