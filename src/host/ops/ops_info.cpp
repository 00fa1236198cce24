// Selection of a sheet's docu texts and the INFO attributes of elements. Attributes are
// listed last added first. Adding a line that the element already carries changes nothing:
// the change-history editor warns that a repeated line is not entered, and this keeps it so.
#include <algorithm>

#include "host/api/drawing_ops.h"
#include "host/api/error.h"
#include "host/ops/ops_support.h"
#include "host/drawing/store.h"
#include "host/value/reader.h"

namespace host {

List get_selection(const List& args) {
  const KeywordArgs kw(args);
  if (const auto what = kw.value("select"); !what || !what->is_keyword("docu_text"))
    throw Error("get_selection: only :select :docu_text is supported");
  const std::string name = ops::required_text(kw, "by_sheet_docu_rest", "get_selection");
  const Sheet& sheet = ops::sheet_of(Value::string(name), "get_selection");
  List texts;
  for (const auto& e : sheet.elements)
    if (e.kind == ElementKind::Text) texts.push_back(ops::handle_of(e));
  return texts;
}

List sd_am_inq_info_attributes(const Value& element) {
  const Element& e = ops::element_of(element, "sd_am_inq_info_attributes");
  List attributes;
  attributes.reserve(e.info.size());
  for (const auto& line : e.info) attributes.push_back(Value::string(line));
  return attributes;
}

Value sd_am_add_info_attributes(const List& lines, const Value& element) {
  Element& e = ops::element_of(element, "sd_am_add_info_attributes");
  for (const auto& v : lines) {
    const std::string line = v.is_string() ? v.as_string() : print_text(v);
    if (std::find(e.info.begin(), e.info.end(), line) == e.info.end())
      e.info.insert(e.info.begin(), line);
  }
  return Value::t();
}

Value sd_am_delete_all_info_attributes(const Value& element) {
  ops::element_of(element, "sd_am_delete_all_info_attributes").info.clear();
  return Value::t();
}

}  // namespace host
