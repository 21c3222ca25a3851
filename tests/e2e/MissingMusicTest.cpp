// The game plays on without its sound banks: the audio layer reports the missing files and every
// sound it cannot play, and nothing else changes.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/TestSupport.h"

using namespace testing_support;
namespace fs = std::filesystem;

TEST(MissingMusicTest, GameRunsThroughTheSplashScreensWithoutTheMusicFolder) {
  TempDir dir;
  fs::create_directory_symlink(fs::path(BinaryDir()) / "Shaders", fs::path(dir.path()) / "Shaders");
  fs::create_directory(fs::path(dir.path()) / "Assets");
  for (const auto& entry : fs::directory_iterator(fs::path(BinaryDir()) / "Assets")) {
    if (entry.path().filename() == "Music") continue;
    fs::create_symlink(entry.path(), fs::path(dir.path()) / "Assets" / entry.path().filename());
  }
  WriteFile(dir.File("Config.lullwick"), "10");
  RunResult r = RunGame({"--headless", "--frames", "200", "--fixed-dt", "0.025", "--data", dir.path()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("Audio Error! "), std::string::npos) << "the missing banks are reported";
  EXPECT_TRUE(NoSanitizerReport(r)) << r.err;
  // The scenes went on: the first splash started and the log kept its per-frame lines to the end.
  std::string log = ReadFile(dir.File("output.log"));
  EXPECT_EQ(CountLines(log, "-INFO- FrameTime 0.025000"), 200);
}
