// The page boxes of a PDF file set after cairo wrote it.
//
// cairo cannot write either: it drops what lies beyond the page rounded to whole points, so
// pages are rendered with a margin and their MediaBox then set to the exact sheet; and it has
// no PDF 1.6 UserUnit, which pages beyond the 200-inch limit of common readers need.
#include "host/plot/pdf_pages.h"

// We use std::shared_ptr only, never qpdf's older PointerHolder.
#define POINTERHOLDER_TRANSITION 4

#include <exception>
#include <memory>
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include "host/api/error.h"

namespace host {

std::string set_page_boxes(const std::string& pdf, const std::vector<PageBox>& boxes) {
  try {
    QPDF doc;
    doc.setSuppressWarnings(true);
    doc.processMemoryFile("plot.pdf", pdf.data(), pdf.size());
    bool user_units = false;
    std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(doc).getAllPages();
    for (std::size_t i = 0; i < pages.size() && i < boxes.size(); ++i) {
      const PageBox& b = boxes[i];
      QPDFObjectHandle page = pages[i].getObjectHandle();
      page.replaceKey("/MediaBox", QPDFObjectHandle::newArray(
                                       QPDFObjectHandle::Rectangle(b.llx, b.lly, b.urx, b.ury)));
      if (b.user_unit != 1) {
        page.replaceKey("/UserUnit", QPDFObjectHandle::newReal(b.user_unit, 6));
        user_units = true;
      }
    }
    QPDFWriter writer(doc);
    writer.setOutputMemory();
    writer.setStreamDataMode(qpdf_s_preserve);
    if (user_units) writer.setMinimumPDFVersion("1.6");
    writer.write();
    std::shared_ptr<Buffer> out = writer.getBufferSharedPointer();
    return std::string(reinterpret_cast<const char*>(out->getBuffer()), out->getSize());
  } catch (const std::exception& e) {
    throw Error(std::string("plot: setting the PDF page size failed: ") + e.what());
  }
}

}  // namespace host
