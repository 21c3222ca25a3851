// Frame pacing where vertical sync does not wait: the cap's rate, when it starts, how long each frame
// sleeps, and that a frame running late does not make the next ones rush.
#include "app/FramePacer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Runs `frames` frames of `work` seconds each from `start`, sleeping what the pacer asks; returns the
// time at the end.
double RunFrames(FramePacer& pacer, double start, int frames, double work, std::string* firstNote = nullptr) {
  double now = start;
  for (int i = 0; i < frames; ++i) {
    now += work;
    std::string note;
    now += pacer.AfterFrame(now, &note);
    if (firstNote != nullptr && firstNote->empty()) *firstNote = note;
  }
  return now;
}

}  // namespace

TEST(FramePacerTest, VsyncThatWaitsIsLeftAlone) {
  FramePacer pacer;
  pacer.Start(60, true, 0.0);
  std::string note;
  // Each present waited for the display: 1/60 s per frame.
  double end = RunFrames(pacer, 0.0, 200, 1.0 / 60.0, &note);
  EXPECT_FALSE(pacer.Capped());
  EXPECT_EQ(note, "");
  EXPECT_NEAR(end, 200.0 / 60.0, 1e-9);
}

TEST(FramePacerTest, VsyncThatDoesNotWaitIsCappedAtTheRefreshRateAndSaidOnce) {
  FramePacer pacer;
  pacer.Start(75, true, 10.0);
  std::string note;
  // A frame takes 2 ms of work: the game would run at 500 frames a second.
  RunFrames(pacer, 10.0, 30, 0.002, &note);
  EXPECT_TRUE(pacer.Capped());
  EXPECT_EQ(note, "Frame pacing: vertical sync does not wait; frames are capped at 75 per second");
  // From then on each frame takes the period: work plus sleep.
  const double from = 20.0;
  pacer.deadline = from + 1.0 / 75.0;  // a steady schedule from `from`
  std::string later;
  const double end = RunFrames(pacer, from, 75, 0.002, &later);
  EXPECT_EQ(later, "") << "said once";
  EXPECT_NEAR(end - from, 1.0, 1.0 / 75.0);
}

// A first frame that loads a scene for half a second does not hide the fast frames after it.
TEST(FramePacerTest, ASlowFirstFrameDoesNotHideThatVsyncDoesNotWait) {
  FramePacer pacer;
  pacer.Start(60, true, 0.0);
  std::string note;
  double now = 0.5;
  pacer.AfterFrame(now, &note);
  RunFrames(pacer, now, 29, 0.001, &note);
  EXPECT_TRUE(pacer.Capped());
}

TEST(FramePacerTest, RefusedVsyncIsCappedFromTheFirstFrameAtSixtyWhenTheRateIsUnknown) {
  FramePacer pacer;
  pacer.Start(0, false, 0.0);
  EXPECT_TRUE(pacer.Capped());
  std::string note;
  const double end = RunFrames(pacer, 0.0, 60, 0.001, &note);
  EXPECT_EQ(note, "Frame pacing: vertical sync was refused; frames are capped at 60 per second");
  EXPECT_NEAR(end, 1.0, 1e-6) << "sixty frames in a second";
}

TEST(FramePacerTest, ALateFrameStartsANewScheduleInsteadOfRushing) {
  FramePacer pacer;
  pacer.Start(50, false, 0.0);
  double now = 0.015;
  std::string note;
  EXPECT_NEAR(pacer.AfterFrame(now, &note), 0.005, 1e-9);  // 15 ms of a 20 ms frame
  now = 0.020 + 0.100;                                     // a 100 ms frame
  EXPECT_EQ(pacer.AfterFrame(now, &note), 0.0);
  now += 0.004;
  EXPECT_NEAR(pacer.AfterFrame(now, &note), 0.016, 1e-9) << "the full period again, no catching up";
  EXPECT_EQ(SleepMilliseconds(0.0169), 16u);
  EXPECT_EQ(SleepMilliseconds(-1.0), 0u);
}
