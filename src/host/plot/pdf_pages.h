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

// A page whose content tavrin wrote: its content stream (uncompressed), and where in it the
// next pages cairo wrote are painted, one offset per page; with none, cairo wrote one empty
// page to stand for it. A page that cairo drew whole is kept as it is.
struct OwnPage {
  std::string stream;
  std::vector<std::size_t> runs;
  bool cairo = false;
};

// Builds each final page from cairo's pages: the first of its cairo pages becomes the page,
// its content our stream with the content of each cairo page inserted at its place, their
// resources merged (or, where their names collide, each cairo page as a form); the other
// cairo pages are dropped. Then sets the boxes as set_page_boxes does. Throws host::Error
// when qpdf cannot read the PDF.
std::string compose_pages(const std::string& pdf, const std::vector<OwnPage>& own,
                          const std::vector<PageBox>& boxes);

}  // namespace host
