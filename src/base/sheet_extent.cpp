// Measuring a sheet through the host's inquiry macro: the host evaluates it and answers the
// corner as a point literal.
#include "base/sheet_extent.h"

namespace tavrin {

host::Point2 blatt_punkt(const std::string& unique_name, int inquiry) {
  const std::string macro = host::format(
      "INQ_PART '[~A]' ~A~A~A ~A ~A ~A ~A", unique_name, "let pid (STR(inq ", inquiry, "))",
      "let pid_s    (DOCU_CSTRING_TO_LSTRING pid)", "let isopen   (DOCU_OPEN_CONNECTION_TO_SD)",
      "let done     (DOCU_ADD_LINE_TO_SD pid_s)", "let isclosed (DOCU_CLOSE_CONNECTION_TO_SD)");
  const host::Value answer = host::sd_execute_annotator_function({host::kw("fnc"), macro});
  return host::read_literal(host::print_text(answer)).as_point();
}

}  // namespace tavrin
