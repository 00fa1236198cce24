// Pen rules as host values: the value text of a pen-transformation style, rule keyword lists,
// and the pen entries that the settings answer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/settings/pens.h"
#include "host/value/value.h"

namespace host::settings {

struct StyleValues {
  std::string label;
  std::vector<PenRule> rules;
};

// Reads a value text of the form ("Pens" (:label "..." :penlist ((rule...) ...)) ...), in
// which colours may be written as three comma-separated reals (0.0,1.0,1.0). Throws
// host::Error naming the rule and field at fault.
StyleValues parse_style_values(std::string_view text);

// One rule from its keyword list (:old_linetype :all :color1 (0.0 1.0 1.0) ...).
PenRule rule_from_value(const List& items);
// The keyword list of a rule, colours as lists of three reals, :off for a kept pen size.
Value rule_to_value(const PenRule& rule);

// Replaces every unquoted run "a,b,c" by "(a b c)" so that the literal reader accepts it.
std::string lists_for_color_triples(std::string_view text);

}  // namespace host::settings
