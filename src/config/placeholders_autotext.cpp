// Placeholders until autotext lands.
#include "config/autotext.h"

namespace tavrin {

std::vector<Row> tv_load_autotext() { return {}; }
void tavrin_autotext_dialog() {}
void autotext_eintrag(int, bool) {}
void autotext_switch(int) {}
void set_autotext_to_drawing() {}

}  // namespace tavrin
