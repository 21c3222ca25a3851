// The guards in the built game, driven by input scripts on small levels of their own: a player who
// walks into a guard's cone is noticed, chased and caught, and the game-over screen follows until a
// retry; the same walk inside a vent goes unseen. A pane of glass lets a guard see but not pass,
// and a guard that lost the player finds its way home from anywhere.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "gameplay/BehaviorStates.h"
#include "scenes/SceneManager.h"
#include "support/ScriptedGame.h"

using namespace testing_support;
using GuardChaseTest = ScriptedGameTest;

namespace {

constexpr int kGuardIdle = human_state::kIdle, kGuardChasing = human_state::kFullAlert;
constexpr int kGuardHalfAlert = human_state::kHalfAlert, kGuardStunned = human_state::kStun;

// The guard stands at the origin facing +x; the player starts 200 units to its side, outside the
// cone, and the script walks it right for 16 frames, into the cone, then lets it stand.
const char* kWalkIntoView = "qinput 1\n16 D\n";

// R on the game-over screen (frame 401) then starts the lost level again from its start.
TEST_F(GuardChaseTest, APlayerWalkingIntoTheConeIsChasedCaughtAndTheGameIsOverUntilARetry) {
  const int frames = 400;
  std::vector<int> dumps = FramesEvery(20, frames);
  dumps.push_back(frames + 2);
  ScriptRun run = game.PlayLevel(TestLevel({PlayerObject(0, 200), EnemyObject("Enemy_2", 0, 0)}),
                                 std::string(kWalkIntoView) + "384\n1 R\n2\n", frames + 2, dumps);
  ASSERT_TRUE(run.Ok()) << run.Problems();

  bool chased = false;
  int caughtAt = -1;
  for (const auto& [frame, dump] : run.dumps) {
    if (dump.scene.id != kTestLevelId) continue;
    const auto* guard = dump.Find("Enemy_2");
    ASSERT_NE(guard, nullptr) << "frame " << frame;
    chased = chased || guard->state == kGuardChasing;
    if (dump.scene.gameOver && caughtAt < 0) caughtAt = frame;
  }
  EXPECT_TRUE(chased);
  ASSERT_GT(caughtAt, 0) << "never caught";
  // Noticed (about a second), grace (two seconds) and the run: caught within about five seconds.
  EXPECT_LT(caughtAt, 240);
  EXPECT_EQ(run.dumps.at(frames).scene.id, scene_id::kGameOver);
  const ObjectDump& retried = run.dumps.at(frames + 2);
  EXPECT_EQ(retried.scene.id, kTestLevelId);
  EXPECT_LE(retried.scene.time, 0.05f);
  EXPECT_FALSE(retried.scene.gameOver);
  EXPECT_EQ(retried.CountType("Enemy"), 1);
  EXPECT_EQ(run.At(frames + 2, "Player_1").x, 0.0f);
  EXPECT_EQ(run.At(frames + 2, "Player_1").y, 200.0f);
  EXPECT_EQ(run.At(frames + 2, "Enemy_2").x, 0.0f);
}

TEST_F(GuardChaseTest, TheSameWalkInsideAVentIsNeverSeen) {
  const int frames = 300;
  const std::string level = TestLevel(
      {PlayerObject(0, 200), LevelObject("Vent_3", "Vent", 150, 200, 400, 120, "vent.png"), EnemyObject("Enemy_2", 0, 0)});
  ScriptRun run = game.PlayLevel(level, kWalkIntoView, frames, FramesEvery(20, frames));
  ASSERT_TRUE(run.Ok()) << run.Problems();
  for (const auto& [frame, dump] : run.dumps) {
    SCOPED_TRACE("frame " + std::to_string(frame));
    EXPECT_EQ(dump.scene.id, kTestLevelId);
    EXPECT_FALSE(dump.scene.gameOver);
    const auto* guard = dump.Find("Enemy_2");
    ASSERT_NE(guard, nullptr);
    EXPECT_EQ(guard->state, kGuardIdle);
  }
  // The walk did take the player into the cone.
  const auto* player = run.dumps.at(frames).Find("Player_1");
  ASSERT_NE(player, nullptr);
  EXPECT_GT(player->x, 120.0f);
}

// The player picks up the food at its feet, winds up aiming at the guard and throws: the food
// hits the guard at speed, the guard is stunned and stands still, then wakes up.
TEST_F(GuardChaseTest, AThrownFoodStunsTheGuard) {
  const std::string script =
      "qinput 1\n"
      "3 mouseworld=0,0\n"
      "1 RMB mouseworld=0,0\n"
      "3 mouseworld=0,0\n"
      "6 LMB mouseworld=0,0\n"
      "1 mouseworld=0,0\n";
  const int frames = 200;
  ScriptRun run = game.PlayLevel(
      TestLevel({PlayerObject(0, -220), FoodObject("Food_2", 0, -220), EnemyObject("Enemy_3", 0, 0)}), script,
      frames, FramesEvery(1, frames));
  ASSERT_TRUE(run.Ok()) << run.Problems();

  bool carried = false;
  int stunnedAt = -1, wokeAt = -1;
  for (const auto& [frame, dump] : run.dumps) {
    const auto* player = dump.Find("Player_1");
    const auto* guard = dump.Find("Enemy_3");
    ASSERT_NE(player, nullptr) << "frame " << frame;
    ASSERT_NE(guard, nullptr) << "frame " << frame;
    carried = carried || player->state == player_state::kCarry;
    if (guard->state == kGuardStunned) {
      if (stunnedAt < 0) stunnedAt = frame;
      // A stunned guard stops where it stands.
      if (frame > stunnedAt + 5) {
        EXPECT_NEAR(std::hypot(guard->vx, guard->vy), 0.0f, 1.0f) << "frame " << frame;
      }
    } else if (stunnedAt > 0 && wokeAt < 0) {
      wokeAt = frame;
    }
  }
  EXPECT_TRUE(carried) << "the food was never picked up";
  ASSERT_GT(stunnedAt, 0) << "the guard was never stunned";
  EXPECT_LT(stunnedAt, 40);
  // The stun lasts its two seconds (80 frames of 0.025 s), give or take the frame it began.
  ASSERT_GT(wokeAt, 0) << "the guard never woke up";
  EXPECT_NEAR(wokeAt - stunnedAt, 80, 2);
  EXPECT_FALSE(run.dumps.at(frames).scene.gameOver);
}

// A guard record whose patrol path starts at `firstNode`, and a patrol node.
std::string PatrollingEnemy(const std::string& id, float x, float y, const std::string& firstNode) {
  std::string record = EnemyObject(id, x, y);
  return record.substr(0, record.rfind('}')) + "\"NextID\":\"" + firstNode + "\",\n\t\t\t}";
}
std::string Node(const std::string& id, float x, float y) {
  return LevelObject(id, "Node", x, y, 20, 20, "patrolPoint.png");
}

// The guard's state after every frame of a run dumped on every frame (-1 where it had none).
std::vector<int> GuardStates(const ScriptRun& run, const std::string& guard, int frames) {
  std::vector<int> states;
  for (int frame = 1; frame <= frames; ++frame) {
    auto dump = run.dumps.find(frame);
    const DumpedObject* g = dump != run.dumps.end() ? dump->second.Find(guard) : nullptr;
    states.push_back(g != nullptr && g->state.has_value() ? *g->state : -1);
  }
  return states;
}

// The player stands behind a pane set in a wall, with a way round the wall's far end. The guard
// patrols a one-node path on its own spot, facing the pane: it sees the player only through the
// glass, fills its meter, and goes round to where the player stands instead of switching between
// searching and chasing every frame on the spot. Only round the wall, seeing the player plainly,
// does it give chase.
std::string PaneInAWall() {
  return TestLevel({PlayerObject(700, 600), PatrollingEnemy("Enemy_2", 300, 600, "Node_3"), Node("Node_3", 300, 600),
                    LevelObject("Glass_4", "Glass", 500, 600, 25, 100, "glass.png"),
                    LevelObject("Wall_5", "Wall", 500, 850, 25, 400), LevelObject("Wall_6", "Wall", 500, 350, 25, 400)});
}

TEST_F(GuardChaseTest, AGuardThatSeesThePlayerOnlyThroughGlassGoesRoundThePaneWithoutFlickering) {
  // The states of the first 300 frames; the run goes on to the catch.
  const int watched = 300, frames = 400;
  ScriptRun run = game.PlayLevel(PaneInAWall(), "qinput 1\n", frames, FramesEvery(1, frames));
  ASSERT_TRUE(run.Ok()) << run.Problems();
  const std::vector<int> states = GuardStates(run, "Enemy_2", watched);

  int switches = 0;
  std::string trace;
  for (int i = 1; i < watched; ++i) {
    if (states[i] != states[i - 1] && ++switches <= 20) {
      trace += ' ';
      trace += std::to_string(i + 1) + ":" + std::to_string(states[i]);
    }
  }
  for (int i = 2; i < watched; ++i) {
    ASSERT_FALSE(states[i - 2] == kGuardHalfAlert && states[i - 1] == kGuardChasing && states[i] == kGuardHalfAlert)
        << "searching and chasing in turn on frame " << i + 1 << "; states:" << trace;
  }
  EXPECT_LT(switches, 6) << trace;
  // It searched, went round the wall's end and only then gave chase.
  int searchedAt = -1, chasedAt = -1;
  for (int i = 0; i < watched; ++i) {
    if (searchedAt < 0 && states[i] == kGuardHalfAlert) searchedAt = i + 1;
    if (chasedAt < 0 && states[i] == kGuardChasing) chasedAt = i + 1;
  }
  ASSERT_GT(searchedAt, 0) << trace;
  ASSERT_GT(chasedAt, searchedAt) << "the guard never came round to see the player plainly; states:" << trace;
  float farthestUp = 0.0f;
  for (int frame = searchedAt; frame < chasedAt; ++frame) farthestUp = std::max(farthestUp, run.At(frame, "Enemy_2").y);
  EXPECT_GT(farthestUp, 1050.0f) << "the wall ends at y 1050";
  EXPECT_GT(run.At(chasedAt, "Enemy_2").x, 500.0f) << "the chase began on the player's side of the wall";

  // Round the wall's end the search brushed past the wall, so the guard's body still overlaps the
  // wall's corner as the chase begins: it gets off the corner and catches the player instead of
  // pushing at the wall for as long as the player stays in view.
  std::string last;
  for (const auto& [frame, dump] : run.dumps) {
    if (const auto* guard = dump.Find("Enemy_2")) {
      last = std::to_string(guard->x) + "," + std::to_string(guard->y) + " in state " + std::to_string(guard->state.value_or(-1));
    }
  }
  EXPECT_GT(run.FirstDump([](const ObjectDump& dump) { return dump.scene.gameOver; }), 0)
      << "the guard stands at " << last;
}

// The player stands in a closed room whose one window is a thin pane, right behind it, so close that
// the guard outside notices it without looking. The guard walks at the player while it makes up
// its mind, and the pane stops it as a wall would: it never gets through and never catches.
TEST_F(GuardChaseTest, AnIntactPaneStopsAGuardAsAWallDoes) {
  const int frames = 400;
  const std::string level = TestLevel({PlayerObject(357, 600), EnemyObject("Enemy_2", 290, 600),
                                       LevelObject("Glass_3", "Glass", 330, 600, 10, 100, "glass.png"),
                                       LevelObject("Wall_4", "Wall", 460, 662.5f, 250, 25),
                                       LevelObject("Wall_5", "Wall", 460, 537.5f, 250, 25),
                                       LevelObject("Wall_6", "Wall", 597.5f, 600, 25, 150)});
  ScriptRun run = game.PlayLevel(level, "qinput 1\n", frames, FramesEvery(5, frames));
  ASSERT_TRUE(run.Ok()) << run.Problems();
  bool walkedAtIt = false;
  for (const auto& [frame, dump] : run.dumps) {
    SCOPED_TRACE("frame " + std::to_string(frame));
    ASSERT_EQ(dump.scene.id, kTestLevelId);
    const auto* guard = dump.Find("Enemy_2");
    ASSERT_NE(guard, nullptr);
    // The pane's near face is at x = 325 and the guard's body 30 units round.
    ASSERT_LT(guard->x, 325.0f - 30.0f + 1.0f) << "the guard's body went into the pane";
    walkedAtIt = walkedAtIt || guard->x > 291.0f;
    ASSERT_FALSE(dump.scene.gameOver);
  }
  EXPECT_TRUE(walkedAtIt) << "the guard should have walked up to the pane";
}

// The guard's post lies outside the path grid (left of it), so no way back can be planned there. The
// player is noticed, runs into a vent far off and stays there: the guard gives up and walks
// straight back to its post instead of standing where it lost the player for good.
TEST_F(GuardChaseTest, AGuardWhoseWayBackCannotBePlannedStillWalksHome) {
  const int frames = 400;
  const std::string level = TestLevel({PlayerObject(-150, 1000), EnemyObject("Enemy_2", -400, 1000),
                                       LevelObject("Vent_3", "Vent", 300, 1000, 120, 120, "vent.png")});
  ScriptRun run = game.PlayLevel(level, "qinput 1\n50\n40 D\n", frames, FramesEvery(10, frames));
  ASSERT_TRUE(run.Ok()) << run.Problems();
  bool left = false;
  for (const auto& [frame, dump] : run.dumps) {
    const auto* guard = dump.Find("Enemy_2");
    ASSERT_NE(guard, nullptr);
    left = left || guard->x > -330.0f;
    EXPECT_FALSE(dump.scene.gameOver) << "frame " << frame;
  }
  ASSERT_TRUE(left) << "the guard should have gone after the player";
  const DumpedObject& guard = run.At(frames, "Enemy_2");
  EXPECT_EQ(guard.state, kGuardIdle);
  EXPECT_NEAR(guard.x, -400.0f, 15.0f);
  EXPECT_NEAR(guard.y, 1000.0f, 15.0f);
  EXPECT_NEAR(run.At(frames, "Player_1").x, 300.0f, 60.0f) << "the player should be in the vent";
}

// The release build (when it has been built beside this one) plays the same chase to the same
// state, frame by frame. Windowed as ScriptedGame runs it: the screen's size places the menus.
TEST_F(GuardChaseTest, AChaseRunsTheSameInTheReleaseBuild) {
  const std::string release = SourceDir() + "/build/release/quillmarch";
  if (!FileExists(release)) GTEST_SKIP() << "no release build at " << release;
  const std::string script = "qinput 1\n16 D\n40\n30 A\n20 S\n40 D W\n";
  ScriptRun here = game.PlayLevel(
      TestLevel({PlayerObject(0, 200), EnemyObject("Enemy_2", 0, 0), LevelObject("Wall_3", "Wall", 300, 0, 40, 200)}),
      script, 300, {150});
  ASSERT_TRUE(here.Ok()) << here.Problems();
  ASSERT_EQ(here.dumps.at(150).Find("Enemy_2")->state, kGuardChasing);

  WriteFile(game.File("chase.qinput"), script);
  const std::string command = release + " --headless --windowed --no-dialogs --data " + game.DataDir() +
                              " --scene 6 --frames 300 --fixed-dt 0.025 --seed 1 --input " + game.File("chase.qinput") +
                              " --state-log " + game.File("release.log") + " > " + game.File("release.out") + " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << ReadFile(game.File("release.out"));
  EXPECT_EQ(ReadFile(game.File("release.log")), here.stateLogText);
}

}  // namespace
