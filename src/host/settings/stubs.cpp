// Placeholders until the settings lands; each throws a host error naming the operation.
#include "host/api/settings_ops.h"
#include "host/api/error.h"

namespace host {

Value sd_get_setting_value([[maybe_unused]] const std::string& path) { throw Error("sd_get_setting_value: not available yet"); }
Value sd_set_setting_values([[maybe_unused]] const List& args) { throw Error("sd_set_setting_values: not available yet"); }
List sd_get_setting_styles_range_list([[maybe_unused]] const std::string& path) { throw Error("sd_get_setting_styles_range_list: not available yet"); }
Value create_default_setting_user_style([[maybe_unused]] const List& args) { throw Error("create_default_setting_user_style: not available yet"); }
Value delete_default_setting_user_style([[maybe_unused]] const List& args) { throw Error("delete_default_setting_user_style: not available yet"); }
Value modify_default_setting([[maybe_unused]] const List& args) { throw Error("modify_default_setting: not available yet"); }
Value am_define_pen_transformation([[maybe_unused]] const List& args) { throw Error("am_define_pen_transformation: not available yet"); }

}  // namespace host
