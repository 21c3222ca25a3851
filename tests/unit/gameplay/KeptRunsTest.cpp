// Kept runs: a run file gives back its facts and its script, the folder keeps the last twenty and
// each level's best, and a run is refused on a level file or game version it was not played on.
#include "gameplay/KeptRuns.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/FileSync.h"
#include "platform/GameFolders.h"
#include "support/TestSupport.h"

using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

InputScript SmallScript(int frames) {
  InputScript script;
  InputRun run;
  run.frames = frames;
  run.dt = 0.02;
  run.input.keys.set(0x44);  // D
  script.runs.push_back(run);
  InputRun still;
  still.dt = 0.016;
  script.runs.push_back(still);
  return script;
}

RunInfo WonRun(const std::string& level) {
  RunInfo info;
  info.level = level;
  info.sceneId = 6;
  info.levelHash = "0123456789abcdef";
  info.version = "1.0.0";
  info.seed = 4000000000u;
  info.hasSeed = true;
  info.won = true;
  info.total = 105.78085f;
  info.rank = "s";
  return info;
}

class KeptRunsFolderTest : public ::testing::Test {
 protected:
  void SetUp() override { SetUserFolder(dir_.path() + "/"); }
  void TearDown() override { SetUserFolder(""); }
  TempDir dir_;
};

TEST(KeptRunsTest, ARunFileGivesBackItsFactsAndItsScript) {
  const InputScript script = SmallScript(30);
  for (bool won : {true, false}) {
    RunInfo info = WonRun("level1");
    info.won = won;
    if (!won) {
      info.total = 0.0f;
      info.rank.clear();
    }
    RunInfo read;
    InputScript readScript;
    std::string why;
    ASSERT_TRUE(ReadRunFile(RunFileText(info, script), &read, &readScript, &why)) << why;
    EXPECT_EQ(readScript, script);
    EXPECT_EQ(read.level, "level1");
    EXPECT_EQ(read.sceneId, 6);
    EXPECT_EQ(read.levelHash, info.levelHash);
    EXPECT_EQ(read.version, "1.0.0");
    EXPECT_TRUE(read.hasSeed);
    EXPECT_EQ(read.seed, 4000000000u);
    EXPECT_EQ(read.won, won);
    EXPECT_EQ(read.total, info.total);
    EXPECT_EQ(read.rank, info.rank);
  }
}

TEST(KeptRunsTest, AFileThatIsNoRunIsRejectedWithItsReason) {
  RunInfo info;
  InputScript script;
  std::string why;
  EXPECT_FALSE(ReadRunFile("qinput 1\n10 D\n", &info, &script, &why));  // no level named
  EXPECT_NE(why.find("which level"), std::string::npos) << why;
  EXPECT_TRUE(script.runs.empty());
  EXPECT_FALSE(ReadRunFile("qinput 1\n# run level1 scene 6\n10 NOSUCHKEY\n", &info, &script, &why));
  EXPECT_NE(why.find("line 3"), std::string::npos) << why;
  EXPECT_FALSE(ReadRunFile(std::string("\0\1\2", 3), &info, &script, &why));
  // Facts that are not what they say are left out, not trusted.
  ASSERT_TRUE(ReadRunFile("qinput 1\n# run level1 scene 6\n# level-hash XYZ\n# seed -4\n1\n", &info, &script, &why));
  EXPECT_TRUE(info.levelHash.empty());
  EXPECT_FALSE(info.hasSeed);
}

TEST(KeptRunsTest, AReplayIsRefusedOnAnotherLevelFileOrVersion) {
  const RunInfo run = WonRun("level1");
  EXPECT_EQ(ReplayRefusal(run, run.levelHash, "1.0.0"), "");
  EXPECT_NE(ReplayRefusal(run, "fedcba9876543210", "1.0.0").find("another version of the level"), std::string::npos);
  EXPECT_NE(ReplayRefusal(run, run.levelHash, "1.0.1").find("another version of the game"), std::string::npos);
  EXPECT_NE(ReplayRefusal(run, "", "1.0.0"), "");  // the level file cannot be read now
  RunInfo unhashed = run;
  unhashed.levelHash.clear();
  EXPECT_NE(ReplayRefusal(unhashed, run.levelHash, "1.0.0"), "");
  // A shipped run carries no version: it belongs to the data it is installed with.
  RunInfo shipped = run;
  shipped.version.clear();
  EXPECT_EQ(ReplayRefusal(shipped, run.levelHash, "2.0.0"), "");
}

TEST(KeptRunsTest, TheLevelHashIsOfTheFilesBytes) {
  TempDir dir;
  WriteFile(dir.File("a.json"), "{\"Level\":\"1\"}");
  const std::string hash = LevelFileHash(dir.File("a.json"));
  EXPECT_EQ(hash.size(), 16u);
  EXPECT_EQ(hash, TextHash("{\"Level\":\"1\"}"));
  EXPECT_EQ(TextHash(""), "cbf29ce484222325");  // FNV-1a's offset basis: the tools compute the same
  WriteFile(dir.File("a.json"), "{\"Level\":\"2\"}");
  EXPECT_NE(LevelFileHash(dir.File("a.json")), hash);
  EXPECT_EQ(LevelFileHash(dir.File("missing.json")), "");
}

TEST_F(KeptRunsFolderTest, TheLastTwentyRunsAndEachLevelsBestAreKept) {
  std::string why;
  ASSERT_TRUE(KeepRun(WonRun("level1"), SmallScript(1), true, &why)) << why;
  for (int i = 2; i <= 25; ++i) {
    RunInfo info = WonRun(i % 2 == 0 ? "level2" : "level3");
    info.won = i % 3 != 0;
    ASSERT_TRUE(KeepRun(info, SmallScript(i), false, &why)) << why;
  }
  const std::vector<std::string> kept = KeptRunFiles();
  ASSERT_EQ(kept.size(), kKeptRuns);
  // The newest twenty: runs 6 to 25, oldest first.
  EXPECT_NE(kept.front().find("run-000006-"), std::string::npos) << kept.front();
  EXPECT_NE(kept.back().find("run-000025-level3"), std::string::npos) << kept.back();
  RunInfo info;
  InputScript script;
  ASSERT_TRUE(LoadRunFile(kept.back(), &info, &script, &why)) << why;
  EXPECT_EQ(script, SmallScript(25));

  // The best of level1 outlives its run's file.
  const std::string best = BestRunPath("level1");
  ASSERT_FALSE(best.empty());
  ASSERT_TRUE(LoadRunFile(best, &info, &script, &why)) << why;
  EXPECT_EQ(script, SmallScript(1));
  EXPECT_EQ(BestRunPath("level2"), "");
  // Files of the player's own in the folder are left alone.
  WriteFile(dir_.File("Runs/notes.txt"), "mine");
  ASSERT_TRUE(KeepRun(WonRun("level1"), SmallScript(3), false, &why));
  EXPECT_EQ(ReadFile(dir_.File("Runs/notes.txt")), "mine");
  EXPECT_EQ(KeptRunFiles().size(), kKeptRuns);
}

TEST_F(KeptRunsFolderTest, AFailedWriteLeavesTheBestRunAsItWas) {
  std::string why;
  ASSERT_TRUE(KeepRun(WonRun("level1"), SmallScript(1), true, &why)) << why;
  const std::string before = ReadFile(BestRunPath("level1"));
  files::SetReplaceFaultForTesting(files::ReplaceFault::Rename);
  EXPECT_FALSE(KeepRun(WonRun("level1"), SmallScript(2), true, &why));
  files::SetReplaceFaultForTesting(files::ReplaceFault::None);
  EXPECT_FALSE(why.empty());
  EXPECT_EQ(ReadFile(BestRunPath("level1")), before);
  EXPECT_EQ(KeptRunFiles().size(), 1u);
}

}  // namespace

namespace {

// The runs the game ships are the solver's winning runs with the hash of the level files they win:
// a level changed without its run made again (tools/make_shipped_runs.py) would be refused.
TEST(KeptRunsTest, TheShippedRunsAreTheSolutionsOfTheShippedLevels) {
  const std::string source = QM_SOURCE_DIR;
  for (const char* level : {"level1", "level2", "level3"}) {
    RunInfo info;
    InputScript shipped, solution;
    std::string why;
    ASSERT_TRUE(LoadRunFile(source + "/Assets/Runs/" + level + ".qinput", &info, &shipped, &why)) << why;
    InputScriptError error;
    ASSERT_TRUE(ReadInputScript(ReadFile(source + "/tests/solutions/" + level + ".qinput"), &solution, &error));
    EXPECT_EQ(shipped, solution) << level;
    EXPECT_EQ(info.level, level);
    EXPECT_EQ(info.levelHash, LevelFileHash(source + "/Assets/Levels/" + level + ".json")) << level;
    EXPECT_EQ(ReplayRefusal(info, info.levelHash, "any version"), "") << level;
  }
}

}  // namespace
