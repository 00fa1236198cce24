#include "host/value/text.h"

#include <algorithm>

namespace host {

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = upper_ascii(c);
  return out;
}

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = lower_ascii(c);
  return out;
}

bool iequals(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return upper_ascii(x) == upper_ascii(y);
         });
}

bool iends_with(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && iequals(text.substr(text.size() - tail.size()), tail);
}

bool icontains(std::string_view text, std::string_view word) {
  auto it = std::search(text.begin(), text.end(), word.begin(), word.end(),
                        [](char x, char y) { return upper_ascii(x) == upper_ascii(y); });
  return it != text.end();
}

std::string_view trim_view(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n\f\v";
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::string trim_blanks(std::string_view text) {
  return std::string(trim_view(text));
}

std::string lower_extension(std::string_view path) {
  const std::string_view name = path.substr(path.find_last_of('/') + 1);
  const auto dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return "";
  return lower(name.substr(dot));
}

}  // namespace host
