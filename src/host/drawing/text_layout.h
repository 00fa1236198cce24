// Text layout without a font: formatted content parsed into styled runs, runs broken into
// lines at the wrap width, lines aligned and placed at the text's adjust point. Measuring
// (with estimated widths) and plotting (with the real font) lay texts out the same way.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/drawing/model.h"

namespace host {

// How one run of a text looks.
struct RunStyle {
  std::string font{};  // host font name, font family or font file name
  bool bold = false;
  bool italic = false;
  double height = 3.5;         // height of a capital letter in drawing units
  double ratio = 1;            // character width to height
  double slant = 0;            // degrees
  double tracking = 1;         // advance of each character as a multiple of its own
  std::optional<Rgb> color{};  // the element's colour when empty
  bool underline = false;
  bool overline = false;
  bool strike = false;
  bool operator==(const RunStyle&) const = default;
};

// A run of one style on one line; `x` from the line's start. A stacked fraction shows
// `text` over `lower`: '/' with a bar, '#' side by side with a slash, '^' without a bar.
struct TextPiece {
  std::string text;
  RunStyle style;
  std::string lower;
  char stack = 0;
  double x = 0;
  double width = 0;
};

struct TextLine {
  std::vector<TextPiece> pieces;
  double x = 0;         // left end, in the text's own frame (x along the text, y up)
  double baseline = 0;  // y of the baseline in that frame
  double width = 0;
  double height = 0;  // largest cap height on the line
};

struct TextBlock {
  std::vector<TextLine> lines;
  // The box of the lines in the text's own frame, the insertion point at the origin.
  double left = 0, bottom = 0, right = 0, top = 0;
};

// Advance width of `text` in the style, in drawing units, ratio included, tracking not.
using TextMeasure = std::function<double(const RunStyle&, std::string_view)>;

// Whether the text is shown from its formatted content (see TextProps::formatted).
bool shows_formatted(const TextProps& t);
// The visible lines of formatted content: one per paragraph or line break, stacked
// fractions as "a/b".
std::vector<std::string> formatted_plain_lines(std::string_view formatted);
// The value of a numeric formatting code at s[i] ("2.5", "0.7x"), with i moved past it and
// past the ";" that ends it; writers often leave that ";" out ("\C1red").
std::string_view numeric_argument(std::string_view s, std::size_t& i);
// The width a text takes without a font at hand: a fixed share of the height per character.
double estimated_width(const RunStyle& style, std::string_view text);

// The height of a column of the text (0: as tall as its content).
double column_height(const TextProps& t, int column);

TextBlock layout_text(const TextProps& t, const TextMeasure& measure);

// The horizontal and vertical scale that fits a laid-out text to its fit width (1, 1 for
// texts without one).
std::pair<double, double> fit_scale(const TextProps& t, const TextBlock& block);

}  // namespace host
