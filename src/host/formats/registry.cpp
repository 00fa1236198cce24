// The registry of drawing formats: the one place that knows which reader serves which type,
// so that the drawing model stays free of file formats.
#include "host/formats/registry.h"

#include <algorithm>
#include <filesystem>

#include "host/api/error.h"
#include "host/formats/bundle.h"
#include "host/formats/dwg.h"
#include "host/formats/dxf.h"
#include "host/formats/mi.h"
#include "host/value/text.h"
#include "host/value/language.h"

namespace host {

void check_drawing_file(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec))
    throw Error(translate_format("Cannot load {}: the file does not exist", path));
  if (!std::filesystem::is_regular_file(path, ec))
    throw Error(translate_format("Cannot load {}: it is not a file", path));
  if (std::filesystem::file_size(path, ec) == 0 && !ec)
    throw Error(translate_format("Cannot load {}: the file is empty", path));
}

Drawing read_drawing_file(const std::string& path) {
  check_drawing_file(path);
  const std::string ext = lower_extension(path);
  if (ext == ".mi") return read_mi_file(path);
  if (ext == ".dxf") return read_dxf_file(path);
  if (ext == ".bdl") return read_bundle_file(path);
  if (ext == ".dwg") return read_dwg_file(path);
  throw Error(translate_format("Cannot load {}: unknown drawing file type (expected .mi, .dxf, .dwg or .bdl)", path),
              "UNKNOWN-FILE-TYPE");
}

}  // namespace host
