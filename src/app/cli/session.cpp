// Start-up of the command line's host and module.
#include "session.h"

#include <unistd.h>

#include <iostream>

#include "host/api/commands.h"
#include "host/api/front_end.h"

namespace cli {

Session::Session(const GlobalOptions& options) {
  host::apply_start_options(options);

  using Policy = host::ui::HeadlessFrontEnd::QuestionPolicy;
  const bool terminal = isatty(STDIN_FILENO) != 0;
  front_end_.set_question_policy(options.yes ? Policy::Yes
                                             : (terminal ? Policy::Prompt : Policy::No));
  front_end_.set_input(std::cin, terminal);
  front_end_.set_progress_stream(std::cerr, isatty(STDERR_FILENO) != 0);
  host::ui::set_front_end(&front_end_);
}

Session::~Session() {
  host::ui::set_front_end(nullptr);
  // The module stays loaded until the process ends: the host holds functions of it (command
  // bodies, control actions) that must stay callable while the host tears down.
}

void Session::load_module() {
  host::load_module(host::module_path());
}

void Session::finish_command() {
  host::run_queued_commands();
}

}  // namespace cli
