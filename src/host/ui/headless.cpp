// The headless front end of the command line and of the tests.
#include "host/ui/headless.h"

#include <fmt/format.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <iostream>

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
  *out_ << text << '\n' << std::flush;
}

void HeadlessFrontEnd::output_line(const std::string& text) {
  output_lines_.push_back(text);
  *out_ << text << '\n' << std::flush;
}

bool HeadlessFrontEnd::question(const std::string& text, const std::string& push1,
                                const std::string& push2) {
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

void HeadlessFrontEnd::progress(int done, int total, const std::string& label) {
  if (!err_is_terminal_) return;
  *err_ << fmt::format("\r[{}/{}] {}\x1b[K", done, total, label);
  if (done >= total) *err_ << '\n';
  *err_ << std::flush;
}

}  // namespace host::ui
