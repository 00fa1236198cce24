#include "host/value/location.h"

#include <algorithm>

namespace host {
namespace {

// Long lines (a DXF value, a minified file) are shown as a window around the column.
constexpr std::size_t kShownBytes = 160;

bool continuation_byte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::string located(std::string_view file, std::size_t line, std::string_view message) {
  return std::string(file) + ":" + std::to_string(line) + ": " + std::string(message);
}

std::string located(std::string_view file, std::size_t line, std::string_view message,
                    std::string_view line_text, std::size_t column) {
  std::string out = located(file, line, message);
  if (line_text.find_first_not_of(" \t") == std::string_view::npos) return out;
  std::size_t caret =
      column > 0 ? std::min(column - 1, line_text.size()) : line_text.find_first_not_of(" \t");
  std::string_view shown = line_text;
  std::string lead;
  if (shown.size() > kShownBytes) {
    std::size_t from = caret > kShownBytes / 2 ? caret - kShownBytes / 2 : 0;
    while (from > 0 && continuation_byte(shown[from])) --from;
    std::size_t to = std::min(shown.size(), from + kShownBytes);
    while (to < shown.size() && continuation_byte(shown[to])) ++to;
    if (from > 0) lead = "...";
    caret -= from;
    shown = shown.substr(from, to - from);
  }
  out += "\n" + lead;
  std::string pad(lead.size(), ' ');
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(shown[i]);
    // Control characters would move the terminal's cursor; tabs stay so the caret lines up.
    out += (c < 0x20 && c != '\t') || c == 0x7F ? '?' : shown[i];
    if (i < caret && !continuation_byte(shown[i])) pad += shown[i] == '\t' ? '\t' : ' ';
  }
  return out + "\n" + pad + "^";
}

std::string_view line_of(std::string_view text, std::size_t line) {
  std::size_t start = 0;
  for (std::size_t n = 1; n < line; ++n) {
    start = text.find('\n', start);
    if (start == std::string_view::npos) return {};
    ++start;
  }
  std::string_view rest = text.substr(start);
  rest = rest.substr(0, rest.find('\n'));
  if (!rest.empty() && rest.back() == '\r') rest.remove_suffix(1);
  return rest;
}

}  // namespace host
