// Sheet operations: listing, inquiring, switching, creating and deleting sheets.
#include <algorithm>

#include "host/api/drawing_ops.h"
#include "host/api/error.h"
#include "host/ops/ops_support.h"
#include "host/drawing/store.h"

namespace host {

namespace {

// New sheets are numbered: the smallest number that no sheet of the drawing is named.
std::string free_sheet_name(const Drawing& d) {
  for (int n = 1;; ++n) {
    const std::string name = std::to_string(n);
    if (std::none_of(d.sheets.begin(), d.sheets.end(),
                     [&](const Sheet& s) { return s.name == name; }))
      return name;
  }
}

Sheet new_sheet(Drawing& d) {
  Sheet sheet;
  sheet.id = next_id();
  sheet.name = free_sheet_name(d);
  sheet.unique_name = new_unique_sheet_name();
  return sheet;
}

}  // namespace

List sd_am_inq_all_sheets() {
  List sheets;
  for (const auto& sheet : current_drawing().sheets) sheets.push_back(ops::handle_of(sheet));
  return sheets;
}

Value sd_am_inq_curr_sheet() {
  return ops::handle_of(current_drawing().current_sheet());
}

std::string sd_am_inq_curr_sheet_name() {
  return current_drawing().current_sheet().name;
}

std::string sd_am_inq_unique_name(const Value& sheet) {
  return ops::sheet_of(sheet, "sd_am_inq_unique_name").unique_name;
}

List sd_am_inq_sheet(const Value& sheet) {
  const Sheet& s = ops::sheet_of(sheet, "sd_am_inq_sheet");
  return {Value::string(s.name), Value::string(s.unique_name), Value::string(s.scale),
          Value::string(s.frame_type)};
}

Value am_current_sheet(const std::string& name) {
  Drawing& d = current_drawing();
  for (std::size_t i = 0; i < d.sheets.size(); ++i) {
    if (d.sheets[i].name == name) {
      d.current = i;
      return ops::handle_of(d.sheets[i]);
    }
  }
  throw Error("am_current_sheet: there is no sheet named \"" + name + "\"");
}

Value am_sheet_create(const List& args) {
  const KeywordArgs kw(args);
  Drawing& d = current_drawing();
  Sheet sheet = new_sheet(d);
  sheet.frame_type = ops::text_of_any(kw, {"frame_type", "frame-type"}, "");
  sheet.scale = ops::text_of_any(kw, {"view_scale", "scale"}, sheet.scale);
  d.sheets.push_back(std::move(sheet));
  d.current = d.sheets.size() - 1;
  return ops::handle_of(d.sheets.back());
}

Value am_sheet_delete(const List& args) {
  const KeywordArgs kw(args);
  const std::string name = ops::required_text(kw, "delete_sheet", "am_sheet_delete");
  Drawing& d = current_drawing();
  const auto it = std::find_if(d.sheets.begin(), d.sheets.end(),
                               [&](const Sheet& s) { return s.name == name; });
  if (it == d.sheets.end())
    throw Error("am_sheet_delete: there is no sheet named \"" + name + "\"");
  const auto index = static_cast<std::size_t>(it - d.sheets.begin());
  remember_unique_sheet_names();
  d.sheets.erase(it);
  // A drawing always has a sheet: deleting the last one leaves a fresh empty sheet.
  if (d.sheets.empty()) d.sheets.push_back(new_sheet(d));
  if (index < d.current || d.current >= d.sheets.size())
    d.current = d.current > 0 ? d.current - 1 : 0;
  return Value::t();
}

}  // namespace host
