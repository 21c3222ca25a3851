// The level rules in the built game, driven by input scripts on small levels of their own: food
// delivered to the goal opens the barrier, the player escapes through it and the end scene grades
// the run and shows its picture; thrown food shatters a glass pane and flies on, and a guard follows
// the player through the gap. Frames are 0.025 s; the level is built at the end of frame 1 and the player
// starts in frame 2.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>

#include "gameplay/BehaviorStates.h"
#include "scenes/SceneManager.h"
#include "support/ScriptedGame.h"

using namespace testing_support;

namespace {

constexpr int kGlassIntact = 2;
constexpr int kShattered = 3;
constexpr int kGuardSearching = human_state::kHalfAlert;  // following a route to where the player was seen

class LevelRulesScriptTest : public ScriptedGameTest {
 protected:
  ScriptRun Play(const std::string& level, const std::string& script, int frames, std::vector<int> dumps,
                 ScriptedGame::Options options = {}) {
    options.config = "10";  // the log file on, for the end scene's grade and the pane's message
    return game.PlayLevel(level, script, frames, std::move(dumps), options);
  }
  std::string Log() const { return ReadFile(game.UserFile("output.log")); }
};

// The end scene's backdrop: a night sky, dark blue at the top and warm at the horizon, with a
// moon in the upper right. The game-over screen is dark brown all over; a level has no such sky.
bool ShowsTheEndScene(const ScreenPicture& picture) {
  const Rgb moon = picture.Mean(0.80, 0.13, 0.84, 0.19);
  const Rgb top = picture.Mean(0.0, 0.0, 1.0, 0.1);
  const Rgb horizon = picture.Mean(0.0, 0.55, 1.0, 0.7);
  return (moon.r + moon.g + moon.b) / 3 > 70 && top.b - top.r >= 8 && horizon.r - horizon.b >= 15;
}

TEST_F(LevelRulesScriptTest, DeliverTheGoalWalkThroughTheOpenBarrierEscapeAndGetGraded) {
  // Food at the player's feet, the collection zone to the north, and east of the start a barrier and
  // an escape zone, both taller than the whole walk.
  const std::string level =
      TestLevel({PlayerObject(),
                 FoodObject("Food_2"),
                 LevelObject("Collection_3", "Collection", 0, 300, 200, 150, "collection.png"),
                 LevelObject("Escapebarrier_4", "Escapebarrier", 300, 0, 50, 1200, "vent.png"),
                 LevelObject("Escapezone_5", "Escapezone", 600, 0, 50, 1200, "vent.png")},
                1);
  const std::string script =
      "qinput 1\n"
      "3\n"
      "1 RMB\n"   // frame 4: pick up
      "60 W\n"    // frames 5-64: carry it into the collection zone
      "80 D\n";   // frames 65-144: east through the barrier to the escape zone
  // In a small window, for a picture of the level and of the end scene.
  ScriptedGame::Options windowed;
  windowed.extraArgs = {"--size", "320x180"};
  windowed.shotAfter = {64, 360};
  ScriptRun run = Play(level, script, 360, {64, 144, 360}, windowed);
  ASSERT_TRUE(run.Ok()) << run.Problems();

  const auto& delivered = run.dumps.at(64).scene;
  EXPECT_EQ(delivered.foodCollected, 1);
  EXPECT_TRUE(delivered.goalReached);
  EXPECT_FALSE(run.At(64, "Escapebarrier_4").visible);

  EXPECT_TRUE(run.dumps.at(144).scene.exitStarted);
  EXPECT_EQ(run.At(144, "Player_1").state, player_state::kEscape);
  EXPECT_GT(run.At(144, "Player_1").x, 300.0f) << "past the barrier";

  // 3 s of run-out and a 1 s fade later, the end scene.
  EXPECT_EQ(run.dumps.at(360).scene.id, scene_id::kEndScene);
  const std::string log = Log();
  std::smatch grade;
  ASSERT_TRUE(std::regex_search(
      log, grade, std::regex("End scene: base (\\d+:\\d\\d), food 1/1, modifier \\+0:00, total (\\d+:\\d\\d), rank s")))
      << log;
  EXPECT_EQ(grade[1], grade[2]) << "nothing left behind, nothing added";

  EXPECT_TRUE(ShowsTheEndScene(run.Shot(360)));
  EXPECT_FALSE(ShowsTheEndScene(run.Shot(64))) << "the level before it";

  // The game-over screen, on its own, does not pass for the end scene.
  ScriptedGame::Options over = ScriptedGame::From(scene_id::kGameOver, 50);
  over.extraArgs = windowed.extraArgs;
  over.shotAfter = {50};
  ScriptRun overRun = game.Run("qinput 1\n", over);
  ASSERT_TRUE(overRun.Ok()) << overRun.Problems();
  EXPECT_FALSE(ShowsTheEndScene(overRun.Shot(50)));
}

TEST_F(LevelRulesScriptTest, AGuardFollowsThePlayerThroughTheGapAThrownFoodBrokeInAPane) {
  // A wall across the whole grid at x = 1000 (faces at 975 and 1025) with one glass pane in it,
  // 200 high. The guard stands west of it; the player starts east with a food.
  constexpr float kWallWest = 975.0f, kWallEast = 1025.0f;
  const std::string level = TestLevel({
      LevelObject("Player_1", "Player", 1300, 1000, 43, 116, "player.png"),
      LevelObject("Food_2", "Food", 1300, 1000, 20, 20, "food.png"),
      LevelObject("Glass_3", "Glass", 1000, 1000, 25, 200, "glass.png"),
      LevelObject("Wall_4", "Wall", 1000, 2600, 50, 3000),
      LevelObject("Wall_5", "Wall", 1000, 350, 50, 1100),
      LevelObject("Enemy_6", "Enemy", 600, 1150, 60, 30, "enemy.png"),
  });
  const std::string script =
      "qinput 1\n"
      "3\n"
      "1 RMB\n"                    // frame 4: pick up
      "1 mouseworld=1000,1000\n"   // frame 5: aim west, at the pane
      "5 LMB\n"                    // frames 6-10: wind up
      "20\n"                       // frame 11: let go; the pane breaks
      "40 A\n"                    // west through the gap, into the guard's sight
      "60\n"
      "40 D\n"                    // back east
      "80 W\n"                    // and north, behind the wall and out of reach
      "300\n";
  const int frames = 510;
  ScriptRun run = Play(level, script, frames, FramesEvery(10, frames));
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_EQ(run.At(10, "Glass_3").state, kGlassIntact);
  EXPECT_EQ(run.At(30, "Glass_3").state, kShattered);
  EXPECT_NE(Log().find("Glass shattered"), std::string::npos);
  EXPECT_LT(run.At(80, "Food_2").x, kWallWest) << "the food flew on through the gap";
  // The guard noticed the player in the gap, lost it when it ran north behind the wall, searched
  // along a route to where it was last seen (east of the wall: only through the gap) and, finding
  // nobody, walked back to its post the same way.
  int searchedWest = 0, searchedEast = 0;
  float eastmost = 0.0f;
  for (const auto& [frame, dump] : run.dumps) {
    SCOPED_TRACE(testing::Message() << "frame " << frame);
    ASSERT_EQ(dump.scene.id, kTestLevelId) << "never caught";
    const DumpedObject* guard = dump.Find("Enemy_6");
    ASSERT_NE(guard, nullptr);
    eastmost = std::max(eastmost, guard->x);
    if (guard->state != kGuardSearching) continue;
    if (guard->x < kWallWest) searchedWest = searchedWest == 0 ? frame : searchedWest;
    if (guard->x > kWallEast && searchedWest != 0) searchedEast = searchedEast == 0 ? frame : searchedEast;
  }
  EXPECT_NE(searchedWest, 0) << "the search began west of the wall";
  EXPECT_NE(searchedEast, 0) << "and went on east of it";
  EXPECT_GT(eastmost, 1250.0f) << "as far as where the player was last seen";
  const DumpedObject& home = run.At(frames, "Enemy_6");
  EXPECT_LT(home.x, kWallWest) << "back at its post";
  EXPECT_EQ(home.state, human_state::kIdle);
}

TEST_F(LevelRulesScriptTest, APlayerInsideAKillZoneIsSentBackToo) {
  // The player starts inside a zone far larger than itself, touching none of its edges: the level
  // restarts every frame, so its clock never gets far.
  const std::string inside = TestLevel({PlayerObject(),
                                        LevelObject("Killzone_2", "Kill_zone", 0, 0, 400, 400, "killzone.png")});
  ScriptRun run = Play(inside, "qinput 1\n", 30, {30});
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_EQ(run.dumps.at(30).scene.id, kTestLevelId);
  EXPECT_LT(run.dumps.at(30).scene.time, 0.1f) << "0.75 s without a restart";
}

}  // namespace
