// Sheets as pages of one PDF document, held in memory until it is written or printed.
#pragma once

#include <string>
#include <vector>

#include "host/plot/layout.h"
#include "host/plot/print_colors.h"
#include "host/settings/pens.h"

namespace host {

struct PdfPage {
  const Sheet* sheet = nullptr;
  PageSize size;
  Placement placement;
  // The sheet's plot style table and the plot's colour mode.
  PrintColors colors{};
};

// Renders the pages in order with the pen transformation (nullptr: as drawn) and returns the
// bytes of the PDF file. Throws host::Error when cairo fails.
std::string render_pdf(const std::vector<PdfPage>& pages, const PenStyle* pens,
                       const std::string& title);

}  // namespace host
