// The order in which one drawing's outputs appear: saves of all sheets first, then print and
// PDF sheet by sheet. Files are watched as they land in the output directory; a print shows
// as its failure report, written right after the plot call.
#include <sys/inotify.h>
#include <unistd.h>

#include "engine/engine.h"
#include "engine_fixture.h"

namespace tavrin::test {
namespace {

class OutputOrderTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    watch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch_, 0);
    ASSERT_GE(inotify_add_watch(watch_, dir_.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO), 0);
    front_.on_output = [this](const std::string& line) {
      if (line != std::string(68, '-')) return;
      drain();
      seen_.push_back("plot");
    };
  }
  void TearDown() override {
    front_.on_output = nullptr;
    if (watch_ >= 0) close(watch_);
    EngineTest::TearDown();
  }

  // Output files that appeared since the last look, each once, in the order they landed.
  void drain() {
    alignas(inotify_event) char buf[8192];
    for (ssize_t n; (n = ::read(watch_, buf, sizeof buf)) > 0;) {
      for (char* p = buf; p < buf + n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(p);
        const std::string name = event->len ? event->name : "";
        if (is_output(name) && std::find(seen_.begin(), seen_.end(), name) == seen_.end())
          seen_.push_back(name);
        p += sizeof(inotify_event) + event->len;
      }
    }
  }
  static bool is_output(const std::string& name) {
    for (const char* ext : {".dxf", ".mi", ".pdf"}) {
      const std::string e = ext;
      if (name.size() > e.size() && name.compare(name.size() - e.size(), e.size(), e) == 0)
        return true;
    }
    return false;
  }

  int watch_ = -1;
  std::vector<std::string> seen_;
};

TEST_F(OutputOrderTest, SavesComeFirstThenPrintAndPdfSheetBySheet) {
  set_drawing("D", {{"1", {rectangle(0, 0, 400, 280)}}, {"2", {rectangle(0, 0, 210, 297)}}});
  const Selection all{0, ">"};
  speichern_alle_blaetter(host::Value(), all, true, true);
  drucken_alle_blaetter(true, "Standard", host::Value(), "tavrin-kein-drucker", true, true, true,
                        host::Value(), all, "");
  drain();
  EXPECT_EQ(seen_, (std::vector<std::string>{"D_1.dxf", "D_1.mi", "D_2.dxf", "D_2.mi", "plot",
                                             "D_1.pdf", "plot", "D_2.pdf"}));
}

}  // namespace
}  // namespace tavrin::test
