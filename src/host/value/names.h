// Name handling shared by the host values and the reader: ASCII-only case folding, so that
// keyword and symbol names never depend on the process locale.
#pragma once

#include <string>
#include <string_view>

namespace host {

inline char upper_ascii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string upper_name(std::string_view name) {
  std::string out(name);
  for (char& c : out) c = upper_ascii(c);
  return out;
}

inline bool equal_names(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (upper_ascii(a[i]) != upper_ascii(b[i])) return false;
  return true;
}

}  // namespace host
