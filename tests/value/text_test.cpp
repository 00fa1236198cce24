// Case folding, trimming, extensions and the "file:line: message" form with its caret.
#include "host/api/text.h"

#include <gtest/gtest.h>

#include "host/api/location.h"

namespace {

TEST(Text, FoldingTrimmingAndExtensions) {
  // ASCII only: the bytes of "ä" pass unchanged whatever the locale says.
  EXPECT_EQ(host::upper("Blatt-ä 2"), "BLATT-ä 2");
  EXPECT_EQ(host::lower("ÄRGER.DXF"), "Ärger.dxf");
  EXPECT_TRUE(host::iequals("Nil", "NIL"));
  EXPECT_FALSE(host::iequals("NIL", "NILS"));
  EXPECT_TRUE(host::iends_with("plan.DXF", ".dxf"));
  EXPECT_FALSE(host::iends_with("dxf", ".dxf"));
  EXPECT_EQ(host::trim_blanks(" \t A4 | x \r\n"), "A4 | x");
  EXPECT_EQ(host::trim_blanks(" \t\r\n"), "");
  const std::pair<const char*, const char*> extensions[] = {
      {"/a/b/Plan.DXF", ".dxf"}, {"x.tar.GZ", ".gz"}, {"/a/.profile", ""},
      {"/a.d/plan", ""},         {"plan", ""},        {"plan.", "."},
  };
  for (const auto& [path, ext] : extensions) EXPECT_EQ(host::lower_extension(path), ext) << path;
}

TEST(Location, MessageThenLineThenCaret) {
  struct Case {
    std::string text;
    std::size_t column;
    std::string shown;  // what follows "f.mi:3: bad"
  };
  const std::string long_line = std::string(300, 'x') + "ERR" + std::string(300, 'y');
  const Case cases[] = {
      {"line 1 1,5", 8, "\nline 1 1,5\n       ^"},
      {"  lime 1", 0, "\n  lime 1\n  ^"},     // unknown column: first non-blank
      {"\tlime", 2, "\n\tlime\n\t^"},         // tabs kept so the caret lines up
      {"\"äö\" x", 8, "\n\"äö\" x\n     ^"},  // one blank per character, not byte
      {"a\x01z", 3, "\na?z\n  ^"},            // control characters are not sent raw
      {"abc", 99, "\nabc\n   ^"},             // past the end: after the last one
      {"", 1, ""},                            // no text: the one-line form
      {"   ", 0, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(host::located("f.mi", 3, "bad", c.text, c.column), "f.mi:3: bad" + c.shown) << c.text;
  // A long line is shown as a window around the place, the caret still under it.
  const std::string shown = host::located("f.mi", 3, "bad", long_line, 301);
  const std::string text_line = shown.substr(12, shown.rfind('\n') - 12);
  const std::string caret_line = shown.substr(shown.rfind('\n') + 1);
  EXPECT_LT(text_line.size(), 200u);
  EXPECT_EQ(text_line.substr(0, 3), "...");
  EXPECT_EQ(text_line.substr(caret_line.size() - 1, 3), "ERR");
}

TEST(Location, LineOfText) {
  const std::string text = "eins\r\nzwei\n\ndrei";
  EXPECT_EQ(host::line_of(text, 1), "eins");
  EXPECT_EQ(host::line_of(text, 2), "zwei");
  EXPECT_EQ(host::line_of(text, 3), "");
  EXPECT_EQ(host::line_of(text, 4), "drei");
  EXPECT_EQ(host::line_of(text, 5), "");
}

}  // namespace
