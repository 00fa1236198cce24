// Drawing operations of the host: drawings, sheets, content, sheet export, INFO attributes.
// Operations that take keyword lists get them exactly as the module builds them.
#pragma once

#include <string>

#include "host/value/value.h"

namespace host {

// Drawings. Loading a missing, empty, unknown or malformed file throws host::Error naming
// the file (and line); the current drawing is then unchanged.
Value am_load_drawing(const List& args);   // :filename path
Value am_load_bundle(const List& args);    // :load-drawing :on :load-3d :off :fname path
Value am_load_any_mi(const List& args);    // :filename path
Value am_drawing_delete(const List& args); // :dwg :yes — leaves an empty drawing
// :yes / :drawing_type t / :dwg_number n / :frame_type f / :view_scale s / :owner ...
Value am_create_drawing(const List& args);
// The drawing number (a string), or nil when the drawing has none.
Value sd_am_inq_drawing_no();

// Sheets. Sheet values are handles (Value::handle(HandleKind::Sheet, id)).
List sd_am_inq_all_sheets();
Value sd_am_inq_curr_sheet();
std::string sd_am_inq_curr_sheet_name();
std::string sd_am_inq_unique_name(const Value& sheet);
// The sheet record: (name unique-name scale frame-type); its first field is the name.
List sd_am_inq_sheet(const Value& sheet);
Value am_current_sheet(const std::string& name);
Value am_sheet_create(const List& args);  // :frame_type/:frame-type f :view_scale/:scale s
Value am_sheet_delete(const List& args);  // :delete_sheet name [:yes]

// Content on the current sheet.
Value am_geo_rectangle(const List& args);  // :owner :current_sheet p1 p2 (points)
Value am_create_text(const List& args);    // :owner :current_sheet :docu-text text :style :standard point
// :owner :current_sheet :adjust n :filename path [point] — loads a sketch file as the sketch
// "INFO"-like named group; the point defaults to the front end's point input.
Value am_load_sketch(const List& args);
// :sketch "<sheet>/<sketch>" :filename path :overwrite :filename-incl-path t
Value am_save_sketch(const List& args);
// :filename f [:overwrite] — the whole current drawing: .mi, or .dxf for a one-sheet drawing.
Value am_save_drawing(const List& args);
Value am_save_sheet_mi(const List& args);   // :sheet s :overwrite :filename f
Value am_save_sheet_dxf(const List& args);  // :sheet s :overwrite :filename f

// INFO attributes. Elements are handles (Value::handle(HandleKind::Element, id)).
// :focus_type any :select :docu_text :by_sheet_docu_rest name → all texts of that sheet.
List get_selection(const List& args);
List sd_am_inq_info_attributes(const Value& element);  // last added first
Value sd_am_add_info_attributes(const List& lines, const Value& element);
Value sd_am_delete_all_info_attributes(const Value& element);

// Plotting: renders the current sheet (or every sheet with :multisheet) to PDF or prints it.
Value am_plot_ex(const List& args);
// The printer queues installed on the machine, in the order the print system lists them.
List sd_inq_printers();

}  // namespace host
