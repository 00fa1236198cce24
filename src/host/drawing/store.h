// The host's drawing store: the one current drawing and what finds things in it.
#pragma once

#include <cstdint>
#include <string>

#include "host/drawing/model.h"

namespace host {

// There is always a current drawing; at start and after a discard it is an empty drawing
// without number holding one empty sheet named "1".
Drawing& current_drawing();
void replace_current_drawing(Drawing drawing);
// An empty drawing as the host creates it.
Drawing empty_drawing();

// A unique name for a new sheet of the current drawing ("1", "2", ...): never one that the
// drawing has used before, even for a sheet deleted since.
std::string new_unique_sheet_name();
// Call before removing sheets: their unique names are then never handed out again.
void remember_unique_sheet_names();

// An element of the current drawing by id, or nullptr.
Element* find_element(std::uint64_t id);
// The sheet of the current drawing that holds the element, or nullptr.
Sheet* sheet_of_element(std::uint64_t id);

}  // namespace host
