// The headless front end of the command line and of the tests.
#include "host/api/runs.h"
#include "host/ui/headless.h"

#include <fmt/format.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <iostream>

#include "host/api/ui_ops.h"
#include "host/value/format.h"
#include "host/value/language.h"

namespace host::ui {

namespace {

template <class T>
std::optional<T> pop(std::deque<T>& queue) {
  if (queue.empty()) return std::nullopt;
  T front = std::move(queue.front());
  queue.pop_front();
  return front;
}

}  // namespace

bool run_editor(const std::string& editor, const std::string& path) {
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    std::string command = editor + " \"$1\"";
    execl("/bin/sh", "sh", "-c", command.c_str(), "sh", path.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string editor_from_environment() {
  for (const char* name : {"VISUAL", "EDITOR"}) {
    const char* value = std::getenv(name);
    if (value && *value) return value;
  }
  return "";
}

HeadlessFrontEnd::HeadlessFrontEnd(std::ostream& out)
    : out_(&out),
      err_(&std::cerr),
      err_is_terminal_(isatty(STDERR_FILENO) == 1),
      in_(&std::cin),
      in_is_terminal_(isatty(STDIN_FILENO) == 1) {}

HeadlessFrontEnd::HeadlessFrontEnd() : HeadlessFrontEnd(std::cout) {}

void HeadlessFrontEnd::set_progress_stream(std::ostream& err, bool is_terminal) {
  err_ = &err;
  err_is_terminal_ = is_terminal;
}

void HeadlessFrontEnd::set_input(std::istream& in, bool is_terminal) {
  in_ = &in;
  in_is_terminal_ = is_terminal;
}

void HeadlessFrontEnd::clear() {
  answers_.clear();
  folders_.clear();
  texts_.clear();
  points_.clear();
  edit_results_.clear();
  messages_.clear();
  severities_.clear();
  output_lines_.clear();
  questions_.clear();
  folder_requests_.clear();
  text_requests_.clear();
  edited_files_.clear();
  point_prompts_.clear();
  model_changes_ = 0;
}

void HeadlessFrontEnd::message(const std::string& text, Severity severity) {
  messages_.push_back(text);
  severities_.push_back(severity);
  clear_progress();
  *out_ << text << '\n' << std::flush;
  redraw_progress();
}

void HeadlessFrontEnd::output_line(const std::string& text) {
  output_lines_.push_back(text);
  clear_progress();
  *out_ << text << '\n' << std::flush;
  redraw_progress();
}

bool HeadlessFrontEnd::question(const std::string& text, const std::string& push1,
                                const std::string& push2) {
  clear_progress();
  bool answer = policy_answer(text, push1, push2);
  questions_.push_back({text, push1, push2, answer});
  return answer;
}

bool HeadlessFrontEnd::policy_answer(const std::string& text, const std::string& push1,
                                     const std::string& push2) {
  if (auto queued = pop(answers_)) {
    *out_ << text << '\n' << "-> " << (*queued ? push1 : push2) << '\n' << std::flush;
    return *queued;
  }
  switch (policy_) {
    case QuestionPolicy::Yes:
      *out_ << text << '\n' << "-> " << push1 << '\n' << std::flush;
      return true;
    case QuestionPolicy::Prompt:
      if (in_is_terminal_) {
        *out_ << text << '\n';
        return prompt_answer(push1, push2);
      }
      break;
    case QuestionPolicy::No:
    case QuestionPolicy::Scripted:
      break;
  }
  *out_ << text << '\n' << "-> " << push2 << '\n' << std::flush;
  return false;
}

bool HeadlessFrontEnd::prompt_answer(const std::string& push1, const std::string& push2) {
  std::string line;
  for (;;) {
    *out_ << "[1] " << push1 << "  [2] " << push2 << '\n' << std::flush;
    if (!std::getline(*in_, line)) return false;  // end of input: the safe second button
    std::string answer = line.substr(0, line.find_last_not_of(" \t\r") + 1);
    if (answer == "1") return true;
    if (answer == "2") return false;
  }
}

std::optional<std::string> HeadlessFrontEnd::browse_for_folder(
    const std::string& title, const std::optional<std::string>& initial) {
  folder_requests_.push_back({title, initial});
  return pop(folders_).value_or(std::nullopt);
}

std::optional<std::string> HeadlessFrontEnd::edit_text(const std::string& title,
                                                       const std::string& initial) {
  text_requests_.push_back({title, initial});
  return pop(texts_).value_or(std::nullopt);
}

bool HeadlessFrontEnd::edit_file(const std::string& path) {
  edited_files_.push_back(path);
  if (auto queued = pop(edit_results_)) return *queued;
  std::string editor = editor_from_environment();
  if (!editor.empty() && in_is_terminal_) return run_editor(editor, path);
  message(format(G_("Kein Editor verfügbar für ~A (VISUAL oder EDITOR setzen und im Terminal starten)"),
                 path),
          Severity::Problem);
  return false;
}

std::optional<Point2> HeadlessFrontEnd::read_point(const std::string& prompt) {
  point_prompts_.push_back(prompt);
  return pop(points_).value_or(std::nullopt);
}

// "[5/12] 41 %  23.4 files/min, 0:18 left  flansch.mi", cut to the terminal's width (a
// wrapped line could not be cleared).
void HeadlessFrontEnd::progress(int done, int total, const std::string& label) {
  if (!err_is_terminal_) return;
  const auto now = std::chrono::steady_clock::now();
  if (done >= total) {
    clear_progress();
    progress_line_.clear();
    progress_base_ = -1;
    return;
  }
  if (progress_base_ < 0 || done < progress_base_) {
    progress_base_ = done;
    progress_start_ = now;
  }
  const double seconds = std::chrono::duration<double>(now - progress_start_).count();
  std::string line = fmt::format("[{}/{}] {} %", done, total, total > 0 ? done * 100 / total : 0);
  const std::string pace = progress_pace_text(done - progress_base_, total - done, seconds);
  if (!pace.empty()) line += "  " + pace;
  if (!label.empty()) line += "  " + label;
  winsize ws{};
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 1) {
    // Counting bytes cuts a line of umlauts a little early, never too late.
    if (line.size() >= ws.ws_col) line.resize(ws.ws_col - 1);
    while (!line.empty() && (static_cast<unsigned char>(line.back()) & 0xC0) == 0x80)
      line.pop_back();
    if (!line.empty() && static_cast<unsigned char>(line.back()) >= 0xC0) line.pop_back();
  }
  progress_line_ = line;
  redraw_progress();
}

void HeadlessFrontEnd::clear_progress() {
  if (progress_line_.empty()) return;
  *err_ << "\r\x1b[K" << std::flush;
}

void HeadlessFrontEnd::redraw_progress() {
  if (progress_line_.empty() || !err_is_terminal_) return;
  *err_ << '\r' << progress_line_ << "\x1b[K" << std::flush;
}

}  // namespace host::ui
