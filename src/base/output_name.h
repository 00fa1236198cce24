// The output base name that the plot engine and the change history share.
#pragma once

#include <string>

namespace tavrin {

// Output base name of a sheet: drawing number and sheet name joined by "_", or the sheet
// name alone. Blanks and path separators become "_", so an output never leaves the output
// directory.
std::string create_speichername(const std::string& sheet_name);

}  // namespace tavrin
