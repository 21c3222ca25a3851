// The level editor driven by an input script on the real window (offscreen driver): a designer
// builds a small level by clicking (a wall, a food, a player, the two zones and a guard with a
// two-node patrol path), saves it under a new name, the level tool finds nothing wrong with the
// file, and the game plays it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "scenes/Level.h"
#include "support/ScriptedGame.h"

using namespace testing_support;

namespace fs = std::filesystem;

namespace {

const ObjectRecord* Find(const Level& level, const std::string& id) {
  for (const ObjectRecord& r : level.objects) {
    if (r.id == id) return &r;
  }
  return nullptr;
}

TEST(EditorSessionTest, AGuardWithAPatrolPathPlacedByClickingIsSavedCheckedAndPlayed) {
  EditorData editing;
  RunResult run = editing.Run("editor_session.qinput", 160);
  ASSERT_EQ(run.exitCode, 0) << run.err;

  // The file holds what was placed, with the path linked in click order.
  const std::string saved = editing.Level("guardtest.json");
  ASSERT_TRUE(fs::exists(saved)) << run.err;
  std::unique_ptr<Level> level = LoadLevelFromText(ReadFile(saved), saved);
  ASSERT_NE(level, nullptr);
  ASSERT_EQ(level->objects.size(), 8u);
  const ObjectRecord* wall = Find(*level, "Wall_0");
  const ObjectRecord* guard = Find(*level, "Enemy_5");
  const ObjectRecord* first = Find(*level, "Node_6");
  const ObjectRecord* second = Find(*level, "Node_7");
  ASSERT_TRUE(wall && guard && first && second && Find(*level, "Food_1") && Find(*level, "Player_2") &&
              Find(*level, "Collection_3") && Find(*level, "Escapezone_4"));
  EXPECT_NEAR(wall->translationX, -300.0f, 2.0f);
  EXPECT_NEAR(guard->translationX, 150.0f, 2.0f);
  EXPECT_NEAR(guard->translationY, 150.0f, 2.0f);
  EXPECT_EQ(guard->nextId, "Node_6");
  EXPECT_EQ(first->nextId, "Node_7");
  EXPECT_EQ(second->nextId, "");
  EXPECT_NEAR(second->translationX, 350.0f, 2.0f);

  // The level tool reads it as the game does and finds nothing wrong.
  const std::string tool = BinaryDir() + "/quillmarch-level";
  EXPECT_EQ(std::system(("\"" + tool + "\" check \"" + saved + "\" > /dev/null").c_str()), 0);

  // Played as level 1, the guard sets off along its path.
  ScriptedGame game;
  game.SetLevel("level1.json", ReadFile(saved));
  ScriptedGame::Options options = ScriptedGame::From(kTestLevelId, 200);
  options.fixedDt = "0.02";
  options.dumpAfter = {2, 50, 100, 200};
  ScriptRun played = game.Run("qinput 1\n", options);
  ASSERT_TRUE(played.Ok()) << played.Problems();
  const DumpedObject& start = played.At(2, "Enemy_5");
  if (!start.state.has_value()) GTEST_SKIP() << "this build has no guard behaviour to walk the path";
  const DumpedObject& end = played.At(50, "Enemy_5");
  // A second in, the guard is on its way to the first node, left of its start and further up.
  EXPECT_LT(end.x, start.x - 20.0f);
  EXPECT_GT(end.y, start.y + 20.0f);
  // Two seconds in it has come to the first node's line, four seconds in it walks on towards the
  // second node at the other end of the path.
  const DumpedObject& atFirst = played.At(100, "Enemy_5");
  EXPECT_LT(atFirst.x, 30.0f);
  EXPECT_NEAR(atFirst.y, 300.0f, 20.0f);
  const DumpedObject& atSecond = played.At(200, "Enemy_5");
  EXPECT_GT(atSecond.x, 270.0f);
  EXPECT_NEAR(atSecond.y, 300.0f, 20.0f);
}

}  // namespace
