// Command files: parenthesised forms (which may span lines) and command lines, one a line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/value/value.h"

namespace host::commands {

struct FileEntry {
  int line = 0;  // 1-based line where the entry starts
  bool is_form = false;
  List form;                 // (NAME args...)
  std::string command_line;  // otherwise
};

// Splits and checks a whole command file; `path` only names the file in error texts
// ("path:line: message"). Blank lines and lines starting with ";" are skipped.
std::vector<FileEntry> parse_command_file(std::string_view text, const std::string& path);

}  // namespace host::commands
