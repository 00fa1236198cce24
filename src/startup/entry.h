// The module entry and the start-up steps that run when the host loads the module.
#pragma once

#include <string>

extern "C" {
// Called once by the host when it loads the module: takes over the host's load data,
// registers the commands, hands the command files to the host and runs tavrin_ini.
void tavrin_demo_initialize(void* data, int size, void* host_object);
}

namespace tavrin {

// *tavrin-path* and *tavrin-admin* as the environment supplies them: TAVRIN_PATH (else the
// installation tree beside the running program, <bin>/../share/tavrin) and TAVRIN_ADMIN
// ("1", "true", "yes" or "t" switch administration on).
void take_environment();
std::string default_tavrin_path();
void register_commands();
void load_avail_cmds_files();
void tavrin_ini();

}  // namespace tavrin
