// Whole-file reading, and writing through a temporary file beside the target so that an
// interrupted write never leaves a truncated file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "host/value/error.h"
#include "host/api/files.h"

namespace fs = std::filesystem;

namespace host {

namespace {

std::string reason() {
  return std::strerror(errno);
}

bool write_all(int fd, const std::string& content) {
  const char* p = content.data();
  std::size_t left = content.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

// A replaced file keeps its permissions; a new one gets what the umask allows.
mode_t mode_for(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Writing through a symbolic link replaces the file it points to, not the link.
std::string resolve_target(const std::string& path) {
  std::error_code ec;
  if (!fs::is_symlink(path, ec)) return path;
  auto target = fs::weakly_canonical(path, ec);
  return ec ? path : target.string();
}

}  // namespace

void write_file_atomically(const std::string& path, const std::string& content) {
  if (path.empty()) throw Error("Cannot write a file without a name");
  const std::string target = resolve_target(path);
  std::string temp = target + ".tmp-XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) throw Error("Cannot write " + path + ": " + reason());
  const bool ok = ::fchmod(fd, mode_for(target)) == 0 && write_all(fd, content) && ::fsync(fd) == 0;
  const std::string why = ok ? std::string() : reason();
  if (::close(fd) != 0 || !ok) {
    ::unlink(temp.c_str());
    throw Error("Cannot write " + path + ": " + (ok ? reason() : why));
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    const std::string rename_why = reason();
    ::unlink(temp.c_str());
    throw Error("Cannot write " + path + ": " + rename_why);
  }
  // The directory is not synced after the rename: the guarantee is that the target is
  // either the old file or the new one, complete, and the rename gives that already. The
  // file's own fsync before the rename stays, because without it a power loss could leave
  // the new name pointing at data that never reached the disk; a directory sync would only
  // make the new name itself survive a power loss, and costs a disk flush per file written.
}

std::string read_file(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw Error("Cannot open " + path + ": " + reason());
  struct stat st;
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    const std::string why = S_ISDIR(st.st_mode) ? "it is a directory" : reason();
    ::close(fd);
    throw Error("Cannot read " + path + ": " + why);
  }
  std::string content;
  if (st.st_size > 0) content.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const std::string why = reason();
      ::close(fd);
      throw Error("Cannot read " + path + ": " + why);
    }
    if (n == 0) break;
    content.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return content;
}

}  // namespace host
