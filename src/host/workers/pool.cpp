// The worker processes of a directory run: at most N forked workers, each taking one file
// after another; the parent carries out each file's journal in list order.
//
// A worker is a fork of the parent taken when the run starts, so it begins with the host and
// the module loaded, the tables read and the job's settings in its dialog: no start-up per
// file, and like the run in one process it keeps its state from one file to the next. It
// stages what it would put into the plot directory in a private directory inside it (so that
// committing is a rename in one file system, and a file at an output name is always
// complete) and hands each file's journal to the parent through its pipe, last; a file
// without a complete journal was not finished, and nothing of it reaches the plot directory.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <string>

#include "host/api/error.h"
#include "host/api/files.h"
#include "host/api/workers.h"
#include "host/files/report.h"
#include "host/files/staging.h"
#include "host/plot/printing.h"
#include "host/plot/warm_up.h"
#include "host/ui/frontend.h"
#include "host/value/format.h"

namespace fs = std::filesystem;

namespace host {

namespace {

int& allowed_workers() {
  static int count = 1;
  return count;
}

// A worker's front end: output-box lines and messages become journal events; questions go
// to the parent's front end, which this process inherited.
class RecordingFrontEnd : public ui::FrontEnd {
 public:
  explicit RecordingFrontEnd(ui::FrontEnd& parent) : parent_(parent) {}
  void message(const std::string& text, Severity severity) override {
    workers::record({workers::Event::Message, {text, std::string(1, static_cast<char>(severity))}});
  }
  bool question(const std::string& text, const std::string& push1,
                const std::string& push2) override {
    return parent_.question(text, push1, push2);
  }
  std::optional<std::string> browse_for_folder(const std::string& title,
                                               const std::optional<std::string>& initial) override {
    return parent_.browse_for_folder(title, initial);
  }
  std::optional<std::string> edit_text(const std::string& title,
                                       const std::string& initial) override {
    return parent_.edit_text(title, initial);
  }
  bool edit_file(const std::string& path) override { return parent_.edit_file(path); }
  std::optional<Point2> read_point(const std::string& prompt) override {
    return parent_.read_point(prompt);
  }
  void output_line(const std::string& text) override {
    workers::record({workers::Event::Line, {text}});
  }
  void progress(int, int, const std::string&) override {}
  void model_changed() override {}

 private:
  ui::FrontEnd& parent_;
};

std::string dir_with_slash(const fs::path& p) {
  std::string s = p.lexically_normal().string();
  if (s.empty() || s.back() != '/') s += '/';
  return s;
}

// Runs one item inside a worker: stages its outputs and returns its journal; nothing when
// the item could not finish (the worker then ends, and the parent reports the item).
std::optional<std::string> run_item(const std::string& output_dir, const std::string& stage_dir,
                                    const std::string& label,
                                    const std::function<void(std::size_t)>& body,
                                    std::size_t index) {
  try {
    workers::begin_staging(output_dir, stage_dir);
    workers::check_fault_injection(label);
    workers::report::begin_item(label);
    // The worker began as a copy of the parent, count and all: only what this item added
    // goes back.
    const int before = reported_problems();
    body(index);
    workers::record({workers::Event::Problems, {std::to_string(reported_problems() - before)}});
    if (workers::report::active())
      workers::record({workers::Event::Report, {workers::report::end_item()}});
    return workers::encode_journal(workers::recorded_events());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tavrin worker (%s): %s\n", label.c_str(), e.what());
    return std::nullopt;
  }
}

bool read_index(int fd, std::uint64_t& index) {
  char* p = reinterpret_cast<char*>(&index);
  std::size_t got = 0;
  while (got < sizeof index) {
    const ssize_t n = ::read(fd, p + got, sizeof index - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

bool write_all(int fd, const char* p, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool write_index(int fd, std::uint64_t index) {
  return write_all(fd, reinterpret_cast<const char*>(&index), sizeof index);
}

// A finished item's answer: its number, the journal's length, the journal. The journal
// travels through the pipe, not through the disk: a worker on a full disk still reports
// why each of its outputs failed, and the parent sees all of it or, from a worker that died
// while sending, nothing.
bool write_answer(int fd, std::uint64_t index, const std::string& journal) {
  return write_index(fd, index) && write_index(fd, journal.size()) &&
         write_all(fd, journal.data(), journal.size());
}

std::optional<std::string> read_journal(int fd) {
  std::uint64_t size = 0;
  if (!read_index(fd, size)) return std::nullopt;
  std::string journal(size, '\0');
  std::size_t got = 0;
  while (got < size) {
    const ssize_t n = ::read(fd, journal.data() + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return std::nullopt;
    got += static_cast<std::size_t>(n);
  }
  return journal;
}

// A worker process: takes item numbers from `in`, answers each finished one on `out`, and
// ends when `in` closes. Never returns.
[[noreturn]] void worker_loop(int in, int out, const std::string& output_dir,
                              const std::function<std::string(std::size_t)>& stage_of,
                              const std::vector<std::string>& labels,
                              const std::function<void(std::size_t)>& body) {
  forget_temp_dir();
  RecordingFrontEnd recorder(ui::front_end());
  ui::set_front_end(&recorder);
  int status = 0;
  std::uint64_t index = 0;
  while (read_index(in, index)) {
    const auto journal = run_item(output_dir, stage_of(index), labels.at(index), body, index);
    if (!journal || !write_answer(out, index, *journal)) {
      status = 3;
      break;
    }
  }
  remove_own_temp_dir();
  std::fflush(stderr);
  // No exit handlers: they belong to the parent (its temporary directory, its streams).
  ::_exit(status);
}

std::string death_text(const std::string& label, int status) {
  if (WIFSIGNALED(status)) {
    const int sig = WTERMSIG(status);
    return format(
        "~A: the worker process was killed by signal ~A (~A) before it finished this "
        "file; none of its outputs were kept",
        label, sig, strsignal(sig));
  }
  return format(
      "~A: the worker process ended without finishing this file (exit status ~A); "
      "none of its outputs were kept",
      label, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
}

// Carries out one finished item's journal; returns the problems it counted.
int commit(const std::string& label, const std::optional<std::string>& journal, int status) {
  std::optional<std::vector<workers::Event>> events;
  if (journal && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
    try {
      events = workers::decode_journal(*journal);
    } catch (const Error&) {
    }
  }
  if (!events) {
    const std::string text = death_text(label, status);
    workers::report::begin_item(label);
    workers::report::note_problem(text);
    workers::report::add_item(workers::report::end_item());
    ui::front_end().output_line(text);
    return 1;
  }
  int problems = 0;
  for (const workers::Event& e : *events) {
    try {
      switch (e.kind) {
        case workers::Event::Write:
          commit_staged_file(e.fields.at(0), e.fields.at(1));
          break;
        case workers::Event::Move:
          sd_move_file(e.fields.at(0), e.fields.at(1));
          break;
        case workers::Event::Backup:
          keep_backup_copy(e.fields.at(0), e.fields.at(1));
          break;
        case workers::Event::Delete:
          sd_delete_file(e.fields.at(0));
          break;
        case workers::Event::Print:
          submit_staged_print(e.fields);
          break;
        case workers::Event::Line:
          ui::front_end().output_line(e.fields.at(0));
          break;
        case workers::Event::Message:
          ui::front_end().message(e.fields.at(0), static_cast<Severity>(e.fields.at(1).at(0)));
          break;
        case workers::Event::Problems:
          problems += std::stoi(e.fields.at(0));
          break;
        case workers::Event::Report:
          workers::report::add_item(e.fields.at(0));
          break;
        case workers::Event::End:
          break;
      }
    } catch (const std::exception& ex) {
      // The output could not be put in place (a full disk, a printer gone meanwhile).
      ui::front_end().output_line(format("~A: ~A", label, ex.what()));
      ++problems;
    }
  }
  return problems;
}

struct Worker {
  pid_t pid = 0;
  int to = -1;    // item numbers to the worker
  int from = -1;  // finished item numbers from the worker
  std::optional<std::size_t> item;
};

void run_in_process(const std::vector<std::string>& labels,
                    const std::function<void(std::size_t)>& body) {
  for (std::size_t i = 0; i < labels.size(); ++i) {
    workers::report::begin_item(labels[i]);
    body(i);
    workers::report::add_item(workers::report::end_item());
  }
}

// Starts a worker; nullopt when the system gives no process or pipe.
std::optional<Worker> start_worker(const std::vector<Worker>& others, const std::string& output_dir,
                                   const std::function<std::string(std::size_t)>& stage_of,
                                   const std::vector<std::string>& labels,
                                   const std::function<void(std::size_t)>& body) {
  int down[2], up[2];
  if (::pipe(down) != 0) return std::nullopt;
  if (::pipe(up) != 0) {
    ::close(down[0]);
    ::close(down[1]);
    return std::nullopt;
  }
  const pid_t pid = ::fork();
  if (pid == 0) {
    // The other workers' pipe ends stay with the parent only: a worker that dies must close
    // its pipe for good, or the parent would never see it go.
    for (const Worker& w : others) {
      ::close(w.to);
      ::close(w.from);
    }
    ::close(down[1]);
    ::close(up[0]);
    worker_loop(down[0], up[1], output_dir, stage_of, labels, body);
  }
  ::close(down[0]);
  ::close(up[1]);
  if (pid < 0) {
    ::close(down[1]);
    ::close(up[0]);
    return std::nullopt;
  }
  return Worker{pid, down[1], up[0], std::nullopt};
}

void stop_worker(Worker& w, int* status) {
  ::close(w.to);
  ::close(w.from);
  int ignored = 0;
  while (::waitpid(w.pid, status ? status : &ignored, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

void set_worker_count(int count) {
  allowed_workers() = count < 1 ? 1 : count;
}

int worker_count() {
  return allowed_workers();
}

void sd_run_in_workers(const std::vector<std::string>& labels,
                       const std::function<void(std::size_t)>& body) {
  const std::size_t width = std::min(static_cast<std::size_t>(allowed_workers()), labels.size());
  if (width <= 1) return run_in_process(labels, body);

  const std::string output_dir = dir_with_slash(fs::current_path());
  std::string root = output_dir + ".tavrin-stage-XXXXXX";
  if (::mkdtemp(root.data()) == nullptr) {
    // A plot directory that takes no new entries cannot take the outputs either; the run in
    // one process reports each failed output where it happens.
    return run_in_process(labels, body);
  }
  root += '/';
  const auto stage_of = [&](std::size_t i) { return root + std::to_string(i) + "/"; };
  // Created once here, not once per worker: the temporary directory (each worker then makes
  // its own), and fonts and cairo's PDF machinery, which the workers inherit ready.
  sd_inq_temp_dir();
  warm_up_plotting();
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  for (std::size_t i = 0; i < labels.size(); ++i) {
    std::error_code ec;
    if (!fs::create_directory(stage_of(i), ec) && ec) {
      fs::remove_all(root, ec);
      return run_in_process(labels, body);
    }
  }

  std::vector<std::optional<int>> finished(labels.size());  // the item's status, once known
  std::vector<std::optional<std::string>> journals(labels.size());
  std::vector<Worker> pool;
  std::size_t next = 0, committed = 0;
  while (committed < labels.size()) {
    while (pool.size() < width && next < labels.size()) {
      auto w = start_worker(pool, output_dir, stage_of, labels, body);
      if (!w) break;
      pool.push_back(*w);
    }
    if (pool.empty() && next < labels.size()) {
      // No process to be had: this file runs here, in order, once its turn comes.
      if (committed == next) {
        workers::report::begin_item(labels[next]);
        body(next);
        workers::report::add_item(workers::report::end_item());
        finished[next++] = -1;
      }
    }
    for (Worker& w : pool) {
      if (!w.item && next < labels.size() && write_index(w.to, next)) w.item = next++;
    }
    while (committed < labels.size() && finished[committed]) {
      if (*finished[committed] != -1)
        count_problem(commit(labels[committed], journals[committed], *finished[committed]));
      journals[committed].reset();
      std::error_code ignored;
      fs::remove_all(stage_of(committed), ignored);
      ui::front_end().progress(static_cast<int>(committed + 1), static_cast<int>(labels.size()),
                               labels[committed]);
      ++committed;
    }
    if (committed == labels.size()) break;
    if (pool.empty()) continue;
    std::vector<pollfd> fds;
    for (const Worker& w : pool) fds.push_back({w.from, POLLIN, 0});
    if (::poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (std::size_t k = fds.size(); k-- > 0;) {
      if (fds[k].revents == 0) continue;
      Worker& w = pool[k];
      std::uint64_t index = 0;
      if (read_index(w.from, index) && w.item && *w.item == index &&
          (journals[index] = read_journal(w.from))) {
        finished[index] = 0;
        w.item.reset();
        continue;
      }
      // The worker is gone: the file it held is reported, a new worker takes the rest.
      int status = 0;
      stop_worker(w, &status);
      if (w.item) finished[*w.item] = status == 0 ? (3 << 8) : status;
      pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(k));
    }
  }
  for (Worker& w : pool) stop_worker(w, nullptr);
  std::error_code ignored;
  fs::remove_all(root, ignored);
}

}  // namespace host
