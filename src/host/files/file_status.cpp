// Questions about single files and the simple operations on them: existence, size, move, delete.
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "host/value/error.h"
#include "host/api/files.h"
#include "host/files/staging.h"

namespace fs = std::filesystem;

namespace host {

Value sd_inq_file_status(const std::string& path, const Value& what) {
  std::error_code ec;
  const bool exists = fs::exists(path, ec);
  if (what.is_nil() || what.is_keyword("existence")) return exists ? Value::t() : Value();
  if (what.is_keyword("directory")) return fs::is_directory(path, ec) ? Value::t() : Value();
  if (what.is_keyword("readable")) return access(path.c_str(), R_OK) == 0 ? Value::t() : Value();
  if (what.is_keyword("writable")) return access(path.c_str(), W_OK) == 0 ? Value::t() : Value();
  throw Error("sd_inq_file_status: unknown property " + what.as_string() + " (for " + path + ")");
}

Value sd_inq_file_size(const std::string& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return {};
  const auto size = fs::file_size(path, ec);
  if (ec) return {};
  return Value::integer(static_cast<std::int64_t>(size));
}

bool sd_directory_p(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

Value sd_move_file(const std::string& from, const std::string& to) {
  if (auto staged = workers::stage_move(from, to)) return *staged ? Value::t() : Value();
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(from, ec))) return {};
  fs::rename(from, to, ec);
  if (!ec) return Value::t();
  // Across file systems a rename cannot work: copy (atomically, so that an interrupted move
  // never leaves half a file at `to`), then remove the source.
  if (ec != std::errc::cross_device_link || !fs::is_regular_file(from, ec)) return {};
  try {
    write_file_atomically(to, read_file(from));
  } catch (const Error&) {
    return {};
  }
  fs::remove(from, ec);
  return ec ? Value() : Value::t();
}

Value sd_delete_file(const std::string& path) {
  if (auto staged = workers::stage_delete(path)) return *staged ? Value::t() : Value();
  std::error_code ec;
  const auto status = fs::symlink_status(path, ec);
  if (ec || !fs::exists(status) || fs::is_directory(status)) return {};
  return fs::remove(path, ec) && !ec ? Value::t() : Value();
}

}  // namespace host
