// The size of a page of a PDF file, read with libqpdf.
#include "host/formats/pdf_page_size.h"

// We use std::shared_ptr only, never qpdf's older PointerHolder.
#define POINTERHOLDER_TRANSITION 4

#include <cmath>
#include <exception>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <vector>

namespace host {

std::optional<std::pair<double, double>> pdf_page_size(const std::string& path, int page) {
  if (page < 1) return std::nullopt;
  try {
    QPDF doc;
    doc.setSuppressWarnings(true);
    doc.processFile(path.c_str());
    std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(doc).getAllPages();
    if (static_cast<std::size_t>(page) > pages.size()) return std::nullopt;
    QPDFPageObjectHelper& p = pages[static_cast<std::size_t>(page - 1)];
    QPDFObjectHandle box = p.getCropBox();
    if (!box.isRectangle()) return std::nullopt;
    const QPDFObjectHandle::Rectangle r = box.getArrayAsRectangle();
    double w = std::abs(r.urx - r.llx), h = std::abs(r.ury - r.lly);
    QPDFObjectHandle rotate = p.getAttribute("/Rotate", false);
    if (rotate.isInteger() && (rotate.getIntValue() % 180 + 180) % 180 == 90) std::swap(w, h);
    if (!(w > 0) || !(h > 0) || !std::isfinite(w) || !std::isfinite(h)) return std::nullopt;
    return std::pair{w, h};
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace host
