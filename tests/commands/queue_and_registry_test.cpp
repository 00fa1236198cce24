// The queued-command buffer, registered commands, typed forms and the host version.
#include <gmock/gmock.h>

#include "fixture.h"

namespace tavrin_test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class QueueTest : public HostTest {};

TEST_F(QueueTest, QueuedLinesRunInOrderAndAFailingLineDoesNotStopTheRest) {
  std::vector<std::string> ran;
  host::register_command("ERSTER", [&](const host::List&) {
    ran.push_back("1");
    host::sd_put_buffer("DRITTER");  // queued while the queue runs: runs in this pass, last
    return host::Value();
  });
  host::register_command("dritter", [&](const host::List&) {
    ran.push_back("3");
    return host::Value();
  });
  host::sd_put_buffer("ERSTER");
  host::sd_put_buffer("GIBTS_NICHT 1");
  EXPECT_THAT(host::queued_commands(), ElementsAre("ERSTER", "GIBTS_NICHT 1"));
  host::run_queued_commands();
  EXPECT_THAT(ran, ElementsAre("1", "3"));
  EXPECT_TRUE(host::queued_commands().empty());
  ASSERT_EQ(front_.messages().size(), 1u);
  EXPECT_THAT(front_.messages()[0], HasSubstr("GIBTS_NICHT"));
  EXPECT_FALSE(host::lisp_error_active());
  EXPECT_EQ(host::sd_inq_error_obj(host::kw("message")), host::Value(front_.messages()[0]));
}

TEST_F(QueueTest, ResetEmptiesTheQueueAndForgetsCommandsAndVersion) {
  host::sd_put_buffer("ERSTER");
  host::register_command("ERSTER", [](const host::List&) { return host::Value(); });
  host::set_host_major_version(17);
  host::reset_host();
  EXPECT_TRUE(host::queued_commands().empty());
  EXPECT_FALSE(host::command_registered("ERSTER"));
  EXPECT_EQ(host::sd_inq_version(), (host::List{host::kw("major"), "18", host::kw("minor"), "0"}));
  host::set_host_major_version(20);
  const host::List version = host::sd_inq_version();
  EXPECT_EQ(host::KeywordArgs(version).string("major"), "20");
}

TEST_F(QueueTest, RegisteredCommandsRunByNameInAnyCaseWithTheirArguments) {
  host::List got;
  host::register_command("TV-BATCH-DIALOG", [&](const host::List& args) {
    got = args;
    return host::Value("done");
  });
  EXPECT_TRUE(host::command_registered("tv-batch-dialog"));
  EXPECT_EQ(host::run_command_line("  tv-batch-dialog :a 'x y' 2,3 4"), host::Value("done"));
  EXPECT_EQ(got, (host::List{host::kw("a"), "x y", host::Value::point(2, 3), 4}));
  EXPECT_EQ(host::run_command_line("(TV-BATCH-DIALOG \"z\" :b)"), host::Value("done"));
  EXPECT_EQ(got, (host::List{"z", host::kw("b")}));
  EXPECT_TRUE(host::run_command_line("   ").is_nil());
  // Control actions name the module's functions with its package prefix.
  host::register_command("AUTOTEXT-EINTRAG", [&](const host::List& args) {
    got = args;
    return host::Value();
  });
  host::run_command_line("(Tavrin::AUTOTEXT-EINTRAG 5 T)");
  EXPECT_EQ(got, (host::List{5, host::Value::t()}));
}

TEST_F(QueueTest, FormsCallHostOperationsAndUnknownOnesAreErrors) {
  host::run_command_line("(sd-put-buffer \"CHANGE_TEXT 'a' GLOBAL ALL END\")");
  EXPECT_THAT(host::queued_commands(), ElementsAre("CHANGE_TEXT 'a' GLOBAL ALL END"));
  EXPECT_THROW(
      {
        try {
          host::run_command_line("(UNBEKANNT 1)");
        } catch (const host::Error& e) {
          EXPECT_THAT(e.what(), HasSubstr("UNBEKANNT"));
          throw;
        }
      },
      host::Error);
  EXPECT_THROW(host::run_command_line("(SD_PUT_BUFFER \"x\") extra"), host::Error);
}

}  // namespace
}  // namespace tavrin_test
