// Text helpers every layer shares: case folding, trimming and file extensions. Case folding is
// ASCII only, so that names, keywords and file types never depend on the process locale and
// the bytes of UTF-8 text pass unchanged.
#pragma once

#include <string>
#include <string_view>

namespace host {

inline char upper_ascii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
inline char lower_ascii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string upper(std::string_view text);
std::string lower(std::string_view text);
bool iequals(std::string_view a, std::string_view b);
bool iends_with(std::string_view text, std::string_view tail);
bool icontains(std::string_view text, std::string_view word);

// Without leading and trailing blanks (space, tab, CR, LF, form feed, vertical tab).
std::string_view trim_view(std::string_view text);
std::string trim_blanks(std::string_view text);

// The file name's extension in lower case with its dot (".dxf"), "" when it has none; a dot
// in a folder name or at the start of a hidden file's name is no extension.
std::string lower_extension(std::string_view path);

}  // namespace host
