// Whole-file reading, and writing through a temporary file beside the target so that an
// interrupted write never leaves a truncated file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "host/api/files.h"
#include "host/files/report.h"
#include "host/files/staging.h"
#include "host/value/error.h"
#include "host/value/language.h"

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

// A replaced file keeps its permissions; a new one (or one replacing a link) gets what the
// umask allows.
mode_t mode_for(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// The temporary file lies beside the target (a rename works only within one file system),
// hidden, and with a name short enough for the file system even when the target's name
// uses all of it.
std::string temp_pattern(const std::string& path) {
  const fs::path p(path);
  std::string base = p.filename().string().substr(0, 128);
  return (p.parent_path() / ("." + base + ".tmp-XXXXXX")).string();
}

}  // namespace

bool is_unfinished_write(const std::string& name) {
  constexpr std::string_view kMark = ".tmp-";
  constexpr std::size_t kUnique = 6;  // the XXXXXX that mkstemp fills in
  if (name.size() < 1 + kMark.size() + kUnique || name[0] != '.') return false;
  const std::size_t mark = name.size() - kUnique - kMark.size();
  if (name.compare(mark, kMark.size(), kMark) != 0) return false;
  return std::all_of(name.end() - kUnique, name.end(),
                     [](unsigned char c) { return std::isalnum(c); });
}

void write_file_atomically(const std::string& path, const std::string& content) {
  if (path.empty()) throw Error(_("Cannot write a file without a name"));
  // A worker of a directory run leaves its outputs to the parent, which commits them in list order.
  if (workers::stage_write(path, content)) {
    workers::report::note_output(path, content.size());
    return;
  }
  // A symbolic link at the name is replaced by the new file: the file it pointed to, which
  // may lie anywhere and belong to anyone, stays untouched.
  const std::string& target = path;
  std::string temp = temp_pattern(target);
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) throw Error(translate_format("Cannot write {}: {}", path, reason()));
  const bool ok = ::fchmod(fd, mode_for(target)) == 0 && write_all(fd, content) && ::fsync(fd) == 0;
  const std::string why = ok ? std::string() : reason();
  if (::close(fd) != 0 || !ok) {
    ::unlink(temp.c_str());
    throw Error(translate_format("Cannot write {}: {}", path, (ok ? reason() : why)));
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    const std::string rename_why = reason();
    ::unlink(temp.c_str());
    throw Error(translate_format("Cannot write {}: {}", path, rename_why));
  }
  workers::report::note_output(path, content.size());
  // The directory is not synced after the rename: the guarantee is that the target is
  // either the old file or the new one, complete, and the rename gives that already. The
  // file's own fsync before the rename stays, because without it a power loss could leave
  // the new name pointing at data that never reached the disk; a directory sync would only
  // make the new name itself survive a power loss, and costs a disk flush per file written.
}

void commit_staged_file(const std::string& staged, const std::string& path) {
  // A symbolic link at the name is replaced, its target left alone.
  const std::string& target = path;
  if (::chmod(staged.c_str(), mode_for(target)) != 0 ||
      ::rename(staged.c_str(), target.c_str()) != 0)
    throw Error(translate_format("Cannot write {}: {}", path, reason()));
}

bool keep_backup_copy(const std::string& path, const std::string& backup) {
  // A worker of a directory run leaves the backup to the parent, in list order.
  if (auto staged = workers::stage_backup(path, backup)) return *staged;
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  // Already a second name of the file (an earlier run kept it, and the new output was never
  // written): a rename onto it would do nothing and leave the temporary name behind.
  struct stat held;
  if (::lstat(backup.c_str(), &held) == 0 && held.st_dev == st.st_dev && held.st_ino == st.st_ino)
    return true;
  // A second name for the same file: no space needed, nothing copied, and the atomic
  // replacement of `path` that usually follows leaves the backup holding the old content.
  std::string temp = temp_pattern(backup);
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) throw Error(translate_format("Cannot keep {} as {}: {}", path, backup, reason()));
  ::close(fd);
  ::unlink(temp.c_str());
  if (::link(path.c_str(), temp.c_str()) == 0) {
    if (::rename(temp.c_str(), backup.c_str()) == 0) return true;
    const std::string why = reason();
    ::unlink(temp.c_str());
    throw Error(translate_format("Cannot keep {} as {}: {}", path, backup, why));
  }
  // File systems without hard links get a copy.
  try {
    write_file_atomically(backup, read_file(path));
  } catch (const Error& e) {
    throw Error(translate_format("Cannot keep {} as {}: {}", path, backup, e.what()));
  }
  return true;
}

std::string read_file(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw Error(translate_format("Cannot open {}: {}", path, reason()));
  struct stat st;
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    const std::string why = S_ISDIR(st.st_mode) ? std::string(_("it is a directory")) : reason();
    ::close(fd);
    throw Error(translate_format("Cannot read {}: {}", path, why));
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
      throw Error(translate_format("Cannot read {}: {}", path, why));
    }
    if (n == 0) break;
    content.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return content;
}

}  // namespace host
