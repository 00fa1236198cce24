// Drawing operations on whole drawings: load, discard, create, and the drawing number.
// A load reads the whole file first; the current drawing changes only when that succeeded.
#include "host/api/drawing_ops.h"
#include "host/api/error.h"
#include "host/api/ui_ops.h"
#include "host/drawing/store.h"
#include "host/formats/bundle.h"
#include "host/formats/mi.h"
#include "host/formats/registry.h"
#include "host/ops/ops_support.h"
#include "host/files/report.h"

namespace host {
namespace {

// What the reader repaired or converted goes to the output box, once per file.
void make_current(Drawing drawing) {
  std::vector<std::string> notes = std::move(drawing.notes);
  drawing.notes.clear();
  replace_current_drawing(std::move(drawing));
  for (const std::string& note : notes) display(note);
}

}  // namespace

Value am_load_drawing(const List& args) {
  const KeywordArgs kw(args);
  make_current(read_drawing_file(ops::required_text(kw, "filename", "am_load_drawing")));
  workers::report::note_loaded();
  return Value::t();
}

Value am_load_bundle(const List& args) {
  const KeywordArgs kw(args);
  const std::string path = ops::required_text(kw, "fname", "am_load_bundle");
  if (const auto load = kw.value("load-drawing"); load && load->is_keyword("off")) return {};
  check_drawing_file(path);
  make_current(read_bundle_file(path));
  workers::report::note_loaded();
  return Value::t();
}

Value am_load_any_mi(const List& args) {
  const KeywordArgs kw(args);
  const std::string path = ops::required_text(kw, "filename", "am_load_any_mi");
  check_drawing_file(path);
  replace_current_drawing(read_mi_file(path));
  return Value::t();
}

Value am_drawing_delete(const List&) {
  replace_current_drawing(empty_drawing());
  return Value::t();
}

Value am_create_drawing(const List& args) {
  const KeywordArgs kw(args);
  Drawing d = empty_drawing();
  if (const auto number = kw.value("dwg_number");
      number && !number->is_nil() && !number->is_keyword())
    d.number = ops::optional_text(kw, "dwg_number");
  if (const auto type = kw.value("drawing_type"); type && type->is_keyword())
    d.drawing_type = type->as_string();
  Sheet& sheet = d.sheets.front();
  sheet.frame_type = ops::text_of_any(kw, {"frame_type", "frame-type"}, sheet.frame_type);
  sheet.scale = ops::text_of_any(kw, {"view_scale", "scale"}, sheet.scale);
  replace_current_drawing(std::move(d));
  return Value::t();
}

Value sd_am_inq_drawing_no() {
  const auto& number = current_drawing().number;
  return number ? Value::string(*number) : Value();
}

}  // namespace host
