// The one interface through which the host reaches a person: messages, questions, the folder
// browser, the text and file editors, point input, the output box and progress. The headless
// front end answers from what its caller supplied; the GUI shows real windows.
#pragma once

#include <optional>
#include <string>

#include "host/api/ui_ops.h"
#include "host/value/value.h"

namespace host::ui {

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  virtual void message(const std::string& text, Severity severity) = 0;
  // True for the first button.
  virtual bool question(const std::string& text, const std::string& push1,
                        const std::string& push2) = 0;
  // The chosen directory, or nullopt when cancelled.
  virtual std::optional<std::string> browse_for_folder(
      const std::string& title, const std::optional<std::string>& initial) = 0;
  // The general text editor: the edited text, or nullopt when cancelled.
  virtual std::optional<std::string> edit_text(const std::string& title,
                                               const std::string& initial) = 0;
  // Opens a text file in an editor; true when the editor ended normally.
  virtual bool edit_file(const std::string& path) = 0;
  virtual std::optional<Point2> read_point(const std::string& prompt) = 0;
  virtual void output_line(const std::string& text) = 0;  // the output box
  virtual void progress(int done, int total, const std::string& label) = 0;
  // True once the person asked to stop the long run whose progress is shown; a front end
  // without a way to ask never stops one.
  virtual bool cancel_requested() { return false; }
  // What a plot of the current sheet would put on paper. Without a picture to show, the
  // output box gets its one-line description.
  virtual void show_plot_preview(const PaperPreview& preview) { output_line(preview.description); }
  // The control, table, menu or ribbon model changed; a GUI refreshes (it may coalesce).
  virtual void model_changed() = 0;
};

// nullptr restores the default front end: a recording headless one, so tests need no setup.
// The caller keeps ownership and must set another (or nullptr) before destroying it.
void set_front_end(FrontEnd* front_end);
FrontEnd& front_end();
// An answer given ahead of the next question, for front ends that are not headless (a
// headless front end keeps its own queue). The question then reaches no front end.
void queue_question_answer(bool first);
std::optional<bool> take_queued_question_answer();

}  // namespace host::ui
