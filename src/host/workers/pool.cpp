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
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <cmath>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include <fmt/format.h>

#include "host/api/runs.h"
#include "host/api/error.h"
#include "host/api/files.h"
#include "host/api/workers.h"
#include "host/files/report.h"
#include "host/files/run_journal.h"
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

struct RunSettings {
  std::string journal;  // empty: the run keeps none
  bool resume = false;
  std::uint64_t memory = 0;  // 0: the default share
};

RunSettings& run_settings() {
  static RunSettings s;
  return s;
}

// ---- The memory ceiling of one file.

bool& out_of_memory() {
  static bool flag = false;
  return flag;
}

// Marks the failure before anything can catch and reword it: a loader that turns the
// exception into "cannot read" still leaves the file known as one that needed more memory.
void note_out_of_memory() {
  out_of_memory() = true;
  throw std::bad_alloc();
}

std::uint64_t address_space() {
  unsigned long long pages = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%llu", &pages) != 1) pages = 0;
    std::fclose(f);
  }
  return pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

// While it lives, this process may take `limit` bytes of address space beyond what it holds
// now; an allocation past that fails, and out_of_memory() tells so afterwards.
class MemoryCeiling {
 public:
  explicit MemoryCeiling(std::uint64_t limit) {
    out_of_memory() = false;
    previous_ = std::set_new_handler(note_out_of_memory);
    if (::getrlimit(RLIMIT_AS, &saved_) != 0) return;
    rlimit r = saved_;
    const std::uint64_t want = address_space() + limit;
    if (saved_.rlim_max == RLIM_INFINITY || want < saved_.rlim_max) r.rlim_cur = want;
    set_ = ::setrlimit(RLIMIT_AS, &r) == 0;
  }
  ~MemoryCeiling() {
    if (set_) ::setrlimit(RLIMIT_AS, &saved_);
    std::set_new_handler(previous_);
  }
  MemoryCeiling(const MemoryCeiling&) = delete;
  MemoryCeiling& operator=(const MemoryCeiling&) = delete;

 private:
  rlimit saved_{};
  bool set_ = false;
  std::new_handler previous_ = nullptr;
};

// Runs body(index) under the ceiling; false when the file needed more memory.
bool run_within_ceiling(const std::function<void(std::size_t)>& body, std::size_t index) {
  MemoryCeiling ceiling(memory_limit());
  try {
    body(index);
  } catch (...) {
    if (!out_of_memory()) throw;
  }
  return !out_of_memory();
}

std::string memory_text(const std::string& label) {
  return format("~A: needs more than ~A of memory; not plotted", label,
                memory_size_text(memory_limit()));
}

// What a file that ran out of memory leaves: one line, one problem, its report entry;
// whatever it staged is dropped.
std::vector<workers::Event> memory_failure(const std::string& label) {
  const std::string text = memory_text(label);
  std::vector<workers::Event> events{{workers::Event::Line, {text}},
                                     {workers::Event::Problems, {"1"}}};
  if (workers::report::active()) {
    workers::report::begin_item(label);
    workers::report::note_problem(text);
    events.push_back({workers::Event::Report, {workers::report::end_item()}});
  }
  return events;
}

// A worker's front end: output-box lines and messages become journal events; questions go
// to the parent's front end, which this process inherited. A run in one process records a
// file's lines the same way (they are shown when the file is committed, or dropped with its
// outputs when it ran out of memory) and passes progress and Cancel on.
class RecordingFrontEnd : public ui::FrontEnd {
 public:
  explicit RecordingFrontEnd(ui::FrontEnd& parent, bool in_process = false)
      : parent_(parent), in_process_(in_process) {}
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
  void progress(int done, int total, const std::string& label) override {
    if (in_process_) parent_.progress(done, total, label);
  }
  bool cancel_requested() override { return in_process_ && parent_.cancel_requested(); }
  void model_changed() override {
    if (in_process_) parent_.model_changed();
  }

 private:
  ui::FrontEnd& parent_;
  bool in_process_;
};

std::string dir_with_slash(const fs::path& p) {
  std::string s = p.lexically_normal().string();
  if (s.empty() || s.back() != '/') s += '/';
  return s;
}

// Runs one item inside a worker: stages its outputs and returns its journal; nothing when
// the item could not finish (the worker then ends, and the parent reports the item).
// `exhausted` tells that the item ran out of memory: the worker answers, then ends, and a
// fresh one takes the next file.
std::optional<std::string> run_item(const std::string& output_dir, const std::string& stage_dir,
                                    const std::string& label,
                                    const std::function<void(std::size_t)>& body,
                                    std::size_t index, bool& exhausted) {
  try {
    workers::begin_staging(output_dir, stage_dir);
    workers::check_fault_injection(label);
    workers::report::begin_item(label);
    // The worker began as a copy of the parent, count and all: only what this item added
    // goes back.
    const int before = reported_problems();
    if (!run_within_ceiling(body, index)) {
      exhausted = true;
      return workers::encode_journal(memory_failure(label));
    }
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
    bool exhausted = false;
    const auto journal =
        run_item(output_dir, stage_of(index), labels.at(index), body, index, exhausted);
    if (!journal || !write_answer(out, index, *journal)) {
      status = 3;
      break;
    }
    if (exhausted) break;
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

// Test hook of the resume tests: $TAVRIN_PARENT_FAULT=N makes the process that commits kill
// itself with SIGKILL right before it carries out the N-th event (counting from 0) of the
// run's commits, as a power cut would; "end" right after the last commit.
void check_parent_fault(bool at_end = false) {
  static const char* fault = std::getenv("TAVRIN_PARENT_FAULT");
  static long events = 0;
  if (fault == nullptr) return;
  if (at_end ? std::string(fault) == "end" : std::to_string(events++) == fault) ::raise(SIGKILL);
}

// What committing a file left, for the run journal.
struct Outcome {
  int problems = 0;
  std::string report;
  std::vector<std::string> outputs;
};

// Carries out events [from, end) of a file's journal, in order; the run journal, when kept,
// records each one done. A commit finished for a killed run (`finishing`)
// leaves out lines, messages and the report entry: the resumed run counts the file as one
// done before it.
Outcome carry_out(const std::string& label, const std::vector<workers::Event>& events,
                  std::size_t from, workers::RunJournal* journal, bool finishing = false) {
  Outcome out;
  for (std::size_t k = 0; k < events.size(); ++k) {
    const workers::Event& e = events[k];
    if (e.kind == workers::Event::Write) out.outputs.push_back(e.fields.at(1));
    if (e.kind == workers::Event::Problems) out.problems += std::stoi(e.fields.at(0));
    if (e.kind == workers::Event::Report) out.report = e.fields.at(0);
    if (k < from) continue;
    check_parent_fault();
    try {
      switch (e.kind) {
        case workers::Event::Write:
          // A commit finished for a killed run may find the file in place already.
          if (!finishing || fs::exists(e.fields.at(0)))
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
          if (!finishing) ui::front_end().output_line(e.fields.at(0));
          break;
        case workers::Event::Message:
          if (!finishing)
            ui::front_end().message(e.fields.at(0), static_cast<Severity>(e.fields.at(1).at(0)));
          break;
        case workers::Event::Report:
          if (!finishing) workers::report::add_item(e.fields.at(0));
          break;
        case workers::Event::Problems:
        case workers::Event::End:
          break;
      }
    } catch (const std::exception& ex) {
      // The output could not be put in place (a full disk, a printer gone meanwhile).
      ui::front_end().output_line(format("~A: ~A", label, ex.what()));
      ++out.problems;
    }
    if (journal) journal->event_done(label, k);
  }
  return out;
}

// Carries out one finished item's journal; returns the problems it counted.
int commit(const std::string& label, const std::optional<std::string>& journal, int status,
           workers::RunJournal* run_journal, const workers::InputStamp& input) {
  std::optional<std::vector<workers::Event>> events;
  if (journal && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
    try {
      events = workers::decode_journal(*journal);
    } catch (const Error&) {
    }
  }
  if (!events) {
    // Not recorded as committed: a resumed run does the file again.
    const std::string text = death_text(label, status);
    workers::report::begin_item(label);
    workers::report::note_problem(text);
    workers::report::add_item(workers::report::end_item());
    ui::front_end().output_line(text);
    return 1;
  }
  if (run_journal) run_journal->begin(label, input, *events);
  const Outcome out = carry_out(label, *events, 0, run_journal);
  if (run_journal) run_journal->end(label, input, out.problems, out.report, out.outputs);
  return out.problems;
}

struct Worker {
  pid_t pid = 0;
  int to = -1;    // item numbers to the worker
  int from = -1;  // finished item numbers from the worker
  std::optional<std::size_t> item;
};

// The stage root of a run: a directory in the staging area of the plot directory, locked
// while its run lives, so that a later run tells a killed run's root from a running one's
// (the parts of a cluster run share the plot directory).
class StageRoot {
 public:
  explicit StageRoot(const std::string& output_dir) {
    const std::string area = workers::staging_area(output_dir);
    std::error_code ec;
    fs::create_directories(area, ec);
    std::string root = area + "stage-XXXXXX";
    if (::mkdtemp(root.data()) == nullptr) return;
    lock_ = ::open((root + "/lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock_ < 0 || ::flock(lock_, LOCK_EX | LOCK_NB) != 0) {
      fs::remove_all(root, ec);
      return;
    }
    path_ = root + "/";
  }
  ~StageRoot() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
    if (lock_ >= 0) ::close(lock_);
  }
  StageRoot(const StageRoot&) = delete;
  StageRoot& operator=(const StageRoot&) = delete;

  bool ok() const { return !path_.empty(); }
  std::string item(std::size_t i) const { return path_ + std::to_string(i) + "/"; }
  int lock() const { return lock_; }

  // Removes the stage roots that no living run holds: those of killed runs.
  static void remove_stale(const std::string& output_dir) {
    std::error_code ec;
    for (fs::directory_iterator it(workers::staging_area(output_dir), ec), end; !ec && it != end;
         it.increment(ec)) {
      if (!it->path().filename().string().starts_with("stage-")) continue;
      const int fd = ::open((it->path() / "lock").c_str(), O_RDWR | O_CLOEXEC);
      if (fd < 0) continue;
      if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        std::error_code ignored;
        fs::remove_all(it->path(), ignored);
      }
      ::close(fd);
    }
  }

 private:
  std::string path_;
  int lock_ = -1;
};

// Starts a worker; nullopt when the system gives no process or pipe.
std::optional<Worker> start_worker(const std::vector<Worker>& others, const std::string& output_dir,
                                   const StageRoot& stage,
                                   const std::vector<std::string>& labels,
                                   const std::function<void(std::size_t)>& body) {
  int down[2], up[2];
  if (::pipe(down) != 0) return std::nullopt;
  if (::pipe(up) != 0) {
    ::close(down[0]);
    ::close(down[1]);
    return std::nullopt;
  }
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {
    // A worker never outlives its run: a killed parent takes its workers along, so a resumed
    // run finds no process still staging into the killed run's directories.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(3);
    ::signal(SIGPIPE, SIG_DFL);
    // The stage lock and the other workers' pipe ends stay with the parent only: a worker
    // that dies must close its pipe for good, or the parent would never see it go.
    ::close(stage.lock());
    for (const Worker& w : others) {
      ::close(w.to);
      ::close(w.from);
    }
    ::close(down[1]);
    ::close(up[0]);
    worker_loop(down[0], up[1], output_dir, [&](std::size_t i) { return stage.item(i); }, labels,
                body);
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

// A directory run: the files of the list, those done by an earlier run skipped, the others
// run in this process or in workers, and committed in list order.
class Run {
 public:
  Run(const std::vector<std::string>& labels, const std::function<void(std::size_t)>& body)
      : labels_(labels), body_(body), output_dir_(dir_with_slash(fs::current_path())) {}
  ~Run() {
    if (report_only_for_journal_) {
      take_run_report();
      set_run_report(false);
    }
  }
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

  void go() {
    const RunSettings& settings = run_settings();
    if (!settings.journal.empty()) {
      journal_.open(settings.journal, settings.resume, labels_);
      // The report entries of the files a resumed run skips come from the journal.
      set_run_report_for_journal();
      finish_cut_commits();
    }
    journal();  // tells now when the journal cannot be written
    StageRoot::remove_stale(output_dir_);
    skip_.assign(labels_.size(), false);
    if (settings.resume) choose_skipped();
    stage_ = std::make_unique<StageRoot>(output_dir_);
    if (!stage_->ok()) {
      // A plot directory that takes no new entries cannot take the outputs either; the run
      // in one process reports each failed output where it happens.
      stage_.reset();
      for (std::size_t i = 0; i < labels_.size(); ++i) {
        if (skip_[i]) {
          replay(i);
          continue;
        }
        workers::report::begin_item(labels_[i]);
        body_(i);
        workers::report::add_item(workers::report::end_item());
      }
      return;
    }
    const auto todo = static_cast<std::size_t>(std::count(skip_.begin(), skip_.end(), false));
    const std::size_t width = std::min(static_cast<std::size_t>(allowed_workers()), todo);
    if (width <= 1)
      run_here();
    else
      run_in_pool(width);
    check_parent_fault(true);
    stage_.reset();
    std::error_code ignored;
    fs::remove(workers::staging_area(output_dir_), ignored);  // when empty
  }

 private:
  workers::RunJournal* journal() {
    if (!journal_.failure().empty() && !journal_failure_shown_) {
      journal_failure_shown_ = true;
      ui::front_end().output_line(journal_.failure() + "; this run cannot be resumed");
    }
    return journal_.is_open() ? &journal_ : nullptr;
  }

  void set_run_report_for_journal() {
    if (!workers::report::active()) {
      set_run_report(true);
      report_only_for_journal_ = true;
    }
  }

  // The commits a killed run began and did not end are carried out to their end: a file's
  // outputs and ".org" copies are never half renamed.
  void finish_cut_commits() {
    const std::vector<workers::CutCommit> cut = journal_.cut_commits();
    for (const workers::CutCommit& c : cut) {
      const Outcome out = carry_out(c.label, c.events, c.done, &journal_, true);
      journal_.end(c.label, c.input, out.problems, out.report, out.outputs);
    }
  }

  // A file is skipped when the journal holds it committed from the same input and its
  // outputs are in place.
  void choose_skipped() {
    std::size_t count = 0;
    for (std::size_t i = 0; i < labels_.size(); ++i) {
      const auto it = journal_.committed().find(labels_[i]);
      if (it == journal_.committed().end() ||
          !(it->second.input == workers::InputStamp::of(labels_[i])))
        continue;
      std::error_code ec;
      skip_[i] = std::all_of(it->second.outputs.begin(), it->second.outputs.end(),
                             [&](const std::string& o) { return fs::exists(o, ec); });
      count += skip_[i];
    }
    ui::front_end().output_line(
        fmt::format("Resuming the run: {} of {} files are done and unchanged; {} to go", count,
                    labels_.size(), labels_.size() - count));
  }

  // A skipped file counts in the run as it did when it was done.
  void replay(std::size_t i) {
    const workers::CommittedFile& c = journal_.committed().at(labels_[i]);
    if (!c.report.empty() && !report_only_for_journal_) workers::report::add_item(c.report);
    count_problem(c.problems);
  }

  void take_report() {
    if (report_only_for_journal_) take_run_report();
  }

  // Every file in this process, each staged and then committed like a worker's.
  void run_here() {
    for (std::size_t i = 0; i < labels_.size(); ++i) {
      if (skip_[i]) {
        replay(i);
        continue;
      }
      const workers::InputStamp input = workers::InputStamp::of(labels_[i]);
      std::error_code ec;
      fs::create_directory(stage_->item(i), ec);
      workers::begin_staging(output_dir_, stage_->item(i));
      workers::report::begin_item(labels_[i]);
      const int before = reported_problems();
      bool fits = false;
      ui::FrontEnd& shown = ui::front_end();
      RecordingFrontEnd recorder(shown, true);
      ui::set_front_end(&recorder);
      try {
        fits = run_within_ceiling(body_, i);
      } catch (...) {
        ui::set_front_end(&shown);
        workers::end_staging();
        throw;
      }
      ui::set_front_end(&shown);
      std::vector<workers::Event> events = workers::recorded_events();
      workers::end_staging();
      const std::string report = workers::report::end_item();
      // The problems reached this process's count as they happened.
      int counted = reported_problems() - before;
      if (!fits) {
        // What the file staged is dropped; one line tells why, one problem counts.
        events = memory_failure(labels_[i]);
        count_problem(-counted);
        counted = 0;
      } else {
        events.push_back({workers::Event::Problems, {std::to_string(counted)}});
        if (workers::report::active()) events.push_back({workers::Event::Report, {report}});
      }
      if (journal()) journal_.begin(labels_[i], input, events);
      const Outcome out = carry_out(labels_[i], events, 0, journal());
      count_problem(out.problems - counted);
      if (journal()) journal_.end(labels_[i], input, out.problems, out.report, out.outputs);
      fs::remove_all(stage_->item(i), ec);
      take_report();
    }
  }

  void run_in_pool(std::size_t width) {
    // Created once here, not once per worker: the temporary directory (each worker then
    // makes its own), and fonts and cairo's PDF machinery, which the workers inherit ready.
    sd_inq_temp_dir();
    warm_up_plotting();
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    const std::size_t n = labels_.size();
    for (std::size_t i = 0; i < n; ++i) {
      std::error_code ec;
      if (!skip_[i] && !fs::create_directory(stage_->item(i), ec) && ec) return run_here();
    }
    // A worker killed while it waits for its next file has closed its pipe: handing it the
    // file must fail with an error the loop sees, not end this process with SIGPIPE.
    struct sigaction ignore {}, previous {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &previous);
    struct RestoreSigpipe {
      struct sigaction* previous;
      ~RestoreSigpipe() { ::sigaction(SIGPIPE, previous, nullptr); }
    } restore{&previous};
    std::vector<std::optional<int>> finished(n);  // the item's status, once known
    std::vector<std::optional<std::string>> journals(n);
    std::vector<workers::InputStamp> inputs(n);
    std::vector<Worker> pool;
    std::size_t next = 0, committed = 0;
    const auto skip_ahead = [&] {
      while (next < n && skip_[next]) finished[next++] = -2;
    };
    skip_ahead();
    if (next > 0) ui::front_end().progress(static_cast<int>(next), static_cast<int>(n), "");
    while (committed < n) {
      while (pool.size() < width && next < n) {
        auto w = start_worker(pool, output_dir_, *stage_, labels_, body_);
        if (!w) break;
        pool.push_back(*w);
      }
      if (pool.empty() && next < n && committed == next) {
        // No process to be had: this file runs here, in order, once its turn comes.
        workers::report::begin_item(labels_[next]);
        body_(next);
        workers::report::add_item(workers::report::end_item());
        finished[next++] = -1;
        skip_ahead();
      }
      for (Worker& w : pool) {
        if (w.item || next >= n) continue;
        inputs[next] = workers::InputStamp::of(labels_[next]);
        if (!write_index(w.to, next)) continue;
        w.item = next++;
        skip_ahead();
      }
      while (committed < n && finished[committed]) {
        if (*finished[committed] == -2) {
          replay(committed);
        } else if (*finished[committed] != -1) {
          count_problem(commit(labels_[committed], journals[committed], *finished[committed],
                               journal(), inputs[committed]));
          take_report();
          ui::front_end().progress(static_cast<int>(committed + 1), static_cast<int>(n),
                                   labels_[committed]);
        }
        journals[committed].reset();
        std::error_code ignored;
        fs::remove_all(stage_->item(committed), ignored);
        ++committed;
      }
      if (committed == n) break;
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
  }

  const std::vector<std::string>& labels_;
  const std::function<void(std::size_t)>& body_;
  const std::string output_dir_;
  workers::RunJournal journal_;
  std::unique_ptr<StageRoot> stage_;
  std::vector<bool> skip_;
  bool report_only_for_journal_ = false;
  bool journal_failure_shown_ = false;
};

}  // namespace

void set_worker_count(int count) {
  allowed_workers() = count < 1 ? 1 : count;
}

int worker_count() {
  return allowed_workers();
}

void set_run_journal(const std::string& path, bool resume) {
  run_settings().journal = path;
  run_settings().resume = resume && !path.empty();
}

void set_memory_limit(std::uint64_t bytes) {
  run_settings().memory = bytes;
}

std::uint64_t memory_limit() {
  if (run_settings().memory > 0) return run_settings().memory;
  // Three quarters of the machine's memory, shared by the workers.
  const long pages = ::sysconf(_SC_PHYS_PAGES), size = ::sysconf(_SC_PAGESIZE);
  const std::uint64_t total =
      pages > 0 && size > 0 ? static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(size)
                            : (std::uint64_t{4} << 30);
  return total / 4 * 3 / static_cast<std::uint64_t>(allowed_workers());
}

std::string memory_size_text(std::uint64_t bytes) {
  static const char* const units[] = {"bytes", "KiB", "MiB", "GiB", "TiB"};
  int unit = 0;
  double value = static_cast<double>(bytes);
  while (unit < 4 && value >= 1024) {
    value /= 1024;
    ++unit;
  }
  // Whole units as given ("3 GiB"), else one decimal ("1.5 GiB").
  const double whole = std::round(value);
  if (std::abs(value - whole) < 0.05) return fmt::format("{} {}", whole, units[unit]);
  return fmt::format("{:.1f} {}", value, units[unit]);
}

void sd_run_in_workers(const std::vector<std::string>& labels,
                       const std::function<void(std::size_t)>& body) {
  Run(labels, body).go();
}

}  // namespace host
