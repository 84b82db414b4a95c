#include "batch/ProgressModel.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

// How stages, cancels and closes reach the window is the progress window's own test.
TEST(ProgressModel, SpinsAtMostEveryThreeHundredMilliseconds) {
  TProgressModel model;
  uint32_t now = 0xFFFFFF00;  // the tick count wraps around during the reports
  model.SetClock([&] { return now; });
  model.Reset();
  std::string marks;
  for (int report = 0; report < 10; ++report, now += 100) {
    model.SetSubProgress(-1);
    marks += model.Progressor();
  }
  EXPECT_EQ(marks, "|||///\x97\x97\x97\\");
}

}  // namespace
}  // namespace quorvane
