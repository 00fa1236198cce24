// Shared argument handling of the drawing operations.
#include "host/ops/ops_support.h"

#include <filesystem>

#include "host/api/error.h"
#include "host/drawing/store.h"
#include "host/value/reader.h"

namespace host::ops {

namespace {
std::string text_of(const Value& v) {
  return v.is_string() ? v.as_string() : print_text(v);
}
}  // namespace

std::string required_text(const KeywordArgs& args, std::string_view key, const char* op) {
  const auto v = args.value(key);
  if (!v || v->is_nil() || v->is_keyword())
    throw Error(std::string(op) + ": :" + std::string(key) + " is missing");
  return text_of(*v);
}

std::string optional_text(const KeywordArgs& args, std::string_view key) {
  const auto v = args.value(key);
  return v && !v->is_nil() ? text_of(*v) : std::string();
}

std::string text_of_any(const KeywordArgs& args, std::initializer_list<std::string_view> keys,
                        const std::string& fallback) {
  for (auto key : keys) {
    const auto v = args.value(key);
    if (v && !v->is_nil()) return text_of(*v);
  }
  return fallback;
}

std::optional<Vec2> as_vec(const Value& v) {
  if (v.is_point()) return Vec2{v.as_point().x, v.as_point().y};
  if (v.kind() == Kind::List) {
    const List& l = v.as_list();
    if (l.size() == 2 && l[0].is_number() && l[1].is_number() && l[0].kind() != Kind::Complex &&
        l[1].kind() != Kind::Complex)
      return Vec2{l[0].as_double(), l[1].as_double()};
  }
  return std::nullopt;
}

std::vector<Vec2> point_args(const List& args) {
  std::vector<Vec2> points;
  for (const auto& v : args)
    if (auto p = as_vec(v)) points.push_back(*p);
  return points;
}

Sheet& owner_sheet(const KeywordArgs& args, const char* op) {
  const auto owner = args.value("owner");
  if (!owner || owner->is_nil() || owner->is_keyword("current_sheet") || owner->is_keyword())
    return current_drawing().current_sheet();
  return sheet_of(*owner, op);
}

Sheet& sheet_of(const Value& sheet, const char* op) {
  Drawing& d = current_drawing();
  if (sheet.is_handle() && sheet.handle_kind() == HandleKind::Sheet) {
    if (Sheet* s = d.find_sheet_by_id(sheet.handle_id())) return *s;
    throw Error(std::string(op) + ": the sheet is not part of the current drawing");
  }
  if (sheet.is_string() || sheet.is_number()) {
    const std::string name = text_of(sheet);
    if (Sheet* s = d.find_sheet(name)) return *s;
    throw Error(std::string(op) + ": there is no sheet named \"" + name + "\"");
  }
  throw Error(std::string(op) + ": not a sheet: " + print_literal(sheet));
}

Element& element_of(const Value& element, const char* op) {
  if (!element.is_handle() || element.handle_kind() != HandleKind::Element)
    throw Error(std::string(op) + ": not an element: " + print_literal(element));
  if (Element* e = find_element(element.handle_id())) return *e;
  throw Error(std::string(op) + ": the element is not part of the current drawing");
}

Value handle_of(const Sheet& sheet) {
  return Value::handle(HandleKind::Sheet, sheet.id);
}
Value handle_of(const Element& element) {
  return Value::handle(HandleKind::Element, element.id);
}

Vec2 adjust_point(const std::pair<Vec2, Vec2>& box, int adjust) {
  const int col = (adjust - 1) % 3, row = (adjust - 1) / 3;
  const auto& [lo, hi] = box;
  return {lo.x + col * (hi.x - lo.x) / 2, lo.y + row * (hi.y - lo.y) / 2};
}

void check_overwrite(const KeywordArgs& args, const std::string& path, const char* op) {
  std::error_code ec;
  if (!args.present("overwrite") && std::filesystem::exists(path, ec))
    throw Error(std::string(op) + ": " + path + " exists already and :overwrite was not given");
}

}  // namespace host::ops
