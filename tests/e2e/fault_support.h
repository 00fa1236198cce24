// Helpers of the fault tests: a `tavrin` run in the background that can be stopped, killed
// or waited for with a bound; a watch on a directory's finished files; mounts that only root
// can make; and checks that every file at an output name is complete.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace e2e {

// A command line running in its own process (started through `exec`, so that the pid is
// the program's own), its output collected in a file.
class Background {
 public:
  Background(const std::string& command_line, const fs::path& log);
  ~Background();  // kills the process if it still runs
  pid_t pid() const { return pid_; }
  void signal(int sig) const;
  // Exit status, 128 + signal for a killed process, or -1 when it did not end in time (it is
  // killed then).
  int wait(std::chrono::seconds bound);
  std::string output() const;

 private:
  pid_t pid_ = -1;
  fs::path log_;
};

// Counts files that appear complete in a directory (renamed into place or closed after
// writing), hidden temporary files left out.
class DirWatch {
 public:
  explicit DirWatch(const fs::path& dir);
  ~DirWatch();
  // Waits until `count` files have appeared in all, or the bound passes, or `alive` says the
  // writer has ended; returns how many appeared.
  int wait_for(int count, std::chrono::milliseconds bound, pid_t writer);

 private:
  int fd_ = -1;
  int seen_ = 0;
};

// The command line of `tavrin` as Scratch::tavrin builds it, without running it.
std::string tavrin_command(const Scratch& s, const std::string& args, const fs::path& cwd,
                           const std::string& env = "");

bool is_root();
// Mounts a tmpfs of `size` (e.g. "2m") at `dir`; false (with the reason in `why`) when this
// process may not mount.
bool mount_tmpfs(const fs::path& dir, const std::string& size, std::string& why);
void unmount(const fs::path& dir);

// Every PDF, DXF and .mi file (and .org backup) in `dir` is complete: qpdf accepts the PDFs,
// the host's readers load the drawings. Returns the names of the files that are not.
std::vector<std::string> incomplete_outputs(const fs::path& dir);

// Copies of a one-sheet plate drawing under numbers P01.., and of a DXF sketch, so that a
// directory run writes PDF, DXF and .mi files under distinct names.
void make_drawings(const fs::path& dir, int mi_count, int dxf_count);

}  // namespace e2e
