// Start-up of the desktop host: options into the environment, the Qt front end set, the
// module loaded through its entry exactly as the command line loads it.
#pragma once

#include <optional>
#include <string>

namespace gui {

struct Options {
  std::string path;                 // --path: the installation directory
  bool admin = false;               // --admin
  std::optional<int> host_version;  // --host-version
};

// Puts the options where the module reads them when it loads.
void apply_options(const Options& options);
// Where the module library lies: $TAVRIN_MODULE, else <program dir>/../lib/libtavrin.so.
std::string module_path();
// Loads the module and runs its entry. Throws std::runtime_error naming the library.
void load_module(const std::string& path);

}  // namespace gui
