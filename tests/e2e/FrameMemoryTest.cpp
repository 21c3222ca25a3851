// A level drawn on the OpenGL device for hundreds of frames must not keep growing in memory: a
// driver that never blocks on present (the offscreen window here) would otherwise let the game
// queue frame after frame, each holding its recorded draws. The game's largest resident size after
// 300 frames must be within a few megabytes of its largest after 100.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TestSupport.h"

using namespace testing_support;

namespace {

// The sanitizer's quarantine holds freed memory back on purpose and would read as growth.
const std::vector<std::string> kOffscreen = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy",
                                             "ASAN_OPTIONS=quarantine_size_mb=0"};

long PeakResidentKbAfter(const std::string& scene, int frames) {
  TempDir dir;
  std::string data = MakeDataDir(dir, "00");
  RunResult r = RunGame({"--windowed", "--size", "320x180", "--fixed-dt", "0.016", "--no-dialogs", "--seed", "7",
                         "--scene", scene, "--frames", std::to_string(frames), "--data", data},
                        kOffscreen);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return r.peakResidentKb;
}

}  // namespace

TEST(FrameMemoryTest, ALevelStaysTheSameSizeFromFrame100ToFrame300) {
  const long at100 = PeakResidentKbAfter("6", 100);
  const long at300 = PeakResidentKbAfter("6", 300);
  ASSERT_GT(at100, 0);
  // A few megabytes: the first particles, sounds and log lines may still settle after frame 100.
  EXPECT_LT(at300 - at100, 8 * 1024) << "frame 100: " << at100 << " kB, frame 300: " << at300 << " kB";
}
