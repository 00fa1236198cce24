// DWG drawings: converted to DXF by the DWG converter, then read by the DXF reader.
#pragma once

#include <string>

#include "host/drawing/model.h"

namespace host {

// Reads a DWG file as the DXF reader reads its DXF twin (same drawing number, sheets and
// notes, which name the DWG). What LibreDWG only warned about becomes one note. Throws
// host::Error "<file>: the DWG reader failed: <why>" when the conversion fails, and the DXF
// reader's error (naming the DWG) when the converted DXF cannot be read.
Drawing read_dwg_file(const std::string& path);

}  // namespace host
