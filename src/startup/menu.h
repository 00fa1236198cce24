// The module's ribbon tab (newer hosts) or classic menu (older hosts) in "Annotation".
#pragma once

namespace tavrin {

void tavrin_menu();
void tavrin_ribbon_menu();
void tavrin_wui_menu();

}  // namespace tavrin
