// The size of a page of a PDF file, for the frames of PDF underlays.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace host {

// Width and height in points (1/72 inch) of page `page` (counted from 1) of a PDF file, as a
// reader shows it: its crop box (else its media box), turned by the page's rotation; nullopt
// when the file is missing, no PDF, or has no such page.
std::optional<std::pair<double, double>> pdf_page_size(const std::string& path, int page);

}  // namespace host
