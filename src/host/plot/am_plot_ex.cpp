// am_plot_ex: plots the current sheet or every sheet of the current drawing into a PDF file,
// or prints the current sheet; and the list of installed printers.
#include <fmt/format.h>

#include <algorithm>
#include <filesystem>

#include "host/api/drawing_ops.h"
#include "host/api/error.h"
#include "host/api/files.h"
#include "host/drawing/store.h"
#include "host/plot/paper.h"
#include "host/plot/pdf_writer.h"
#include "host/plot/plot_args.h"
#include "host/plot/plot_style_choice.h"
#include "host/plot/preview.h"
#include "host/plot/print_sink.h"
#include "host/plot/printing.h"
#include "host/files/report.h"

namespace host {
namespace {

constexpr PageSize kA4{210, 297};

const PenStyle* pen_style_for(const PlotRequest& r) {
  const PenStyle* style = r.transf_style.empty() ? nullptr : find_pen_style(r.transf_style);
  return style ? style : active_pen_style();
}

// The sheet's plot style table and the job's colour mode.
PrintColors print_colors(const Sheet& sheet) {
  return {plot_style_table_for(current_drawing(), sheet).get(), plot_color_settings().mode};
}

Placement placement_for(const PlotRequest& r) {
  return Placement{r.fit, r.scale, r.position_left};
}

// The page of a PDF: the custom size, else the named paper, else the sheet's own extent.
PageSize pdf_page_size(const PlotRequest& r, const Sheet& sheet) {
  PageSize page = kA4;
  if (r.custom_size || (r.width && r.height)) {
    if (!r.width || !r.height) throw Error("am_plot_ex: :custom_size needs :width and :height");
    page = {*r.width, *r.height};
  } else if (!r.paper.empty()) {
    auto paper = find_paper(r.paper);
    if (!paper) throw Error("am_plot_ex: unknown paper \"" + r.paper + "\"", "UNKNOWN-PAPER");
    page = {paper->width_mm, paper->height_mm};
  } else if (auto extent = sheet.extent()) {
    const double w = (extent->second.x - extent->first.x) * r.scale;
    const double h = (extent->second.y - extent->first.y) * r.scale;
    if (w > 0 && h > 0) page = {w, h};
  }
  return oriented(page, r.orientation);
}

// What the run report keeps of a plot: the first plotted sheet, measured, and its page.
void report_plot(const PlotRequest& r, const Sheet& sheet, PageSize page,
                 const std::string& printer) {
  if (!workers::report::active()) return;
  workers::report::PlotFacts f;
  f.sheet = sheet.name;
  f.page_width = page.width_mm;
  f.page_height = page.height_mm;
  if (auto extent = sheet.extent()) {
    f.measured_width = extent->second.x - extent->first.x;
    f.measured_height = extent->second.y - extent->first.y;
    // A sheet larger than its page is reduced to fit; the factor is how much.
    if (page.width_mm > 0 && page.height_mm > 0)
      f.fit_factor =
          std::max({1.0, *f.measured_width / page.width_mm, *f.measured_height / page.height_mm});
  }
  if (!r.paper.empty()) {
    f.format = r.paper;
  } else {
    const auto paper = find_paper_by_size(page.width_mm, page.height_mm);
    f.format = paper ? paper->name : "-";
  }
  f.orientation = page.width_mm > page.height_mm ? "LANDSCAPE" : "PORTRAIT";
  const PenStyle* style = pen_style_for(r);
  f.plot_style = style ? style->key : r.transf_style;
  f.printer = printer;
  workers::report::note_plot(f);
}

// The page a printer gets: its named paper, turned; a page of the sheet's own size when the
// host knows no such paper (the print system then refuses or scales, as it is set up to).
PageSize printer_page_size(const PlotRequest& r, const Sheet& sheet) {
  if (auto paper = find_paper(r.paper))
    return oriented({paper->width_mm, paper->height_mm}, r.orientation);
  PlotRequest own = r;
  own.paper.clear();
  return pdf_page_size(own, sheet);
}

std::vector<const Sheet*> sheets_to_plot(const PlotRequest& r) {
  const Drawing& drawing = current_drawing();
  std::vector<const Sheet*> sheets;
  if (r.output == PlotOutput::Drawing) {
    for (const Sheet& s : drawing.sheets) sheets.push_back(&s);
  } else if (!drawing.sheets.empty()) {
    sheets.push_back(&drawing.current_sheet());
  }
  if (sheets.empty()) throw Error("am_plot_ex: the drawing has no sheet to plot");
  return sheets;
}

void plot_pdf(const PlotRequest& r) {
  if (r.destination.empty()) throw Error("am_plot_ex: a PDF plot needs :destination");
  std::vector<PdfPage> pages;
  for (const Sheet* sheet : sheets_to_plot(r))
    pages.push_back({sheet, pdf_page_size(r, *sheet), placement_for(r), print_colors(*sheet)});
  report_plot(r, *pages.front().sheet, pages.front().size, "");
  const std::string title = std::filesystem::path(r.destination).stem().string();
  write_file_atomically(r.destination, render_pdf(pages, pen_style_for(r), title));
}

// A sheet beyond what a printer page can take is printed only fitted to the paper.
void check_printable_unfitted(const PlotRequest& r, const Sheet& sheet) {
  const auto extent = sheet.extent();
  if (r.fit || !extent) return;
  const double w = (extent->second.x - extent->first.x) * r.scale;
  const double h = (extent->second.y - extent->first.y) * r.scale;
  if (w <= kMaxPlainPageMm && h <= kMaxPlainPageMm) return;
  throw Error(
      fmt::format("am_plot_ex: sheet \"{}\" is {:.0f} x {:.0f} mm, larger than the {:.0f} mm "
                  "a printer page can take; print it fitted to the paper",
                  sheet.name, w, h, kMaxPlainPageMm),
      "SHEET-TOO-LARGE");
}

void plot_printer(const PlotRequest& r) {
  if (r.paper.empty()) throw Error("am_plot_ex: printing needs :paper_format_ra");
  for (const Sheet* sheet : sheets_to_plot(r)) check_printable_unfitted(r, *sheet);
  PrintSink& sink = print_sink();
  const PrinterMedia media = sink.media(r.plotter_name, r.paper);
  std::vector<PdfPage> pages;
  for (const Sheet* sheet : sheets_to_plot(r))
    pages.push_back(
        {sheet, oriented(media.size, r.orientation), placement_for(r), print_colors(*sheet)});
  const Drawing& drawing = current_drawing();
  std::string title = drawing.number.value_or("tavrin");
  if (r.output == PlotOutput::Sheet) title += " " + drawing.current_sheet().name;
  report_plot(r, *pages.front().sheet, pages.front().size, r.plotter_name);
  PrintOptions options{r.plotter_name, r.paper, r.orientation, r.copies, r.fit, title};
  sink.submit(render_pdf(pages, pen_style_for(r), title), options, media);
}

}  // namespace

Value am_plot_ex(const List& args) {
  try {
    PlotRequest request = parse_plot_args(args);
    if (request.plot) {
      if (request.plotter_type == PlotterType::Pdf)
        plot_pdf(request);
      else
        plot_printer(request);
    }
  } catch (const Error& e) {
    set_error_state(e);
    throw;
  }
  return Value::t();
}

List sd_inq_printers() {
  List names;
  for (auto& name : print_sink().printers()) names.emplace_back(std::move(name));
  return names;
}

}  // namespace host

namespace host {

PaperPreview plot_preview(const List& plot_args) {
  const PlotRequest r = parse_plot_args(plot_args);
  const Drawing& drawing = current_drawing();
  if (drawing.sheets.empty()) throw Error("plot preview: the drawing has no sheet");
  const Sheet& sheet = drawing.current_sheet();
  const bool printer = r.plotter_type == PlotterType::Printer;
  const PageSize page = printer ? printer_page_size(r, sheet) : pdf_page_size(r, sheet);
  const PenStyle* pens = pen_style_for(r);
  PaperPreview preview;
  preview.width_mm = page.width_mm;
  preview.height_mm = page.height_mm;
  preview.fit = r.fit;
  preview.scale = r.scale;
  preview.position_left = r.position_left;
  preview.pen_style = pens ? pens->key : "";
  const bool landscape = page.width_mm > page.height_mm;
  preview.description =
      fmt::format("{} {}: {} {:.0f} x {:.0f} mm, {}, {}", printer ? "Printer" : "PDF",
                  printer ? r.plotter_name : r.destination, r.paper.empty() ? "page" : r.paper,
                  page.width_mm, page.height_mm, landscape ? "landscape" : "portrait",
                  r.fit ? "fitted" : fmt::format("scale {:g}", r.scale));
  if (pens) preview.description += ", pens " + pens->title;
  return preview;
}

}  // namespace host
