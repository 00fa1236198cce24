// Number syntax of the host language's reader: integers, ratios and floats in base ten.
#pragma once

#include <string_view>

#include "host/value/value.h"

namespace host {

struct NumberParse {
  enum Status { NotNumber, Ok, OutOfRange, ZeroDenominator };
  Status status = NotNumber;
  Value value;
};

// Classifies a whole token: "+2", "-1", "2." (integers), "594/420" (ratio), "2.5", ".5",
// "1e3", "1.5d0" (floats). Anything else, such as "2a" or "1/-2", is not a number.
NumberParse parse_number(std::string_view token);

}  // namespace host
