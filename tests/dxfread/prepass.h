// The reference DXF reader our own is checked against: dxflib's parser behind the pre-pass
// that gave it clean text (the import path before our reader). Only the checks build it.
#pragma once

#include <string>
#include <vector>

namespace host::dxflib_path {

struct PreparedDxf {
  bool rewritten = false;          // false: dxflib reads the file itself, it needs no repair
  std::string text;                // otherwise what dxflib reads
  std::vector<std::string> notes;  // one output-box line per repair, naming the file
};

// Reads the file and gives its text, repaired where dxflib would fail on a sound drawing:
// binary DXF becomes text, values over dxflib's line length are split (MTEXT) or shortened,
// a file that ends after a complete section but without EOF gets its EOF (with a note).
// Throws host::Error naming the file (and line) when the file is missing, empty, garbled
// (a group code that is not a number, a vertex or knot count larger than the rest of the
// file) or truncated. dxflib itself accepts any readable file and would turn garbage into an
// empty drawing, or allocate what a garbled count asks for.
PreparedDxf prepare_dxf(const std::string& path);

}  // namespace host::dxflib_path
