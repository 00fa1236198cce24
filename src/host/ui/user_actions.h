// What a person does in the dialogs, menus and ribbon: clicks, typing, picking, answering.
// The command line, the GUI and the tests all drive the host through these, so each runs the
// actions a real click would run (unlike the module's own calls, which choose whether to).
// Each action that runs something is a command of its own: when it ends, the lines its
// actions queued with sd_put_buffer run (only the outermost when actions nest).
// Every action refuses, with a host::Error naming the control, what a person could not reach:
// a control that does not exist or is not visible.
#pragma once

#include <cstddef>
#include <string>

#include "host/value/value.h"

namespace host::ui {

// Flips a toggle and runs its push action (now set) or release action (now cleared). The
// indicator is only the look: a radio toggle flips too, and its partners are the module's
// business (its actions clear them, or set the clicked one again).
void click_toggle(const std::string& id);
// Clicks the toggle only when it is not already in the wanted state (how the command line
// applies "--pdf on": the same clicks a person would make, none when nothing needs changing).
void ensure_toggle(const std::string& id, bool on);
// Replaces the text of an editable field. Runs no action. An editable drop-down with
// :autoadd takes a new text into its entries.
void type_text(const std::string& id, const std::string& text);
// Chooses an entry of a drop-down. A non-editable drop-down takes only its entries; anything
// else is refused with an error that lists them.
void pick_entry(const std::string& id, const std::string& entry);
// Presses a push button: runs its action.
void press_button(const std::string& id);
// Clicks a row (0-based) of a display table: selects it and runs the selection action.
void click_table_row(const std::string& display_table, int row);
// Closes a shown dialog shell: runs its close action, or hides it when it has none.
void close_shell(const std::string& shell);
// The answer to the next question: the first or the second button.
void answer_next_question(bool first);
// Supplies the value for the running command dialog's current input.
void enter_dialog_input(const Value& value);
// Clicks a button of a menu's button box, or of a ribbon group (index 0-based).
Value click_menu_button(const std::string& menu, const std::string& box, std::size_t index);
Value click_ribbon_button(const std::string& tab, const std::string& group, std::size_t index);

}  // namespace host::ui
