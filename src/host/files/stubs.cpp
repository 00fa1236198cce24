// Placeholders until the file services lands; each throws a host error naming the operation.
#include "host/api/files.h"
#include "host/api/error.h"

namespace host {

Value sd_inq_file_status([[maybe_unused]] const std::string& path, [[maybe_unused]] const Value& what) { throw Error("sd_inq_file_status: not available yet"); }
Value sd_inq_file_size([[maybe_unused]] const std::string& path) { throw Error("sd_inq_file_size: not available yet"); }
bool sd_directory_p([[maybe_unused]] const std::string& path) { throw Error("sd_directory_p: not available yet"); }
Value sd_move_file([[maybe_unused]] const std::string& from, [[maybe_unused]] const std::string& to) { throw Error("sd_move_file: not available yet"); }
Value sd_delete_file([[maybe_unused]] const std::string& path) { throw Error("sd_delete_file: not available yet"); }
std::string sd_gen_unique_filename([[maybe_unused]] const std::string& directory) { throw Error("sd_gen_unique_filename: not available yet"); }
std::string sd_inq_temp_dir() { throw Error("sd_inq_temp_dir: not available yet"); }
std::string sd_inq_user_profiledir_pathname() { throw Error("sd_inq_user_profiledir_pathname: not available yet"); }
std::string sd_get_current_working_directory() { throw Error("sd_get_current_working_directory: not available yet"); }
void sd_set_current_working_directory([[maybe_unused]] const std::string& dir) { throw Error("sd_set_current_working_directory: not available yet"); }
List sd_directory_list([[maybe_unused]] const std::string& dir, [[maybe_unused]] const std::string& pattern) { throw Error("sd_directory_list: not available yet"); }
bool sd_string_match_pattern_p([[maybe_unused]] const std::string& pattern, [[maybe_unused]] const std::string& text) { throw Error("sd_string_match_pattern_p: not available yet"); }
void write_file_atomically([[maybe_unused]] const std::string& path, [[maybe_unused]] const std::string& content) { throw Error("write_file_atomically: not available yet"); }
std::string read_file([[maybe_unused]] const std::string& path) { throw Error("read_file: not available yet"); }

}  // namespace host
