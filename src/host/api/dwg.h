// DWG drawings: their converter and its limits. A DWG file becomes DXF through our own Node
// program around LibreDWG (share/tavrin/dwg/), one converter process per worker, kept up for
// the run and fed file after file.
#pragma once

#include <string>

namespace host {

// The limits of one DWG file's conversion: seconds until the converter is stopped (default
// 120) and the converter's resident memory in megabytes (default 2048). A converter stopped
// by a limit costs only the file it held; the next DWG starts a new one.
void set_dwg_limits(int seconds, int megabytes);
int dwg_time_limit();
int dwg_memory_limit();

// One line naming the converter, LibreDWG's version and the Node program that runs it, or
// what is missing and how to install it.
std::string dwg_converter_description();

}  // namespace host
