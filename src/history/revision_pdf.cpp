// The revision PDF: the change history laid out on A4 pages of a new drawing, restyled and
// plotted into one file; and the "Infodoku" plot style it is printed with.
#include "history/revision_pdf.h"

#include <optional>
#include <string>
#include <vector>

#include "base/globals.h"
#include "base/output_name.h"
#include "history/info_record.h"
#include "host/api/host.h"
#include "host/api/language.h"

namespace tavrin {

namespace {

using host::kw;
using host::List;
using host::Value;

constexpr int kHeaderLines = 4;
constexpr int kPageFull = 37;  // header plus 33 history lines
constexpr int kLinesPerPage = kPageFull - kHeaderLines;
constexpr const char* kNoFrame = "docu_none_frame";
constexpr const char* kRule = "++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++";

constexpr const char* kRestyling[] = {
    "CHANGE_COLOR CYAN GLOBAL GEO ALL END",
    "CHANGE_LINETYPE PHANTOM GLOBAL GEO ALL END",
    "ADD_ELEM_INFO 'PP_dummy' GLOBAL GEO ALL END",
    "CHANGE_TEXT_ADJUST 7 GLOBAL ALL END",
    "CHANGE_TEXT_FONTNAME 'hp_i3098_v' GLOBAL ALL END",
    "CHANGE_TEXT_ANGLE 0 GLOBAL ALL END",
    "CHANGE_TEXT_FRAME OFF GLOBAL ALL END",
    "CHANGE_TEXT_LINESPACE 2.2 GLOBAL ALL END",
    "CHANGE_TEXT_RATIO 1 GLOBAL ALL END",
    "CHANGE_TEXT_SIZE 3.5 GLOBAL ALL END",
    "CHANGE_TEXT_SLANT 0 GLOBAL ALL END",
    "CHANGE_COLOR WHITE GLOBAL TEXTS ALL END",
};

// Every host step shows its own failure, which counts; the layout goes on.
std::optional<Value> step(const std::function<Value()>& op) {
  return host::guarded(op, host::OnError::Show);
}

struct Pages {
  std::string first;   // the history's first line, the head of every page
  std::string number;  // the drawing number as the host gives it
  long long total = 1;
};

std::string page_header(const Pages& p, long long page, const std::string& line) {
  return host::format(G_("~A ~A von ~A~%~A~%~A~A~%~A~%~A"), p.first, page, p.total,
                      G_("Änderungsmitteilung"), G_("Zeichnungsnummer: "), p.number, kRule, line);
}

void draw_frame() {
  step([] {
    return host::am_geo_rectangle(
        {kw("owner"), kw("current_sheet"), Value::point(0, 0), Value::point(205, -292)});
  });
}

void create_page_text(const std::string& text) {
  step([&] {
    return host::am_create_text({kw("owner"), kw("current_sheet"), kw("docu-text"), text,
                                 kw("style"), kw("standard"), Value::point(5, -5)});
  });
}

void new_page_sheet() {
  step([] { return host::am_sheet_create({kw("scale"), "1:1", kw("frame_type"), kw(kNoFrame)}); });
  draw_frame();
}

void delete_current_sheet() {
  step([] {
    const List record = host::sd_am_inq_sheet(host::sd_am_inq_curr_sheet());
    return host::am_sheet_delete({kw("delete_sheet"), record.at(0), kw("yes")});
  });
}

// The history lines, 33 to a page; a full last page leaves an empty sheet behind, which
// goes again.
void lay_out(const Pages& p, const std::vector<std::string>& history) {
  long long page = 1;
  int counter = kHeaderLines;
  std::optional<std::string> text;
  for (const std::string& line : history) {
    ++counter;
    text = text ? host::format("~A~%~A", *text, line) : page_header(p, page, line);
    if (counter == kPageFull) {
      create_page_text(*text);
      text.reset();
      counter = kHeaderLines;
      ++page;
      new_page_sheet();
    }
  }
  if (text) {
    create_page_text(*text);
  } else if (history.empty()) {
    // A history of only its first line still gets its page: the header tells that the
    // drawing carries an INFO field without changes.
    std::string header = page_header(p, 1, "");
    header.pop_back();
    create_page_text(header);
  } else {
    delete_current_sheet();
  }
}

void restyle() {
  for (const char* line : kRestyling)
    step([line] { return host::sd_execute_annotator_command({kw("cmd"), line}); });
}

List plot_args(const std::string& pdf) {
  // clang-format off
  return {kw("plotter_type_ra"), kw("pdf"), kw("plotter_name_ra"), "PDF_GENERIC",
          kw("plot_warnings"), kw("off"), kw("custom_size"), kw("width"), 210, kw("height"), 297,
          kw("accept"), kw("orientation_portrait"), kw("orientation"), kw("portrait"),
          kw("destination"), pdf, kw("copies"), 1, kw("position_left"),
          kw("transf_style"), kw("info_docu"), kw("scale_factor"), kw("scale_factor_value"), 1,
          kw("contents_drawing"), kw("multisheet"), kw("yes"), kw("output_drawing"), kw("plot")};
  // clang-format on
}

std::string infodoku_values() {
  static const char* const kRules[] = {
      "(:old_linetype :all :color_def :all :color1 0.0,0.0,0.0 :color2 1.0,1.0,1.0 "
      ":pensize_def :all :pensize1 0 :pensize2 1000000.0 :new_linetype :same :new_pensize :off "
      ":pen_number 1 :new_color 0.0,0.0,0.0)",
      "(:old_linetype :all :color_def :all :color1 0.0,0.0,0.0 :color2 1.0,1.0,1.0 "
      ":pensize_def :single :pensize1 0 :pensize2 0 :new_linetype :same :new_pensize 0.25 "
      ":pen_number 1 :new_color 0.0,0.0,0.0)",
      "(:old_linetype :phantom :color_def :single :color1 0.0,1.0,1.0 :color2 0.0,1.0,1.0 "
      ":pensize_def :all :pensize1 0 :pensize2 1000000.0 :new_linetype :same :new_pensize 0.0 "
      ":pen_number 0 :new_color 1.0,1.0,1.0)"};
  return host::format(
      "~%(\"Pens\" (:label \"Infodoku\" :penlist (~A ~A ~A)) \"TrueColorMode\" nil)", kRules[0],
      kRules[1], kRules[2]);
}

}  // namespace

Value create_aenderungs_pdf(const Value& /*item*/) {
  const std::string pdf = host::format("~A.pdf", create_speichername("Änderungen"));
  const Value number = host::sd_am_inq_drawing_no();
  if (!found(am_info_findinfo(0))) return Value();
  std::vector<std::string> lines;
  for (const Value& attribute : host::sd_am_inq_info_attributes(g().info_element))
    lines.insert(lines.begin(), host::print_text(attribute));
  if (lines.empty()) return Value();
  Pages pages;
  pages.first = lines.front();
  pages.number = number.is_nil() ? "" : host::print_text(number);
  const std::vector<std::string> history(lines.begin() + 1, lines.end());
  const auto count = static_cast<long long>(history.size());
  pages.total = count == 0 ? 1 : (count + kLinesPerPage - 1) / kLinesPerPage;

  step([] {
    return host::am_create_drawing({kw("yes"), kw("drawing_type"), kw("no_process"),
                                    kw("frame_type"), kw(kNoFrame), kw("view_scale"), "1:1"});
  });
  draw_frame();
  lay_out(pages, history);
  restyle();
  if (host::sd_inq_file_status(pdf, kw("existence")).truthy()) host::sd_delete_file(pdf);
  return step([&] { return host::am_plot_ex(plot_args(pdf)); }).value_or(Value());
}

Value create_info_plot_style() {
  return host::sd_set_setting_values({kw("application"), "Annotation", kw("level"), kw("corp"),
                                      kw("style-path"), "Annotation/Plot/PensTrafoStyle",
                                      kw("style"), kw("info_docu"), kw("title"), "Infodoku",
                                      kw("values"), infodoku_values()});
}

}  // namespace tavrin
