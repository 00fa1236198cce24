// Saving the whole current drawing under a file name: the front ends' "save in place".
#include <algorithm>
#include <cctype>
#include <filesystem>

#include "host/api/drawing_ops.h"
#include "host/api/error.h"
#include "host/api/files.h"
#include "host/drawing/store.h"
#include "host/formats/dxf.h"
#include "host/formats/mi.h"
#include "host/formats/registry.h"
#include "host/ops/ops_support.h"
#include "host/value/text.h"

namespace host {

Value am_save_drawing(const List& args) {
  const KeywordArgs kw(args);
  const std::string path = ops::required_text(kw, "filename", "am_save_drawing");
  const Drawing& drawing = current_drawing();
  const std::string ext = lower_extension(path);
  if (ext != ".mi" && ext != ".dxf")
    throw Error("am_save_drawing: " + path + ": only .mi and .dxf files can be written");
  // A DXF file holds one sheet; writing one of several would lose the others silently.
  if (ext == ".dxf" && drawing.sheets.size() != 1)
    throw Error("am_save_drawing: " + path + ": a drawing of " +
                std::to_string(drawing.sheets.size()) + " sheets cannot be written as DXF");
  ops::check_overwrite(kw, path, "am_save_drawing");
  if (ext == ".mi")
    write_file_atomically(path, write_mi_text(drawing));
  else
    write_dxf_sheet(drawing.sheets.front(), drawing.number, path);
  return Value::t();
}

}  // namespace host
