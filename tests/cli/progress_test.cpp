#include "cli/progress.h"

#include <gtest/gtest.h>

namespace {

// The rate is of the names done so far; the time left is what remains at that rate, not the
// whole run again.
TEST(ProgressTest, TheLineShowsTheRateAndTheTimeTheRestWillTake) {
  const struct {
    std::size_t done, total;
    double elapsed;
    const char* text;
  } cases[] = {
      {50, 100, 10.0, "50/100  5/s  0:10 left"},
      {600, 4200, 2.0, "600/4200  300/s  0:12 left"},
      {1, 7201, 1.0, "1/7201  1/s  2:00:00 left"},
      {0, 100, 3.0, "0/100"},  // nothing done yet: no rate to go by
  };
  for (const auto& c : cases) EXPECT_EQ(TProgress::Text(c.done, c.total, c.elapsed), c.text) << c.text;
}

}  // namespace
