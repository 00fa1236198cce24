// The change history of a drawing: the INFO field and its records.
#pragma once

#include <string>
#include <vector>

#include "host/api/value.h"

namespace tavrin {

inline constexpr const char* kInfoNotFound = "INFO-Feld nicht gefunden";

// Declares tv_info_drop and tv_info_edit as host command dialogs.
void register_history_dialogs();

// Reads the header marker from "TavrinInfo.dat" into *header-info*; "*" when the file is
// missing or its first line is blank. Nil when the file is missing, else the marker.
host::Value get_info_string_from_file();

// Searches the current sheet's docu texts: mode 0 for the INFO field (its marker), any other
// mode for any text with an INFO attribute. (:ok) or (:error "INFO-Feld nicht gefunden");
// sets *info-element* on success.
host::List am_info_findinfo(int mode);
bool found(const host::List& result);

// The text unchanged when it is a string; else the attributes of *info-element* in text
// order joined by line feeds; nil when the element has none.
host::Value info_text_from_element(const host::Value& info_text);

// A line feed ends a line (kept even when empty); a last unfinished line counts only when
// it is not empty.
std::vector<std::string> text_to_list(const std::string& text);

// Warns when a line repeats a later one: "Zeile <later> ist identisch mit Zeile <earlier>".
// The text stays as entered. Keeps the lines in *zeilenliste*.
void check_doppelte_zeile(const std::string& text);

// Whether the host holds a drawing: one with a number, or one with content on a sheet. A
// drawing file without number is still a drawing that must not be replaced or refused.
bool drawing_loaded();

void tv_info_drop();
// The OK action of the edit dialog: stores the edited text as the whole history.
void tv_info_edit_ok(const host::Value& info_text);

}  // namespace tavrin
