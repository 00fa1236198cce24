// The DWG converter process. Starting Node and LibreDWG's WebAssembly module costs more than
// converting a typical file, so one converter serves every DWG of a process: requests go to
// its stdin, one JSON line each, and its answers come back on its stdout. Every file has a
// time limit, and the converter's resident memory is watched from /proc while it works (an
// address-space limit would break the module's large memory reservation). A converter that
// crashes, hangs, outgrows its memory or answers nonsense is killed and costs only its file.
#include "host/formats/dwg_converter.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <vector>

#include "host/api/dwg.h"
#include "host/api/files.h"

namespace fs = std::filesystem;

namespace host {

namespace {

int& time_limit() {
  static int seconds = 120;
  return seconds;
}
int& memory_limit() {
  static int megabytes = 2048;
  return megabytes;
}

}  // namespace

void set_dwg_limits(int seconds, int megabytes) {
  if (seconds > 0) time_limit() = seconds;
  if (megabytes > 0) memory_limit() = megabytes;
}
int dwg_time_limit() {
  return time_limit();
}
int dwg_memory_limit() {
  return memory_limit();
}

namespace dwg {

namespace {

using Clock = std::chrono::steady_clock;

const char* const kPackageFile = "node_modules/@mlightcad/libredwg-web/wasm/libredwg-web.wasm";

bool executable(const std::string& path) {
  return !path.empty() && ::access(path.c_str(), X_OK) == 0 && !fs::is_directory(path);
}

std::string find_node() {
  if (const char* env = std::getenv("TAVRIN_NODE"); env != nullptr && *env != '\0')
    return executable(env) ? env : "";
  // Debian's own Node first: another one earlier on PATH may lack what the module needs.
  for (const char* candidate : {"/usr/bin/node", "/usr/bin/nodejs"})
    if (executable(candidate)) return candidate;
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "";
  for (std::size_t start = 0; start <= dirs.size();) {
    const std::size_t end = std::min(dirs.find(':', start), dirs.size());
    const std::string dir = dirs.substr(start, end - start);
    for (const char* name : {"node", "nodejs"})
      if (!dir.empty() && executable(dir + "/" + name)) return dir + "/" + name;
    start = end + 1;
  }
  return "";
}

std::string converter_directory() {
  if (const char* env = std::getenv("TAVRIN_DWG_CONVERTER"); env != nullptr && *env != '\0')
    return env;
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return "share/tavrin/dwg";
  return (exe.parent_path().parent_path() / "share" / "tavrin" / "dwg").lexically_normal();
}

// The resident memory of a process in megabytes, 0 when it cannot be read.
long resident_megabytes(pid_t pid) {
  std::ifstream statm("/proc/" + std::to_string(pid) + "/statm");
  long pages = 0, resident = 0;
  if (!(statm >> pages >> resident)) return 0;
  return resident * (::sysconf(_SC_PAGESIZE) / 1024) / 1024;
}

std::string last_line(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size <= 0) return "";
  const std::streamoff from = std::max<std::streamoff>(0, size - 4096);
  in.seekg(from);
  std::string tail(static_cast<std::size_t>(size - from), '\0');
  in.read(tail.data(), static_cast<std::streamsize>(tail.size()));
  while (!tail.empty() && (tail.back() == '\n' || tail.back() == '\r' || tail.back() == ' '))
    tail.pop_back();
  std::string line = tail.substr(tail.rfind('\n') == std::string::npos ? 0 : tail.rfind('\n') + 1);
  if (line.size() > 200) line = line.substr(0, 200) + "...";
  return line;
}

class Converter {
 public:
  ~Converter() {
    if (owner_ != ::getpid()) return;
    stop();
    // For measuring runs: this process's own peak, which the converter's does not blur.
    if (std::getenv("TAVRIN_DWG_STATS") != nullptr) {
      rusage self{};
      ::getrusage(RUSAGE_SELF, &self);
      std::cerr << "dwg-stats: tavrin peak " << self.ru_maxrss << " KB\n";
    }
  }

  Result convert(const std::string& dwg, const std::string& dxf) {
    // A forked worker inherits its parent's converter: that one is the parent's to use.
    if (owner_ != ::getpid()) forget();
    const auto deadline = Clock::now() + std::chrono::seconds(time_limit());
    try {
      if (pid_ < 0) start(deadline);
      // The converter's log holds what LibreDWG said about this file only.
      if (::ftruncate(log_, 0) != 0) {
      }
      nlohmann::json request = {{"in", dwg}, {"out", dxf}};
      send(request.dump() + "\n");
      const nlohmann::json answer = read_answer(deadline);
      const int code = answer.value("code", 0);
      if (answer.value("status", "") != "done") {
        const std::string error = answer.value("error", "");
        if (code >= 128)
          throw Failure{"LibreDWG cannot read it (" + describe_code(code) + ", code " +
                        std::to_string(code) + ")"};
        throw Failure{error.empty() ? "the converter gave no reason" : error};
      }
      if (std::getenv("TAVRIN_DWG_STATS") != nullptr)
        std::cerr << "dwg-stats: converter peak " << answer.value("peak_kb", 0L) << " KB\n";
      // The module never gives memory back: a converter that grew large starts afresh.
      if (resident_megabytes(pid_) > memory_limit() / 2) stop();
      return {code};
    } catch (const Failure&) {
      // What went wrong may have left the module in any state: the next file gets a new one.
      stop();
      throw;
    }
  }

 private:
  void start(Clock::time_point deadline) {
    const Setup setup = find_setup();
    if (setup.node.empty())
      throw Failure{"DWG files need Node.js, which is not installed: install the package nodejs"};
    if (setup.script.empty() || !setup.package)
      throw Failure{"the DWG converter is not installed in " + setup.directory +
                    " (LibreDWG's package is missing: run scripts/install-deps.sh, or reinstall "
                    "tavrin)"};
    log_path_ = sd_inq_temp_dir() + "dwg-converter.log";
    log_ = ::open(log_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0600);
    int requests[2], answers[2];
    // A socket for the requests, so that writing to a converter that died is an error
    // (MSG_NOSIGNAL) and not a SIGPIPE.
    if (log_ < 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, requests) != 0)
      throw Failure{std::string("cannot start the converter: ") + std::strerror(errno)};
    if (::pipe2(answers, O_CLOEXEC) != 0) {
      ::close(requests[0]);
      ::close(requests[1]);
      throw Failure{std::string("cannot start the converter: ") + std::strerror(errno)};
    }
    std::vector<std::string> args = {setup.node, "--liftoff-only", setup.script};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
      // Only async-signal-safe calls from here: the parent may hold threads.
      ::dup2(requests[1], 0);
      ::dup2(answers[1], 1);
      ::dup2(log_, 2);
      ::syscall(SYS_close_range, 3U, ~0U, 0U);
      // An address-space limit of the worker would break the module's memory reservation;
      // the converter's memory is watched instead.
      struct rlimit limit;
      if (::getrlimit(RLIMIT_AS, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_AS, &limit);
      }
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(requests[1]);
    ::close(answers[1]);
    if (pid < 0) {
      ::close(requests[0]);
      ::close(answers[0]);
      throw Failure{std::string("cannot start the converter: ") + std::strerror(errno)};
    }
    pid_ = pid;
    owner_ = ::getpid();
    in_ = requests[0];
    out_ = answers[0];
    buffer_.clear();
    const nlohmann::json ready = read_answer(deadline);
    if (ready.value("status", "") != "ready")
      throw Failure{"the converter did not start: " + ready.value("error", ready.dump())};
  }

  void send(const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
      const ssize_t n = ::send(in_, text.data() + done, text.size() - done, MSG_NOSIGNAL);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) throw Failure{ended()};
      done += static_cast<std::size_t>(n);
    }
  }

  nlohmann::json read_answer(Clock::time_point deadline) {
    for (;;) {
      if (const std::size_t end = buffer_.find('\n'); end != std::string::npos) {
        const std::string line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        nlohmann::json answer = nlohmann::json::parse(line, nullptr, false);
        if (answer.is_discarded() || !answer.is_object())
          throw Failure{"the converter answered something that is not an answer: \"" +
                        line.substr(0, 60) + "\""};
        return answer;
      }
      if (buffer_.size() > (1U << 20))
        throw Failure{"the converter answered something that is not an answer"};
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0)
        throw Failure{"no result after " + std::to_string(time_limit()) +
                      " s (the converter was stopped; see the option --dwg-timeout)"};
      if (resident_megabytes(pid_) > memory_limit())
        throw Failure{"the converter exceeded its memory limit of " +
                      std::to_string(memory_limit()) +
                      " MB (it was stopped; see the option --dwg-memory-limit)"};
      pollfd p{out_, POLLIN, 0};
      const int ready = ::poll(&p, 1, static_cast<int>(std::min<long>(left.count(), 100)));
      if (ready <= 0) continue;
      char chunk[65536];
      const ssize_t n = ::read(out_, chunk, sizeof chunk);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) throw Failure{ended()};
      buffer_.append(chunk, static_cast<std::size_t>(n));
    }
  }

  // Why the converter ended: its exit status or signal, and the last line it wrote.
  std::string ended() {
    int status = 0;
    pid_t done = 0;
    for (int i = 0; i < 50 && (done = ::waitpid(pid_, &status, WNOHANG)) == 0; ++i) ::usleep(20000);
    if (done == 0) return "the converter stopped answering";
    pid_ = -1;
    std::string why;
    if (WIFSIGNALED(status))
      why = "the converter crashed (signal " + std::to_string(WTERMSIG(status)) + ")";
    else if (WEXITSTATUS(status) == 127)
      why = "the converter could not be started";
    else
      why = "the converter ended unexpectedly (exit status " + std::to_string(WEXITSTATUS(status)) +
            ")";
    const std::string said = last_line(log_path_);
    return said.empty() ? why : why + ": " + said;
  }

  void stop() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    close_all();
  }

  void forget() {
    close_all();
    log_path_.clear();
  }

  void close_all() {
    for (int* fd : {&in_, &out_, &log_})
      if (*fd >= 0) ::close(*fd), *fd = -1;
    pid_ = -1;
    buffer_.clear();
  }

  pid_t pid_ = -1;
  pid_t owner_ = 0;
  int in_ = -1, out_ = -1, log_ = -1;
  std::string log_path_;
  std::string buffer_;
};

Converter& converter() {
  static Converter one;
  return one;
}

}  // namespace

Setup find_setup() {
  Setup setup;
  setup.node = find_node();
  setup.directory = converter_directory();
  const std::string script = setup.directory + "/dwg2dxf.mjs";
  if (fs::is_regular_file(script)) setup.script = script;
  setup.package = fs::exists(setup.directory + "/" + kPackageFile);
  return setup;
}

Result convert(const std::string& dwg, const std::string& dxf) {
  return converter().convert(dwg, dxf);
}

std::string describe_code(int code) {
  static const char* const names[] = {
      "wrong CRC",          "not yet supported",     "unhandled class",     "invalid type",
      "invalid handle",     "invalid extended data", "value out of bounds", "classes not found",
      "section not found",  "page not found",        "internal error",      "invalid DWG",
      "input/output error", "out of memory"};
  std::string text;
  for (int bit = 0; bit < 14; ++bit) {
    if ((code & (1 << bit)) == 0) continue;
    if (!text.empty()) text += ", ";
    text += names[bit];
  }
  return text.empty() ? "error " + std::to_string(code) : text;
}

}  // namespace dwg

std::string dwg_converter_description() {
  const dwg::Setup setup = dwg::find_setup();
  if (setup.node.empty()) return "DWG converter: Node.js is missing (install the package nodejs)";
  if (setup.script.empty() || !setup.package)
    return "DWG converter: not installed in " + setup.directory + " (run scripts/install-deps.sh)";
  std::string package = "?";
  std::ifstream manifest(setup.directory + "/node_modules/@mlightcad/libredwg-web/package.json");
  const nlohmann::json parsed = nlohmann::json::parse(manifest, nullptr, false);
  if (parsed.is_object()) package = parsed.value("version", "?");
  // LibreDWG names its version in the module itself.
  std::string libredwg = "?";
  std::ifstream wasm(setup.directory + "/" + dwg::kPackageFile, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(wasm)), std::istreambuf_iterator<char>());
  if (const std::size_t at = bytes.find("LibreDWG 0."); at != std::string::npos) {
    std::size_t end = at + 9;
    while (end < bytes.size() && (std::isdigit(static_cast<unsigned char>(bytes[end])) ||
                                  (bytes[end] == '.' && end + 1 < bytes.size() &&
                                   std::isdigit(static_cast<unsigned char>(bytes[end + 1])))))
      ++end;
    libredwg = bytes.substr(at + 9, end - at - 9);
    // Only major.minor.patch: the build number after it says nothing to a user.
    int dots = 0;
    for (std::size_t i = 0; i < libredwg.size(); ++i)
      if (libredwg[i] == '.' && ++dots == 3) libredwg.resize(i);
  }
  return "DWG converter: LibreDWG " + libredwg + " (@mlightcad/libredwg-web " + package +
         ") run by " + setup.node;
}

}  // namespace host
