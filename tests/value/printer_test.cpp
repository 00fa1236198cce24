// Printing values in "~S" and "~A" form, and reading the "~S" form back, also under a
// comma-decimal locale.
#include <gtest/gtest.h>

#include <clocale>
#include <locale>

#include "host/api/testing.h"
#include "host/value/reader.h"

namespace host {
namespace {

class PrinterTest : public ::testing::Test {
 protected:
  void SetUp() override { reset_host(); }
};

TEST_F(PrinterTest, LiteralForms) {
  EXPECT_EQ(print_literal(Value("a \"b\" \\c")), R"("a \"b\" \\c")");
  EXPECT_EQ(print_literal(kw("firma_a")), ":FIRMA_A");
  EXPECT_EQ(print_literal(Value::symbol("blatt")), "BLATT");
  EXPECT_EQ(print_literal(Value(-42)), "-42");
  EXPECT_EQ(print_literal(Value::ratio(594, 420)), "99/70");
  EXPECT_EQ(print_literal(Value(1.0)), "1.0");
  EXPECT_EQ(print_literal(Value(1e20)), "1e+20");
  EXPECT_EQ(print_literal(Value::complex(1, -2.5)), "#C(1.0 -2.5)");
  EXPECT_EQ(print_literal(Value(List{1, "x", kw("k")})), R"((1 "x" :K))");
  EXPECT_EQ(print_literal(Value()), "NIL");
  EXPECT_EQ(print_literal(Value(List{})), "NIL");
  EXPECT_EQ(print_literal(Value(true)), "T");
  EXPECT_EQ(print_literal(Value::point(3, -4.5)), "#2D(3.0 -4.5)");
}

TEST_F(PrinterTest, TextForms) {
  EXPECT_EQ(print_text(Value("a \"b\"")), "a \"b\"");
  EXPECT_EQ(print_text(kw("firma_a")), "FIRMA_A");
  EXPECT_EQ(print_text(Value(List{"x", kw("k"), 2.5, Value::ratio(1, 3)})), "(x K 2.5 1/3)");
  EXPECT_EQ(print_text(Value(7)), "7");
}

// Every literal the reader accepts prints back to text that reads as the same value.
TEST_F(PrinterTest, PrintedLiteralsReadBackUnchanged) {
  const List values = {
      Value(0.1),
      Value(0.175),
      Value(1e-7),
      Value(-0.0),
      Value(1.0 / 3.0),
      Value(123456789.125),
      Value(1e300),
      Value(5e-324),
      Value(INT64_MIN),
      Value::ratio(-99, 70),
      Value::complex(0.5, 1e-9),
      Value("quote \" and backslash \\"),
      kw("x"),
      Value::symbol("A-B"),
      Value::point(0.1, 1e22),
      Value(List{Value(List{1, 2}), Value(), Value(true), "s"}),
  };
  for (const Value& v : values) {
    const std::string text = print_literal(v);
    std::size_t used = 0;
    const Value back = read_literal(text, &used);
    EXPECT_EQ(back, v) << text;
    EXPECT_EQ(back.kind(), v.kind()) << text;
    EXPECT_EQ(used, text.size()) << text;
    EXPECT_EQ(print_literal(back), text);
  }
}

struct CommaDecimal : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

// Restores the process locale however the test ends.
class LocaleScope {
 public:
  LocaleScope() : saved_cpp_(std::locale()), saved_c_(std::setlocale(LC_ALL, nullptr)) {}
  ~LocaleScope() {
    std::locale::global(saved_cpp_);
    std::setlocale(LC_ALL, saved_c_.c_str());
  }

 private:
  std::locale saved_cpp_;
  std::string saved_c_;
};

void expect_locale_proof() {
  EXPECT_EQ(read_literal("2.5").as_double(), 2.5);
  EXPECT_EQ(read_literal("1234.5e1").as_double(), 12345.0);
  EXPECT_EQ(print_literal(Value(1234.5)), "1234.5");
  EXPECT_EQ(print_literal(Value(1234567)), "1234567");
  EXPECT_EQ(read_literal("2,5").kind(), Kind::Integer);  // the comma ends the token
}

TEST_F(PrinterTest, NumbersIgnoreAGermanProcessLocale) {
  LocaleScope restore;
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
    GTEST_SKIP() << "locale de_DE.UTF-8 is not installed on this machine";
  std::locale::global(std::locale("de_DE.UTF-8"));
  expect_locale_proof();
}

TEST_F(PrinterTest, NumbersIgnoreACommaDecimalLocale) {
  LocaleScope restore;
  std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
  expect_locale_proof();
}

}  // namespace
}  // namespace host
