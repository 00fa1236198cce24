// The DXF import as another parser can drive it: checks feed it from dxflib's own parser and
// compare the drawings.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/drawing/model.h"

class DL_CreationInterface;

namespace host::dxf {

class Import {
 public:
  virtual ~Import() = default;
  // Where a parser reports the file's content.
  virtual DL_CreationInterface& events() = 0;
  // The drawing, once the parser is through.
  virtual Drawing finish() = 0;
};

// `size`: the file's size in bytes, to reserve room for its entities.
std::unique_ptr<Import> start_import(const std::string& path, std::uintmax_t size);

}  // namespace host::dxf
