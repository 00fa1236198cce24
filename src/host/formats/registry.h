// The registry of drawing formats: picks the reader of a drawing file by its type.
#pragma once

#include <string>

#include "host/drawing/model.h"

namespace host {

// Throws host::Error naming the file when it is missing, not a file, or empty.
void check_drawing_file(const std::string& path);
// Reads a drawing file by its extension (.mi, .dxf, .dwg, .bdl, case-insensitive). Throws
// host::Error naming the file (and line) when it is missing, empty, unknown or malformed.
Drawing read_drawing_file(const std::string& path);

}  // namespace host
