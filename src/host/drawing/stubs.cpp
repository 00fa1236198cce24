// Placeholders until the drawing operations lands; each throws a host error naming the operation.
#include "host/api/drawing_ops.h"
#include "host/api/error.h"

namespace host {

Value am_load_drawing([[maybe_unused]] const List& args) { throw Error("am_load_drawing: not available yet"); }
Value am_load_bundle([[maybe_unused]] const List& args) { throw Error("am_load_bundle: not available yet"); }
Value am_load_any_mi([[maybe_unused]] const List& args) { throw Error("am_load_any_mi: not available yet"); }
Value am_drawing_delete([[maybe_unused]] const List& args) { throw Error("am_drawing_delete: not available yet"); }
Value am_create_drawing([[maybe_unused]] const List& args) { throw Error("am_create_drawing: not available yet"); }
Value sd_am_inq_drawing_no() { throw Error("sd_am_inq_drawing_no: not available yet"); }
List sd_am_inq_all_sheets() { throw Error("sd_am_inq_all_sheets: not available yet"); }
Value sd_am_inq_curr_sheet() { throw Error("sd_am_inq_curr_sheet: not available yet"); }
std::string sd_am_inq_curr_sheet_name() { throw Error("sd_am_inq_curr_sheet_name: not available yet"); }
std::string sd_am_inq_unique_name([[maybe_unused]] const Value& sheet) { throw Error("sd_am_inq_unique_name: not available yet"); }
List sd_am_inq_sheet([[maybe_unused]] const Value& sheet) { throw Error("sd_am_inq_sheet: not available yet"); }
Value am_current_sheet([[maybe_unused]] const std::string& name) { throw Error("am_current_sheet: not available yet"); }
Value am_sheet_create([[maybe_unused]] const List& args) { throw Error("am_sheet_create: not available yet"); }
Value am_sheet_delete([[maybe_unused]] const List& args) { throw Error("am_sheet_delete: not available yet"); }
Value am_geo_rectangle([[maybe_unused]] const List& args) { throw Error("am_geo_rectangle: not available yet"); }
Value am_create_text([[maybe_unused]] const List& args) { throw Error("am_create_text: not available yet"); }
Value am_load_sketch([[maybe_unused]] const List& args) { throw Error("am_load_sketch: not available yet"); }
Value am_save_sketch([[maybe_unused]] const List& args) { throw Error("am_save_sketch: not available yet"); }
Value am_save_sheet_mi([[maybe_unused]] const List& args) { throw Error("am_save_sheet_mi: not available yet"); }
Value am_save_sheet_dxf([[maybe_unused]] const List& args) { throw Error("am_save_sheet_dxf: not available yet"); }
List get_selection([[maybe_unused]] const List& args) { throw Error("get_selection: not available yet"); }
List sd_am_inq_info_attributes([[maybe_unused]] const Value& element) { throw Error("sd_am_inq_info_attributes: not available yet"); }
Value sd_am_add_info_attributes([[maybe_unused]] const List& lines, [[maybe_unused]] const Value& element) { throw Error("sd_am_add_info_attributes: not available yet"); }
Value sd_am_delete_all_info_attributes([[maybe_unused]] const Value& element) { throw Error("sd_am_delete_all_info_attributes: not available yet"); }

}  // namespace host
