// The DWG converter process: our Node program around LibreDWG, one per process (so one per
// worker of a directory run), started on the first DWG and fed file after file over a pipe.
#pragma once

#include <string>

namespace host::dwg {

// Where the converter and its Node program are; empty strings when not found.
struct Setup {
  std::string node;       // the Node program ($TAVRIN_NODE, else /usr/bin/node, else PATH)
  std::string directory;  // the converter's folder ($TAVRIN_DWG_CONVERTER, else share/tavrin/dwg)
  std::string script;     // <directory>/dwg2dxf.mjs when it exists
  bool package = false;   // LibreDWG's package is installed in <directory>/node_modules
};
Setup find_setup();

// What the converter answered for one file.
struct Result {
  int code = 0;  // LibreDWG's warning bits (below 128)
};

// Converts `dwg` into the DXF file `dxf`. Throws Failure with the reason when the converter
// is missing, crashed, ran out of time or memory, answered nonsense or LibreDWG gave up; a
// converter that failed is stopped, and the next call starts a new one.
struct Failure {
  std::string why;
};
Result convert(const std::string& dwg, const std::string& dxf);

// LibreDWG's error bits by name ("invalid handle, value out of bounds").
std::string describe_code(int code);

}  // namespace host::dwg
