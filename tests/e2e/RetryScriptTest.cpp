// Instant retry in the built game, driven by input scripts: R (or the pad's Back) starts the level
// again from its start, during play and while paused (from the game-over screen: GuardChaseTest).
// Frames are 0.025 s; the level is built at the end of frame 1 and a restart asked for in frame N is
// built in frame N+1.
#include <gtest/gtest.h>

#include <string>

#include "gameplay/BehaviorStates.h"
#include "support/ScriptedGame.h"

using namespace testing_support;

namespace {

// The level as it was built: clock near 0, player and food back at the start, one of each.
void ExpectFreshLevel(const ScriptRun& run, int frame) {
  const ObjectDump& dump = run.dumps.at(frame);
  EXPECT_EQ(dump.scene.id, kTestLevelId);
  EXPECT_LE(dump.scene.time, 0.05f);
  EXPECT_FALSE(dump.scene.paused);
  EXPECT_FALSE(dump.scene.gameOver);
  EXPECT_EQ(dump.scene.foodCount, 1);
  EXPECT_EQ(dump.CountType("Player"), 1);
  EXPECT_EQ(dump.CountType("Food"), 1);
  EXPECT_EQ(run.At(frame, "Player_1").x, 0.0f);
  EXPECT_EQ(run.At(frame, "Food_2").x, 0.0f);
  EXPECT_EQ(run.At(frame, "Food_2").y, 0.0f);
}

}  // namespace

TEST(RetryScriptTest, RetryInTheMiddleOfALevelWhilePausedAndWithThePadsBackButtonGivesAFreshLevel) {
  ScriptedGame game;
  const std::string script =
      "qinput 1\n"
      "3\n"
      "1 RMB\n"      // frame 4: pick the food up
      "30 D\n"       // frames 5-34: carry it east
      "1 R\n"        // frame 35: retry
      "5\n"
      "20 D\n"       // frames 41-60: walk
      "1 ESCAPE\n"   // frame 61: pause on the release in 62
      "5\n"
      "1 R\n"        // frame 67: retry from the pause
      "20 D\n"       // frames 68-87: walk again
      "1 PAD_BACK\n" // frame 88: retry with the pad
      "3\n";
  ScriptRun run =
      game.PlayLevel(TestLevel({PlayerObject(), FoodObject("Food_2")}), script, 91, {34, 36, 40, 66, 68, 87, 89});
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_EQ(run.At(34, "Player_1").state, player_state::kCarry);
  EXPECT_GT(run.At(34, "Food_2").x, 100.0f) << "the food went with the player";
  EXPECT_GT(run.dumps.at(34).scene.time, 0.8f);
  ExpectFreshLevel(run, 36);
  EXPECT_EQ(run.At(40, "Food_2").x, 0.0f) << "the food is not held any more";
  EXPECT_TRUE(run.dumps.at(66).scene.paused);
  ExpectFreshLevel(run, 68);
  EXPECT_GT(run.At(87, "Player_1").x, 100.0f) << "the retried level plays unpaused";
  ExpectFreshLevel(run, 89);
}
