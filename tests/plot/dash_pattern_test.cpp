// The drawing's own dash patterns as cairo takes them: dashes first, dots as zero-length
// dashes, the pattern's start kept through the offset.
#include "host/plot/dash_pattern.h"

#include <gtest/gtest.h>

namespace {

TEST(DashPattern, DrawingPatternsBecomeOnOffRunsWithTheirStart) {
  const struct {
    std::vector<double> pattern, dashes;
    double offset;
  } cases[] = {
      {{0.6, -0.2, 0, -0.2}, {0.6, 0.2, 0, 0.2}, 0},
      {{-0.5, 1}, {1, 0.5}, 1},             // starts with a gap
      {{-0.5, 1, -0.25}, {1, 0.75}, 1.25},  // gaps at both ends are one gap
      {{2, -1, 3}, {5, 1}, 3},              // a dash at both ends is one dash
      {{1, 2}, {}, 0},                      // dashes only: a solid line
      {{1}, {}, 0},                         // a single dash is a solid line
      {{0, 0}, {}, 0},                      // nothing to repeat
  };
  for (const auto& c : cases) {
    double offset = -1;
    EXPECT_EQ(host::cairo_dashes(c.pattern, offset), c.dashes) << c.pattern.size();
    EXPECT_DOUBLE_EQ(offset, c.offset) << c.pattern.size();
  }
}

}  // namespace
