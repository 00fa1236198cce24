// Start-up of the desktop host: options into the environment, the Qt front end set, the
// module loaded through its entry exactly as the command line loads it.
#pragma once

#include <string>

#include "host/api/front_end.h"

namespace gui {

using Options = host::StartOptions;

// Loads the module (host::load_module) and runs what its start-up queued, as a desktop host
// does before the person's first click.
void load_module(const std::string& path);

}  // namespace gui
