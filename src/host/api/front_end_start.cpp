// The programs' shared start-up: options into the environment, the module loaded.
#include "host/api/front_end_start.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "host/api/commands.h"

namespace host {

void apply_start_options(const StartOptions& options) {
  if (!options.path.empty()) {
    setenv("TAVRIN_PATH", std::filesystem::absolute(options.path).c_str(), 1);
  }
  if (options.admin) setenv("TAVRIN_ADMIN", "1", 1);
  if (options.host_version) set_host_major_version(*options.host_version);
}

std::string module_path() {
  if (const char* env = std::getenv("TAVRIN_MODULE"); env != nullptr && *env != '\0') return env;
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "libtavrin.so";
  return (exe.parent_path().parent_path() / "lib" / "libtavrin.so").string();
}

void load_module(const std::string& path) {
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
  if (module == nullptr) {
    throw std::runtime_error("cannot load the module " + path + ": " + dlerror());
  }
  // The entry is the one function the host looks up: everything else the module offers it
  // registers with the host from there.
  using Entry = void (*)(void*, int, void*);
  auto entry = reinterpret_cast<Entry>(dlsym(module, "tavrin_demo_initialize"));
  if (entry == nullptr) throw std::runtime_error("the module " + path + " has no entry function");
  entry(nullptr, 0, nullptr);
}

}  // namespace host
