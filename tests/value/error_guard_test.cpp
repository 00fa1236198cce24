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

// What each way of handling a failure leaves: the problems counted, and the message with its
// severity as data. A skipped step (actions blocked) counts like a failed one where it shows.
TEST_F(ErrorGuardTest, ShownAndReportedErrorsCountAsProblemsWarningsDoNot) {
  struct Case {
    OnError on_error;
    bool blocked;
    int problems;
    std::vector<Severity> severities;
    std::size_t output_lines;
  };
  const Case cases[] = {
      {OnError::Show, false, 1, {Severity::Problem}, 0},
      {OnError::Report, false, 1, {}, 1},
      {OnError::Warn, false, 0, {Severity::Warning}, 0},
      {OnError::Silent, false, 0, {}, 0},
      {OnError::Show, true, 1, {}, 0},
      {OnError::Warn, true, 0, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.on_error) * 10 + c.blocked);
    SetUp();
    ui_.clear();
    set_actions_blocked(c.blocked);
    guarded(failing, c.on_error);
    EXPECT_EQ(reported_problems(), c.problems);
    EXPECT_EQ(ui_.severities(), c.severities);
    EXPECT_EQ(ui_.output_lines().size(), c.output_lines);
  }
  reset_host();
  count_problem(2);  // the module's own reports
  EXPECT_EQ(reported_problems(), 2);
  reset_host();
  EXPECT_EQ(reported_problems(), 0);
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
