// Which front end the host talks to; the recording headless one unless another was set.
#include "host/ui/frontend.h"

#include <deque>

#include "host/api/testing.h"
#include "host/ui/headless.h"

namespace host::ui {

namespace {

FrontEnd* current = nullptr;
std::deque<bool> queued_answers;

[[maybe_unused]] const bool registered = [] {
  register_reset_hook([] {
    current = nullptr;
    queued_answers.clear();
    default_front_end() = HeadlessFrontEnd();  // also forgets streams a test pointed it at
  });
  return true;
}();

}  // namespace

HeadlessFrontEnd& default_front_end() {
  static HeadlessFrontEnd instance;
  return instance;
}

void set_front_end(FrontEnd* front_end) {
  current = front_end;
}

FrontEnd& front_end() {
  return current ? *current : default_front_end();
}

HeadlessFrontEnd* headless_front_end() {
  return dynamic_cast<HeadlessFrontEnd*>(&front_end());
}

void queue_question_answer(bool first) {
  queued_answers.push_back(first);
}

std::optional<bool> take_queued_question_answer() {
  if (queued_answers.empty()) return std::nullopt;
  bool first = queued_answers.front();
  queued_answers.pop_front();
  return first;
}

}  // namespace host::ui
