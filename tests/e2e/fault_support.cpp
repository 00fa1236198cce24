// Helpers of the fault tests.
#include "fault_support.h"

#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "host/api/error.h"
#include "host/api/files.h"
#include "host/formats/dxf.h"
#include "host/formats/mi.h"

namespace e2e {

Background::Background(const std::string& command_line, const fs::path& log) : log_(log) {
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("cannot fork");
  if (pid_ == 0) {
    const std::string line =
        "exec " + command_line + " >" + quote(log.string()) + " 2>&1 </dev/null";
    execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
}

Background::~Background() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

void Background::signal(int sig) const {
  if (pid_ > 0) ::kill(pid_, sig);
}

int Background::wait(std::chrono::seconds bound) {
  if (pid_ <= 0) return -1;
  const auto end = std::chrono::steady_clock::now() + bound;
  int status = 0;
  // A child's end cannot be polled for with a timeout: a short doze between looks is the
  // bounded wait here.
  while (waitpid(pid_, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > end) {
      ::kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
      return -1;
    }
    usleep(20'000);
  }
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string Background::output() const {
  std::ifstream in(log_);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

DirWatch::DirWatch(const fs::path& dir) {
  fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0 || inotify_add_watch(fd_, dir.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE) < 0)
    throw std::runtime_error("cannot watch " + dir.string() + ": " + std::strerror(errno));
}

DirWatch::~DirWatch() {
  if (fd_ >= 0) close(fd_);
}

int DirWatch::wait_for(int count, std::chrono::milliseconds bound, pid_t writer) {
  const auto end = std::chrono::steady_clock::now() + bound;
  alignas(inotify_event) char buffer[1 << 14];
  while (seen_ < count) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    // The writer's end is noticed within 50 ms even when it writes nothing more.
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(std::min<long>(left.count(), 50))) == 0) {
      siginfo_t info{};
      if (writer > 0 &&
          waitid(P_PID, static_cast<id_t>(writer), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
          info.si_pid == writer)
        break;
      continue;
    }
    const ssize_t n = read(fd_, buffer, sizeof buffer);
    for (ssize_t at = 0; at < n;) {
      const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
      if (e->len > 0 && e->name[0] != '.') ++seen_;
      at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
    }
  }
  return seen_;
}

std::string tavrin_command(const Scratch& s, const std::string& args, const fs::path& cwd,
                           const std::string& env) {
  // A killed run cannot remove its private temporary directory: it lies in the scratch.
  fs::create_directories(s.root() / "tmp");
  // later assignments win: `env` may point CUPS_SERVER at a real server
  return "env -C " + quote(cwd.string()) + " TMPDIR=" + quote((s.root() / "tmp").string()) +
         " TAVRIN_PROFILE_DIR=" + quote((s.root() / "profile").string()) +
         " CUPS_SERVER=" + quote((s.root() / "no-cups.sock").string()) + " " + env + " " +
         quote(TAVRIN_CLI) + " --path " + quote(s.share().string()) + " " + args;
}

bool is_root() {
  return geteuid() == 0;
}

bool mount_tmpfs(const fs::path& dir, const std::string& size, std::string& why) {
  fs::create_directories(dir);
  const std::string options = "size=" + size + ",mode=0755";
  if (::mount("tavrin-test", dir.c_str(), "tmpfs", 0, options.c_str()) == 0) return true;
  why = std::strerror(errno);
  return false;
}

void unmount(const fs::path& dir) {
  ::umount2(dir.c_str(), MNT_DETACH);
}

std::vector<std::string> incomplete_outputs(const fs::path& dir) {
  std::vector<std::string> bad;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    fs::path p = entry.path();
    const std::string name = p.filename().string();
    std::string ext = p.extension().string();
    if (ext == ".org") ext = p.stem().extension().string();
    try {
      if (ext == ".pdf") {
        if (run("qpdf --check " + quote(p.string()) + " >/dev/null").status != 0)
          bad.push_back(name);
      } else if (ext == ".mi") {
        host::read_mi_text(host::read_file(p.string()), name);
      } else if (ext == ".dxf") {
        // The reader goes by the file's own name: a backup is read under its drawing's name.
        const tavrin_test::ScratchDir scratch;
        const std::string copy = scratch.file("check.dxf");
        fs::copy_file(p, copy);
        host::read_dxf_file(copy);
      }
    } catch (const host::Error& e) {
      bad.push_back(name + ": " + e.what());
    }
  }
  return bad;
}

void make_drawings(const fs::path& dir, int mi_count, int dxf_count) {
  const fs::path examples = fs::path(TAVRIN_SOURCE_DIR) / "examples";
  std::ifstream in(examples / "platte.mi");
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string plate = ss.str();
  const std::string header = "drawing ~ ";
  for (int i = 1; i <= mi_count; ++i) {
    char number[16];
    std::snprintf(number, sizeof number, "P%02d", i);
    std::string text = plate;
    text.replace(text.find(header), header.size(), "drawing \"" + std::string(number) + "\" ");
    std::ofstream(dir / (std::string(number) + ".mi")) << text;
  }
  for (int i = 1; i <= dxf_count; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "S%02d.dxf", i);
    fs::copy_file(examples / "skizze.dxf", dir / name, fs::copy_options::overwrite_existing);
  }
}

}  // namespace e2e
