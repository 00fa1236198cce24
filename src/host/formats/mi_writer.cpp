// Writing drawings, single sheets and sketches as .mi text.
#include <string>

#include "host/api/error.h"
#include "host/formats/mi.h"
#include "host/formats/mi_syntax.h"

namespace host {

namespace {

using mi::append_integer;
using mi::append_number;
using mi::append_quoted;

// The fields of a group after its outline: placement, then the count of the element
// records that follow as its content, or "=" for the content of the sheet's previous group.
void append_group_fields(std::string& out, const Group& g, const Group* previous) {
  const Transform& m = g.placement;
  for (double v : {m.a, m.b, m.c, m.d, m.e, m.f}) {
    out += ' ';
    append_number(out, v);
  }
  if (previous && previous->elements == g.elements) {
    out += " =";
  } else {
    out += ' ';
    append_integer(out, static_cast<long long>(g.content().size()));
  }
}

void append_numbers(std::string& out, std::initializer_list<double> values) {
  for (double v : values) {
    out += ' ';
    append_number(out, v);
  }
}

// Fields that most elements leave at their defaults are named, and written only when set.
void append_optional_fields(std::string& out, const Element& e) {
  if (e.kind == ElementKind::Group && e.group && !e.group->paper_dashes) out += " model-dashes 1";
  if (!e.stroke.dashes.empty()) {
    out += " dashes ";
    append_integer(out, static_cast<long long>(e.stroke.dashes.size()));
    for (double d : e.stroke.dashes) append_numbers(out, {d});
  }
  if (e.stroke.color_index != 0) {
    out += " color-index ";
    append_integer(out, e.stroke.color_index);
  }
  if (!e.stroke.plot_style.empty()) {
    out += " plot-style ";
    append_quoted(out, e.stroke.plot_style);
  }
  if (e.kind != ElementKind::Text) return;
  const TextProps& t = e.text;
  if (!t.formatted.empty()) {
    out += " formatted ";
    append_quoted(out, t.formatted);
  }
  if (t.wrap_width != 0) {
    out += " wrap";
    append_numbers(out, {t.wrap_width});
  }
  if (t.background != 0) {
    out += " background ";
    append_integer(out, t.background);
    append_numbers(out, {t.background_color.r, t.background_color.g, t.background_color.b,
                         t.background_margin});
  }
  if (t.column_count != 0 || !t.column_heights.empty()) {
    out += " columns ";
    append_integer(out, t.column_count);
    append_numbers(out, {t.column_gutter});
    out += ' ';
    append_integer(out, static_cast<long long>(t.column_heights.size()));
    for (double h : t.column_heights) append_numbers(out, {h});
  }
  if (t.fit_width != 0) {
    out += " fit";
    append_numbers(out, {t.fit_width});
    out += t.fit_scales_height ? " 1" : " 0";
  }
  if (t.backward || t.upside_down) {
    out += t.backward ? " mirror 1" : " mirror 0";
    out += t.upside_down ? " 1" : " 0";
  }
}

// Writes one element record; `previous` is the last group written on this sheet, so views
// sharing their content write it once.
void append_element(std::string& out, const Element& e, const Group*& previous,
                    const char* indent = "") {
  if (const char* problem = mi::element_problem(e))
    throw Error(std::string("Cannot write a ") + std::string(mi::kind_word(e.kind)) + " that " +
                problem);
  out += indent;
  out += mi::kind_word(e.kind);
  for (double v : {e.stroke.color.r, e.stroke.color.g, e.stroke.color.b}) {
    out += ' ';
    append_number(out, v);
  }
  out += ' ';
  append_quoted(out, e.stroke.linetype);
  out += ' ';
  append_number(out, e.stroke.pensize);
  out += ' ';
  append_integer(out, static_cast<long long>(e.points.size()));
  for (const Vec2& p : e.points) {
    out += ' ';
    append_number(out, p.x);
    out += ' ';
    append_number(out, p.y);
  }
  switch (e.kind) {
    case ElementKind::Polyline:
      out += e.closed ? " 1 " : " 0 ";
      append_integer(out, static_cast<long long>(e.bulges.size()));
      for (double b : e.bulges) {
        out += ' ';
        append_number(out, b);
      }
      break;
    case ElementKind::Circle:
      out += ' ';
      append_number(out, e.radius);
      break;
    case ElementKind::Arc:
      for (double v : {e.radius, e.start_angle, e.end_angle}) {
        out += ' ';
        append_number(out, v);
      }
      break;
    case ElementKind::Text: {
      const TextProps& t = e.text;
      for (double v : {t.size, t.angle}) {
        out += ' ';
        append_number(out, v);
      }
      out += ' ';
      append_integer(out, t.adjust);
      out += ' ';
      append_quoted(out, t.font);
      for (double v : {t.ratio, t.slant, t.linespace}) {
        out += ' ';
        append_number(out, v);
      }
      out += t.frame ? " 1 " : " 0 ";
      append_integer(out, static_cast<long long>(t.lines.size()));
      for (const auto& line : t.lines) {
        out += ' ';
        append_quoted(out, line);
      }
      break;
    }
    case ElementKind::Fill:
    case ElementKind::Mask:
      out += ' ';
      append_integer(out, static_cast<long long>(e.rings.size()));
      for (std::uint32_t r : e.rings) {
        out += ' ';
        append_integer(out, r);
      }
      break;
    case ElementKind::Image:
      out += ' ';
      append_quoted(out, e.source);
      break;
    case ElementKind::Group:
      append_group_fields(out, *e.group, previous);
      break;
    case ElementKind::Line:
    case ElementKind::Rectangle:
    case ElementKind::Point:
      break;
  }
  append_optional_fields(out, e);
  out += ' ';
  append_quoted(out, e.sketch);
  out += ' ';
  append_integer(out, static_cast<long long>(e.info.size()));
  for (const auto& attribute : e.info) {
    out += ' ';
    append_quoted(out, attribute);
  }
  out += '\n';
  if (e.kind == ElementKind::Group) {
    const bool shared = previous && previous->elements == e.group->elements;
    previous = e.group.get();
    // the content, indented so that it reads as part of the group
    const Group* none = nullptr;
    if (!shared)
      for (const Element& child : e.group->content()) append_element(out, child, none, "  ");
  }
}

std::size_t element_count(const std::vector<Element>& elements) {
  std::size_t n = elements.size();
  const std::vector<Element>* previous = nullptr;
  for (const Element& e : elements) {
    if (e.kind != ElementKind::Group || !e.group || e.group->elements.get() == previous) continue;
    previous = e.group->elements.get();
    n += e.group->content().size();
  }
  return n;
}

void append_sheet(std::string& out, const Sheet& sheet) {
  out += "sheet ";
  append_quoted(out, sheet.name);
  out += ' ';
  append_quoted(out, sheet.unique_name);
  out += ' ';
  append_quoted(out, sheet.scale);
  out += ' ';
  append_quoted(out, sheet.frame_type);
  if (!sheet.plot_style_table.empty()) {
    out += " plot-style-table ";
    append_quoted(out, sheet.plot_style_table);
  }
  out += '\n';
  const Group* previous = nullptr;
  for (const Element& e : sheet.elements) append_element(out, e, previous);
}

bool has_plot_style_fields(const std::vector<Element>& elements) {
  for (const Element& e : elements) {
    if (e.stroke.color_index != 0 || !e.stroke.plot_style.empty()) return true;
    if (e.kind == ElementKind::Group && e.group && has_plot_style_fields(e.group->content()))
      return true;
  }
  return false;
}

bool has_plot_style_fields(const Sheet& sheet) {
  return !sheet.plot_style_table.empty() || has_plot_style_fields(sheet.elements);
}

void append_header(std::string& out, const Drawing& drawing, std::size_t current, int version) {
  out += mi::kMagic;
  out += ' ';
  append_integer(out, version);
  out += "\ndrawing ";
  if (drawing.number)
    append_quoted(out, *drawing.number);
  else
    out += mi::kNone;
  out += ' ';
  append_quoted(out, drawing.drawing_type);
  out += ' ';
  append_integer(out, static_cast<long long>(current));
  out += '\n';
}

std::size_t estimated_size(std::size_t elements) {
  return 256 + elements * 96;
}

}  // namespace

std::string write_mi_text(const Drawing& drawing) {
  if (drawing.sheets.empty()) throw Error("Cannot write a drawing that has no sheet");
  std::size_t count = 0;
  for (const auto& sheet : drawing.sheets) count += element_count(sheet.elements);
  std::string out;
  out.reserve(estimated_size(count));
  const std::size_t current = drawing.current < drawing.sheets.size() ? drawing.current : 0;
  bool styled = false;
  for (const auto& sheet : drawing.sheets) styled = styled || has_plot_style_fields(sheet);
  append_header(out, drawing, current, styled ? 3 : 2);
  for (const auto& sheet : drawing.sheets) append_sheet(out, sheet);
  out += "end\n";
  return out;
}

std::string write_mi_sheet_text(const Drawing& drawing, const Sheet& sheet) {
  std::string out;
  out.reserve(estimated_size(element_count(sheet.elements)));
  append_header(out, drawing, 0, has_plot_style_fields(sheet) ? 3 : 2);
  append_sheet(out, sheet);
  out += "end\n";
  return out;
}

std::string write_mi_sketch_text(const std::vector<Element>& elements) {
  Drawing holder;
  Sheet sheet;
  sheet.name = "1";
  sheet.unique_name = "1";
  sheet.elements = elements;
  holder.sheets.push_back(std::move(sheet));
  return write_mi_text(holder);
}

}  // namespace host
