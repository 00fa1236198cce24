// Start-up of the command line's host and module.
#include "session.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <stdexcept>

#include "host/api/commands.h"
#include "host/api/front_end.h"

namespace cli {

std::string module_path() {
  if (const char* env = std::getenv("TAVRIN_MODULE"); env != nullptr && *env != '\0') return env;
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "libtavrin.so";
  return (exe.parent_path().parent_path() / "lib" / "libtavrin.so").string();
}

Session::Session(const GlobalOptions& options) {
  // The module reads its installation directory and administrator switch from the
  // environment when it loads; the options take precedence over what the caller's
  // environment says.
  if (!options.path.empty()) {
    setenv("TAVRIN_PATH", std::filesystem::absolute(options.path).c_str(), 1);
  }
  if (options.admin) setenv("TAVRIN_ADMIN", "1", 1);
  if (options.host_version) host::set_host_major_version(*options.host_version);

  using Policy = host::ui::HeadlessFrontEnd::QuestionPolicy;
  const bool terminal = isatty(STDIN_FILENO) != 0;
  front_end_.set_question_policy(options.yes ? Policy::Yes : (terminal ? Policy::Prompt : Policy::No));
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
  const std::string path = module_path();
  module_ = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
  if (module_ == nullptr) {
    throw std::runtime_error("cannot load the module " + path + ": " + dlerror());
  }
  using Entry = void (*)(void*, int, void*);
  auto entry = reinterpret_cast<Entry>(dlsym(module_, "tavrin_demo_initialize"));
  if (entry == nullptr) throw std::runtime_error("the module " + path + " has no entry function");
  problem_count_ = reinterpret_cast<int (*)()>(dlsym(module_, "tavrin_reported_problems"));
  entry(nullptr, 0, nullptr);
}

int Session::reported_problems() const { return problem_count_ != nullptr ? problem_count_() : 0; }

void Session::finish_command() { host::run_queued_commands(); }

}  // namespace cli
