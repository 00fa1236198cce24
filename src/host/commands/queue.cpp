// The queued-command buffer: lines that run when the current command has ended.
#include <deque>

#include "host/api/commands.h"
#include "host/api/error.h"
#include "host/api/testing.h"

namespace host {

namespace {

struct Queue {
  std::deque<std::string> lines;
  bool running = false;
};

Queue& queue() {
  static Queue q;
  return q;
}

[[maybe_unused]] const bool kResetRegistered =
    (register_reset_hook([] { queue() = Queue{}; }), true);

}  // namespace

void sd_put_buffer(const std::string& line) {
  queue().lines.push_back(line);
}

void run_queued_commands() {
  Queue& q = queue();
  // A queued line that itself runs the queue must not start a second loop: the outer
  // loop takes up whatever it queued, in order.
  if (q.running) return;
  q.running = true;
  while (!q.lines.empty()) {
    const std::string line = std::move(q.lines.front());
    q.lines.pop_front();
    try {
      run_command_line(line);
    } catch (const Error& e) {
      set_error_state(e);  // the error object tells what went wrong, as after any guarded call
      reset_lisp_error_active();
      display_error(e.what());
    } catch (...) {
      q.running = false;
      throw;
    }
  }
  q.running = false;
}

std::vector<std::string> queued_commands() {
  return {queue().lines.begin(), queue().lines.end()};
}

}  // namespace host
