// Numbers across kinds: comparison, exact division and subtraction; keyword lists.
#include <gtest/gtest.h>

#include "host/api/error.h"
#include "host/api/testing.h"
#include "host/value/reader.h"

namespace host {
namespace {

class NumericTest : public ::testing::Test {
 protected:
  void SetUp() override { reset_host(); }
};

TEST_F(NumericTest, EqualityAcrossKinds) {
  EXPECT_EQ(Value(2), Value(2.0));
  EXPECT_EQ(Value(2.0), read_literal("4/2"));
  EXPECT_EQ(Value::ratio(1, 2), Value(0.5));
  EXPECT_NE(Value::ratio(1, 3), Value(1.0 / 3.0));
  EXPECT_EQ(Value::complex(2, 0), Value(2));
  EXPECT_NE(Value::complex(2, 1), Value(2));
  // 2^53 + 1 has no double; the comparison must not round it onto 2^53.
  EXPECT_NE(Value(9007199254740993LL), Value(9007199254740992.0));
  EXPECT_NE(Value(2), Value("2"));
  EXPECT_NE(Value("Blatt"), Value("BLATT"));
  EXPECT_EQ(kw("blatt"), Value::keyword(":BLATT"));
  EXPECT_NE(kw("blatt"), Value::symbol("BLATT"));
  EXPECT_EQ(Value(List{1, "a"}), Value(List{1.0, "a"}));
  EXPECT_EQ(Value(List{}), Value());
  EXPECT_EQ(Value(false), Value());
}

TEST_F(NumericTest, Ordering) {
  EXPECT_EQ(numeric_compare(Value::ratio(1, 3), Value(0.3333)), 1);
  EXPECT_EQ(numeric_compare(Value(-1), Value::ratio(-1, 2)), -1);
  EXPECT_EQ(numeric_compare(Value(3), Value(3.0)), 0);
  EXPECT_EQ(numeric_compare(Value(INT64_MAX), Value(1e300)), -1);
  EXPECT_THROW(numeric_compare(Value::complex(1, 1), Value(1)), Error);
  EXPECT_THROW(numeric_compare(Value("1"), Value(1)), Error);
}

TEST_F(NumericTest, DivisionStaysExactUntilAFloatTakesPart) {
  const Value q = numeric_divide(Value(594), Value(420));
  EXPECT_EQ(q.kind(), Kind::Ratio);
  EXPECT_EQ(print_literal(q), "99/70");
  EXPECT_EQ(numeric_divide(Value(6), Value(-3)), Value(-2));
  EXPECT_EQ(numeric_divide(Value(6), Value(-3)).kind(), Kind::Integer);
  EXPECT_EQ(numeric_divide(Value::ratio(1, 2), Value::ratio(1, 4)).kind(), Kind::Integer);
  EXPECT_EQ(numeric_divide(Value(1), Value(4.0)).kind(), Kind::Float);
  EXPECT_EQ(numeric_divide(Value(INT64_MIN), Value(-1)).as_double(), 9223372036854775808.0);
  EXPECT_EQ(numeric_divide(Value::complex(0, 2), Value(2)), Value::complex(0, 1));
  for (const Value& zero : {Value(0), Value(0.0), Value(-0.0), Value::complex(0, 0)})
    EXPECT_THROW(numeric_divide(Value(1), zero), Error);
  EXPECT_THROW(numeric_divide(Value("6"), Value(2)), Error);
  EXPECT_THROW(Value::ratio(1, 0), Error);
}

TEST_F(NumericTest, Subtraction) {
  EXPECT_EQ(numeric_subtract(Value::ratio(1, 2), Value::ratio(1, 3)), Value::ratio(1, 6));
  EXPECT_EQ(numeric_subtract(Value::ratio(3, 2), Value::ratio(1, 2)).kind(), Kind::Integer);
  EXPECT_EQ(numeric_subtract(Value(297), Value(0.5)), Value(296.5));
  EXPECT_EQ(numeric_subtract(Value(INT64_MIN), Value(1)).kind(), Kind::Float);
}

TEST_F(NumericTest, RatiosAreNormalised) {
  const Value r = Value::ratio(4, -6);
  EXPECT_EQ(r.numerator(), -2);
  EXPECT_EQ(r.denominator(), 3);
  EXPECT_EQ(Value::ratio(INT64_MIN, INT64_MIN), Value(1));
  EXPECT_EQ(Value::ratio(0, -5).kind(), Kind::Integer);
}

TEST_F(NumericTest, AccessorsRefuseOtherKinds) {
  EXPECT_THROW(Value("2").as_integer(), Error);
  EXPECT_THROW(Value(2.0).as_integer(), Error);
  EXPECT_THROW(Value(2).as_string(), Error);
  EXPECT_THROW(Value(2).as_list(), Error);
  EXPECT_THROW(Value(List{1, 2}).as_point(), Error);
  EXPECT_THROW(Value(2).call(), Error);
  EXPECT_TRUE(Value().as_list().empty());
  EXPECT_EQ(Value::function([](const List& a) {
              return Value(static_cast<long>(a.size()));
            }).call({1, 2}),
            Value(2));
}

TEST_F(NumericTest, KeywordArgsTakeWhatFollowsTheKey) {
  const List args = {
      kw("plotter_type_ra"), kw("pdf"), kw("accept"),      kw("width"),     210,
      kw("title"),           "Blatt",   kw("orientation"), kw("landscape"), kw("plot")};
  const KeywordArgs k(args);
  EXPECT_TRUE(k.value("plotter_type_ra")->is_keyword("pdf"));
  EXPECT_TRUE(k.value(":Orientation")->is_keyword("landscape"));
  EXPECT_TRUE(k.present("accept"));
  EXPECT_TRUE(k.present("plot"));
  EXPECT_TRUE(k.value("plot")->is_nil());
  EXPECT_FALSE(k.value("height").has_value());
  EXPECT_EQ(k.number("width", 0), 210.0);
  EXPECT_EQ(k.number("title", -1), -1.0);
  EXPECT_EQ(k.number("height", 297), 297.0);
  EXPECT_EQ(k.string("title"), "Blatt");
  EXPECT_EQ(k.string("missing", "none"), "none");
  const List text_only{"accept"};
  EXPECT_FALSE(KeywordArgs(text_only).present("accept"));
}

}  // namespace
}  // namespace host
