// The player in the built game, driven by input scripts on small levels of its own: walking through
// a vent with the camera behind, food from pick-up to landing, and a kill zone (Escape's pause is
// ControlsScriptTest's and PlayerTest's). Frames are 0.025 s; the level is built at the end of frame
// 1 and the player starts (Init) in frame 2.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "gameplay/BehaviorStates.h"
#include "support/ScriptedGame.h"

using namespace testing_support;
using namespace player_state;
using PlayerScriptTest = ScriptedGameTest;

TEST_F(PlayerScriptTest, FoodIsPickedUpCarriedThrownAndLands) {
  const std::string level = TestLevel({PlayerObject(), FoodObject("Food_2")});
  const std::string script =
      "qinput 1\n"
      "3\n"
      "1 RMB\n"                  // frame 4: pick up
      "20 D\n"                   // frames 5-24: carry it east
      "1 mouseworld=100,500\n"   // frame 25: aim north
      "5 LMB\n"                  // frames 26-30: wind up
      "1\n";                     // frame 31: release: throw in 32, launched in 33
  ScriptRun run = game.PlayLevel(level, script, 120, {24, 34, 120});
  ASSERT_TRUE(run.Ok()) << run.Problems();

  const DumpedObject& carrier = run.At(24, "Player_1");
  const DumpedObject& carried = run.At(24, "Food_2");
  EXPECT_EQ(carrier.state, kCarry);
  EXPECT_GT(carrier.x, 50.0f);
  EXPECT_NEAR(carried.x, carrier.x, 200.0f * 0.025f + 0.01f) << "the food goes where the player goes";

  const DumpedObject& flying = run.At(34, "Food_2");
  EXPECT_EQ(run.At(34, "Player_1").state, kWalk);
  EXPECT_GT(flying.vy, 800.0f) << "thrown north, near the food's speed limit of 1000";

  const DumpedObject& landed = run.At(120, "Food_2");
  EXPECT_EQ(landed.vx, 0.0f);
  EXPECT_EQ(landed.vy, 0.0f);
  EXPECT_GT(landed.y, carried.y + 300.0f);
}

TEST_F(PlayerScriptTest, WalkingThroughAVentSlowsThePlayerUntilItLeavesAndTheCameraFollows) {
  const std::string level =
      TestLevel({PlayerObject(), LevelObject("Vent_2", "Vent", 300, 0, 200, 200, "vent.png")});
  ScriptRun run = game.PlayLevel(level, "qinput 1\n2\n80 D\n20 W\n", 102, {2, 15, 35, 82, 102});
  ASSERT_TRUE(run.Ok()) << run.Problems();
  const DumpedObject& outside = run.At(15, "Player_1");
  const DumpedObject& inside = run.At(35, "Player_1");
  const DumpedObject& beyond = run.At(82, "Player_1");
  const DumpedObject& north = run.At(102, "Player_1");
  EXPECT_EQ(outside.state, kWalk);
  EXPECT_NEAR(outside.vx, 450.0f, 0.01f);
  EXPECT_EQ(inside.state, kVent);
  EXPECT_GT(inside.x, 200.0f);
  EXPECT_LT(inside.x, 400.0f);
  EXPECT_NEAR(inside.vx, 350.0f, 0.01f);
  EXPECT_GT(beyond.x, 400.0f);
  EXPECT_GT(beyond.x, run.At(2, "Player_1").x + 300.0f);
  EXPECT_EQ(beyond.state, kWalk);
  EXPECT_NEAR(beyond.vx, 450.0f, 0.01f);
  EXPECT_NEAR(beyond.rotation, -90.0f, 0.01f) << "faces where it walks";
  EXPECT_GT(north.y, beyond.y + 100.0f);
  // The camera sits where the player started the frame: at most one frame's walk behind.
  EXPECT_NEAR(run.dumps.at(82).cameraX, beyond.x, 450.0f * 0.025f + 0.01f);
  EXPECT_NEAR(run.dumps.at(102).cameraY, north.y, 450.0f * 0.025f + 0.01f);
}

TEST_F(PlayerScriptTest, TouchingAKillZoneRestartsTheLevel) {
  // Ten frames of D walk the player about 112 units, into the zone's edge at 105 (125 - radius 20).
  const std::string level =
      TestLevel({PlayerObject(), LevelObject("Killzone_2", "Kill_zone", 150, 0, 50, 50, "killzone.png")});
  ScriptRun run = game.PlayLevel(level, "qinput 1\n2\n10 D\n", 40, {10, 40});
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_GT(run.At(10, "Player_1").x, 60.0f);
  const ObjectDump& after = run.dumps.at(40);
  EXPECT_EQ(after.scene.id, kTestLevelId);
  EXPECT_LT(after.scene.time, 0.8f) << "the level's clock started again (1 s without a restart)";
  EXPECT_EQ(run.At(40, "Player_1").x, 0.0f) << "back at the start";
  EXPECT_EQ(after.CountType("Player"), 1);
}

// Walking north-east into a long wall on the east: the player leans on the wall and slides north
// along it at its walking speed, instead of standing frozen where it first touched the wall.
TEST_F(PlayerScriptTest, WalkingDiagonallyIntoAWallSlidesAlongIt) {
  const std::string level =
      TestLevel({PlayerObject(), LevelObject("Wall_2", "Wall", 200, 0, 100, 2000)});
  ScriptRun run = game.PlayLevel(level, "qinput 1\n2\n80 D W\n", 82, {30, 82});
  ASSERT_TRUE(run.Ok()) << run.Problems();
  const DumpedObject& leaning = run.At(30, "Player_1");
  const DumpedObject& later = run.At(82, "Player_1");
  EXPECT_GT(leaning.x, 100.0f) << "the player reached the wall";
  EXPECT_LT(later.x, 150.0f) << "the player stays out of the wall";
  EXPECT_NEAR(later.x, leaning.x, 2.0f) << "and leans on it";
  EXPECT_GT(later.y - leaning.y, 52 * 0.025f * 300.0f) << "sliding north along the wall, not stuck at y "
                                                        << leaning.y;
  EXPECT_GT(later.vy, 300.0f);
}
