// `--scene ID` starts the game at that scene through the ordinary scene request, instead of the first
// splash screen. The runs are headless and read what the scene start built from the log.
#include <gtest/gtest.h>

#include <string>

#include "support/TestSupport.h"

using testing_support::CountLines;
using testing_support::MakeDataDir;
using testing_support::ReadFile;
using testing_support::RunGame;
using testing_support::TempDir;

namespace {

// The log of a short headless run with logging on and the editor off.
std::string RunAndReadLog(const std::vector<std::string>& extra) {
  TempDir dir;
  std::string data = MakeDataDir(dir, "10");
  std::vector<std::string> args = {"--headless", "--fixed-dt", "0.025", "--frames", "3", "--data", data};
  args.insert(args.end(), extra.begin(), extra.end());
  testing_support::RunResult run = RunGame(args);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  return ReadFile(dir.File("output.log"));
}

TEST(SceneStartTest, SceneOptionStartsTheLevelDirectly) {
  std::string log = RunAndReadLog({"--scene", "6"});
  EXPECT_EQ(CountLines(log, "-DEBUG- Player object created"), 1);
  EXPECT_EQ(CountLines(log, "-DEBUG- Enemy object created"), 1);
  EXPECT_EQ(CountLines(log, "-DEBUG- Transition object created"), 1);  // one scene start only
}

TEST(SceneStartTest, WithoutTheOptionOrWithAnUnknownIdTheFirstSplashStarts) {
  for (const std::vector<std::string>& extra : {std::vector<std::string>{}, std::vector<std::string>{"--scene", "42"}}) {
    std::string log = RunAndReadLog(extra);
    EXPECT_EQ(CountLines(log, "-DEBUG- Background object created"), 1);
    EXPECT_EQ(log.find("Player object created"), std::string::npos);
    EXPECT_EQ(CountLines(log, "-DEBUG- Transition object created"), 1);
  }
}

}  // namespace
