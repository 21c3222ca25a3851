// The built game driven by input scripts: scripted keys reach the game, runs repeat exactly, a
// recorded run replays to the same states, and a malformed script is refused before the first
// frame. The splash screens serve as the game under test: Enter skips them to the main menu.
#include <gtest/gtest.h>

#include <string>

#include "support/ScriptedGame.h"

using testing_support::ScriptedGame;
using testing_support::ScriptRun;

namespace {

constexpr int kMainMenuId = 4;
constexpr int kFirstSplashId = 1;

// Enter on the sixth frame skips the first splash screen.
const char* kSkipScript =
    "qinput 1\n"
    "# skip the first splash screen\n"
    "5\n"
    "1 ENTER\n";

TEST(InputScriptRunTest, ScriptedKeysReachTheGameAndTheRunGoesOnAfterTheScript) {
  ScriptedGame game;
  ScriptedGame::Options options;
  options.frames = 60;
  options.dumpAfter = {60};
  ScriptRun skipped = game.Run(kSkipScript, options);
  ASSERT_TRUE(skipped.Ok()) << skipped.Problems();
  ScriptRun idle = game.Run("qinput 1\n", options);
  ASSERT_TRUE(idle.Ok()) << idle.Problems();

  ASSERT_EQ(skipped.stateLog.size(), 60u);  // the six-frame script ran to --frames
  EXPECT_EQ(skipped.stateLog.back().frame, 60);
  EXPECT_EQ(skipped.dumps.at(60).scene.id, kMainMenuId);
  EXPECT_EQ(idle.dumps.at(60).scene.id, kFirstSplashId);
  // Up to the press both runs are the same game.
  for (int i = 0; i < 5; ++i) EXPECT_EQ(skipped.stateLog[i].hash, idle.stateLog[i].hash) << "frame " << i + 1;
}

TEST(InputScriptRunTest, TheSameScriptAndSeedGiveTheSameStateLogByteForByte) {
  ScriptedGame game;
  ScriptedGame::Options options;
  options.scene = 6;
  options.frames = 80;
  const std::string script = "qinput 1\n20 D\n10 D W\n5\ndt 0.016\n20 A RMB mouseworld=300,200\n5 ESCAPE\n";
  ScriptRun first = game.Run(script, options);
  ScriptRun second = game.Run(script, options);
  ASSERT_TRUE(first.Ok()) << first.Problems();
  ASSERT_TRUE(second.Ok()) << second.Problems();
  ASSERT_EQ(first.stateLog.size(), 80u);
  EXPECT_EQ(first.stateLogText, second.stateLogText);
  // The log follows the game: the level's clock alone changes the hash every frame.
  EXPECT_NE(first.stateLog[10].hash, first.stateLog[11].hash);
}

TEST(InputScriptRunTest, ScriptsPlayTheSameGameWithAndWithoutAWindow) {
  ScriptedGame game;
  // A small level keeps the software renderer quick; the wall stops the walk on the way up.
  game.SetLevel("level1.json",
                testing_support::TestLevel({testing_support::LevelObject("Player_1", "Player", 0, 0, 43, 116, "player.png"),
                                            testing_support::LevelObject("Wall_2", "Wall", 0, 150, 400, 50)}));
  ScriptedGame::Options options;
  options.scene = 6;
  options.frames = 60;
  const std::string script = "qinput 1\n10\n30 D W\n20 A\n";
  ScriptRun headless = game.Run(script, options);
  options.headless = false;
  ScriptRun windowed = game.Run(script, options);
  ASSERT_TRUE(headless.Ok()) << headless.Problems();
  ASSERT_TRUE(windowed.Ok()) << windowed.Problems();
  EXPECT_EQ(headless.stateLogText, windowed.stateLogText);
}

TEST(InputScriptRunTest, ARecordedRunReplaysToTheSameStateLog) {
  ScriptedGame game;
  ScriptedGame::Options options;
  options.frames = 50;
  options.record = true;
  ScriptRun original = game.Run("qinput 1\n3 D\n2\n1 ENTER mouse=320,100\ndt 0.02\n4 SPACE LMB\n", options);
  ASSERT_TRUE(original.Ok()) << original.Problems();
  // What was played, frame times included; everything is up once the script has ended.
  EXPECT_EQ(original.recorded,
            "qinput 1\n"
            "# recorded run of 50 frames\n"
            "dt 0.025\n"
            "3 D\n"
            "2\n"
            "1 ENTER mouse=320,100\n"
            "dt 0.02\n"
            "4 SPACE LMB mouse=320,100\n"
            "dt 0.025\n"
            "40 mouse=320,100\n");

  options.record = false;
  ScriptRun replay = game.Run(original.recorded, options);
  ASSERT_TRUE(replay.Ok()) << replay.Problems();
  EXPECT_EQ(replay.stateLogText, original.stateLogText);
  ScriptRun idle = game.Run("qinput 1\n", options);
  EXPECT_NE(idle.stateLogText, original.stateLogText);  // the replay carried the input
}

TEST(InputScriptRunTest, AMalformedScriptIsRefusedBeforeTheFirstFrame) {
  ScriptedGame game;
  ScriptRun run = game.Run("qinput 1\n10 D\n3 JUMP\n", ScriptedGame::Options{});
  EXPECT_EQ(run.process.exitCode, 2);
  EXPECT_NE(run.process.err.find("run1.qinput:3: unknown token 'JUMP'"), std::string::npos) << run.process.err;
  EXPECT_FALSE(testing_support::FileExists(game.File("state1.log")));  // no frame ran
}

}  // namespace
