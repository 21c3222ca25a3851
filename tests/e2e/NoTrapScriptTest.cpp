// What a player must never meet, in the built game on small levels of their own: a scene that comes
// up paused and cannot be left, a player flickering between two states, a pad trigger that picks the
// food up and drops it again while held, a guard undoing an escape, and an escape signal pulsing at
// the wrong pace. Frames are 0.025 s; the level is built at the end of frame 1 and the player starts
// in frame 2. Where a key must be let go in the very frame a scene changes, a first run finds that
// frame and a second run lets go there.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "gameplay/BehaviorStates.h"
#include "scenes/SceneManager.h"
#include "support/ScriptedGame.h"

using namespace testing_support;
using namespace player_state;

namespace {

constexpr int kEndSceneIndex = scene_index::kEndScene, kGameOverIndex = scene_index::kGameOver;
constexpr int kLevel2Id = scene_id::kLevel2, kEndSceneId = scene_id::kEndScene, kGameOverId = scene_id::kGameOver;

// `script` (without its header) for frames 1..frame-5, the pause key held for four frames, and let
// go in `frame`.
std::string PauseKeyLetGoAt(int frame, const std::string& script, int scriptFrames) {
  return "qinput 1\n" + script + std::to_string(frame - 5 - scriptFrames) + "\n4 ESCAPE\n";
}

// The scene clock runs: it moved between the two dumps, and neither frame is paused.
void ExpectRunning(const ScriptRun& run, int from, int to, int sceneId) {
  const ObjectDump& a = run.dumps.at(from);
  const ObjectDump& b = run.dumps.at(to);
  EXPECT_EQ(a.scene.id, sceneId);
  EXPECT_EQ(b.scene.id, sceneId);
  EXPECT_FALSE(a.scene.paused) << "frame " << from;
  EXPECT_FALSE(b.scene.paused) << "frame " << to;
  EXPECT_GT(b.scene.time - a.scene.time, 0.9f * 0.025f * static_cast<float>(to - from));
}

using NoTrapScriptTest = ScriptedGameTest;

// ---- a scene change or restart starts unpaused -----------------------------------------------

// Escape let go in the last frame of the escape's fade used to bring the end scene up paused: black,
// still, and deaf to every key. The pause key does nothing once the player has escaped.
TEST_F(NoTrapScriptTest, ThePauseKeyInTheLastFrameOfTheEscapeFadeLeavesTheEndSceneRunning) {
  const std::string level =
      TestLevel({PlayerObject(), LevelObject("Escapezone_2", "Escapezone", 150, 0, 50, 1200, "vent.png")});
  const std::string walk = "2\n20 D\n";
  ScriptRun first = game.PlayLevel(level, "qinput 1\n" + walk, 260, {});
  ASSERT_TRUE(first.Ok()) << first.Problems();
  const int change = first.FirstFrameIn(kEndSceneIndex);
  ASSERT_GT(change, 100) << "the escape ends in the end scene";

  const int enter = change + 60;
  const std::string script = PauseKeyLetGoAt(change, walk, 22) + "60\n1 ENTER\n";
  ScriptRun run = game.PlayLevel(level, script, enter + 45, {change - 1, change, change + 40, enter + 45});
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_FALSE(run.dumps.at(change - 1).scene.paused) << "the pause key held during the fade does nothing";
  ExpectRunning(run, change, change + 40, kEndSceneId);
  EXPECT_EQ(run.dumps.at(enter + 45).scene.id, kLevel2Id) << "Enter continues to the next level";
}

// The same at the game-over fade; and tapping the pause key while dying does not stop the fade.
TEST_F(NoTrapScriptTest, ThePauseKeyWhileDyingOrAtTheGameOverFadeLeavesTheGameOverScreenRunning) {
  const std::string level = TestLevel({PlayerObject(0, 200), EnemyObject("Enemy_2", 0, 0)});
  const std::string walk = "16 D\n";
  ScriptRun first = game.PlayLevel(level, "qinput 1\n" + walk, 400, FramesEvery(5, 400));
  ASSERT_TRUE(first.Ok()) << first.Problems();
  const int change = first.FirstFrameIn(kGameOverIndex);
  ASSERT_GT(change, 40) << "the guard catches the player";
  const int caught = first.FirstDump([](const ObjectDump& dump) { return dump.scene.gameOver; });
  ASSERT_GT(caught, 0);
  ASSERT_LT(caught + 15, change);

  // A tap in the fade (let go at caught + 10), then the key let go in the frame the scene changes.
  const std::string script = "qinput 1\n" + walk + std::to_string(caught + 8 - 16) + "\n1 ESCAPE\n" +
                             std::to_string(change - 5 - (caught + 10)) + "\n4 ESCAPE\n30\n1 R\n";
  ScriptRun run = game.PlayLevel(level, script, change + 35, {caught + 10, caught + 11, change, change + 25, change + 35});
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_FALSE(run.dumps.at(caught + 11).scene.paused) << "the pause key does nothing while the player dies";
  EXPECT_EQ(run.FirstFrameIn(kGameOverIndex), change) << "the fade ran on at its pace";
  ExpectRunning(run, change, change + 25, kGameOverId);
  EXPECT_EQ(run.dumps.at(change + 35).scene.id, kTestLevelId) << "R on the game-over screen plays the level again";
}

// A kill zone restarts the level. The pause key let go in the frame of the restart used to freeze
// the new start with no menu, and R restarted it still frozen.
TEST_F(NoTrapScriptTest, APauseInTheFrameOfAKillZoneRestartDoesNotFreezeTheNewStart) {
  const std::string level =
      TestLevel({PlayerObject(), LevelObject("Killzone_2", "Kill_zone", 150, 0, 50, 50, "killzone.png")});
  ScriptRun first = game.PlayLevel(level, "qinput 1\n2\n40 D\n", 40, FramesEvery(1, 40));
  ASSERT_TRUE(first.Ok()) << first.Problems();
  int restart = -1;
  for (int frame = 5; frame <= 40 && restart < 0; ++frame) {
    if (first.dumps.at(frame).scene.time < first.dumps.at(frame - 1).scene.time) restart = frame;
  }
  ASSERT_GT(restart, 6) << "the kill zone restarts the level";

  // D up to the restart's frame, and Escape let go in it. (The focus lost there pauses the level
  // before the frame runs, so the player does not reach the zone: the pause menu shows.)
  const int end = restart + 31;
  const std::string script =
      "qinput 1\n2\n" + std::to_string(restart - 4) + " D\n1 D ESCAPE\n1 D\n19\n10 W\n";
  ScriptRun run = game.PlayLevel(level, script, end, {restart, restart + 20, end});
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_LT(run.dumps.at(restart).scene.time, 0.03f) << "the restart happened in that frame";
  ExpectRunning(run, restart, restart + 20, kTestLevelId);
  EXPECT_GT(run.At(end, "Player_1").y, 50.0f) << "the player walks again";
}

// Ctrl+L+2 goes to the second level; the pause key let go in that frame, or the focus lost as the
// scene changes, used to start the second level paused with no menu.
TEST_F(NoTrapScriptTest, APauseAsTheDeveloperKeysChangeTheLevelDoesNotFreezeTheNextOne) {
  const std::string level = TestLevel({PlayerObject()});
  // Frame 11 asks for the level; frame 12 changes it.
  for (const std::string& pause : {std::string("ESCAPE"), std::string("NOFOCUS")}) {
    SCOPED_TRACE(pause);
    const std::string script = pause == "ESCAPE" ? "qinput 1\n6\n4 ESCAPE\n1 CTRL L 2\n"
                                                 : "qinput 1\n10\n1 CTRL L 2\n1 NOFOCUS\n";
    ScriptRun run = game.PlayLevel(level, script, 60, {12, 30, 60});
    ASSERT_TRUE(run.Ok()) << run.Problems();
    ExpectRunning(run, 30, 60, kLevel2Id);
  }
}

// A level without a player has no pause menu and no pause key: losing the focus must not pause it,
// or nothing but R could ever start it again.
TEST_F(NoTrapScriptTest, ALevelWithoutAPlayerIsNotPausedByLosingTheFocus) {
  const std::string level = TestLevel({LevelObject("Wall_1", "Wall", 300, 0, 100, 100)});
  ScriptRun run = game.PlayLevel(level, "qinput 1\n5\n10 NOFOCUS\n", 60, {10, 30, 60});
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_FALSE(run.dumps.at(10).scene.paused);
  ExpectRunning(run, 30, 60, kTestLevelId);
}

// Losing the focus in a level with a player still pauses it, with its menu, until Escape.
TEST_F(NoTrapScriptTest, LosingTheFocusPausesAPlayedLevelUntilThePauseKey) {
  ScriptRun run = game.PlayLevel(TestLevel({PlayerObject()}), "qinput 1\n5\n5 NOFOCUS\n20\n1 ESCAPE\n", 60,
                                 {10, 30, 33, 60});
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_TRUE(run.dumps.at(10).scene.paused);
  EXPECT_TRUE(run.dumps.at(30).scene.paused) << "the focus came back; the menu waits for the player";
  ExpectRunning(run, 33, 60, kTestLevelId);
}

// ---- flickers --------------------------------------------------------------------------------------

// Inside one of two vents the player used to alternate walking and venting every frame, because the
// vent it was not in sent it back to walking.
TEST_F(NoTrapScriptTest, InsideOneOfTwoVentsThePlayerStaysInTheVent) {
  const std::string level = TestLevel({PlayerObject(), LevelObject("Vent_2", "Vent", 300, 0, 200, 200, "vent.png"),
                                       LevelObject("Vent_3", "Vent", -1000, 0, 200, 200, "vent.png")});
  ScriptRun run = game.PlayLevel(level, "qinput 1\n2\n80 D\n", 82, FramesEvery(1, 82));
  ASSERT_TRUE(run.Ok()) << run.Problems();
  int inside = 0;
  for (int frame = 2; frame <= 82; ++frame) {
    const DumpedObject& player = run.At(frame, "Player_1");
    // A frame's state follows where the frame before left the player.
    const float x = run.At(frame - 1, "Player_1").x;
    if (x < 210.0f || x > 390.0f) continue;
    ++inside;
    EXPECT_EQ(player.state, kVent) << "frame " << frame << " at x " << x;
    EXPECT_LE(std::fabs(player.vx), 350.0f + 0.01f) << "frame " << frame;
  }
  EXPECT_GT(inside, 10);
  EXPECT_EQ(run.At(82, "Player_1").state, kWalk) << "out of both vents it walks";
}

// Holding the pad's left trigger used to pick the food up and put it down every four frames: the
// trigger acts once as it crosses half way, like a button's press.
TEST_F(NoTrapScriptTest, HoldingTheLeftTriggerPicksTheFoodUpOnceAndAPullAgainPutsItDown) {
  const std::string level = TestLevel({PlayerObject(), FoodObject("Food_2")});
  ScriptRun run = game.PlayLevel(level, "qinput 1\n3\n30 lt=1\n5\n3 lt=1\n", 45, FramesEvery(1, 45));
  ASSERT_TRUE(run.Ok()) << run.Problems();
  for (int frame = 6; frame <= 33; ++frame) {
    EXPECT_EQ(run.At(frame, "Player_1").state, kCarry) << "frame " << frame << ": held, the trigger picks up once";
  }
  EXPECT_EQ(run.At(45, "Player_1").state, kWalk) << "pulled again, it puts the food down";
}

// ---- an escape is a win ------------------------------------------------------------------------------

// An escape zone record whose way out is west.
std::string RunOutWest(std::string zone) {
  const std::string at = "\t\t\t\t\"Fixed_To_Screen\"";
  return zone.insert(zone.find(at), "\t\t\t\t\"Escape_Direction\":\"LEFT\",\n");
}

// The player touched the escape zone with a guard about to run at it, and runs out towards the
// guard. Once the escape has begun the level is won.
TEST_F(NoTrapScriptTest, AGuardReachingThePlayerAfterTheEscapeBeganDoesNotCatchIt) {
  const std::string level =
      TestLevel({PlayerObject(300, 0), EnemyObject("Enemy_2", 0, 0), RunOutWest(LevelObject("Escapezone_3", "Escapezone", 300, -60, 200, 20, "vent.png"))});
  // The guard notices the player, walks at it through its grace and runs. Just before it runs, the
  // player steps back onto the zone (south), whose way out is west: straight at the guard.
  ScriptRun first = game.PlayLevel(level, "qinput 1\n400\n", 400, FramesEvery(1, 400));
  ASSERT_TRUE(first.Ok()) << first.Problems();
  const int chase = first.FirstDump([](const ObjectDump& dump) {
    const DumpedObject* guard = dump.Find("Enemy_2");
    return guard != nullptr && guard->state == human_state::kFullAlert;
  });
  ASSERT_GT(chase, 20) << "the guard chases the player standing in its view";

  const std::string script = "qinput 1\n" + std::to_string(chase - 10) + "\n6 S\n";
  ScriptRun run = game.PlayLevel(level, script, chase + 200, FramesEvery(1, chase + 200));
  ASSERT_TRUE(run.Ok()) << run.Problems();
  bool escaped = false, met = false;
  for (const auto& [frame, dump] : run.dumps) {
    if (dump.scene.id != kTestLevelId) continue;
    EXPECT_FALSE(dump.scene.gameOver) << "frame " << frame;
    escaped = escaped || dump.scene.exitStarted;
    const DumpedObject* guard = dump.Find("Enemy_2");
    const DumpedObject* player = dump.Find("Player_1");
    if (escaped && guard != nullptr && player != nullptr &&
        std::hypot(guard->x - player->x, guard->y - player->y) < 80.0f) {
      met = true;
    }
  }
  EXPECT_TRUE(escaped);
  EXPECT_TRUE(met) << "the guard did reach the player after the escape began";
  EXPECT_EQ(run.FirstFrameIn(kEndSceneIndex) > 0, true) << "the end scene follows, not the game over";
  EXPECT_EQ(run.FirstFrameIn(kGameOverIndex), -1);
}

// ---- the escape signal -------------------------------------------------------------------------------

// Two escape zones used to pulse the one signal twice a frame: from 0.75 to 1.0 in 1.25 s, not 2.5 s.
TEST_F(NoTrapScriptTest, TwoEscapeZonesPulseTheSignalAtItsOwnPace) {
  const std::string level =
      TestLevel({PlayerObject(), FoodObject("Food_2"),
                 LevelObject("Collection_3", "Collection", 0, 300, 200, 150, "collection.png"),
                 LevelObject("Escapezone_4", "Escapezone", 2000, 0, 50, 200, "vent.png"),
                 LevelObject("Escapezone_5", "Escapezone", -2000, 0, 50, 200, "vent.png")},
                1);
  ScriptRun run = game.PlayLevel(level, "qinput 1\n3\n1 RMB\n60 W\n", 200, FramesEvery(1, 200));
  ASSERT_TRUE(run.Ok()) << run.Problems();
  auto signalAlpha = [&run](int frame) {
    for (const DumpedObject& o : run.dumps.at(frame).objects) {
      if (o.filterAlpha && o.x == 1000.0f && o.y == 2000.0f) return *o.filterAlpha;
    }
    ADD_FAILURE() << "no signal in frame " << frame;
    return -1.0f;
  };
  const int goal = run.FirstDump([](const ObjectDump& dump) { return dump.scene.goalReached; });
  ASSERT_GT(goal, 0) << "the food was delivered";
  ASSERT_LT(goal + 80, 200);
  // 0.1 a second while rising: 40 frames add 0.1.
  const float start = signalAlpha(goal + 2);
  EXPECT_NEAR(signalAlpha(goal + 42) - start, 0.1f, 0.003f);
}

// ---- the goal, told from the start -------------------------------------------------------------------

// The food counter says what the level asks for from the frame the player starts, not only after
// the first delivery.
TEST_F(NoTrapScriptTest, TheFoodCounterShowsNoneOfTheGoalFromTheFirstFrame) {
  ScriptedGame::Options options;
  options.textDumpAfter = {2, 40};
  ScriptRun run = game.PlayLevel(TestLevel({PlayerObject(), FoodObject("Food_2", 500, 0), FoodObject("Food_3", -500, 0)}, 2),
                                 "qinput 1\n40\n", 40, {}, options);
  ASSERT_TRUE(run.Ok()) << run.Problems();
  for (int frame : {2, 40}) {
    int counters = 0;
    for (const auto& text : run.textDumps.at(frame).texts) {
      if (text.text.rfind("fOOD cOLLECTED:", 0) == 0) {
        ++counters;
        EXPECT_EQ(text.text, "fOOD cOLLECTED:0/2") << "frame " << frame;
      }
    }
    EXPECT_EQ(counters, 1) << "frame " << frame;
  }
}

}  // namespace
