// The editor's "Prove" driven by input scripts: the level shown is handed to quillmarch-solve (built
// beside the game), a winnable level is proven and its suggested ranks are taken into the level as
// an edit that a save writes; a level that cannot be won is reported with the piece that cannot be
// reached. A scripted session waits for the solver's verdict, so the scripts need no timing.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "gameplay/RankSuggestion.h"
#include "scenes/Level.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace fs = std::filesystem;

namespace {

// The editor (log and editor on) in the first level, which is `level` of the solver's test levels.
RunResult ProveIn(const EditorData& editing, const std::string& level, const std::string& script) {
  fs::copy_file(SourceDir() + "/tests/solver/prove/" + level, editing.Level("level1.json"),
                fs::copy_options::overwrite_existing);
  return RunGame({"--data", editing.data, "--headless", "--scene", "6", "--input",
                  SourceDir() + "/tests/e2e/scripts/" + script, "--frames", "40", "--fixed-dt", "0.02"},
                 {"SDL_AUDIODRIVER=dummy"});
}

}  // namespace

TEST(EditorProveTest, AWinnableLevelIsProvenAndItsSuggestedRanksAreSavedWithIt) {
  EditorData editing("11");
  const RunResult run = ProveIn(editing, "prove_open.json", "editor_prove_won.qinput");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string log = ReadFile(editing.UserFile("output.log"));
  std::smatch won;
  ASSERT_TRUE(std::regex_search(log, won, std::regex("Prove: the level can be won, total ([0-9.]+) s"))) << log;
  const RankThresholds expected = SuggestRankThresholds(std::stof(won[1].str()));
  std::unique_ptr<Level> saved = LoadLevel(editing.Level("level1.json"));
  ASSERT_NE(saved, nullptr);
  EXPECT_EQ(saved->sRank, expected.s);
  EXPECT_EQ(saved->aRank, expected.a);
  EXPECT_EQ(saved->bRank, expected.b);
  EXPECT_NE(saved->sRank, 60.0f) << "the level's own thresholds were kept";
  // The solver's files went with the verdict.
  EXPECT_EQ(log.find("Prove: the solver ended"), std::string::npos) << log;
}

TEST(EditorProveTest, ALevelThatCannotBeWonIsReportedWithThePieceOutOfReach) {
  EditorData editing("11");
  const RunResult run = ProveIn(editing, "prove_walled_in.json", "editor_prove_not_won.qinput");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string log = ReadFile(editing.UserFile("output.log"));
  EXPECT_TRUE(std::regex_search(
      log, std::regex("Prove: the level was not won: no way leads to the piece Food_[0-9]+ at \\(800, 600\\)")))
      << log;
}
