// Content operations on a sheet: rectangles, docu texts, sketches, and sheet export.
#include <filesystem>

#include "host/api/drawing_ops.h"
#include "host/api/error.h"
#include "host/api/files.h"
#include "host/api/ui_ops.h"
#include "host/ops/ops_support.h"
#include "host/drawing/store.h"
#include "host/formats/dxf.h"
#include "host/formats/mi.h"
#include "host/files/report.h"

namespace host {

namespace {

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
    lines.push_back(text.substr(start, nl - start));
  lines.push_back(text.substr(start));
  return lines;
}

Value add_element(Sheet& sheet, Element e) {
  e.id = next_id();
  sheet.elements.push_back(std::move(e));
  return ops::handle_of(sheet.elements.back());
}

void move_by(Element& e, Vec2 delta) {
  for (Vec2& p : e.points) p = {p.x + delta.x, p.y + delta.y};
}

// A sketch name that no element of the sheet uses yet: the wanted name, else name_2, ...
std::string free_sketch_name(const Sheet& sheet, const std::string& wanted) {
  const auto used = [&sheet](const std::string& name) {
    for (const auto& e : sheet.elements)
      if (e.sketch == name) return true;
    return false;
  };
  std::string name = wanted;
  for (int n = 2; used(name); ++n) name = wanted + "_" + std::to_string(n);
  return name;
}

}  // namespace

Value am_geo_rectangle(const List& args) {
  const KeywordArgs kw(args);
  Sheet& sheet = ops::owner_sheet(kw, "am_geo_rectangle");
  const auto points = ops::point_args(args);
  if (points.size() != 2) throw Error("am_geo_rectangle: two corner points are needed");
  Element e;
  e.kind = ElementKind::Rectangle;
  e.points = points;
  return add_element(sheet, std::move(e));
}

Value am_create_text(const List& args) {
  const KeywordArgs kw(args);
  Sheet& sheet = ops::owner_sheet(kw, "am_create_text");
  const std::string text = ops::required_text(kw, "docu-text", "am_create_text");
  const auto points = ops::point_args(args);
  if (points.size() != 1) throw Error("am_create_text: one insertion point is needed");
  Element e;
  e.kind = ElementKind::Text;
  e.points = points;
  e.text.lines = split_lines(text);
  return add_element(sheet, std::move(e));
}

Value am_load_sketch(const List& args) {
  const KeywordArgs kw(args);
  const std::uint64_t sheet_id = ops::owner_sheet(kw, "am_load_sketch").id;
  const std::string path = ops::required_text(kw, "filename", "am_load_sketch");
  const double adjust = kw.number("adjust", 1);
  if (adjust < 1 || adjust > 9 || adjust != static_cast<int>(adjust))
    throw Error("am_load_sketch: the adjust point must be 1 to 9");
  // The file is read before anyone is asked for a point, so a bad file costs no input.
  std::vector<Element> elements = read_mi_sketch_file(path);
  Sheet holder;
  holder.elements = elements;
  const auto box = holder.extent();
  if (!box) throw Error("am_load_sketch: " + path + " holds no elements");
  auto points = ops::point_args(args);
  if (points.empty()) {
    const std::string base = std::filesystem::path(path).stem().string();
    const auto answer = ops::as_vec(sd_read_point("Einfügepunkt für Skizze " + base + " angeben"));
    if (!answer) return {};
    points.push_back(*answer);
  }
  // While the point is asked for, the person may go on working (a new sheet, another
  // drawing), so the sheet is looked up again rather than held across the question.
  Sheet* sheet = current_drawing().find_sheet_by_id(sheet_id);
  if (!sheet) throw Error("am_load_sketch: the sheet is no longer part of the current drawing");
  const Vec2 anchor = ops::adjust_point(*box, static_cast<int>(adjust));
  const Vec2 delta{points.front().x - anchor.x, points.front().y - anchor.y};
  const std::string name = free_sketch_name(*sheet, std::filesystem::path(path).stem().string());
  for (Element& e : elements) {
    move_by(e, delta);
    e.sketch = name;
    add_element(*sheet, std::move(e));
  }
  return Value::t();
}

Value am_save_sketch(const List& args) {
  const KeywordArgs kw(args);
  const std::string sketch_path = ops::required_text(kw, "sketch", "am_save_sketch");
  const std::string path = ops::required_text(kw, "filename", "am_save_sketch");
  const auto slash = sketch_path.rfind('/');
  if (slash == std::string::npos)
    throw Error("am_save_sketch: \"" + sketch_path + "\" is not of the form <sheet>/<sketch>");
  const std::string sheet_name = sketch_path.substr(0, slash), name = sketch_path.substr(slash + 1);
  const Sheet& sheet = ops::sheet_of(Value::string(sheet_name), "am_save_sketch");
  std::vector<Element> elements;
  for (const auto& e : sheet.elements)
    if (e.sketch == name) elements.push_back(e);
  if (elements.empty())
    throw Error("am_save_sketch: sheet \"" + sheet_name + "\" has no sketch \"" + name + "\"");
  ops::check_overwrite(kw, path, "am_save_sketch");
  write_file_atomically(path, write_mi_sketch_text(elements));
  return Value::t();
}

Value am_save_sheet_mi(const List& args) {
  const KeywordArgs kw(args);
  const auto handle = kw.value("sheet");
  if (!handle) throw Error("am_save_sheet_mi: :sheet is missing");
  const Sheet& sheet = ops::sheet_of(*handle, "am_save_sheet_mi");
  const std::string path = ops::required_text(kw, "filename", "am_save_sheet_mi");
  ops::check_overwrite(kw, path, "am_save_sheet_mi");
  workers::report::note_sheet(sheet.name);
  write_file_atomically(path, write_mi_sheet_text(current_drawing(), sheet));
  return Value::t();
}

Value am_save_sheet_dxf(const List& args) {
  const KeywordArgs kw(args);
  const auto handle = kw.value("sheet");
  if (!handle) throw Error("am_save_sheet_dxf: :sheet is missing");
  const Sheet& sheet = ops::sheet_of(*handle, "am_save_sheet_dxf");
  const std::string path = ops::required_text(kw, "filename", "am_save_sheet_dxf");
  ops::check_overwrite(kw, path, "am_save_sheet_dxf");
  workers::report::note_sheet(sheet.name);
  write_dxf_sheet(sheet, current_drawing().number, path);
  return Value::t();
}

}  // namespace host
