// The level rules seen from outside, on small levels of their own: the end scene's picture after an
// escape (by a screenshot, beside its texts in the log), and a guard that goes through the gap a
// thrown food broke in a glass pane. Frames are 0.025 s; the level is built at the end of frame 1.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/ScreenPicture.h"
#include "support/ScriptedGame.h"

using testing_support::DumpedObject;
using testing_support::LevelObject;
using testing_support::LoadScreenPicture;
using testing_support::ReadFile;
using testing_support::Rgb;
using testing_support::ScreenPicture;
using testing_support::ScriptedGame;
using testing_support::ScriptRun;
using testing_support::TestLevel;

namespace {

constexpr int kLevelId = 6;
constexpr int kEndSceneId = 5;
constexpr int kGameOverId = 9;

constexpr int kGlassIntact = 2;
constexpr int kGlassShattered = 3;
constexpr int kGuardIdle = 2;
constexpr int kGuardSearching = 5;  // half alert, following a route to where the player was seen
// The wall's faces.
constexpr float kWallWest = 975.0f;
constexpr float kWallEast = 1025.0f;

const DumpedObject& At(const ScriptRun& run, int frame, const std::string& name) {
  static const DumpedObject missing;
  auto dump = run.dumps.find(frame);
  const DumpedObject* object = dump != run.dumps.end() ? dump->second.Find(name) : nullptr;
  if (object == nullptr) ADD_FAILURE() << name << " missing after frame " << frame;
  return object != nullptr ? *object : missing;
}

// The end scene's backdrop: a night sky, dark blue at the top and warm at the horizon, with a
// moon in the upper right. The game-over screen is dark brown all over; a level has no such sky.
bool ShowsTheEndScene(const ScreenPicture& picture) {
  const Rgb moon = picture.Mean(0.80, 0.13, 0.84, 0.19);
  const Rgb top = picture.Mean(0.0, 0.0, 1.0, 0.1);
  const Rgb horizon = picture.Mean(0.0, 0.55, 1.0, 0.7);
  return (moon.r + moon.g + moon.b) / 3 > 70 && top.b - top.r >= 8 && horizon.r - horizon.b >= 15;
}

std::vector<int> EveryTenFrames(int last) {
  std::vector<int> frames;
  for (int f = 10; f <= last; f += 10) frames.push_back(f);
  return frames;
}

TEST(LevelRulesRunTest, AGuardFollowsThePlayerThroughTheGapAThrownFoodBrokeInAPane) {
  // A wall across the whole grid at x = 1000 with one glass pane in it, 200 high. The guard stands
  // west of it; the player starts east with a food.
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
  ScriptedGame game;
  const int frames = 510;
  game.SetLevel("level1.json", level);
  ScriptedGame::Options options;
  options.scene = kLevelId;
  options.frames = frames;
  options.dumpAfter = EveryTenFrames(frames);
  ScriptRun run = game.Run(script, options);
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_EQ(At(run, 10, "Glass_3").state, kGlassIntact);
  EXPECT_EQ(At(run, 30, "Glass_3").state, kGlassShattered);
  // The guard noticed the player in the gap, lost it when it ran north behind the wall, searched
  // along a route to where it was last seen (east of the wall: only through the gap) and, finding
  // nobody, walked back to its post the same way.
  int searchedWest = 0, searchedEast = 0;
  float eastmost = 0.0f;
  for (const auto& [frame, dump] : run.dumps) {
    SCOPED_TRACE(testing::Message() << "frame " << frame);
    ASSERT_EQ(dump.scene.id, kLevelId) << "never caught";
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
  const DumpedObject& home = At(run, frames, "Enemy_6");
  EXPECT_LT(home.x, kWallWest) << "back at its post";
  EXPECT_EQ(home.state, kGuardIdle);
}

TEST(LevelRulesRunTest, TheEscapeEndsOnTheEndSceneShowingItsGradeAndItsPicture) {
  ScriptedGame game;
  game.SetLevel("level1.json",
                TestLevel({LevelObject("Player_1", "Player", 0, 0, 43, 116, "player.png"),
                           LevelObject("Food_2", "Food", 0, 0, 20, 20, "food.png"),
                           LevelObject("Collection_3", "Collection", 0, 300, 200, 150, "collection.png"),
                           LevelObject("Escapebarrier_4", "Escapebarrier", 300, 0, 50, 1200, "vent.png"),
                           LevelObject("Escapezone_5", "Escapezone", 600, 0, 50, 1200, "vent.png")},
                          1));
  const std::string script =
      "qinput 1\n"
      "3\n"
      "1 RMB\n"   // frame 4: pick up
      "60 W\n"    // frames 5-64: into the collection zone
      "80 D\n";   // frames 65-144: through the open barrier to the escape zone
  ScriptedGame::Options options;
  options.scene = kLevelId;
  options.frames = 360;
  options.headless = false;
  options.config = "10";  // the log file on, for the grade
  options.dumpAfter = {360};
  const std::string levelShot = game.File("level.png"), endShot = game.File("end.png");
  options.extraArgs = {"--size", "320x180", "--screenshot", "64:" + levelShot, "--screenshot", "360:" + endShot};
  ScriptRun run = game.Run(script, options);
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_EQ(run.dumps.at(360).scene.id, kEndSceneId);
  const std::string log = ReadFile(game.DataDir() + "/output.log");
  EXPECT_NE(log.find("End scene: base "), std::string::npos) << log;
  EXPECT_NE(log.find(", food 1/1, modifier +0:00, total "), std::string::npos) << log;
  EXPECT_NE(log.find(", rank s"), std::string::npos) << log;

  ScreenPicture level, end;
  ASSERT_TRUE(LoadScreenPicture(levelShot, &level));
  ASSERT_TRUE(LoadScreenPicture(endShot, &end));
  EXPECT_TRUE(ShowsTheEndScene(end));
  EXPECT_FALSE(ShowsTheEndScene(level)) << "the level before it";

  // The game-over screen, on its own, does not pass for the end scene.
  ScriptedGame::Options over;
  over.scene = kGameOverId;
  over.frames = 50;
  over.headless = false;
  const std::string overShot = game.File("over.png");
  over.extraArgs = {"--size", "320x180", "--screenshot", "50:" + overShot};
  ScriptRun overRun = game.Run("qinput 1\n", over);
  ASSERT_TRUE(overRun.Ok()) << overRun.Problems();
  ScreenPicture gameOver;
  ASSERT_TRUE(LoadScreenPicture(overShot, &gameOver));
  EXPECT_FALSE(ShowsTheEndScene(gameOver));
}

}  // namespace
