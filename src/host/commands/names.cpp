// Colour and line-type names of the command language.
#include "host/commands/names.h"

#include <array>
#include <string_view>
#include <utility>

namespace host::commands {

std::optional<Rgb> color_by_name(const std::string& name) {
  static constexpr std::array<std::pair<std::string_view, Rgb>, 8> kColors{{
      {"BLACK", {0, 0, 0}},
      {"WHITE", {1, 1, 1}},
      {"RED", {1, 0, 0}},
      {"GREEN", {0, 1, 0}},
      {"BLUE", {0, 0, 1}},
      {"CYAN", {0, 1, 1}},
      {"MAGENTA", {1, 0, 1}},
      {"YELLOW", {1, 1, 0}},
  }};
  for (const auto& [n, rgb] : kColors)
    if (n == name) return rgb;
  return std::nullopt;
}

bool is_linetype(const std::string& name) {
  static constexpr std::array<std::string_view, 7> kLinetypes{
      "SOLID", "DASHED", "DASH_CENTER", "CENTER", "PHANTOM", "DOTTED", "LONG_DASHED"};
  for (const auto& n : kLinetypes)
    if (n == name) return true;
  return false;
}

}  // namespace host::commands
