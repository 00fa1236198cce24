// The host's private temporary directory and unique file names inside any directory.
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>

#include "host/value/error.h"
#include "host/api/files.h"

namespace host {

namespace {

struct TempDir {
  std::string path;  // with trailing "/"
  pid_t owner = 0;
};

TempDir& temp_dir_state() {
  static TempDir state;
  return state;
}

// Only the process that created the directory removes it: a forked child that exits must
// not take its parent's files along.
void remove_temp_dir_at_exit() {
  const TempDir& state = temp_dir_state();
  if (state.path.empty() || state.owner != getpid()) return;
  std::error_code ignored;
  std::filesystem::remove_all(state.path, ignored);
}

std::string make_private_dir(const std::string& parent) {
  std::string pattern = parent;
  if (!pattern.empty() && pattern.back() != '/') pattern += '/';
  pattern += "tavrin-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return {};
  return pattern + "/";
}

}  // namespace

std::string sd_inq_temp_dir() {
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  TempDir& state = temp_dir_state();
  if (!state.path.empty() && std::filesystem::is_directory(state.path)) return state.path;
  const char* tmpdir = std::getenv("TMPDIR");
  std::string path = (tmpdir && *tmpdir) ? make_private_dir(tmpdir) : std::string();
  if (path.empty()) path = make_private_dir("/tmp");
  if (path.empty())
    throw Error(std::string("Cannot create the temporary directory: ") + std::strerror(errno));
  const bool first = state.path.empty();
  state = {path, getpid()};
  if (first) std::atexit(remove_temp_dir_at_exit);
  return state.path;
}

std::string sd_gen_unique_filename(const std::string& directory) {
  static std::atomic<unsigned> counter{0};
  static std::mt19937_64 random{std::random_device{}()};
  std::string base = directory;
  if (!base.empty() && base.back() != '/') base += '/';
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const std::string name = base + "tv" + std::to_string(getpid()) + "_" +
                             std::to_string(++counter) + "_" + std::to_string(random() % 100000);
    struct stat st;
    if (lstat(name.c_str(), &st) != 0 && errno == ENOENT) return name;
  }
  throw Error("Cannot find a free file name in " + directory);
}

}  // namespace host
