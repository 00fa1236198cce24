// The sheet-measurement macro, evaluated on the current drawing.
#include <gmock/gmock.h>

#include "fixture.h"
#include "host/value/format.h"
#include "host/value/reader.h"
#include "support/expect.h"

namespace tavrin_test {
namespace {

// The macro exactly as the module builds it for a sheet and an inquiry number.
std::string measurement_macro(const std::string& unique_name, int inquiry) {
  return host::format(
      "INQ_PART '[~A]' ~A~A~A ~A ~A ~A ~A", unique_name, "let pid (STR(inq ", inquiry, "))",
      "let pid_s    (DOCU_CSTRING_TO_LSTRING pid)", "let isopen   (DOCU_OPEN_CONNECTION_TO_SD)",
      "let done     (DOCU_ADD_LINE_TO_SD pid_s)", "let isclosed (DOCU_CLOSE_CONNECTION_TO_SD)");
}

std::string answer(const std::string& macro) {
  return host::sd_execute_annotator_function({host::kw("fnc"), macro}).as_string();
}

class MacroTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    use_drawing({sheet("1", {line({0, 0}, {1, 1})}),
                 sheet("2", {line({10, 20}, {410, 20}), line({410, 20}, {410, 300}),
                             line({200, 150}, {10, 300})}),
                 sheet("3", {})});
  }
};

TEST_F(MacroTest, MeasurementMacroAnswersTheCornersOfTheNamedSheet) {
  // The named sheet is measured, not the current one.
  EXPECT_EQ(host::read_literal(answer(measurement_macro("U-2", 104))), host::Value::point(10, 20));
  EXPECT_EQ(host::read_literal(answer(measurement_macro("U-2", 105))),
            host::Value::point(410, 300));
  EXPECT_EQ(host::read_literal(answer(measurement_macro("U-1", 105))), host::Value::point(1, 1));
}

TEST_F(MacroTest, TheMacroIsEvaluatedNotRecognised) {
  // Other names, other spacing and the connection opened first give the same answer.
  EXPECT_EQ(answer("let c (DOCU_OPEN_CONNECTION_TO_SD)  INQ_PART '[U-2]'\n"
                   "let p (STR (inq 104)) let q (DOCU_ADD_LINE_TO_SD p) let r (DOCU_ADD_LINE_TO_SD "
                   "(STR(inq 105)))"),
            "#2D(10.0 20.0)\n#2D(410.0 300.0)");
  // Without INQ_PART the current sheet is measured; without DOCU calls the last value answers.
  EXPECT_EQ(host::read_literal(answer("inq 104")), host::Value::point(0, 0));
}

TEST_F(MacroTest, FaultsAreErrors) {
  EXPECT_THROW_MSG(answer(measurement_macro("U-3", 104)), "empty");
  EXPECT_THROW_MSG(answer(measurement_macro("U-9", 104)), "U-9");
  EXPECT_THROW_MSG(answer(measurement_macro("U-2", 106)), "106");
  EXPECT_THROW_MSG(answer("INQ_PART '[U-2]' let done (DOCU_ADD_LINE_TO_SD \"x\")"), "connection");
  EXPECT_THROW_MSG(answer("INQ_PART '[U-2]' let pid (STR(inq 104)"), "not closed");
  EXPECT_THROW_MSG(answer("INQ_PART '[U-2]' let pid (FOO 1)"), "FOO");
  EXPECT_THROW_MSG(answer("let pid (DOCU_CSTRING_TO_LSTRING 12)"), "expects a text");
  EXPECT_THROW_MSG(answer(std::string(200, '(')), "nested");
}

}  // namespace
}  // namespace tavrin_test
