// Autotext: title-block texts stamped into each drawing before output.
#pragma once

#include <string>
#include <vector>

#include "base/globals.h"

namespace tavrin {

std::vector<Row> tv_load_autotext();
void tavrin_autotext_dialog();
void autotext_eintrag(int y, bool flag);
void autotext_switch(int zeiger);
// Applies the switched-on rows of the autotext dialog to the current drawing.
void set_autotext_to_drawing();

}  // namespace tavrin
