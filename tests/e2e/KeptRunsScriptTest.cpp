// Records, kept runs and watching them, in the built game driven by input scripts: winning a level
// writes the record and the run, the level select shows the best, "watch" replays the run to the
// same end without touching the records, a changed level refuses the old run with its reason, a
// lost run is kept too, and the main menu left alone plays a shipped run until a key is pressed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "scenes/SceneManager.h"
#include "support/ScriptedGame.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

constexpr int kMainMenuId = scene_id::kMainMenu, kEndSceneId = scene_id::kEndScene, kLevel1Id = scene_id::kLevel1,
              kGameOverId = scene_id::kGameOver, kLevelSelectId = scene_id::kLevelSelect;
// The shipped winning run of level 1: the level starts in its first frame, the exit to the end
// scene is asked for in its frame 2289 (the end scene starts in the next), with a level time of
// 45.78 s, 3 of 5 food and a total of 105.78 s, rank S.
constexpr int kLevel1RunFrames = 2289;
constexpr float kLevel1Time = 45.78085f;

std::vector<std::string> RunFiles(const ScriptedGame& game) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(game.UserFile("Runs"), ec)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// From the level select: the selection starts on the first picture; Down reaches its "watch".
std::string WatchFirstLevel(int framesAfter) {
  return "qinput 1\ndt 0.02\n5\n1 DOWN\n1\n1 ENTER\n" + std::to_string(framesAfter) + "\n";
}
constexpr int kWatchPressFrame = 8;

ScriptedGame::Options Options(int scene, int frames) {
  ScriptedGame::Options options = ScriptedGame::From(scene, frames);
  options.fixedDt = "0.02";
  return options;
}

TEST(KeptRunsScriptTest, AWonLevelKeepsItsRecordAndRunWhichTheLevelSelectShowsAndWatchReplaysToTheSameEnd) {
  ScriptedGame game;
  // 1. Win level 1 with the shipped run.
  {
    ScriptedGame::Options options = Options(kLevel1Id, kLevel1RunFrames + 3);
    options.dumpAfter = {kLevel1RunFrames + 1};
    ScriptRun run = game.Run(ReadFile(std::string(QM_SOURCE_DIR) + "/tests/solutions/level1.qinput"), options);
    ASSERT_TRUE(run.Ok()) << run.Problems();
    ASSERT_EQ(run.dumps.at(kLevel1RunFrames + 1).scene.id, kEndSceneId);
  }
  const std::string records = ReadFile(game.UserFile("Records.lullwick"));
  EXPECT_NE(records.find("level1 105.78"), std::string::npos) << records;
  EXPECT_NE(records.find(" s\n"), std::string::npos) << records;
  ASSERT_EQ(RunFiles(game), (std::vector<std::string>{"best-level1.qinput", "run-000001-level1.qinput"}));
  const std::string kept = ReadFile(game.UserFile("Runs/run-000001-level1.qinput"));
  EXPECT_NE(kept.find("# run level1 scene 6\n"), std::string::npos) << kept.substr(0, 300);
  EXPECT_NE(kept.find("# level-hash "), std::string::npos);
  EXPECT_NE(kept.find("# version "), std::string::npos);
  EXPECT_NE(kept.find("# seed "), std::string::npos);
  EXPECT_NE(kept.find("# result won 105.78"), std::string::npos);
  EXPECT_EQ(ReadFile(game.UserFile("Runs/best-level1.qinput")), kept);

  // 2. The level select shows the best; "watch" plays the kept run to the same end.
  const int requestFrame = kWatchPressFrame + kLevel1RunFrames;
  {
    ScriptedGame::Options options = Options(kLevelSelectId, requestFrame + 2);
    options.textDumpAfter = {4, 200};
    options.dumpAfter = {100, requestFrame, requestFrame + 1};
    ScriptRun run = game.Run(WatchFirstLevel(requestFrame), options);
    ASSERT_TRUE(run.Ok()) << run.Problems();
    const TextDump& select = run.textDumps.at(4);
    EXPECT_TRUE(select.Shows("bEST: s  1:45")) << select.AllTexts();
    EXPECT_TRUE(select.Shows("nO RECORD YET")) << select.AllTexts();
    EXPECT_TRUE(select.Shows("wATCH")) << select.AllTexts();
    EXPECT_EQ(run.dumps.at(100).scene.id, kLevel1Id);
    EXPECT_TRUE(run.textDumps.at(200).Shows("rEPLAY")) << run.textDumps.at(200).AllTexts();
    const auto& last = run.dumps.at(requestFrame).scene;
    EXPECT_EQ(last.id, kLevel1Id);
    EXPECT_NEAR(last.time, kLevel1Time, 1e-4f);
    EXPECT_EQ(last.foodCollected, 3);
    EXPECT_TRUE(last.exitStarted);
    EXPECT_EQ(run.dumps.at(requestFrame + 1).scene.id, kEndSceneId);
  }
  // Watching is not playing: no new run, the record as it was.
  EXPECT_EQ(RunFiles(game).size(), 2u);
  EXPECT_EQ(ReadFile(game.UserFile("Records.lullwick")), records);

  // 3. A changed level refuses the old run and says why; the level select stays.
  std::string level = ReadFile(game.DataDir() + "/Assets/Levels/level1.json");
  const size_t rank = level.find("\"S_Rank\":\"");
  ASSERT_NE(rank, std::string::npos);
  level.insert(rank + 10, "1");
  game.SetLevel("level1.json", level);
  {
    ScriptedGame::Options options = Options(kLevelSelectId, 40);
    options.textDumpAfter = {30};
    options.dumpAfter = {30};
    ScriptRun run = game.Run(WatchFirstLevel(32), options);
    ASSERT_TRUE(run.Ok()) << run.Problems();
    EXPECT_EQ(run.dumps.at(30).scene.id, kLevelSelectId);
    EXPECT_TRUE(run.textDumps.at(30).Shows(
        "tHIS REPLAY WAS RECORDED ON ANOTHER VERSION OF THE LEVEL; IT CANNOT BE PLAYED"))
        << run.textDumps.at(30).AllTexts();
    EXPECT_NE(run.process.err.find("Refused the replay"), std::string::npos) << run.process.err;
  }
}

TEST(KeptRunsScriptTest, ALostRunIsKeptButSetsNoRecord) {
  ScriptedGame game;
  const int frames = 400;
  ScriptRun run = game.PlayLevel(TestLevel({PlayerObject(0, 200), EnemyObject("Enemy_2", 0, 0)}),
                                 "qinput 1\n16 D\n", frames, {frames});
  ASSERT_TRUE(run.Ok()) << run.Problems();
  ASSERT_EQ(run.dumps.at(frames).scene.id, kGameOverId);
  ASSERT_EQ(RunFiles(game), (std::vector<std::string>{"run-000001-level1.qinput"}));
  const std::string kept = ReadFile(game.UserFile("Runs/run-000001-level1.qinput"));
  EXPECT_NE(kept.find("# result lost\n"), std::string::npos) << kept.substr(0, 300);
  EXPECT_NE(kept.find("16 D"), std::string::npos) << kept;
  EXPECT_FALSE(fs::exists(game.UserFile("Records.lullwick")));
}

TEST(KeptRunsScriptTest, ADamagedRecordsFileShowsNoRecordsAndSaysSo) {
  ScriptedGame game;
  WriteFile(game.UserFile("Records.lullwick"), std::string("\0\0qrecords 9\nlevel1 x y\n", 24));
  ScriptedGame::Options options = Options(kLevelSelectId, 10);
  options.textDumpAfter = {8};
  ScriptRun run = game.Run("qinput 1\n", options);
  ASSERT_TRUE(run.Ok()) << run.Problems();
  const TextDump& select = run.textDumps.at(8);
  EXPECT_TRUE(select.Shows("yOUR RECORDS COULD NOT BE READ; THEY START AGAIN")) << select.AllTexts();
  EXPECT_EQ(std::count_if(select.texts.begin(), select.texts.end(), [](const auto& t) { return t.text == "nO RECORD YET"; }), 3);
  EXPECT_NE(run.process.err.find("Damaged records file"), std::string::npos) << run.process.err;
}

TEST(KeptRunsScriptTest, TheMainMenuLeftAloneForAMinutePlaysAShippedRunUntilAKeyIsPressed) {
  ScriptedGame game;
  // 0.025 s frames: a minute is 2400 frames.
  ScriptWriter script;
  script.Hold(2300);
  const int beforeMinute = script.Frame();
  script.Hold(200);
  const int watching = script.Frame();
  const int key = script.Tap("SPACE");
  script.Hold(60);
  ScriptedGame::Options options = ScriptedGame::From(kMainMenuId, script.Frame());
  options.dumpAfter = {beforeMinute, watching, script.Frame()};
  options.textDumpAfter = {watching};
  ScriptRun run = game.Run(script.Text(), options);
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_EQ(run.dumps.at(beforeMinute).scene.id, kMainMenuId);
  EXPECT_EQ(run.dumps.at(watching).scene.id, kLevel1Id);
  EXPECT_GT(run.dumps.at(watching).scene.time, 0.5f);
  EXPECT_TRUE(run.textDumps.at(watching).Shows("rEPLAY")) << run.textDumps.at(watching).AllTexts();
  EXPECT_TRUE(run.textDumps.at(watching).Shows("pRESS ANY KEY")) << run.textDumps.at(watching).AllTexts();
  EXPECT_EQ(run.dumps.at(script.Frame()).scene.id, kMainMenuId) << "the key at frame " << key;
  // Watching keeps nothing.
  EXPECT_TRUE(RunFiles(game).empty());
}

// With no run of their own, "watch" plays the shipped run; pausing it holds the level exactly where
// it was, so the run still ends as recorded, later by the frames it stood.
TEST(KeptRunsScriptTest, APausedReplayGoesOnExactlyWhereItStopped) {
  ScriptedGame game;
  constexpr int kPauseAt = 600;
  constexpr int kPausedFrames = 50;
  ScriptWriter script;
  script.Hold(5);
  script.Tap("DOWN");   // the alley's "watch"
  script.Tap("ENTER");  // pressed in frame kWatchPressFrame
  script.Hold(kPauseAt - script.Frame() - 1);
  script.Tap("P");  // pressed in frame kPauseAt
  script.Hold(kPausedFrames - 2);
  script.Tap("P");  // and again kPausedFrames frames later
  const int requestFrame = kWatchPressFrame + kLevel1RunFrames + kPausedFrames;
  script.Hold(requestFrame + 2 - script.Frame());
  ScriptedGame::Options options = Options(kLevelSelectId, requestFrame + 2);
  options.fixedDt = "0.025";  // the replay's own frame times rule while it plays
  options.dumpAfter = {kPauseAt, kPauseAt + 20, requestFrame, requestFrame + 1};
  options.textDumpAfter = {kPauseAt + 20};
  ScriptRun run = game.Run(script.Text(), options);
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_EQ(run.dumps.at(kPauseAt).scene.time, run.dumps.at(kPauseAt + 20).scene.time);
  // Level 1's player.
  EXPECT_EQ(run.At(kPauseAt, "Player_549").x, run.At(kPauseAt + 20, "Player_549").x);
  EXPECT_TRUE(run.textDumps.at(kPauseAt + 20).Shows("rEPLAY - PAUSED")) << run.textDumps.at(kPauseAt + 20).AllTexts();
  const auto& last = run.dumps.at(requestFrame).scene;
  EXPECT_EQ(last.id, kLevel1Id);
  EXPECT_NEAR(last.time, kLevel1Time, 1e-4f);
  EXPECT_EQ(last.foodCollected, 3);
  EXPECT_EQ(run.dumps.at(requestFrame + 1).scene.id, kEndSceneId);
  EXPECT_TRUE(RunFiles(game).empty());
}

// Escape, or B on the pad, leaves a replay for the level select at once; the speed keys show in
// the banner.
TEST(KeptRunsScriptTest, EscapeOrPadBLeavesAReplayForTheLevelSelect) {
  for (const char* back : {"ESCAPE", "PAD_B"}) {
    ScriptedGame game;
    ScriptWriter script;
    script.Hold(5);
    script.Tap("DOWN");
    script.Tap("ENTER");
    script.Hold(60);
    script.Tap("2");
    const int fast = script.Hold(2);
    script.Tap(back);
    const int after = script.Hold(10);
    ScriptedGame::Options options = Options(kLevelSelectId, after);
    options.dumpAfter = {fast, after};
    options.textDumpAfter = {fast, after};
    ScriptRun run = game.Run(script.Text(), options);
    ASSERT_TRUE(run.Ok()) << run.Problems();
    EXPECT_EQ(run.dumps.at(fast).scene.id, kLevel1Id);
    EXPECT_TRUE(run.textDumps.at(fast).Shows("rEPLAY - 2X")) << run.textDumps.at(fast).AllTexts();
    EXPECT_EQ(run.dumps.at(after).scene.id, kLevelSelectId) << back;
    EXPECT_FALSE(run.dumps.at(after).scene.paused) << back;
    // The keys are the player's again: the level select's buttons answer them.
    EXPECT_TRUE(run.textDumps.at(after).Shows("wATCH")) << run.textDumps.at(after).AllTexts();
  }
}

}  // namespace
