// Colours, line types and line weights between DXF and the host's strokes.
#include "host/formats/dxf_style.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "host/value/text.h"

namespace host::dxf {
namespace {

int channel8(double v) {
  return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
}

bool starts(const std::string& s, std::string_view prefix) {
  return s.rfind(prefix, 0) == 0;
}

constexpr int kLineweights[] = {0,  5,  9,  13, 15, 18,  20,  25,  30,  35,  40,  50,
                                53, 60, 70, 80, 90, 100, 106, 120, 140, 158, 200, 211};

}  // namespace

int rgb_to_true_color(const Rgb& color) {
  return (channel8(color.r) << 16) | (channel8(color.g) << 8) | channel8(color.b);
}

Rgb true_color_to_rgb(int value) {
  return {((value >> 16) & 0xFF) / 255.0, ((value >> 8) & 0xFF) / 255.0, (value & 0xFF) / 255.0};
}

std::string host_linetype(std::string_view dxf_name) {
  const std::string n = upper(dxf_name);
  if (n == "SOLID" || n == "DASHED" || n == "DASH_CENTER" || n == "CENTER" || n == "PHANTOM" ||
      n == "DOTTED" || n == "LONG_DASHED")
    return n;
  if (starts(n, "ACAD_ISO") && n.size() >= 10) {
    int iso = (n[8] - '0') * 10 + (n[9] - '0');
    switch (iso) {
      case 2:
        return "DASHED";
      case 3:
        return "LONG_DASHED";
      case 4:
      case 8:
        return "CENTER";
      case 7:
        return "DOTTED";
      case 10:
      case 11:
        return "DASH_CENTER";
      case 5:
      case 6:
      case 9:
      case 12:
      case 13:
      case 14:
      case 15:
        return "PHANTOM";
      default:
        return "SOLID";
    }
  }
  if (starts(n, "DASHDOT") || starts(n, "BORDER")) return "DASH_CENTER";
  if (starts(n, "DASHEDX2")) return "LONG_DASHED";
  if (starts(n, "DASHED") || starts(n, "HIDDEN")) return "DASHED";
  if (starts(n, "CENTER")) return "CENTER";
  if (starts(n, "PHANTOM") || starts(n, "DIVIDE")) return "PHANTOM";
  if (starts(n, "DOT")) return "DOTTED";
  return "SOLID";
}

LinetypeDef dxf_linetype(std::string_view host_name) {
  const std::string n = upper(host_name);
  if (n == "DASHED") return {"DASHED", "Dashed __ __ __", {12.7, -6.35}};
  if (n == "LONG_DASHED") return {"DASHEDX2", "Dashed (2x) ____  ____", {25.4, -12.7}};
  if (n == "CENTER") return {"CENTER", "Center ____ _ ____ _", {31.75, -6.35, 6.35, -6.35}};
  if (n == "DASH_CENTER") return {"DASHDOT", "Dash dot __ . __ .", {12.7, -6.35, 0, -6.35}};
  if (n == "PHANTOM")
    return {"PHANTOM", "Phantom ____ _ _ ____", {31.75, -6.35, 6.35, -6.35, 6.35, -6.35}};
  if (n == "DOTTED") return {"DOT", "Dot . . . .", {0, -6.35}};
  return {"CONTINUOUS", "Solid line", {}};
}

double lineweight_to_pensize(int lineweight) {
  if (lineweight < 0) return -1;
  // 0.00 mm is the thinnest line the device draws. Pen size 0 would be the host's default
  // pen, which the standard plot styles print at 0.25 mm: broader than a 0.18 mm line.
  if (lineweight == 0) return kThinnestLineweightMm;
  return lineweight / 100.0;
}

int pensize_to_lineweight(double pensize) {
  // the host's default pen is the file's default line weight
  if (!(pensize > 0)) return kLineweightDefault;
  double hundredths = pensize * 100;
  int best = 0;
  for (int w : kLineweights)
    if (std::fabs(w - hundredths) < std::fabs(best - hundredths)) best = w;
  return best;
}

void TextStyles::add(const std::string& name, const std::string& font_file, double width,
                     double oblique, const std::string& handle) {
  if (!handle.empty()) names_[upper(handle)] = name;
  TextStyle& s = styles_[upper(name)];
  s.font = font_file;
  s.ratio = width > 0 && std::isfinite(width) ? width : 1;
  s.slant = std::isfinite(oblique) ? oblique : 0;
}

const TextStyle& TextStyles::find(const std::string& name) const {
  static const TextStyle fallback;
  // an entity without a style of its own uses the standard one
  auto it = styles_.find(name.empty() ? std::string("STANDARD") : upper(name));
  return it == styles_.end() ? fallback : it->second;
}

const TextStyle& TextStyles::find_handle(const std::string& handle) const {
  auto it = names_.find(upper(handle));
  return find(it == names_.end() ? std::string() : it->second);
}

}  // namespace host::dxf
