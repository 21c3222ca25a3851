// The guards in the built game, driven by input scripts on small levels of their own: a player who
// walks into a guard's cone is noticed, chased and caught, and the game-over screen follows until a
// retry; the same walk inside a vent goes unseen.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/ScriptedGame.h"

using testing_support::EnemyObject;
using testing_support::FileExists;
using testing_support::FoodObject;
using testing_support::kTestLevelId;
using testing_support::LevelObject;
using testing_support::PlayerObject;
using testing_support::ReadFile;
using testing_support::ScriptedGame;
using testing_support::ScriptRun;
using testing_support::TestLevel;

namespace {

constexpr int kGameOverId = 9;
constexpr int kGuardIdle = 2;
constexpr int kGuardChasing = 7;

// The guard stands at the origin facing +x; the player starts 200 units to its side, outside the
// cone, and the script walks it right for 16 frames, into the cone, then lets it stand.
const char* kWalkIntoView = "qinput 1\n16 D\n";

// R on the game-over screen (frame 401) then starts the lost level again from its start.
TEST(GuardChaseTest, APlayerWalkingIntoTheConeIsChasedCaughtAndTheGameIsOverUntilARetry) {
  ScriptedGame game;
  const int frames = 400;
  std::vector<int> dumps = testing_support::FramesEvery(20, frames);
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
  EXPECT_EQ(run.dumps.at(frames).scene.id, kGameOverId);
  const testing_support::ObjectDump& retried = run.dumps.at(frames + 2);
  EXPECT_EQ(retried.scene.id, kTestLevelId);
  EXPECT_LE(retried.scene.time, 0.05f);
  EXPECT_FALSE(retried.scene.gameOver);
  EXPECT_EQ(retried.CountType("Enemy"), 1);
  EXPECT_EQ(run.At(frames + 2, "Player_1").x, 0.0f);
  EXPECT_EQ(run.At(frames + 2, "Player_1").y, 200.0f);
  EXPECT_EQ(run.At(frames + 2, "Enemy_2").x, 0.0f);
}

TEST(GuardChaseTest, TheSameWalkInsideAVentIsNeverSeen) {
  ScriptedGame game;
  const int frames = 300;
  const std::string level = TestLevel(
      {PlayerObject(0, 200), LevelObject("Vent_3", "Vent", 150, 200, 400, 120, "vent.png"), EnemyObject("Enemy_2", 0, 0)});
  ScriptRun run = game.PlayLevel(level, kWalkIntoView, frames, testing_support::FramesEvery(20, frames));
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
TEST(GuardChaseTest, AThrownFoodStunsTheGuard) {
  ScriptedGame game;
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
      frames, testing_support::FramesEvery(1, frames));
  ASSERT_TRUE(run.Ok()) << run.Problems();

  constexpr int kGuardStunned = 6;
  constexpr int kPlayerCarrying = 3;
  bool carried = false;
  int stunnedAt = -1, wokeAt = -1;
  for (const auto& [frame, dump] : run.dumps) {
    const auto* player = dump.Find("Player_1");
    const auto* guard = dump.Find("Enemy_3");
    ASSERT_NE(player, nullptr) << "frame " << frame;
    ASSERT_NE(guard, nullptr) << "frame " << frame;
    carried = carried || player->state == kPlayerCarrying;
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

// The release build (when it has been built beside this one) plays the same chase to the same
// state, frame by frame.
TEST(GuardChaseTest, AChaseRunsTheSameInTheReleaseBuild) {
  const std::string release = testing_support::SourceDir() + "/build/release/quillmarch";
  if (!FileExists(release)) GTEST_SKIP() << "no release build at " << release;
  ScriptedGame game;
  const std::string script = "qinput 1\n16 D\n40\n30 A\n20 S\n40 D W\n";
  ScriptRun here = game.PlayLevel(
      TestLevel({PlayerObject(0, 200), EnemyObject("Enemy_2", 0, 0), LevelObject("Wall_3", "Wall", 300, 0, 40, 200)}),
      script, 300, {150});
  ASSERT_TRUE(here.Ok()) << here.Problems();
  ASSERT_EQ(here.dumps.at(150).Find("Enemy_2")->state, kGuardChasing);

  testing_support::WriteFile(game.File("chase.qinput"), script);
  const std::string command = release + " --headless --no-dialogs --data " + game.DataDir() +
                              " --scene 6 --frames 300 --fixed-dt 0.025 --seed 1 --input " + game.File("chase.qinput") +
                              " --state-log " + game.File("release.log") + " > " + game.File("release.out") + " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << ReadFile(game.File("release.out"));
  EXPECT_EQ(ReadFile(game.File("release.log")), here.stateLogText);
}

}  // namespace
