// The headless front end: prints messages and output lines, answers questions by a policy
// and everything else from queues its caller fills (the command line's options, or tests).
#pragma once

#include <chrono>
#include <deque>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "host/ui/frontend.h"

namespace host::ui {

class HeadlessFrontEnd : public FrontEnd {
 public:
  // How a question is answered when no answer is queued. Queued answers always go first.
  //   Yes / No: always the first / second button.
  //   Scripted: only queued answers; when they run out, the second button (nothing starts).
  //   Prompt:  asks on the terminal ("[1] push1  [2] push2"); without one, the second button.
  enum class QuestionPolicy { Yes, No, Scripted, Prompt };

  struct Question {
    std::string text, push1, push2;
    bool answer = false;  // true for the first button
  };
  struct Request {  // a folder browser or text editor that was opened
    std::string title;
    std::optional<std::string> initial;
  };

  explicit HeadlessFrontEnd(std::ostream& out);
  HeadlessFrontEnd();  // prints to standard output

  void set_output(std::ostream& out) { out_ = &out; }
  // Where progress goes and whether it is a terminal (progress is shown only on one).
  void set_progress_stream(std::ostream& err, bool is_terminal);
  // Where prompted answers come from and whether a person sits at it.
  void set_input(std::istream& in, bool is_terminal);
  void set_question_policy(QuestionPolicy policy) { policy_ = policy; }
  QuestionPolicy question_policy() const { return policy_; }

  void queue_answer(bool first) { answers_.push_back(first); }
  void queue_folder(std::optional<std::string> folder) { folders_.push_back(std::move(folder)); }
  void queue_text(std::optional<std::string> text) { texts_.push_back(std::move(text)); }
  void queue_point(std::optional<Point2> p) { points_.push_back(p); }
  void queue_edit_result(bool ok) { edit_results_.push_back(ok); }

  // What happened, for tests and reports.
  const std::vector<std::string>& messages() const { return messages_; }
  // The severity of each message, in the same order.
  const std::vector<Severity>& severities() const { return severities_; }
  const std::vector<std::string>& output_lines() const { return output_lines_; }
  const std::vector<Question>& questions() const { return questions_; }
  const std::vector<Request>& folder_requests() const { return folder_requests_; }
  const std::vector<Request>& text_requests() const { return text_requests_; }
  const std::vector<std::string>& edited_files() const { return edited_files_; }
  const std::vector<std::string>& point_prompts() const { return point_prompts_; }
  int model_changes() const { return model_changes_; }
  // Forgets recordings and queued answers; keeps streams and policy.
  void clear();

  void message(const std::string& text, Severity severity) override;
  bool question(const std::string& text, const std::string& push1,
                const std::string& push2) override;
  std::optional<std::string> browse_for_folder(const std::string& title,
                                               const std::optional<std::string>& initial) override;
  std::optional<std::string> edit_text(const std::string& title,
                                       const std::string& initial) override;
  bool edit_file(const std::string& path) override;
  std::optional<Point2> read_point(const std::string& prompt) override;
  void output_line(const std::string& text) override;
  void progress(int done, int total, const std::string& label) override;
  void model_changed() override { ++model_changes_; }

 private:
  bool policy_answer(const std::string& text, const std::string& push1, const std::string& push2);
  bool prompt_answer(const std::string& push1, const std::string& push2);
  // The progress line is taken off the terminal before a line is printed and put back after
  // it, so that no line is ever glued to it.
  void clear_progress();
  void redraw_progress();

  std::ostream* out_;
  std::ostream* err_;
  bool err_is_terminal_;
  std::istream* in_;
  bool in_is_terminal_;
  QuestionPolicy policy_ = QuestionPolicy::No;

  std::deque<bool> answers_;
  std::deque<std::optional<std::string>> folders_;
  std::deque<std::optional<std::string>> texts_;
  std::deque<std::optional<Point2>> points_;
  std::deque<bool> edit_results_;

  std::vector<std::string> messages_;
  std::vector<Severity> severities_;
  std::vector<std::string> output_lines_;
  std::vector<Question> questions_;
  std::vector<Request> folder_requests_;
  std::vector<Request> text_requests_;
  std::vector<std::string> edited_files_;
  std::vector<std::string> point_prompts_;
  int model_changes_ = 0;

  std::string progress_line_;  // on the terminal now; empty when none is shown
  std::chrono::steady_clock::time_point progress_start_;
  int progress_base_ = -1;  // files done when the clock started; -1 before a run
};

// The user's editor: $VISUAL, else $EDITOR; empty when neither is set.
std::string editor_from_environment();
// Runs the editor on the file and waits for it; true when it ended normally. The path goes in
// as a positional parameter, so no character of it can reach the shell as syntax.
bool run_editor(const std::string& editor, const std::string& path);

// The front end in use when none was set.
HeadlessFrontEnd& default_front_end();
// The front end in use when it is a headless one, else nullptr.
HeadlessFrontEnd* headless_front_end();

}  // namespace host::ui
