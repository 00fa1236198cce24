// The start-up the two programs share: their common options put where the module reads them,
// and the module found and loaded through its entry, as the host loads any module.
#pragma once

#include <optional>
#include <string>

namespace host {

struct StartOptions {
  std::string path;                 // --path: the installation directory (*tavrin-path*)
  bool admin = false;               // --admin
  std::optional<int> host_version;  // --host-version
};

// The module reads its installation directory and administrator switch from the environment
// when it loads; the options take precedence over what the caller's environment says.
void apply_start_options(const StartOptions& options);
// Where the module library lies: $TAVRIN_MODULE, else <program dir>/../lib/libtavrin.so.
std::string module_path();
// Loads the module and runs its entry. Throws std::runtime_error naming the library when it
// cannot be loaded or has no entry. The module stays loaded until the process ends: the host
// keeps its command bodies and control actions callable while it tears down.
void load_module(const std::string& path);

}  // namespace host
