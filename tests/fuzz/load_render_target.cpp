// Fuzz target: a drawing loaded from any bytes is plotted into a PDF in memory, every sheet
// on its own page, once fitted to A4 and once at its own scale. The first byte chooses the
// format (.mi or DXF) and whether the pens of the standard transformation apply.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_file.h"
#include "host/api/error.h"
#include "host/formats/dxf.h"
#include "host/formats/mi.h"
#include "host/plot/pdf_writer.h"
#include "host/settings/pens.h"

int fuzz_load_render(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t mode = data[0];
  ++data;
  --size;
  host::Drawing drawing;
  try {
    if (mode & 1) {
      const fuzz::ScratchFile file(data, size, "fuzz.dxf");
      drawing = host::read_dxf_file(file.path());
    } else {
      drawing = host::read_mi_text(std::string_view(reinterpret_cast<const char*>(data), size),
                                   "fuzz.mi");
    }
  } catch (const host::Error&) {
    return 0;  // the readers' own targets check their errors
  }
  const host::PenStyle* pens = (mode & 2) ? host::find_pen_style("INFO_DOCU") : nullptr;
  std::vector<host::PdfPage> pages;
  for (const host::Sheet& sheet : drawing.sheets) {
    pages.push_back({&sheet, {210, 297}, {true, 1, false}});
    pages.push_back({&sheet, {420, 297}, {false, 1, (mode & 4) != 0}});
  }
  try {
    const std::string pdf = host::render_pdf(pages, pens, "fuzz");
    if (!pages.empty() && pdf.compare(0, 5, "%PDF-") != 0) throw std::logic_error("not a PDF");
  } catch (const host::Error&) {
    // cairo may refuse a page (for instance out of memory): reported, not a crash
  }
  return 0;
}
