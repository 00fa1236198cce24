// Messages, questions, editors, the folder browser and point input: all through the front end.
#include <fmt/format.h>

#include <algorithm>
#include <cmath>

#include "host/api/runs.h"
#include "host/api/ui_ops.h"
#include "host/files/report.h"
#include "host/ui/args.h"
#include "host/ui/frontend.h"

namespace host {

void display(const std::string& line) {
  workers::report::note_problem(line);
  ui::front_end().output_line(line);
}

void sd_display_message(const std::string& text, Severity severity) {
  workers::report::note_problem(text);
  ui::front_end().message(text, severity);
}

std::string progress_pace_text(int done, int remaining, double seconds) {
  if (done <= 0 || seconds < 0.5) return {};
  const double per_minute = done * 60.0 / seconds;
  std::string text = per_minute < 10 ? fmt::format("{:.1f} files/min", per_minute)
                                     : fmt::format("{:.0f} files/min", per_minute);
  const auto left = static_cast<long long>(std::llround(remaining * seconds / done));
  if (left >= 3600)
    text += fmt::format(", {}:{:02}:{:02} left", left / 3600, left / 60 % 60, left % 60);
  else
    text += fmt::format(", {}:{:02} left", left / 60, left % 60);
  return text;
}

Value sd_display_question(const std::string& text, const List& args) {
  ui::UiArgs a(args, "sd_display_question");
  std::string push1 = a.text("push-1", "Ja");
  std::string push2 = a.text("push-2", "Nein");
  std::optional<bool> first = ui::take_queued_question_answer();
  if (!first) first = ui::front_end().question(text, push1, push2);
  return kw(*first ? "yes" : "no");
}

Value sd_show_general_text_editor(const List& args) {
  ui::UiArgs a(args, "sd_show_general_text_editor");
  auto text = ui::front_end().edit_text(a.text("title"), a.text("initialtext"));
  return text ? Value(*text) : Value();
}

// The front ends' editors are modal: when the call above returns, the editor is closed.
void sd_hide_general_text_editor() {}

Value edit(const std::string& path) {
  return ui::front_end().edit_file(path) ? Value::t() : Value();
}

Value sd_browse_for_folder(const std::string& title, const Value& initial_dir) {
  std::optional<std::string> initial;
  if (!initial_dir.is_nil()) initial = ui::value_text(initial_dir);
  auto chosen = ui::front_end().browse_for_folder(title, initial);
  return chosen ? Value(*chosen) : Value();
}

Value sd_read_point(const std::string& prompt) {
  auto p = ui::front_end().read_point(prompt);
  return p ? Value(*p) : Value();
}

bool sd_show_progress(int done, int total, const std::string& label) {
  ui::front_end().progress(done, total, label);
  return !ui::front_end().cancel_requested();
}

// The platform's file names are the host's: "/" separates, and "\\" is an ordinary character
// of a folder name that must survive unchanged.
std::string convert_filename_from_platform(const std::string& path) {
  return path;
}

}  // namespace host
