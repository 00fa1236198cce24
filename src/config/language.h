// Language texts: the user-visible texts of the module, looked up by number.
#pragma once

#include <string>

namespace tavrin {

// Reads "TavrinLanguage.dat" into the host's logical table "TavrinLanguage" (replacing it).
void language_file_to_ltab();
// The text for the number; "" when no row carries it. A number on several lines: the last wins.
std::string lang_text(int nr_soll);

}  // namespace tavrin
