// The key bindings in the built game: a throw key chosen in the settings file throws (and the mouse
// button it replaced does not), and a damaged settings file leaves the shipped controls in force with
// a line in the log saying why. Frames are 0.025 s; the level is built at the end of frame 1.
#include <gtest/gtest.h>

#include <string>

#include "support/ScriptedGame.h"

using testing_support::FoodObject;
using testing_support::PlayerObject;
using testing_support::ReadFile;
using testing_support::ScriptedGame;
using testing_support::ScriptRun;
using testing_support::TestLevel;
using testing_support::WriteFile;

namespace {

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
  ScriptedGame::Options options;
  options.config = config;
  return game.PlayLevel(TestLevel({PlayerObject(), FoodObject("Food_2")}), script, 40, {14, 40}, options);
}

}  // namespace

TEST(ControlsScriptTest, ARemappedThrowKeyThrowsAndTheOldButtonNoLongerDoes) {
  ScriptedGame game;
  WriteFile(game.File("Settings.lullwick"), "fullscreen = false\nkey_throw = SPACE\n");
  ScriptRun thrown = PlayThrow(game, ThrowWith("SPACE"));
  ASSERT_TRUE(thrown.Ok()) << thrown.Problems();
  EXPECT_GT(thrown.At(14, "Food_2").vy, 500.0f) << "thrown north";
  EXPECT_GT(thrown.At(40, "Food_2").y, 200.0f);

  ScriptRun held = PlayThrow(game, ThrowWith("LMB"));
  ASSERT_TRUE(held.Ok()) << held.Problems();
  EXPECT_EQ(held.dumps.at(40).Find("Player_1")->state, kCarry) << "the left button only aims now";
  EXPECT_NEAR(held.At(40, "Food_2").y, 0.0f, 1.0f);
}

TEST(ControlsScriptTest, ADamagedSettingsFileKeepsTheShippedControlsAndSaysSoInTheLog) {
  ScriptedGame game;
  WriteFile(game.File("Settings.lullwick"), "key_throw = \x01\x02garbage\nkey_pickup RMB\n");
  ScriptRun run = PlayThrow(game, ThrowWith("LMB"), "10");
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_GT(run.At(14, "Food_2").vy, 500.0f) << "the left mouse button still throws";
  const std::string log = ReadFile(game.File("output.log"));
  EXPECT_NE(log.find("Settings file"), std::string::npos) << log;
  EXPECT_NE(log.find("default"), std::string::npos) << log;
}
