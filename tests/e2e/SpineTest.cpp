// The whole program, run as a user would: frame-time log lines, the configuration's log switch,
// the clamp, and a clean start and shutdown on the offscreen video driver.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "support/TestSupport.h"

using namespace testing_support;

TEST(SpineTest, HeadlessRunLogsEveryFrameAndExitsCleanly) {
  TempDir dir;
  std::string data = MakeDataDir(dir, "10");
  RunResult r = RunGame({"--headless", "--frames", "60", "--fixed-dt", "0.02", "--data", data});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  std::string log = ReadFile(dir.File("output.log"));
  EXPECT_EQ(CountLines(log, "-INFO- FrameTime 0.020000"), 60) << log.substr(0, 400);
  // The frame rate is counted over wall-clock seconds, so its value depends on the machine's load:
  // only its line per frame is checked.
  std::regex fps("-INFO- FPS [0-9]+");
  std::regex cpu("-INFO- CPU Useage [0-9]+%");
  std::istringstream in(log);
  int fpsLines = 0;
  int cpuLines = 0;
  for (std::string l; std::getline(in, l);) {
    fpsLines += std::regex_match(l, fps);
    cpuLines += std::regex_match(l, cpu);
  }
  EXPECT_EQ(fpsLines, 60);
  EXPECT_EQ(cpuLines, 60);
  EXPECT_NE(log.find("-INFO- window height"), std::string::npos);
}

TEST(SpineTest, LogSwitchedOffCreatesNoLogFile) {
  TempDir dir;
  std::string data = MakeDataDir(dir, "00");
  RunResult r = RunGame({"--headless", "--frames", "10", "--data", data});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_FALSE(FileExists(dir.File("output.log")));
}

// Frames of 0.1 s are logged as 0.025 s.
TEST(SpineTest, OffscreenWindowRunsClampsLongFramesTo25msAndShutsDownCleanly) {
  TempDir dir;
  std::string data = MakeDataDir(dir, "10");
  RunResult r = RunGame({"--windowed", "--frames", "30", "--fixed-dt", "0.1", "--no-dialogs", "--data", data},
                        {"SDL_VIDEODRIVER=offscreen"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(NoSanitizerReport(r)) << r.err;
  EXPECT_EQ(CountLines(ReadFile(dir.File("output.log")), "-INFO- FrameTime 0.025000"), 30);
}

TEST(SpineTest, BadOptionIsRejectedWithUsage) {
  RunResult r = RunGame({"--frames", "many"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("usage: quillmarch"), std::string::npos);
}
