// The host's error state and the guard around host operations.
#include <gtest/gtest.h>

#include <sstream>

#include "host/api/error.h"
#include "host/api/testing.h"
#include "host/ui/headless.h"

namespace host {
namespace {

class ErrorGuardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_host();
    ui::set_front_end(&ui_);
  }
  void TearDown() override { ui::set_front_end(nullptr); }

  static Value failing() { throw Error("Sheet \"A\" not found", "NO-SHEET"); }

  static void expect_error_recorded_and_reset() {
    EXPECT_FALSE(lisp_error_active());
    EXPECT_EQ(sd_inq_error_obj(kw("message")), Value("Sheet \"A\" not found"));
    EXPECT_EQ(sd_inq_error_obj(kw("error-mesg")), Value("Sheet \"A\" not found"));
    EXPECT_EQ(sd_inq_error_obj(),
              Value(List{kw("message"), "Sheet \"A\" not found", kw("keyword"), kw("no-sheet")}));
  }

  std::ostringstream printed_;
  ui::HeadlessFrontEnd ui_{printed_};
};

TEST_F(ErrorGuardTest, ErrorStateKeepsTheLastErrorAfterReset) {
  EXPECT_TRUE(sd_inq_error_obj().is_nil());
  EXPECT_TRUE(sd_inq_error_obj(kw("message")).is_nil());
  set_error_state(Error("first"));
  set_error_state(Error("second"));
  EXPECT_TRUE(lisp_error_active());
  reset_lisp_error_active();
  EXPECT_FALSE(lisp_error_active());
  EXPECT_EQ(sd_inq_error_obj(kw("message")), Value("second"));
  EXPECT_TRUE(sd_inq_error_obj(kw("keyword")).is_nil());
  EXPECT_TRUE(sd_inq_error_obj(kw("no-such-property")).is_nil());
  reset_host();
  EXPECT_TRUE(sd_inq_error_obj().is_nil());
}

TEST_F(ErrorGuardTest, SuccessfulOperationPassesItsValueThrough) {
  const auto result = guarded([] { return Value(List{kw("ok"), 3}); }, OnError::Show);
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(*result, Value(List{kw("ok"), 3}));
  EXPECT_TRUE(sd_inq_error_obj().is_nil());
  const auto nil_result = guarded([] { return Value(); }, OnError::Silent);
  ASSERT_TRUE(nil_result.has_value());  // a nil answer is still an answer
}

TEST_F(ErrorGuardTest, SilentGuardOnlyRecordsAndResets) {
  EXPECT_FALSE(guarded(failing, OnError::Silent).has_value());
  expect_error_recorded_and_reset();
  EXPECT_TRUE(ui_.messages().empty());
  EXPECT_TRUE(ui_.output_lines().empty());
}

TEST_F(ErrorGuardTest, ShowGuardShowsTheErrorText) {
  EXPECT_FALSE(guarded(failing, OnError::Show).has_value());
  expect_error_recorded_and_reset();
  EXPECT_EQ(ui_.messages(), std::vector<std::string>{"Sheet \"A\" not found"});
  EXPECT_TRUE(ui_.output_lines().empty());
}

TEST_F(ErrorGuardTest, ReportGuardAppendsTheErrorTextToTheOutputBox) {
  EXPECT_FALSE(guarded(failing, OnError::Report).has_value());
  expect_error_recorded_and_reset();
  EXPECT_EQ(ui_.output_lines(), std::vector<std::string>{"Sheet \"A\" not found"});
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(ErrorGuardTest, OtherExceptionsAreNotHostErrors) {
  EXPECT_THROW(guarded([]() -> Value { throw std::logic_error("bug"); }, OnError::Silent),
               std::logic_error);
  EXPECT_TRUE(sd_inq_error_obj().is_nil());
}

TEST_F(ErrorGuardTest, BlockedActionsAreRefusedWithoutRunning) {
  set_actions_blocked(true);
  bool ran = false;
  EXPECT_FALSE(guarded(
                   [&] {
                     ran = true;
                     return Value(1);
                   },
                   OnError::Show)
                   .has_value());
  EXPECT_FALSE(ran);
  EXPECT_TRUE(ui_.messages().empty());
  EXPECT_TRUE(lisp_error_active());
  EXPECT_EQ(sd_inq_error_obj(kw("keyword")), kw("sd-call-action-illegal-call"));
  EXPECT_TRUE(sd_inq_error_obj(kw("message")).is_string());
  reset_host();
  EXPECT_FALSE(actions_blocked());
  EXPECT_TRUE(guarded(
                  [&] {
                    ran = true;
                    return Value(1);
                  },
                  OnError::Show)
                  .has_value());
  EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace host
