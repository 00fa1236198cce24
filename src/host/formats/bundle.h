// Bundles (.bdl): zip archives that hold one drawing file (.mi or .dxf).
#pragma once

#include <string>

#include "host/drawing/model.h"

namespace host {

// Reads the first drawing member of the bundle (by its extension). Throws host::Error
// naming the bundle when it cannot be opened, is not an archive, or holds no drawing.
Drawing read_bundle_file(const std::string& path);

}  // namespace host
