// Colours, line types and line weights between DXF and the host's strokes.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "host/drawing/color_index.h"
#include "host/drawing/model.h"

namespace host::dxf {

using host::aci_to_rgb;
using host::nearest_aci;
// 24-bit true colour (group 420) and back.
int rgb_to_true_color(const Rgb& color);
Rgb true_color_to_rgb(int value);

// A DXF line type name (any case, standard and ISO names) as host line type.
std::string host_linetype(std::string_view dxf_name);
// The DXF line type written for a host line type, with its dash pattern in millimetres.
struct LinetypeDef {
  std::string name;
  std::string description;
  std::vector<double> pattern;  // dashes positive, gaps negative, dots 0
};
LinetypeDef dxf_linetype(std::string_view host_name);

// Line weight in 1/100 mm (negative: by layer, by block, default) as pen size in mm;
// nullopt-like -1 for the special codes. Line weight 0 becomes this hairline, which is
// written back as 0.
inline constexpr double kThinnestLineweightMm = 0.02;
inline constexpr int kLineweightDefault = -3;
double lineweight_to_pensize(int lineweight);
// The standard DXF line weight closest to the pen size.
int pensize_to_lineweight(double pensize);

// The text styles of the STYLE table: the font a style names (a TrueType file, a
// single-stroke font or a family), its width factor and oblique angle.
struct TextStyle {
  std::string font;
  double ratio = 1;
  double slant = 0;
};
class TextStyles {
 public:
  void add(const std::string& name, const std::string& font_file, double width, double oblique,
           const std::string& handle = {});
  // The style of that name (any case); a default style for names the table lacks.
  const TextStyle& find(const std::string& name) const;
  // The style of that handle (dimension styles name their text style so); the standard
  // style for handles the table lacks.
  const TextStyle& find_handle(const std::string& handle) const;

 private:
  std::map<std::string, TextStyle> styles_;
  std::map<std::string, std::string> names_;  // handle (upper case) to style name
};

}  // namespace host::dxf
