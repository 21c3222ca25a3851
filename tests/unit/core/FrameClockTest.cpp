#include <gtest/gtest.h>

#include "core/FrameClock.h"

namespace {
class FrameClockTest : public ::testing::Test {
 protected:
  void TearDown() override {
    Clock() = FrameClock{};
  }
};
}  // namespace

// Paused frames hand out zero but keep measuring.
TEST_F(FrameClockTest, FrameTimeIsTheLastFrameInSecondsCappedAt25msOrZeroWhilePaused) {
  Clock().timer.lastFrameMs = 16.0f;
  EXPECT_FLOAT_EQ(FrameTime(), 0.016f);
  Clock().timer.lastFrameMs = 25.0f;
  EXPECT_FLOAT_EQ(FrameTime(), 0.025f);
  Clock().timer.lastFrameMs = 2500.0f;  // a long start-up or a stall
  EXPECT_FLOAT_EQ(FrameTime(), 0.025f);
  Clock().timer.lastFrameMs = 20.0f;
  SetPaused(true);
  EXPECT_EQ(FrameTime(), 0.0f);
  EXPECT_FLOAT_EQ(LastFrameMs(), 20.0f);
  SetPaused(false);
  EXPECT_FLOAT_EQ(FrameTime(), 0.02f);
}
