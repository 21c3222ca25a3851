// The whole program, run as a user would: frame-time log lines (the log switched off is
// SplashSequenceTest's), the clamp, a clean start and shutdown on the offscreen video driver, the
// scene to start in, and a run without the sound banks.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestSupport.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

// What the first scene start built, read from the log: the first splash screen, or the level.
void ExpectFirstSplashOnly(const std::string& log) {
  EXPECT_EQ(CountLines(log, "-DEBUG- Background object created"), 1);
  EXPECT_EQ(log.find("Player object created"), std::string::npos);
  EXPECT_EQ(CountLines(log, "-DEBUG- Transition object created"), 1);  // one scene start only
}

}  // namespace

TEST(SpineTest, HeadlessRunLogsEveryFrameStartsOnTheFirstSplashAndExitsCleanly) {
  TempDir dir;
  std::string data = MakeDataDir(dir, "10");
  RunResult r = RunGame({"--headless", "--frames", "60", "--fixed-dt", "0.02", "--data", data});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  std::string log = ReadFile(UserFile(dir.path(), "output.log"));
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
  ExpectFirstSplashOnly(log);
}

// Frames of 0.1 s are logged as 0.025 s.
TEST(SpineTest, OffscreenWindowRunsClampsLongFramesTo25msAndShutsDownCleanly) {
  TempDir dir;
  std::string data = MakeDataDir(dir, "10");
  RunResult r = RunGame({"--windowed", "--frames", "30", "--fixed-dt", "0.1", "--no-dialogs", "--data", data},
                        {"SDL_VIDEODRIVER=offscreen"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(NoSanitizerReport(r)) << r.err;
  EXPECT_EQ(CountLines(ReadFile(UserFile(dir.path(), "output.log")), "-INFO- FrameTime 0.025000"), 30);
}

TEST(SpineTest, BadOptionIsRejectedWithUsage) {
  RunResult r = RunGame({"--frames", "many"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("usage: quillmarch"), std::string::npos);
}

// `--scene ID` starts the game at that scene through the ordinary scene request.
TEST(SceneStartTest, SceneOptionStartsTheLevelDirectly) {
  TempDir dir;
  std::string data = MakeDataDir(dir, "10");
  RunResult r = RunGame({"--headless", "--fixed-dt", "0.025", "--frames", "3", "--data", data, "--scene", "6"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  const std::string log = ReadFile(UserFile(data, "output.log"));
  EXPECT_EQ(CountLines(log, "-DEBUG- Player object created"), 1);
  EXPECT_EQ(CountLines(log, "-DEBUG- Enemy object created"), 1);
  EXPECT_EQ(CountLines(log, "-DEBUG- Transition object created"), 1);  // one scene start only
}

// An id that names no scene is refused like any other bad option, before anything starts, and the
// refusal lists the ids there are.
TEST(SceneStartTest, SceneIdsThatDoNotExistAreRefusedWithTheIdsThereAre) {
  for (const char* scene : {"99", "-5", "13", "-1"}) {
    TempDir dir;
    std::string data = MakeDataDir(dir, "10");
    RunResult r = RunGame({"--headless", "--frames", "3", "--data", data, "--scene", scene});
    EXPECT_EQ(r.exitCode, 2) << scene << "\n" << r.err;
    EXPECT_NE(r.err.find(std::string("there is no scene ") + scene), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("0 empty, 1 SplashCorvan, 2 SplashFMOD, 3 SplashLullwick, 4 main_menu, "
                         "5 EndScene, 6 level1, 7 level2, 8 level3, 9 GameOver, 10 YouWin, 11 Credits, "
                         "12 level select"),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(FileExists(UserFile(data, "output.log"))) << "nothing started";
  }
}

// The game plays on without its sound banks: the audio layer reports the missing files and every
// sound it cannot play, and nothing else changes.
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
  std::string log = ReadFile(UserFile(dir.path(), "output.log"));
  EXPECT_EQ(CountLines(log, "-INFO- FrameTime 0.025000"), 200);
}

// The offscreen driver presents without waiting for a display, as a driver that ignores vertical
// sync does: the game notices within its first frames, caps itself at 60 frames a second (the
// offscreen display has no refresh rate) and says so in the log. Only the lower bound of the frame
// time is checked: a busy machine makes frames longer, never shorter than the cap.
TEST(FramePacingTest, AWindowWhoseVsyncDoesNotWaitIsCappedAtTheRefreshRate) {
  if (NoGlAllowed()) GTEST_SKIP() << "needs an OpenGL window";
  TempDir dir;
  std::string data = MakeDataDir(dir, "10");
  RunResult r = RunGame({"--windowed", "--size", "64x36", "--frames", "100", "--no-dialogs", "--data", data},
                        {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string log = ReadFile(UserFile(dir.path(), "output.log"));
  EXPECT_EQ(CountLines(log, "-INFO- Frame pacing: vertical sync does not wait; frames are capped at 60 per second"), 1)
      << log.substr(0, 600);
  // The last 50 frames' measured times average at least the period (less a millisecond's rounding).
  std::vector<double> times;
  std::istringstream in(log);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("-INFO- FrameTime ", 0) == 0) times.push_back(std::stod(line.substr(17)));
  }
  ASSERT_EQ(times.size(), 100u);
  double sum = 0.0;
  for (size_t i = 50; i < times.size(); ++i) sum += times[i];
  // FrameTime is clamped at 0.025 s, which only ever lowers the average.
  EXPECT_GE(sum / 50.0, 1.0 / 60.0 - 0.001);
}

// A fixed frame time asks for frames as fast as they come (tests, tools): no pacing then.
TEST(FramePacingTest, AFixedFrameTimeIsNotPaced) {
  if (NoGlAllowed()) GTEST_SKIP() << "needs an OpenGL window";
  TempDir dir;
  std::string data = MakeDataDir(dir, "10");
  RunResult r = RunGame({"--windowed", "--size", "64x36", "--frames", "40", "--fixed-dt", "0.02", "--no-dialogs",
                         "--data", data},
                        {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadFile(UserFile(dir.path(), "output.log")).find("Frame pacing"), std::string::npos);
}
