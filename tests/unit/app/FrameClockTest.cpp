#include <gtest/gtest.h>

#include "app/FrameClock.h"
#include "app/Options.h"

namespace {
class FrameClockTest : public ::testing::Test {
 protected:
  void TearDown() override {
    Clock() = FrameClock{};
  }
};
}  // namespace

TEST_F(FrameClockTest, FrameTimeIsTheLastFrameInSecondsCappedAt25ms) {
  Clock().timer.lastFrameMs = 16.0f;
  EXPECT_FLOAT_EQ(FrameTime(), 0.016f);
  Clock().timer.lastFrameMs = 25.0f;
  EXPECT_FLOAT_EQ(FrameTime(), 0.025f);
  Clock().timer.lastFrameMs = 2500.0f;  // a long start-up or a stall
  EXPECT_FLOAT_EQ(FrameTime(), 0.025f);
}

TEST_F(FrameClockTest, PausedFramesHandZeroButKeepMeasuring) {
  Clock().timer.lastFrameMs = 20.0f;
  SetPaused(true);
  EXPECT_EQ(FrameTime(), 0.0f);
  EXPECT_FLOAT_EQ(LastFrameMs(), 20.0f);
  SetPaused(false);
  EXPECT_FLOAT_EQ(FrameTime(), 0.02f);
}

TEST(RunOptionsTest, ParsesEveryOption) {
  const char* argv[] = {"quillmarch", "--size", "800x600", "--frames", "60", "--fixed-dt", "0.02",
                        "--scene", "6", "--headless", "--screenshot", "10:a.png", "--screenshot",
                        "20:b.png", "--seed", "42", "--data", "/tmp/x", "--no-dialogs"};
  RunOptions o;
  std::string error;
  ASSERT_TRUE(ParseRunOptions(static_cast<int>(std::size(argv)), argv, &o, &error)) << error;
  EXPECT_TRUE(o.windowed);
  EXPECT_EQ(o.width, 800);
  EXPECT_EQ(o.height, 600);
  EXPECT_EQ(o.frames, 60);
  EXPECT_FLOAT_EQ(o.fixedDt, 0.02f);
  EXPECT_EQ(o.sceneId, 6);
  EXPECT_TRUE(o.headless);
  ASSERT_EQ(o.screenshots.size(), 2u);
  EXPECT_EQ(o.screenshots[1].frame, 20);
  EXPECT_EQ(o.screenshots[1].file, "b.png");
  EXPECT_EQ(*o.seed, 42u);
  EXPECT_EQ(o.dataDir, "/tmp/x");
  EXPECT_TRUE(o.noDialogs);
}

TEST(RunOptionsTest, RejectsMalformedValuesWithAReason) {
  for (std::vector<const char*> args : std::vector<std::vector<const char*>>{
           {"q", "--frames"}, {"q", "--frames", "-3"}, {"q", "--frames", "ten"}, {"q", "--size", "800"},
           {"q", "--size", "0x600"}, {"q", "--fixed-dt", "-1"}, {"q", "--fixed-dt", "nan"},
           {"q", "--screenshot", "shot.png"}, {"q", "--screenshot", "5:"}, {"q", "--seed", "x"},
           {"q", "--bogus"}}) {
    RunOptions o;
    std::string error;
    EXPECT_FALSE(ParseRunOptions(static_cast<int>(args.size()), args.data(), &o, &error)) << args.back();
    EXPECT_FALSE(error.empty());
  }
}
