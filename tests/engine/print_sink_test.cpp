// Printing as the engine drives it, into a sink that keeps the jobs: no print server needed.
#include "engine/engine.h"
#include "engine_fixture.h"
#include "host/plot/print_sink.h"

namespace tavrin::test {
namespace {

using host::Value;

class PrintSinkTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    sink_.offered = {{"tavrin-file", {"A4", "A3"}}};
    host::set_print_sink(&sink_);
  }
  host::RecordingPrintSink sink_;
};

TEST_F(PrintSinkTest, AFittedSheetGoesOnTheFitFormatsPaperAndARefusedPaperIsReported) {
  g().plotter_auto_format = {{"tavrin-file", "A3", "A4"}, {"tavrin-file", "A2"}};
  g().plotter_format_names = {{"tavrin-file", "A3/a3", "A2/Bierdeckel"}};
  set_drawing("Z", {{"1", {rectangle(0, 0, 594, 420), text("Einpassprobe", 20, 20)}}});

  drucken_alle_blaetter(true, "Standard", "A3", Value(), false, false, false, Value(), {0, ">"},
                        "");
  EXPECT_TRUE(front_.output_lines().empty());
  ASSERT_EQ(sink_.jobs.size(), 1u);
  const host::RecordingPrintSink::Job& job = sink_.jobs[0];
  EXPECT_EQ(job.options.printer, "tavrin-file");
  EXPECT_EQ(job.options.paper, "a3");
  EXPECT_TRUE(job.options.fit);
  EXPECT_EQ(job.media.media, "iso_a3_297x420mm");
  EXPECT_EQ(job.pdf.rfind("%PDF-", 0), 0u);

  // Its own format A2 sends the sheet to a paper the printer does not know: reported, not sent.
  drucken_alle_blaetter(true, "Standard", Value(), Value(), false, false, false, Value(), {0, ">"},
                        "/p/z.mi");
  EXPECT_EQ(sink_.jobs.size(), 1u);
  ASSERT_EQ(front_.output_lines().size(), 4u);
  EXPECT_EQ(front_.output_lines()[2], "Plotter: tavrin-file");
  EXPECT_NE(front_.output_lines()[3].find("Bierdeckel"), std::string::npos);
  EXPECT_EQ(host::reported_problems(), 1);
}

}  // namespace
}  // namespace tavrin::test
