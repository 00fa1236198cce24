// Stand-ins for DXF import and export while they are not part of the build: weak, so the
// real definitions replace them as soon as they are linked in.
#include "host/api/error.h"
#include "host/formats/dxf.h"

namespace host {

[[gnu::weak]] Drawing read_dxf_file(const std::string& path) {
  throw Error("Cannot load " + path + ": DXF import is not available yet");
}

[[gnu::weak]] void write_dxf_sheet(const Sheet&, const std::optional<std::string>&,
                                   const std::string& path) {
  throw Error("Cannot write " + path + ": DXF export is not available yet");
}

}  // namespace host
