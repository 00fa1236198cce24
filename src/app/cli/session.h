// One run of the command line: the host set up with a headless front end and the module
// loaded through its entry, as the host loads any module.
#pragma once

#include <optional>
#include <string>

#include "host/api/front_end.h"

namespace cli {

// Exit statuses of the command line.
enum Exit : int { kOk = 0, kProblems = 1, kUsage = 2 };

struct GlobalOptions : host::StartOptions {
  bool yes = false;  // --yes: answer the confirmation with the first button
};

class Session {
 public:
  explicit Session(const GlobalOptions& options);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Loads the module and runs its entry. Throws std::runtime_error with a clear text when the
  // module cannot be found or loaded.
  void load_module();
  host::ui::HeadlessFrontEnd& front_end() { return front_end_; }
  // Runs what the host queued while the last command ran (the closing empty drawing).
  void finish_command();

 private:
  host::ui::HeadlessFrontEnd front_end_;
};

}  // namespace cli
