// A quick structural check of a DXF file before dxflib parses it.
#pragma once

#include <string>

namespace host::dxf {

// Throws host::Error naming the file (and line) when the file is missing, empty, binary,
// garbled (a group code that is not a number, a line dxflib would split, a vertex or knot
// count larger than the rest of the file) or truncated (no EOF). dxflib itself accepts any
// readable file and would turn garbage into an empty drawing, or allocate what a garbled
// count asks for.
void check_dxf_structure(const std::string& path);

}  // namespace host::dxf
