// Fuzz target: DXF import, text or binary, through the pre-pass, dxflib and the assembly.
// Any bytes end in a drawing with one sheet or in a host error that names the file.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "fuzz_file.h"
#include "host/api/error.h"
#include "host/formats/dxf.h"

int fuzz_dxf_import(const std::uint8_t* data, std::size_t size) {
  const fuzz::ScratchFile file(data, size, "fuzz.dxf");
  host::Drawing drawing;
  try {
    drawing = host::read_dxf_file(file.path());
  } catch (const host::Error& e) {
    if (std::string_view(e.what()).find("fuzz.dxf") == std::string_view::npos)
      throw std::logic_error(std::string("error does not name the file: ") + e.what());
    return 0;
  }
  if (drawing.sheets.size() != 1) throw std::logic_error("a DXF file must load as one sheet");
  (void)drawing.sheets.front().extent();
  return 0;
}
