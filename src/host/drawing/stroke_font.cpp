// The proportions of the single-stroke fonts of CAD programs.
#include "host/drawing/stroke_font.h"

#include <algorithm>
#include <iterator>

#include "host/value/text.h"

namespace host {
namespace {

// Their letters are wider than a sans face's in small letters and digits, twice as wide in
// blanks, and decide where a text wraps and how far it reaches.
// "txt" is not among them: its proportions differ from these, and no drawing at hand shows
// them, so it keeps the sans face's own widths.
constexpr std::string_view kFonts[] = {"simplex", "romans",   "romand",  "romanc",  "romant",
                                       "complex", "italic",   "italicc", "italict", "scriptc",
                                       "scripts", "greeks",   "greekc",  "gothice", "gothicg",
                                       "gothici", "cyrillic", "cyriltlc"};

// Advances in 21sts of the capital height, ' ' to '~'.
constexpr unsigned char kAdvance[95] = {
    16, 10, 16, 21, 20, 24, 26, 10, 14, 14, 16, 26, 10, 26, 10, 22,  // blank to '/'
    20, 20, 20, 20, 20, 20, 20, 20, 20, 20,                          // digits
    10, 10, 24, 26, 24, 18, 27,                                      // ':' to '@'
    18, 21, 21, 21, 19, 18, 21, 22, 8,  16, 21, 17, 24,              // 'A' to 'M'
    22, 22, 21, 22, 21, 20, 16, 22, 18, 24, 20, 18, 20,              // 'N' to 'Z'
    14, 14, 14, 16, 16, 10,                                          // '[' to '`'
    19, 19, 18, 19, 18, 12, 19, 19, 8,  10, 17, 8,  30,              // 'a' to 'm'
    19, 19, 19, 19, 13, 17, 12, 19, 16, 22, 17, 16, 17,              // 'n' to 'z'
    14, 8,  14, 24};                                                 // '{' to '~'
constexpr double kCapHeight = 21;

}  // namespace

bool has_stroke_proportions(const std::string& font) {
  std::string name = lower(font);
  if (auto slash = name.find_last_of("/\\"); slash != std::string::npos) name.erase(0, slash + 1);
  if (auto dot = name.rfind('.'); dot != std::string::npos) {
    if (name.compare(dot, std::string::npos, ".shx") != 0) return false;
    name.erase(dot);
  }
  return std::find(std::begin(kFonts), std::end(kFonts), name) != std::end(kFonts);
}

double descent_share(const std::string& font) {
  return has_stroke_proportions(font) ? 1.0 / 3 : 0.3;
}

double stroke_advance(std::string_view text, std::string& others) {
  double caps = 0;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7F)
      caps += kAdvance[u - 0x20] / kCapHeight;
    else
      others += c;
  }
  return caps;
}

}  // namespace host
