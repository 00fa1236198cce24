// Quoting and token forms of the command language.
#include <gmock/gmock.h>

#include "host/api/error.h"
#include "host/commands/tokens.h"

namespace tavrin_test {
namespace {

using host::commands::tokenize;
using host::commands::TokenType;

TEST(TokenizerTest, QuotedStringsKeepExactlyTheirContent) {
  const auto t = tokenize(R"(X 'it''s' '' 'C:\dir\a.mi' "say \"hi\"\\n" "a\nb" '"')");
  ASSERT_EQ(t.size(), 7u);
  EXPECT_EQ(t[1].text, "it's");
  EXPECT_EQ(t[2].text, "");
  EXPECT_EQ(t[3].text, R"(C:\dir\a.mi)");
  EXPECT_EQ(t[4].text, "say \"hi\"\\n");
  EXPECT_EQ(t[5].text, "a\nb");
  EXPECT_EQ(t[6].text, "\"");
  for (std::size_t i = 1; i < t.size(); ++i) EXPECT_EQ(t[i].type, TokenType::String);
}

TEST(TokenizerTest, NumbersPointsKeywordsAndWords) {
  const auto t = tokenize("load SUBPART'x'-1.5,2e1 :2D_process 7 +3 2.2 (a)");
  ASSERT_EQ(t.size(), 11u);
  EXPECT_TRUE(t[0].is_word("LOAD"));
  EXPECT_TRUE(t[1].is_word("SUBPART"));
  EXPECT_EQ(t[2].type, TokenType::String);
  EXPECT_EQ(t[3].type, TokenType::Point);
  EXPECT_EQ(t[3].value, host::Value::point(-1.5, 20));
  EXPECT_EQ(t[4].type, TokenType::Keyword);
  EXPECT_EQ(t[4].text, "2D_PROCESS");
  EXPECT_EQ(t[5].value.kind(), host::Kind::Integer);
  EXPECT_EQ(t[6].value, host::Value(3));
  EXPECT_EQ(t[7].value.kind(), host::Kind::Float);
  EXPECT_EQ(t[8].type, TokenType::Open);
  EXPECT_EQ(t[10].type, TokenType::Close);
}

TEST(TokenizerTest, MalformedInputNamesTheColumn) {
  for (const char* bad : {"A 'open", "A \"open\\\"", "A 1,x", "A :", "A 1,2,3"}) {
    try {
      tokenize(bad);
      ADD_FAILURE() << bad;
    } catch (const host::Error& e) {
      EXPECT_THAT(e.what(), ::testing::HasSubstr("column 3")) << bad;
    }
  }
}

}  // namespace
}  // namespace tavrin_test
