// The proportions of the single-stroke fonts of CAD programs, which no installed face has:
// measuring and plotting give their texts the same widths.
#pragma once

#include <string>
#include <string_view>

namespace host {

// Whether the font (a name or file name such as "romans.shx" or "txt") is a single-stroke
// font drawn on the proportions of the public-domain Hershey simplex letters.
bool has_stroke_proportions(const std::string& font);

// Advance of the text in those proportions, in capital heights, for the printable ASCII
// characters; the others are left out and appended to `others`.
double stroke_advance(std::string_view text, std::string& others);

// How far letters such as g, p and y reach below the baseline, as a share of the capital
// height: a third in single-stroke fonts, a little less in the faces that stand for others.
double descent_share(const std::string& font);

// Letters beyond ASCII: those of a sans face, widened as much as small letters are on
// average in single-stroke proportions.
inline constexpr double kStrokeOtherStretch = 1.18;

}  // namespace host
