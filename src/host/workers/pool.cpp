// The worker processes of a directory run: one forked process per file, at most N at once;
// the parent carries out each file's journal in list order.
//
// A worker is a fork of the parent taken when the run starts, so it begins with the host and
// the module loaded, the tables read and the job's settings in its dialog: no start-up per
// file. It stages what it would put into the plot directory in a private directory inside
// it (so that committing is a rename in one file system, and a file at an output name is
// always complete) and writes its journal last; a worker without a complete journal died,
// and nothing of it reaches the plot directory.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>

#include "host/api/error.h"
#include "host/api/files.h"
#include "host/api/workers.h"
#include "host/plot/printing.h"
#include "host/ui/frontend.h"
#include "host/value/format.h"
#include "host/workers/report.h"
#include "host/workers/staging.h"

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
  void message(const std::string& text) override {
    workers::record({workers::Event::Message, {text}});
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

// Runs one item in a forked worker and never returns.
[[noreturn]] void run_worker(const std::string& output_dir, const std::string& stage_dir,
                             const std::string& label, const std::function<int(std::size_t)>& body,
                             std::size_t index) {
  int status = 0;
  try {
    forget_temp_dir();
    workers::begin_staging(output_dir, stage_dir);
    workers::check_fault_injection(label);
    RecordingFrontEnd recorder(ui::front_end());
    ui::set_front_end(&recorder);
    workers::report::begin_item(label);
    const int problems = body(index);
    workers::record({workers::Event::Problems, {std::to_string(problems)}});
    if (workers::report::active())
      workers::record({workers::Event::Report, {workers::report::end_item()}});
    const std::string journal = workers::encode_journal(workers::recorded_events());
    // The journal is the worker's last word: written whole and renamed, so the parent
    // either sees all of it or none.
    const std::string temp = stage_dir + "journal.tmp";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    const bool ok =
        f != nullptr && std::fwrite(journal.data(), 1, journal.size(), f) == journal.size();
    if (f != nullptr && std::fclose(f) != 0) status = 3;
    if (!ok || status != 0 || std::rename(temp.c_str(), (stage_dir + "journal").c_str()) != 0)
      status = 3;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tavrin worker (%s): %s\n", label.c_str(), e.what());
    status = 3;
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
int commit(const std::string& label, const std::string& stage_dir, int status) {
  std::optional<std::vector<workers::Event>> events;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
    try {
      events = workers::decode_journal(read_file(stage_dir + "journal"));
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
          ui::front_end().message(e.fields.at(0));
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

struct Slot {
  pid_t pid = 0;
  bool done = false;
  int status = 0;
};

int run_in_process(const std::vector<std::string>& labels,
                   const std::function<int(std::size_t)>& body) {
  for (std::size_t i = 0; i < labels.size(); ++i) {
    workers::report::begin_item(labels[i]);
    body(i);
    workers::report::add_item(workers::report::end_item());
  }
  return 0;
}

}  // namespace

void set_worker_count(int count) {
  allowed_workers() = count < 1 ? 1 : count;
}

int worker_count() {
  return allowed_workers();
}

int sd_run_in_workers(const std::vector<std::string>& labels,
                      const std::function<int(std::size_t)>& body) {
  const std::size_t width = static_cast<std::size_t>(allowed_workers());
  if (width <= 1 || labels.size() < 2) return run_in_process(labels, body);

  const std::string output_dir = dir_with_slash(fs::current_path());
  std::string root = output_dir + ".tavrin-stage-XXXXXX";
  if (::mkdtemp(root.data()) == nullptr) {
    // A plot directory that takes no new entries cannot take the outputs either; the run in
    // one process reports each failed output where it happens.
    return run_in_process(labels, body);
  }
  root += '/';
  sd_inq_temp_dir();  // created once here, not once per worker
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);

  std::vector<Slot> slots(labels.size());
  std::map<pid_t, std::size_t> running;
  std::size_t next = 0, committed = 0;
  int problems = 0;
  const auto stage_of = [&](std::size_t i) { return root + std::to_string(i) + "/"; };
  while (committed < labels.size()) {
    while (running.size() < width && next < labels.size()) {
      fs::create_directory(stage_of(next));
      const pid_t pid = ::fork();
      if (pid == 0) run_worker(output_dir, stage_of(next), labels[next], body, next);
      if (pid < 0) {
        // No process to be had: this file runs here, in order, once its turn comes.
        if (!running.empty()) break;
        workers::report::begin_item(labels[next]);
        body(next);
        workers::report::add_item(workers::report::end_item());
        slots[next].done = true;
        slots[next].pid = -1;
        ++next;
        continue;
      }
      slots[next].pid = pid;
      running[pid] = next++;
    }
    while (committed < labels.size() && slots[committed].done) {
      if (slots[committed].pid > 0)
        problems += commit(labels[committed], stage_of(committed), slots[committed].status);
      std::error_code ignored;
      fs::remove_all(stage_of(committed), ignored);
      ui::front_end().progress(static_cast<int>(committed + 1), static_cast<int>(labels.size()),
                               labels[committed]);
      ++committed;
    }
    if (running.empty()) continue;
    int status = 0;
    const pid_t pid = ::waitpid(-1, &status, 0);
    if (pid < 0) {
      if (errno == EINTR) continue;
      break;
    }
    const auto it = running.find(pid);
    if (it == running.end()) continue;
    slots[it->second].done = true;
    slots[it->second].status = status;
    running.erase(it);
  }
  std::error_code ignored;
  fs::remove_all(root, ignored);
  return problems;
}

}  // namespace host
