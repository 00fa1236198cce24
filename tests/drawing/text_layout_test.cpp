// Text layout: formatting codes, wrapping, line heights, alignment and stacked fractions,
// measured with one unit of width per character and unit of height.
#include "host/drawing/text_layout.h"

#include <gtest/gtest.h>

namespace {

using host::TextBlock;
using host::TextProps;

double per_char(const host::RunStyle& s, std::string_view text) {
  return static_cast<double>(text.size()) * s.height * s.ratio;
}

TextProps formatted(const std::string& content, double size = 1, int adjust = 7) {
  TextProps t;
  t.formatted = content;
  t.lines = host::formatted_plain_lines(content);
  t.size = size;
  t.adjust = adjust;
  t.linespace = 1.5;
  return t;
}

std::vector<std::string> line_texts(const TextBlock& b) {
  std::vector<std::string> out;
  for (const auto& line : b.lines) {
    std::string s;
    for (const auto& p : line.pieces) s += p.stack ? p.text + "|" + p.lower : p.text;
    out.push_back(s);
  }
  return out;
}

TEST(TextLayout, WrapsAtBlanksWithinTheWidthAndKeepsLongWords) {
  struct Case {
    std::string content;
    double width;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"aa bb cc", 5.5, {"aa bb", "cc"}},
      {"aa bb cc", 0, {"aa bb cc"}},
      {"aaaaaaa b", 3, {"aaaaaaa", "b"}},
      {"aa\\Pbb cc dd", 5, {"aa", "bb cc", "dd"}},
      {"{\\H2x;aa} bb", 5, {"aa", "bb"}},  // the larger run takes twice the room
      {"a\\~b c",
       3.5,
       {"a\xC2\xA0"
        "b",
        "c"}},
  };
  for (const auto& c : cases) {
    TextProps t = formatted(c.content);
    t.wrap_width = c.width;
    EXPECT_EQ(line_texts(host::layout_text(t, per_char)), c.lines) << c.content;
  }
}

TEST(TextLayout, HeightsSpacingAlignmentAndIndents) {
  // top-left adjust: the first baseline lies one (largest) height below the point
  TextBlock b = host::layout_text(formatted("\\H2x;Gross\\PKlein\\H0.5x;\\Pwinzig"), per_char);
  ASSERT_EQ(b.lines.size(), 3u);
  EXPECT_DOUBLE_EQ(b.lines[0].baseline, -2);
  EXPECT_DOUBLE_EQ(b.lines[1].baseline, -2 - 1.5 * 2);  // \H stays until changed
  EXPECT_DOUBLE_EQ(b.lines[2].baseline, -5 - 1.5 * 1);
  EXPECT_DOUBLE_EQ(b.right - b.left, 10);  // "Gross" at twice the height

  // absolute heights, alignment within the wrap width, indents in multiples of the size
  TextProps t = formatted("\\H3;ab\\P\\pqr;cd\\P\\pqc;ef\\P\\pxi1,l2,ql;gh", 1, 9);
  t.wrap_width = 20;
  b = host::layout_text(t, per_char);
  ASSERT_EQ(b.lines.size(), 4u);
  EXPECT_DOUBLE_EQ(b.left, -20);            // top right: the box ends at the point
  EXPECT_DOUBLE_EQ(b.lines[0].x, -6);       // the adjust point's column aligns by default
  EXPECT_DOUBLE_EQ(b.lines[1].x, -6);       // right
  EXPECT_DOUBLE_EQ(b.lines[2].x, -13);      // centred: (20 - 6) / 2 from the left
  EXPECT_DOUBLE_EQ(b.lines[3].x, -20 + 3);  // left, first line indent 1 + left 2 times the size

  // bottom centre: the last baseline on the point
  b = host::layout_text(formatted("ab\\Pcdef", 1, 2), per_char);
  EXPECT_DOUBLE_EQ(b.lines[1].baseline, 0);
  EXPECT_DOUBLE_EQ(b.lines[0].x, -1);
  EXPECT_DOUBLE_EQ(b.bottom, 0);
  EXPECT_DOUBLE_EQ(b.top, 2.5);
}

TEST(TextLayout, FullColumnsAndColumnBreaksContinueInTheNextColumn) {
  TextProps t = formatted("aa bb cc\\Ndd");
  t.wrap_width = 3;
  t.column_count = 3;
  t.column_gutter = 0.5;
  t.column_heights = {2.5};  // two lines of height 1 at spacing 1.5
  const TextBlock b = host::layout_text(t, per_char);
  ASSERT_EQ(b.lines.size(), 4u);
  EXPECT_DOUBLE_EQ(b.lines[1].baseline, -2.5);
  EXPECT_DOUBLE_EQ(b.lines[2].baseline, -1);  // "cc" at the top of the second column
  EXPECT_DOUBLE_EQ(b.lines[2].x, 3.5);
  EXPECT_DOUBLE_EQ(b.lines[3].x, 7);  // "dd" after the column break
  EXPECT_DOUBLE_EQ(b.right, 10);
  EXPECT_DOUBLE_EQ(b.bottom, -2.5);
}

TEST(TextLayout, RunsCarryTheirStyleAndFractionsStack) {
  TextBlock b = host::layout_text(
      formatted("{\\fArial|b1|i1;\\W0.5;\\Q15;\\T2;\\c16711680;\\Lab}c\\S1/16;"), per_char);
  ASSERT_EQ(b.lines.size(), 1u);
  const auto& pieces = b.lines[0].pieces;
  ASSERT_EQ(pieces.size(), 3u);
  const host::RunStyle& s = pieces[0].style;
  EXPECT_EQ(s.font, "Arial");
  EXPECT_TRUE(s.bold && s.italic && s.underline);
  EXPECT_EQ(s.ratio, 0.5);
  EXPECT_EQ(s.slant, 15);
  EXPECT_EQ(pieces[0].width, 2);             // 2 characters at half width, tracking 2
  EXPECT_EQ(s.color, (host::Rgb{0, 0, 1}));  // \c is blue, green, red
  EXPECT_EQ(pieces[1].style, (host::RunStyle{.font = "hp_i3098_v", .height = 1}));  // braces end
  EXPECT_EQ(pieces[2].stack, '/');
  EXPECT_DOUBLE_EQ(pieces[2].width, 2 * 0.6);  // the wider part, at the stacked height
  EXPECT_EQ(host::formatted_plain_lines("x\\S1^2;\\S3#4;"), std::vector<std::string>{"x1 23/4"});
  // numeric codes whose writer left out the ";"
  b = host::layout_text(formatted("a{\\C1rot}b\\H2xc"), per_char);
  ASSERT_EQ(b.lines.at(0).pieces.size(), 4u);
  EXPECT_EQ(b.lines[0].pieces[1].text, "rot");
  EXPECT_EQ(b.lines[0].pieces[1].style.color, (host::Rgb{1, 0, 0}));
  EXPECT_EQ(b.lines[0].pieces[3].text, "c");
  EXPECT_EQ(b.lines[0].pieces[3].style.height, 2);
}

TEST(TextLayout, FormattingIsShownOnlyWhileItMatchesTheLines) {
  TextProps t = formatted("{\\H2x;A}B");
  EXPECT_TRUE(host::shows_formatted(t));
  t.lines = {"geändert"};  // for instance by autotext
  EXPECT_FALSE(host::shows_formatted(t));
  EXPECT_EQ(line_texts(host::layout_text(t, per_char)), std::vector<std::string>{"geändert"});
}

}  // namespace
