// DXF import and export through dxflib.
#pragma once

#include <optional>
#include <string>

#include "host/drawing/model.h"

namespace host {

// A DXF file loads as a drawing with one sheet per paper-space layout that holds content
// (its viewports as groups over the model space), else with the model space as sheet "1";
// ATTRIB values become texts whose INFO attribute is the tag. A file without a drawing
// number takes its base name as number.
// Throws host::Error naming the file (and line) when it cannot be read.
Drawing read_dxf_file(const std::string& path);
// Writes one sheet so that independent readers get the same geometry and texts (a group
// as the entities it shows, cut to its outline); INFO attributes travel as XDATA so that our
// own reader restores them.
void write_dxf_sheet(const Sheet& sheet, const std::optional<std::string>& drawing_number,
                     const std::string& path);

}  // namespace host
