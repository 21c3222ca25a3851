// The sounds of a level in the built game: objects of one kind share their sound names, so a level
// that ends or restarts, a run that quits in the middle of a chase and an editor play-test must
// leave the audio layer nothing to complain about. Every failed audio call prints an
// "Audio Error! " line on standard output; none may appear.
#include <gtest/gtest.h>

#include <string>

#include "gameplay/BehaviorStates.h"
#include "support/ScriptedGame.h"

using namespace testing_support;
using LevelSoundsTest = ScriptedGameTest;

namespace {

int AudioErrors(const std::string& out) {
  int lines = 0;
  for (size_t at = out.find("Audio Error!"); at != std::string::npos; at = out.find("Audio Error!", at + 1)) ++lines;
  return lines;
}

// Two of every object that carries sounds, well away from the player.
std::string TwoOfEachKind() {
  return TestLevel({PlayerObject(0, 0), FoodObject("Food_2", 400, 400), FoodObject("Food_3", 450, 400),
                    EnemyObject("Enemy_4", -600, 600), EnemyObject("Enemy_5", -600, -600),
                    LevelObject("Glass_6", "Glass", 600, -300, 25, 100, "glass.png"),
                    LevelObject("Glass_7", "Glass", 700, -300, 25, 100, "glass.png")});
}

// R restarts the level: every object goes and comes back. The first food, guard and pane to go
// must not take the shared names from the others (each second one then had nothing to unload).
TEST_F(LevelSoundsTest, ARestartedLevelUnloadsEachSharedSoundNameOnceAndPrintsNoAudioError) {
  ScriptRun run = game.PlayLevel(TwoOfEachKind(), "qinput 1\n20\n1 R\n20\n1 R\n20\n", 70, {70});
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_EQ(run.dumps.at(70).scene.id, kTestLevelId);
  EXPECT_EQ(run.dumps.at(70).CountType("Enemy"), 2);
  EXPECT_EQ(AudioErrors(run.process.out), 0) << run.process.out;
}

// The run ends (here after --frames, as after F8) while the guard chases: the guard goes with the
// last scene after the audio system has shut down and must not reach for the chase music then.
TEST_F(LevelSoundsTest, QuittingWhileAGuardChasesMakesNoAudioCallAfterTheShutdown) {
  const int frames = 150;
  ScriptRun run =
      game.PlayLevel(TestLevel({PlayerObject(0, 200), EnemyObject("Enemy_2", 0, 0)}), "qinput 1\n16 D\n", frames, {frames});
  ASSERT_TRUE(run.Ok()) << run.Problems();
  ASSERT_EQ(run.At(frames, "Enemy_2").state, human_state::kFullAlert) << "the guard should still be chasing at the end";
  EXPECT_EQ(AudioErrors(run.process.out), 0) << run.process.out;
}

// The editor opens the level stopped; "Run" plays it. The food lies on the zone's edge and is
// delivered in the first frame of play, meeting the goal: "collect", "foodneeded" and "foodmax".
TEST_F(LevelSoundsTest, AnEditorPlayTestDeliversFoodWithTheGoalSoundsRegistered) {
  ScriptedGame::Options options;
  options.config = "01";
  const std::string level =
      TestLevel({PlayerObject(0, -400), LevelObject("Collection_2", "Collection", 0, 0, 200, 150, "collection.png"),
                 FoodObject("Food_3", 100, 0)},
                1);
  ScriptRun run = game.PlayLevel(level, "qinput 1\ndt 0.02\n10\n2 LMB mouse=175,35\n30\n", 45, {5, 45}, options);
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_EQ(run.dumps.at(5).scene.foodCollected, 0) << "the editor starts the level stopped";
  EXPECT_EQ(run.dumps.at(45).scene.foodCollected, 1) << "Run should have played the level";
  EXPECT_TRUE(run.dumps.at(45).scene.goalReached);
  EXPECT_EQ(AudioErrors(run.process.out), 0) << run.process.out;
}

}  // namespace
