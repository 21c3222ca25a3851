// The built game driven by input scripts: scripted keys reach the game, runs repeat exactly, a
// recorded run replays to the same states, and a malformed script is refused before the first
// frame. The splash screens serve as the game under test: Enter skips them to the main menu.
#include <gtest/gtest.h>

#include <string>

#include "scenes/SceneManager.h"
#include "support/ScriptedGame.h"

using namespace testing_support;
using InputScriptRunTest = ScriptedGameTest;

namespace {

constexpr int kMainMenuId = scene_id::kMainMenu;
constexpr int kFirstSplashId = scene_id::kSplashCorvan;

// Two runs of the same script and seed, one headless and one in a window, give the same state log
// byte for byte.
TEST_F(InputScriptRunTest, TheSameScriptAndSeedGiveTheSameStateLogWithAndWithoutAWindow) {
  // A small level keeps the software renderer quick; the wall stops the walk on the way up.
  game.SetLevel("level1.json",
                TestLevel({LevelObject("Player_1", "Player", 0, 0, 43, 116, "player.png"),
                                            LevelObject("Wall_2", "Wall", 0, 150, 400, 50)}));
  ScriptedGame::Options options = ScriptedGame::From(6, 80);
  const std::string script = "qinput 1\n20 D\n10 D W\n5\ndt 0.016\n20 A RMB mouseworld=300,200\n5 ESCAPE\n";
  ScriptRun headless = game.Run(script, options);
  options.headless = false;
  ScriptRun windowed = game.Run(script, options);
  ASSERT_TRUE(headless.Ok()) << headless.Problems();
  ASSERT_TRUE(windowed.Ok()) << windowed.Problems();
  ASSERT_EQ(headless.stateLog.size(), 80u);
  EXPECT_EQ(headless.stateLogText, windowed.stateLogText);
  // The log follows the game: the level's clock alone changes the hash every frame.
  EXPECT_NE(headless.stateLog[10].hash, headless.stateLog[11].hash);
}

// Enter on the sixth frame skips the first splash screen; the recording plays back to the same game.
TEST_F(InputScriptRunTest, ScriptedKeysReachTheGameAndARecordedRunReplaysToTheSameStateLog) {
  ScriptedGame::Options options;
  options.frames = 50;
  options.record = true;
  options.dumpAfter = {50};
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
  ASSERT_EQ(original.stateLog.size(), 50u);  // the ten-frame script ran to --frames
  EXPECT_EQ(original.dumps.at(50).scene.id, kMainMenuId);

  options.record = false;
  ScriptRun replay = game.Run(original.recorded, options);
  ASSERT_TRUE(replay.Ok()) << replay.Problems();
  EXPECT_EQ(replay.stateLogText, original.stateLogText);
  ScriptRun idle = game.Run("qinput 1\n", options);
  ASSERT_TRUE(idle.Ok()) << idle.Problems();
  EXPECT_EQ(idle.dumps.at(50).scene.id, kFirstSplashId);
  // Up to the press both runs are the same game; then the replay carried the input.
  for (int i = 0; i < 5; ++i) EXPECT_EQ(original.stateLog[i].hash, idle.stateLog[i].hash) << "frame " << i + 1;
  EXPECT_NE(idle.stateLogText, original.stateLogText);
}

TEST_F(InputScriptRunTest, AMalformedScriptIsRefusedBeforeTheFirstFrame) {
  ScriptRun run = game.Run("qinput 1\n10 D\n3 JUMP\n", ScriptedGame::Options{});
  EXPECT_EQ(run.process.exitCode, 2);
  EXPECT_NE(run.process.err.find("run1.qinput:3: unknown token 'JUMP'"), std::string::npos) << run.process.err;
  EXPECT_FALSE(FileExists(game.File("state1.log")));  // no frame ran
}

}  // namespace
