// Filling the host's directive templates.
#include "host/value/format.h"

#include <gtest/gtest.h>

#include "host/api/error.h"
#include "host/api/testing.h"

namespace host {
namespace {

class FormatTest : public ::testing::Test {
 protected:
  void SetUp() override { reset_host(); }
};

TEST_F(FormatTest, TemplatesOfTheModule) {
  EXPECT_EQ(format("~A_~A", "Z-100", 2), "Z-100_2");
  EXPECT_EQ(format("~A~% ~A", "a", kw("b")), "a\n B");
  EXPECT_EQ(format("LOAD SUBPART'~A' 0,0", "/tmp/x.mi"), "LOAD SUBPART'/tmp/x.mi' 0,0");
  EXPECT_EQ(format("AM_LOAD_SKETCH :owner :current_sheet :adjust 5 :FILENAME ~s", "/a b/\"q\".mi"),
            R"(AM_LOAD_SKETCH :owner :current_sheet :adjust 5 :FILENAME "/a b/\"q\".mi")");
  EXPECT_EQ(format("~a|~s|~~|~S", "x", "x", 2.5), "x|\"x\"|~|2.5");
  EXPECT_EQ(format("no directives"), "no directives");
  EXPECT_EQ(format("~A", 1, 2), "1");
}

TEST_F(FormatTest, BadTemplatesNameTheTemplate) {
  for (const char* tmpl : {"~A_~A", "~D", "ends in ~", "~5A"}) {
    try {
      format_list(tmpl, List{"one"});
      ADD_FAILURE() << "no error for " << tmpl;
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(tmpl), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace host
