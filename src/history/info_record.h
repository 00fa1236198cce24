// The change history of a drawing: the INFO field and its records.
#pragma once

#include <string>

#include "host/value/value.h"

namespace tavrin {

// Declares tv_info_drop and tv_info_edit as host command dialogs.
void register_history_dialogs();
host::Value get_info_string_from_file();

}  // namespace tavrin
