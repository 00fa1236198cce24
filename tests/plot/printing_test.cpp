// Printing through a real, throwaway print server (scripts/cups-test-env.sh): media,
// orientation and copies of what arrives, the printer list, and the failures.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "host/api/drawing_ops.h"
#include "host/api/error.h"
#include "host/api/testing.h"
#include "host/drawing/store.h"
#include "plot_test_util.h"
#include "support/expect.h"

using host::kw;
using host::List;
using host::Value;
using namespace plot_test;
using tavrin_test::error_of;

namespace {

const std::string kScript = std::string(TAVRIN_SOURCE_DIR) + "/scripts/cups-test-env.sh";

// The module's argument list for printing one sheet at scale 1 or fitted.
List print_args(const std::string& printer, const std::string& paper, bool landscape, bool fit,
                int copies = 1) {
  List args{kw("plotter_type_ra"), kw("mswindow_gdi_printer"), kw("plotter_name_ra"),
            Value(printer),        kw("plot_warnings"),        kw("off")};
  if (landscape)
    args.insert(args.end(), {kw("orientation_landscape"), kw("orientation"), kw("landscape")});
  else
    args.insert(args.end(), {kw("orientation_portrait"), kw("orientation"), kw("portrait")});
  args.insert(args.end(), {kw("paper_format_ra"), Value(paper), kw("copies"), Value(copies)});
  if (fit)
    args.push_back(kw("scale_fit"));
  else
    args.insert(args.end(), {kw("scale_factor"), kw("scale_factor_value"), Value(1)});
  args.insert(args.end(), {kw("transf_style"), kw("standard"), kw("contents_drawing"),
                           kw("output_sheet"), kw("plot")});
  return args;
}

void use_sheet(double w, double h, const std::string& number) {
  host::Drawing d;
  d.id = host::next_id();
  d.number = number;
  host::Sheet s;
  s.id = host::next_id();
  s.name = s.unique_name = "1";
  s.elements = {rectangle(0, 0, w, h), text(10, 10, {"Druckprobe " + number})};
  d.sheets.push_back(std::move(s));
  host::replace_current_drawing(std::move(d));
}

class Printing : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    env_ = new tavrin_test::EnvGuard;
    CommandResult started =
        run(kScript + " start '" + dir_->path() + "' " + std::to_string(getpid()) + " 2>&1");
    start_log_ = started.out;
    started_ = started.status == 0;
    env_->set("CUPS_SERVER", dir_->path() + "/cups.sock");
  }
  static void TearDownTestSuite() {
    run(kScript + " stop '" + dir_->path() + "'");
    delete env_;
    delete dir_;
  }
  void SetUp() override {
    host::reset_host();
    ASSERT_TRUE(started_) << "the throwaway print server did not start:\n" << start_log_;
  }

  static std::string out_file() { return dir_->file("out/tavrin-file.pdf"); }
  static std::string lpstat(const std::string& options) {
    return run("CUPS_SERVER='" + dir_->path() + "/cups.sock' lpstat " + options).out;
  }
  // Waits until the queue has no pending job and `count` jobs have finished.
  static bool wait_for_jobs(const std::string& printer, int count) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
      std::string done = lpstat("-W completed -o " + printer);
      int finished = static_cast<int>(std::count(done.begin(), done.end(), '\n'));
      if (lpstat("-o " + printer).empty() && finished >= count) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

  static inline TempDir* dir_ = nullptr;
  static inline tavrin_test::EnvGuard* env_ = nullptr;
  static inline bool started_ = false;
  static inline std::string start_log_;
  static inline int file_jobs_ = 0;
};

TEST_F(Printing, LandscapeA3ArrivesOnA3Landscape) {
  use_sheet(400, 280, "quer");
  EXPECT_TRUE(host::am_plot_ex(print_args("tavrin-file", "A3", true, false)) == Value::t());
  ASSERT_TRUE(wait_for_jobs("tavrin-file", ++file_jobs_));
  auto pages = page_boxes(out_file());
  ASSERT_EQ(pages.size(), 1u);
  // The page as rendered: A3 the wide way; the print system turns it for the paper feed.
  EXPECT_NEAR(pages[0].width_pt, 420 * kPt, 1);
  EXPECT_NEAR(pages[0].height_pt, 297 * kPt, 1);
  EXPECT_TRUE(pages[0].rotate == 90 || pages[0].rotate == 270) << pages[0].rotate;
  EXPECT_NE(pdf_text(out_file()).find("Druckprobe quer"), std::string::npos);
}

TEST_F(Printing, PortraitA4WithTwoCopiesFittedArrivesTwice) {
  use_sheet(594, 841, "hoch");  // an A1 sheet fitted to A4
  host::am_plot_ex(print_args("tavrin-file", "a4", false, true, 2));
  ASSERT_TRUE(wait_for_jobs("tavrin-file", ++file_jobs_));
  auto pages = page_boxes(out_file());
  ASSERT_EQ(pages.size(), 2u);
  for (const auto& p : pages) {
    EXPECT_NEAR(p.width_pt, 210 * kPt, 1);
    EXPECT_NEAR(p.height_pt, 297 * kPt, 1);
    EXPECT_EQ(p.rotate, 0);
  }
}

TEST_F(Printing, PrinterListComesFromThePrintServer) {
  List printers = host::sd_inq_printers();
  ASSERT_FALSE(printers.empty());
  EXPECT_NE(std::find(printers.begin(), printers.end(), Value("tavrin-file")), printers.end());
}

TEST_F(Printing, MissingPrinterUnknownAndUnofferedPaperAreErrors) {
  use_sheet(100, 100, "fehler");
  const std::string finished_before = lpstat("-W completed -o tavrin-file");
  std::string missing =
      error_of([&] { host::am_plot_ex(print_args("no-such-printer", "A4", false, false)); });
  EXPECT_NE(missing.find("no-such-printer"), std::string::npos) << missing;
  EXPECT_NE(missing.find("not installed"), std::string::npos) << missing;

  // A5 is a paper the host knows, but the file printer does not offer it.
  std::string unoffered =
      error_of([&] { host::am_plot_ex(print_args("tavrin-file", "A5", false, false)); });
  EXPECT_NE(unoffered.find("A5"), std::string::npos) << unoffered;
  EXPECT_NE(unoffered.find("does not offer"), std::string::npos) << unoffered;

  std::string unknown =
      error_of([&] { host::am_plot_ex(print_args("tavrin-file", "Bierdeckel", false, false)); });
  EXPECT_NE(unknown.find("Bierdeckel"), std::string::npos) << unknown;

  // Nothing was submitted.
  EXPECT_TRUE(lpstat("-o tavrin-file").empty());
  EXPECT_EQ(lpstat("-W completed -o tavrin-file"), finished_before);
}

TEST_F(Printing, CupsPdfQueueWritesTheJobUnderItsTitle) {
  if (getuid() != 0) GTEST_SKIP() << "the cups-pdf queue needs the print server to run as root";
  const std::string number =
      "tavrin-probe-" + std::to_string(getpid()) + "-" +
      std::to_string(std::chrono::system_clock::now().time_since_epoch().count());
  use_sheet(400, 280, number);
  host::am_plot_ex(print_args("tavrin-cups-pdf", "A3", true, false));
  ASSERT_TRUE(wait_for_jobs("tavrin-cups-pdf", 1));
  const std::filesystem::path pdf_dir = std::filesystem::path(getpwuid(getuid())->pw_dir) / "PDF";
  std::filesystem::path found;
  for (int i = 0; i < 100 && found.empty(); ++i) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(pdf_dir, ec)) {
      if (entry.path().filename().string().find(number) != std::string::npos) found = entry.path();
    }
    if (found.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_FALSE(found.empty()) << "no file for " << number << " in " << pdf_dir << "\n"
                              << run("cat '" + dir_->path() + "/log/error_log'").out;
  auto pages = page_boxes(found.string());
  std::filesystem::remove(found);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_NEAR(std::min(pages[0].width_pt, pages[0].height_pt), 297 * kPt, 2);
  EXPECT_NEAR(std::max(pages[0].width_pt, pages[0].height_pt), 420 * kPt, 2);
}

// The connection's own short timeouts keep this from hanging; the test asks only for the text.
TEST(PrintingWithoutServer, FailsWithAClearError) {
  host::reset_host();
  TempDir dir;
  tavrin_test::EnvGuard env;
  env.set("CUPS_SERVER", dir.path() + "/no-cupsd.sock");
  use_sheet(100, 100, "ohne");
  EXPECT_THROW_MSG(host::am_plot_ex(print_args("tavrin-file", "A4", false, false)), "print server");
  EXPECT_TRUE(host::sd_inq_printers().empty());
}

}  // namespace
