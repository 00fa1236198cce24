// The host's own drawing format (.mi): UTF-8 text, versioned header, one element per line.
// The reference is docs/mi-format.md.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/drawing/model.h"

namespace host {

// Throws host::Error "<source>:<line>: <what>" on malformed input; never returns half a drawing.
Drawing read_mi_text(std::string_view text, const std::string& source_name);
Drawing read_mi_file(const std::string& path);
std::string write_mi_text(const Drawing& drawing);
// A drawing holding just one sheet of another (sheet export).
std::string write_mi_sheet_text(const Drawing& drawing, const Sheet& sheet);

// Sketch files are .mi files; the sketch is the content of their first sheet.
std::vector<Element> read_mi_sketch_file(const std::string& path);
std::string write_mi_sketch_text(const std::vector<Element>& elements);

}  // namespace host
