// Printing sheets on a real, throwaway print server (scripts/cups-test-env.sh): the plotter
// and paper come from the tables, a fitted sheet arrives on the fit format's paper, and a
// paper the printer refuses gives the failure report with the host's reason.
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "engine/engine.h"
#include "engine_fixture.h"

namespace tavrin::test {
namespace {

using host::Value;

const std::string kScript = TAVRIN_SOURCE_DIR "/scripts/cups-test-env.sh";

class PrintServerTest : public EngineTest {
 protected:
  static void SetUpTestSuite() {
    server_dir_ = new tavrin_test::ScratchDir;
    server_ = server_dir_->path();
    env_ = new tavrin_test::EnvGuard;
    int status = -1;
    start_log_ =
        run(kScript + " start '" + server_ + "' " + std::to_string(getpid()) + " 2>&1", &status);
    started_ = status == 0;
    env_->set("CUPS_SERVER", server_ + "/cups.sock");
  }
  static void TearDownTestSuite() {
    run(kScript + " stop '" + server_ + "'");
    delete env_;
    delete server_dir_;
  }
  void SetUp() override {
    EngineTest::SetUp();
    ASSERT_TRUE(started_) << "the throwaway print server did not start:\n" << start_log_;
  }

  // Waits until the file queue has finished `count` jobs in all and holds none.
  static bool wait_for_jobs(int count) {
    const std::string lpstat = "CUPS_SERVER='" + server_ + "/cups.sock' lpstat ";
    for (int i = 0; i < 600; ++i) {
      const std::string done = run(lpstat + "-W completed -o tavrin-file");
      if (run(lpstat + "-o tavrin-file").empty() &&
          std::count(done.begin(), done.end(), '\n') >= count)
        return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

  // "W x H" of page 1 in points, as pdfinfo says; empty when it says nothing.
  static host::List page_size(const std::string& pdf) {
    const std::string info = run("pdfinfo '" + pdf + "'");
    const auto at = info.find("Page size:");
    if (at == std::string::npos) return {};
    return host::read_all_literals(info.substr(at + 10, info.find(" pts", at) - at - 10));
  }

  static inline tavrin_test::ScratchDir* server_dir_ = nullptr;
  static inline tavrin_test::EnvGuard* env_ = nullptr;
  static inline std::string server_;
  static inline std::string start_log_;
  static inline bool started_ = false;
};

TEST_F(PrintServerTest, AFittedSheetArrivesOnThePaperOfTheFitFormatAndARefusedPaperIsReported) {
  g().plotter_auto_format = {{"tavrin-file", "A3", "A4"}, {"tavrin-file", "A2"}};
  g().plotter_format_names = {{"tavrin-file", "A3/a3", "A2/Bierdeckel"}};
  set_drawing("Z", {{"1", {rectangle(0, 0, 594, 420), text("Einpassprobe", 20, 20)}}});

  drucken_alle_blaetter(true, "Standard", "A3", Value(), false, false, true, Value(), {0, ">"}, "");
  EXPECT_TRUE(front_.output_lines().empty());
  ASSERT_TRUE(wait_for_jobs(1));
  const host::List size = page_size(server_ + "/out/tavrin-file.pdf");
  ASSERT_EQ(size.size(), 3u);
  EXPECT_NEAR(size[0].as_double(), 420 * 72 / 25.4, 1);
  EXPECT_NEAR(size[2].as_double(), 297 * 72 / 25.4, 1);
  EXPECT_NE(run("pdftotext '" + server_ + "/out/tavrin-file.pdf' -").find("Einpassprobe"),
            std::string::npos);
  // The PDF keeps the sheet's own size (594 x 420 mm), not the fit format's.
  const host::List own = page_size((dir_ / "Z_1.pdf").string());
  ASSERT_EQ(own.size(), 3u);
  EXPECT_NEAR(own[0].as_double(), 594 * 72 / 25.4, 1);
  EXPECT_NEAR(own[2].as_double(), 420 * 72 / 25.4, 1);

  // Its own format A2 sends the sheet to a paper the printer does not know.
  drucken_alle_blaetter(true, "Standard", Value(), Value(), false, false, false, Value(), {0, ">"},
                        "/p/z.mi");
  ASSERT_EQ(front_.output_lines().size(), 4u);
  EXPECT_EQ(front_.output_lines()[1], lang_text(32) + " /p/z.mi");
  EXPECT_EQ(front_.output_lines()[2], "Plotter: tavrin-file");
  EXPECT_NE(front_.output_lines()[3].find("Bierdeckel"), std::string::npos)
      << front_.output_lines()[3];
  EXPECT_EQ(host::reported_problems(), 1);
}

}  // namespace
}  // namespace tavrin::test
