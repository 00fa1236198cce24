// The page boxes of a PDF file set after cairo wrote it, and pages composed of our own
// content stream and cairo's pages.
//
// cairo cannot write either: it drops what lies beyond the page rounded to whole points, so
// pages are rendered with a margin and their MediaBox then set to the exact sheet; and it has
// no PDF 1.6 UserUnit, which pages beyond the 200-inch limit of common readers need.
#include "host/plot/pdf_pages.h"

// We use std::shared_ptr only, never qpdf's older PointerHolder.
#define POINTERHOLDER_TRANSITION 4

#include <libdeflate.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <stdexcept>

#include "host/api/error.h"

namespace host {
namespace {

// libdeflate's level 6, kept by measurement. A directory run over the 165 shared corpus
// drawings wrote 2.60 MB of PDF at level 1, 2.51 MB at 2, 2.50 MB at 4, 2.43 MB at 6 and
// 2.37 MB at 9; level 2 took about 0.15 s less CPU than 6 in a run of 1 s, level 9 0.3 s more.
// But below level 5 our streams grow by 6 to 8 % (the largest content stream of the corpus,
// 1.1 MB: 253 KB at level 2 in 8 ms, 244 KB at 5 in 16 ms, 238 KB at 6 in 21 ms) and some of
// our files get larger than cairo's own PDF of the same sheet, which our writer must never be;
// level 5 saves a quarter of the compression time of large pages only.
constexpr int kDeflateLevel = 6;

std::string deflated(const std::string& data) {
  // kept for the next page: making one costs more than compressing a small page
  thread_local std::unique_ptr<libdeflate_compressor, decltype(&libdeflate_free_compressor)> c(
      libdeflate_alloc_compressor(kDeflateLevel), libdeflate_free_compressor);
  if (!c) throw std::bad_alloc();
  std::string out(libdeflate_zlib_compress_bound(c.get(), data.size()), '\0');
  const std::size_t n =
      libdeflate_zlib_compress(c.get(), data.data(), data.size(), out.data(), out.size());
  if (n == 0) throw std::runtime_error("compression failed");
  out.resize(n);
  return out;
}

// A cairo page as a form of the page that paints it: its content stream takes the form's
// keys (cairo writes one stream per page; anything else goes through qpdf's copy).
QPDFObjectHandle page_as_form(QPDFPageObjectHelper& page) {
  QPDFObjectHandle p = page.getObjectHandle();
  QPDFObjectHandle contents = p.getKey("/Contents");
  if (!contents.isStream()) {
    QPDFObjectHandle form = page.getFormXObjectForPage(false);
    form.getDict().removeKey("/Group");
    return form;
  }
  QPDFObjectHandle dict = contents.getDict();
  dict.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
  dict.replaceKey("/Subtype", QPDFObjectHandle::newName("/Form"));
  dict.replaceKey("/BBox", page.getMediaBox(false).shallowCopy());
  QPDFObjectHandle resources = page.getAttribute("/Resources", false);
  if (!resources.isNull()) dict.replaceKey("/Resources", resources);
  // no transparency group: with the normal blend mode painting the form straight onto the
  // page looks the same, and readers need no picture of it aside
  return contents;
}

// Adds the resources of a cairo page to `merged`; false when a name is taken by another
// resource. cairo numbers fonts, pictures and patterns across the document, but the names of
// its transparency states count from 0 on every page.
bool merge_resources(QPDFObjectHandle merged, QPDFObjectHandle resources) {
  if (!resources.isDictionary()) return true;
  for (const std::string& kind : resources.getKeys()) {
    QPDFObjectHandle from = resources.getKey(kind);
    if (kind == "/ProcSet" || !from.isDictionary()) continue;
    if (!merged.hasKey(kind)) merged.replaceKey(kind, QPDFObjectHandle::newDictionary());
    QPDFObjectHandle into = merged.getKey(kind);
    for (const std::string& name : from.getKeys()) {
      QPDFObjectHandle value = from.getKey(name);
      if (!into.hasKey(name)) {
        into.replaceKey(name, value);
        continue;
      }
      QPDFObjectHandle taken = into.getKey(name);
      const bool same = value.isIndirect()
                            ? taken.isIndirect() && taken.getObjGen() == value.getObjGen()
                            : !taken.isIndirect() && taken.unparse() == value.unparse();
      if (!same) return false;
    }
  }
  return true;
}

std::string page_content(QPDFPageObjectHelper& page) {
  std::string content;
  for (QPDFObjectHandle& stream : page.getPageContents()) {
    std::shared_ptr<Buffer> data = stream.getStreamData(qpdf_dl_generalized);
    content.append(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
    content += '\n';
  }
  return content;
}

// One page from our stream and the sheet's cairo pages.
void compose_page(QPDF& doc, const OwnPage& o, std::vector<QPDFPageObjectHelper> cairo_pages) {
  QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
  bool merged = true;
  for (std::size_t k = 0; k < o.runs.size() && merged; ++k)
    merged = merge_resources(resources, cairo_pages[k].getAttribute("/Resources", false));
  std::string content;
  std::size_t from = 0;
  if (!o.runs.empty()) content.reserve(o.stream.size() + 4096);
  if (!merged) {
    resources = QPDFObjectHandle::newDictionary();
    resources.replaceKey("/XObject", QPDFObjectHandle::newDictionary());
  }
  for (std::size_t k = 0; k < o.runs.size(); ++k) {
    content.append(o.stream, from, o.runs[k] - from);
    from = o.runs[k];
    if (merged) {
      content += "q\n";
      content += page_content(cairo_pages[k]);
      content += "Q\n";
    } else {
      const std::string name = "/F" + std::to_string(k);
      resources.getKey("/XObject").replaceKey(name, page_as_form(cairo_pages[k]));
      content += name + " Do\n";
    }
  }
  if (!o.runs.empty()) content.append(o.stream, from);
  QPDFObjectHandle page = cairo_pages[0].getObjectHandle();
  QPDFObjectHandle stream = QPDFObjectHandle::newStream(&doc);
  // a page without texts is our stream alone: no copy of it
  stream.replaceStreamData(deflated(o.runs.empty() ? o.stream : content),
                           QPDFObjectHandle::newName("/FlateDecode"), QPDFObjectHandle::newNull());
  page.replaceKey("/Contents", stream);
  page.replaceKey("/Resources", resources);
}

// Replaces each sheet's cairo pages by one page painting our stream; returns the pages.
std::vector<QPDFPageObjectHelper> compose(QPDF& doc, const std::vector<OwnPage>& own) {
  QPDFPageDocumentHelper helper(doc);
  std::vector<QPDFPageObjectHelper> cairo_pages = helper.getAllPages();
  std::vector<QPDFPageObjectHelper> pages;
  std::size_t at = 0;
  for (const OwnPage& o : own) {
    const std::size_t n = o.cairo ? 1 : std::max<std::size_t>(1, o.runs.size());
    if (at + n > cairo_pages.size()) throw std::runtime_error("pages are missing");
    if (!o.cairo)
      compose_page(doc, o,
                   {cairo_pages.begin() + static_cast<std::ptrdiff_t>(at),
                    cairo_pages.begin() + static_cast<std::ptrdiff_t>(at + n)});
    pages.push_back(cairo_pages[at]);
    for (std::size_t k = 1; k < n; ++k) helper.removePage(cairo_pages[at + k]);
    at += n;
  }
  return pages;
}

std::string write_pdf(const std::string& pdf, const std::vector<OwnPage>* own,
                      const std::vector<PageBox>& boxes) {
  try {
    QPDF doc;
    doc.setSuppressWarnings(true);
    doc.processMemoryFile("plot.pdf", pdf.data(), pdf.size());
    bool user_units = false;
    std::vector<QPDFPageObjectHelper> pages =
        own ? compose(doc, *own) : QPDFPageDocumentHelper(doc).getAllPages();
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

}  // namespace

std::string set_page_boxes(const std::string& pdf, const std::vector<PageBox>& boxes) {
  return write_pdf(pdf, nullptr, boxes);
}

std::string compose_pages(const std::string& pdf, const std::vector<OwnPage>& own,
                          const std::vector<PageBox>& boxes) {
  return write_pdf(pdf, &own, boxes);
}

}  // namespace host
