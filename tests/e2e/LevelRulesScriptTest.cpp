// The level rules in the built game, driven by input scripts on small levels of their own: food
// delivered to the goal opens the barrier, the player escapes through it and the end scene grades
// the run; thrown food shatters a glass pane. Frames are 0.025 s; the level is built at the end of
// frame 1 and the player starts in frame 2.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "support/ScriptedGame.h"
#include "support/TestSupport.h"

using testing_support::FoodObject;
using testing_support::kTestLevelId;
using testing_support::LevelObject;
using testing_support::PlayerObject;
using testing_support::ReadFile;
using testing_support::ScriptedGame;
using testing_support::ScriptRun;
using testing_support::TestLevel;

namespace {

constexpr int kEndSceneId = 5;
constexpr int kEscape = 10;
constexpr int kShattered = 3;

class LevelRulesScriptTest : public ::testing::Test {
 protected:
  ScriptRun Play(const std::string& level, const std::string& script, int frames, std::vector<int> dumps) {
    ScriptedGame::Options options;
    options.config = "10";  // the log file on, for the end scene's grade
    return game.PlayLevel(level, script, frames, std::move(dumps), options);
  }
  ScriptedGame game;
};

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
  ScriptRun run = Play(level, script, 360, {64, 144, 360});
  ASSERT_TRUE(run.Ok()) << run.Problems();

  const auto& delivered = run.dumps.at(64).scene;
  EXPECT_EQ(delivered.foodCollected, 1);
  EXPECT_TRUE(delivered.goalReached);
  EXPECT_FALSE(run.At(64, "Escapebarrier_4").visible);

  EXPECT_TRUE(run.dumps.at(144).scene.exitStarted);
  EXPECT_EQ(run.At(144, "Player_1").state, kEscape);
  EXPECT_GT(run.At(144, "Player_1").x, 300.0f) << "past the barrier";

  // 3 s of run-out and a 1 s fade later, the end scene.
  EXPECT_EQ(run.dumps.at(360).scene.id, kEndSceneId);
  const std::string log = ReadFile(game.DataDir() + "/output.log");
  std::smatch grade;
  ASSERT_TRUE(std::regex_search(
      log, grade, std::regex("End scene: base (\\d+:\\d\\d), food 1/1, modifier \\+0:00, total (\\d+:\\d\\d), rank s")))
      << log;
  EXPECT_EQ(grade[1], grade[2]) << "nothing left behind, nothing added";
}

TEST_F(LevelRulesScriptTest, ThrownFoodShattersAGlassPane) {
  // A pane lying across the way north, turned a quarter.
  std::string glass = LevelObject("Glass_3", "Glass", 0, 300, 25, 200, "glass.png");
  glass.replace(glass.find("\"Rotation\":\"0\""), 14, "\"Rotation\":\"90\"");
  const std::string level = TestLevel({PlayerObject(),
                                       FoodObject("Food_2"), glass});
  const std::string script =
      "qinput 1\n"
      "3\n"
      "1 RMB\n"                   // frame 4: pick up
      "1 mouseworld=0,600\n"      // frame 5: aim north
      "5 LMB\n"                   // frames 6-10: wind up
      "1\n";                      // frame 11: release: launched two frames later
  ScriptRun run = Play(level, script, 80, {10, 80});
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_NE(run.At(10, "Glass_3").state, kShattered);
  EXPECT_EQ(run.At(80, "Glass_3").state, kShattered);
  EXPECT_GT(run.At(80, "Food_2").y, 300.0f) << "the food flew on through the gap";
  EXPECT_NE(ReadFile(game.DataDir() + "/output.log").find("Glass shattered"), std::string::npos);
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
