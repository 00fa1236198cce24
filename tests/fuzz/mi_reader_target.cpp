// Fuzz target: the .mi reader must answer any bytes with a drawing or a host error naming
// the source and line, and every drawing it reads must write and read back unchanged.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "host/api/error.h"
#include "host/formats/mi.h"

namespace {

bool same_drawing(const host::Drawing& a, const host::Drawing& b) {
  if (a.number != b.number || a.drawing_type != b.drawing_type || a.current != b.current ||
      a.sheets.size() != b.sheets.size())
    return false;
  for (std::size_t i = 0; i < a.sheets.size(); ++i) {
    const auto& sa = a.sheets[i];
    const auto& sb = b.sheets[i];
    if (sa.name != sb.name || sa.unique_name != sb.unique_name || sa.scale != sb.scale ||
        sa.frame_type != sb.frame_type || sa.elements.size() != sb.elements.size())
      return false;
    for (std::size_t j = 0; j < sa.elements.size(); ++j)
      if (!sa.elements[j].same_content(sb.elements[j])) return false;
  }
  return true;
}

}  // namespace

int fuzz_mi_reader(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  host::Drawing drawing;
  try {
    drawing = host::read_mi_text(text, "fuzz.mi");
  } catch (const host::Error& e) {
    if (std::string_view(e.what()).substr(0, 8) != "fuzz.mi:")
      throw std::logic_error(std::string("error does not name the file: ") + e.what());
    return 0;
  }
  const std::string written = host::write_mi_text(drawing);
  const host::Drawing back = host::read_mi_text(written, "written.mi");
  if (!same_drawing(drawing, back) || host::write_mi_text(back) != written)
    throw std::logic_error("drawing does not read back unchanged:\n" + written);
  return 0;
}
