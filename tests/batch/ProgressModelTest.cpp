#include "batch/ProgressModel.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(ProgressModel, StagesFillTheMainBar) {
  TProgressModel model;
  model.Reset();
  for (int i = 0; i < 4; ++i) {
    model.AddStage("s", 5);
  }
  model.AddStage("", 80);
  for (int i = 0; i < 4; ++i) {
    model.NextStage();
  }
  model.SetSubProgress(50);
  EXPECT_EQ(model.MainPosition(), 60);
  EXPECT_EQ(model.SubPosition(), 50);
  model.Start({}, "c", TProgressModel::kAdditionalText, true);
  model.SetProgress(100);  // no sub bar: the main bar moves
  EXPECT_EQ(model.MainPosition(), 100);
}

TEST(ProgressModel, CancelAndClose) {
  TProgressModel model;
  model.Reset();
  model.Start({}, "c", 7, true);
  EXPECT_FALSE(model.SetSubProgress(10));
  model.ButtonCancelClick();
  EXPECT_TRUE(model.CancelRequest());
  EXPECT_FALSE(model.ButtonEnabled());
  EXPECT_NE(model.AdditionalText().find(". "), std::string::npos);
  EXPECT_TRUE(model.SetSubProgress(20));
  model.Reset();
  EXPECT_FALSE(model.CancelRequest());
  EXPECT_TRUE(model.ButtonEnabled());

  model.SetCancelAllowed(false);
  model.ButtonCancelClick();
  model.CloseRequested();
  EXPECT_FALSE(model.CancelRequest());
  EXPECT_FALSE(model.ButtonEnabled());

  model.Reset();
  model.SetFinished();
  EXPECT_TRUE(model.Finished());
  model.CloseRequested();  // closing a finished window is read as "closed"
  EXPECT_TRUE(model.CancelRequest());
  EXPECT_TRUE(model.Visible());
}

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
