// Reading literals as the host reads a typed answer or a sheet name.
#include "host/value/reader.h"

#include <gtest/gtest.h>

#include "host/api/error.h"
#include "host/api/testing.h"

namespace host {
namespace {

class ReaderTest : public ::testing::Test {
 protected:
  void SetUp() override { reset_host(); }
};

TEST_F(ReaderTest, SheetNumberFieldsThatAreNumbers) {
  EXPECT_EQ(read_literal("2").kind(), Kind::Integer);
  EXPECT_EQ(read_literal("+2"), Value(2));
  EXPECT_EQ(read_literal("+2").kind(), Kind::Integer);
  EXPECT_EQ(read_literal("-1").as_integer(), -1);
  EXPECT_EQ(read_literal("2.").kind(), Kind::Integer);
  const Value two = read_literal("4/2");
  EXPECT_EQ(two.kind(), Kind::Integer);
  EXPECT_EQ(two.as_integer(), 2);
  const Value ratio = read_literal("594/420");
  EXPECT_EQ(ratio.kind(), Kind::Ratio);
  EXPECT_EQ(ratio.numerator(), 99);
  EXPECT_EQ(ratio.denominator(), 70);
  EXPECT_EQ(read_literal("-6/4"), Value::ratio(-3, 2));
}

TEST_F(ReaderTest, FloatsWithEveryExponentMarker) {
  const std::pair<const char*, double> cases[] = {
      {"2.5", 2.5}, {"1e3", 1000.0},     {"1.5d0", 1.5},   {".5", 0.5},
      {"2.0", 2.0}, {"-.5e-3", -0.0005}, {"1f1", 10.0},    {"1S2", 100.0},
      {"2L0", 2.0}, {"1E+2", 100.0},     {"0.175", 0.175}, {"1e-999", 0.0},
  };
  for (const auto& [text, expected] : cases) {
    const Value v = read_literal(text);
    EXPECT_EQ(v.kind(), Kind::Float) << text;
    EXPECT_EQ(v.as_double(), expected) << text;
  }
}

TEST_F(ReaderTest, IntegersBeyondSixtyFourBitsStayNumbers) {
  const Value big = read_literal("123456789012345678901234567890");
  ASSERT_TRUE(big.is_number());
  EXPECT_DOUBLE_EQ(big.as_double(), 1.2345678901234568e29);
  EXPECT_EQ(read_literal("-9223372036854775808").as_integer(), INT64_MIN);
  EXPECT_TRUE(read_literal("99999999999999999999/3").is_number());
}

TEST_F(ReaderTest, NamesThatAreNotNumbers) {
  for (const char* text : {"2a", "A", "1/-2", "1+", "+", "-", "1e", "1.2.3", "e5", "1/2/3"}) {
    const Value v = read_literal(text);
    EXPECT_EQ(v.kind(), Kind::Symbol) << text;
  }
  EXPECT_EQ(read_literal("Blatt").as_string(), "BLATT");
  const Value k = read_literal(":firma_a");
  EXPECT_TRUE(k.is_keyword());
  EXPECT_EQ(k.as_string(), "FIRMA_A");
  EXPECT_TRUE(k.is_keyword("firma_a"));
  EXPECT_TRUE(k.is_keyword(":FIRMA_A"));
  EXPECT_EQ(read_literal("::a"), Value::keyword("::A"));  // only the first colon marks the keyword
  EXPECT_EQ(read_literal("t").kind(), Kind::T);
  EXPECT_TRUE(read_literal("Nil").is_nil());
  EXPECT_TRUE(read_literal("()").is_nil());
}

TEST_F(ReaderTest, ReadingStopsAtTheFirstBlankOrClosingDelimiter) {
  std::size_t used = 0;
  EXPECT_EQ(read_literal("Firma A", &used), Value::symbol("FIRMA"));
  EXPECT_EQ(used, 5u);
  EXPECT_EQ(read_literal("2 A", &used), Value(2));
  EXPECT_EQ(used, 1u);
  EXPECT_EQ(read_literal("Blatt 2"), Value::symbol("BLATT"));
  EXPECT_EQ(read_literal("  \t7)", &used), Value(7));
  EXPECT_EQ(used, 4u);
  EXPECT_EQ(read_literal("abc\"def\"").as_string(), "ABC");
}

TEST_F(ReaderTest, EmptyOrBlankTextIsNil) {
  EXPECT_TRUE(read_literal("").is_nil());
  EXPECT_TRUE(read_literal("  \n\t ").is_nil());
  EXPECT_TRUE(read_all_literals(" ; only a comment").empty());
}

TEST_F(ReaderTest, StringsListsComplexAndPoints) {
  EXPECT_EQ(read_literal(R"("say \"hi\" \\ there")").as_string(), R"(say "hi" \ there)");
  EXPECT_EQ(read_literal(R"("Firma A")").as_string(), "Firma A");
  const Value l = read_literal(R"((:a 1 ("x" 2.5) b))");
  ASSERT_EQ(l.as_list().size(), 4u);
  EXPECT_EQ(l.as_list()[2], Value(List{"x", 2.5}));
  const Value c = read_literal("#C(1 2)");
  EXPECT_EQ(c.kind(), Kind::Complex);
  EXPECT_EQ(c.real_part(), 1.0);
  EXPECT_EQ(c.imag(), 2.0);
  EXPECT_EQ(read_literal("#c(3 0)"), Value(3));
  const Value p = read_literal("#2D(10.5 -20)");
  EXPECT_EQ(p.kind(), Kind::Point);
  EXPECT_EQ(p.as_point(), (Point2{10.5, -20}));
}

TEST_F(ReaderTest, ReadAllLiteralsReadsInOrder) {
  const List all = read_all_literals("(a 1) \"two\" :three ; comment\n 4.0");
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[1], Value("two"));
  EXPECT_TRUE(all[2].is_keyword("three"));
  EXPECT_EQ(all[3].kind(), Kind::Float);
}

TEST_F(ReaderTest, MalformedInputIsAHostErrorQuotingTheText) {
  const std::vector<std::string> texts = {
      "\"open", "(1 2",  ")", "#X(1 2)", "#C(1)", "#2D(1 \"a\")",          "#C",
      "1/0",    "1e999", ".", "(a . b)", "`x",    "\"ends in backslash\\", std::string(2000, '(')};
  for (const std::string& text : texts) {
    try {
      read_all_literals(text);
      ADD_FAILURE() << "no error for " << text;
    } catch (const Error& e) {
      const std::string quoted = text.substr(0, 20);
      EXPECT_NE(std::string(e.what()).find(quoted), std::string::npos) << e.what();
    }
  }
}

TEST_F(ReaderTest, ErrorsInLongTextsQuoteThePlaceThatFailed) {
  const std::string text = std::string(1000, ' ') + "(1 2 \"unterminated";
  try {
    read_all_literals(text);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("(1 2 \"unterminated"), std::string::npos) << e.what();
    EXPECT_LT(std::string(e.what()).size(), 400u);
  }
}

}  // namespace
}  // namespace host
