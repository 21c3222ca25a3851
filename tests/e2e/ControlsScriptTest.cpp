// The key bindings in the built game: a throw key chosen in the settings file throws (and the mouse
// button it replaced does not), and a damaged settings file leaves the shipped controls in force with
// a line in the log saying why. Frames are 0.025 s; the level is built at the end of frame 1.
#include <gtest/gtest.h>

#include <string>

#include "support/ScriptedGame.h"

using testing_support::DumpedObject;
using testing_support::LevelObject;
using testing_support::ReadFile;
using testing_support::ScriptedGame;
using testing_support::ScriptRun;
using testing_support::TestLevel;
using testing_support::WriteFile;

namespace {

constexpr int kLevelId = 6;
constexpr int kCarry = 3;

// Picks the food up in frame 4, aims north, winds up with `throwKey` for frames 6-10 and lets go in
// frame 11.
std::string ThrowWith(const std::string& throwKey) {
  return "qinput 1\n"
         "3\n"
         "1 RMB\n"
         "1 mouseworld=0,500\n"
         "5 " + throwKey + "\n"
         "30\n";
}

ScriptRun PlayThrow(ScriptedGame& game, const std::string& script, const std::string& config = "00") {
  game.SetLevel("level1.json", TestLevel({LevelObject("Player_1", "Player", 0, 0, 43, 116, "player.png"),
                                          LevelObject("Food_2", "Food", 0, 0, 20, 20, "food.png")}));
  ScriptedGame::Options options;
  options.scene = kLevelId;
  options.frames = 40;
  options.dumpAfter = {14, 40};
  options.config = config;
  return game.Run(script, options);
}

const DumpedObject& Food(const ScriptRun& run, int frame) {
  static const DumpedObject missing;
  const DumpedObject* food = run.dumps.count(frame) != 0 ? run.dumps.at(frame).Find("Food_2") : nullptr;
  if (food == nullptr) ADD_FAILURE() << "no food after frame " << frame;
  return food != nullptr ? *food : missing;
}

}  // namespace

TEST(ControlsScriptTest, ARemappedThrowKeyThrowsAndTheOldButtonNoLongerDoes) {
  ScriptedGame game;
  WriteFile(game.File("Settings.lullwick"), "fullscreen = false\nkey_throw = SPACE\n");
  ScriptRun thrown = PlayThrow(game, ThrowWith("SPACE"));
  ASSERT_TRUE(thrown.Ok()) << thrown.Problems();
  EXPECT_GT(Food(thrown, 14).vy, 500.0f) << "thrown north";
  EXPECT_GT(Food(thrown, 40).y, 200.0f);

  ScriptRun held = PlayThrow(game, ThrowWith("LMB"));
  ASSERT_TRUE(held.Ok()) << held.Problems();
  EXPECT_EQ(held.dumps.at(40).Find("Player_1")->state, kCarry) << "the left button only aims now";
  EXPECT_NEAR(Food(held, 40).y, 0.0f, 1.0f);
}

TEST(ControlsScriptTest, ADamagedSettingsFileKeepsTheShippedControlsAndSaysSoInTheLog) {
  ScriptedGame game;
  WriteFile(game.File("Settings.lullwick"), "key_throw = \x01\x02garbage\nkey_pickup RMB\n");
  ScriptRun run = PlayThrow(game, ThrowWith("LMB"), "10");
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_GT(Food(run, 14).vy, 500.0f) << "the left mouse button still throws";
  const std::string log = ReadFile(game.File("output.log"));
  EXPECT_NE(log.find("Settings file"), std::string::npos) << log;
  EXPECT_NE(log.find("default"), std::string::npos) << log;
}
