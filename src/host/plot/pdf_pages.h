// The page boxes of a PDF file set after cairo wrote it: exact sizes and large-unit pages.
#pragma once

#include <string>
#include <vector>

namespace host {

// A page's visible area in PDF units and the size of one unit in points (PDF 1.6 UserUnit).
struct PageBox {
  double llx = 0, lly = 0, urx = 0, ury = 0;
  double user_unit = 1;
};

// Returns the PDF with each page's MediaBox (and UserUnit where it is not 1) replaced, in page
// order; the content streams are copied unchanged. Throws host::Error when qpdf cannot read
// the PDF.
std::string set_page_boxes(const std::string& pdf, const std::vector<PageBox>& boxes);

}  // namespace host
