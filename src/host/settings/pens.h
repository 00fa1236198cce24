// Pen-transformation styles: rules that map an element's line type, colour and pen size to
// the printed pen.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/drawing/model.h"

namespace host {

// One rule of a pen transformation. Names are upper case without colon ("ALL", "SAME").
struct PenRule {
  std::string old_linetype = "ALL";  // "ALL" or a line type name
  std::string color_def = "ALL";     // "ALL": color1..color2 range; "SINGLE": exactly color1
  Rgb color1{0, 0, 0};
  Rgb color2{1, 1, 1};
  std::string pensize_def = "ALL";  // "ALL": pensize1..pensize2; "SINGLE": exactly pensize1
  double pensize1 = 0;
  double pensize2 = 1000000.0;
  std::string new_linetype = "SAME";
  std::optional<double> new_pensize;  // nullopt: :off, the size stays
  int pen_number = 1;
  std::optional<Rgb> new_color;
  bool operator==(const PenRule&) const = default;
};

struct PenStyle {
  std::string key;    // keyword name, upper case: "INFO_DOCU", "TAVRINTMPTRANS"
  std::string title;  // "Infodoku"
  std::vector<PenRule> rules;
};

// Every rule that matches the stroke applies in order; a later rule overrides what an
// earlier one set.
Stroke apply_pen_rules(const std::vector<PenRule>& rules, const Stroke& stroke);

// The style of the active pen transformation ("Annotation/Plot/PenTrafo"), or nullptr when
// none is active (strokes print as drawn).
const PenStyle* active_pen_style();
// A style by key (case-insensitive), or nullptr.
const PenStyle* find_pen_style(const std::string& key);

}  // namespace host
