// Output base names: one rule for every file a job writes beside the drawing.
#include "base/output_name.h"

#include <algorithm>

#include "host/api/host.h"

namespace tavrin {

std::string create_speichername(const std::string& sheet_name) {
  const host::Value number = host::sd_am_inq_drawing_no();
  std::string base =
      number.truthy() ? host::format("~A_~A", number, sheet_name) : host::format("~A", sheet_name);
  // Separators in a drawing number or sheet name would put the output into another
  // directory (or fail); "." and ".." alone would name a directory.
  std::replace_if(
      base.begin(), base.end(), [](char c) { return c == ' ' || c == '/' || c == '\\'; }, '_');
  if (base == "." || base == "..") std::replace(base.begin(), base.end(), '.', '_');
  return base;
}

}  // namespace tavrin
