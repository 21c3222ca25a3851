// The level editor's history and backups driven by input scripts on the real window (offscreen
// driver): undo and redo from the keyboard end up in the saved file, and a session that ends
// without saving leaves a backup that the next session restores.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "objects/ObjectType.h"
#include "scenes/Level.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace fs = std::filesystem;

namespace {

std::vector<const ObjectRecord*> OfType(const Level& level, ObjectType type) {
  std::vector<const ObjectRecord*> found;
  for (const ObjectRecord& r : level.objects) {
    if (r.type == static_cast<int32_t>(type)) found.push_back(&r);
  }
  return found;
}

TEST(EditorUndoBackupTest, ThreeWallsUndoneTwiceAndRedoneOnceSaveAsTwo) {
  EditorData editing;
  RunResult run = editing.Run("editor_undo.qinput", 110);
  ASSERT_EQ(run.exitCode, 0) << run.err;

  const std::string saved = editing.Level("undo.json");
  ASSERT_TRUE(fs::exists(saved)) << run.err;
  std::unique_ptr<Level> level = LoadLevelFromText(ReadFile(saved), saved);
  ASSERT_NE(level, nullptr);
  const auto walls = OfType(*level, ObjectType::Wall);
  ASSERT_EQ(walls.size(), 2u);
  EXPECT_NEAR(walls[0]->translationX, -300.0f, 2.0f);
  EXPECT_NEAR(walls[1]->translationX, 0.0f, 2.0f);
}

TEST(EditorUndoBackupTest, ASessionEndedWithoutSavingLeavesABackupTheNextSessionRestores) {
  EditorData editing;
  const std::string file = editing.Level("empty.json");
  const std::string original = ReadFile(file);

  // The first session places a wall and a food, runs the level and ends there, unsaved.
  RunResult run = editing.Run("editor_backup_edit.qinput", 45);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ReadFile(file), original);  // the user's file is never written by a backup
  // The backup is the player's, kept in the per-user folder, not beside the level.
  EXPECT_FALSE(fs::exists(editing.Level("empty.autosave.json")));
  const std::string backupPath = editing.UserFile("Backups/Assets/Levels/empty.autosave.json");
  ASSERT_TRUE(fs::exists(backupPath)) << run.err;
  std::unique_ptr<Level> backup = LoadLevelFromText(ReadFile(backupPath), backupPath);
  ASSERT_NE(backup, nullptr);
  EXPECT_EQ(OfType(*backup, ObjectType::Wall).size(), 1u);
  EXPECT_EQ(OfType(*backup, ObjectType::Food).size(), 1u);

  // The next session is offered the backup, restores it and saves the level under a new name.
  run = editing.Run("editor_backup_restore.qinput", 80);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string saved = editing.Level("rest.json");
  ASSERT_TRUE(fs::exists(saved)) << run.err;
  std::unique_ptr<Level> level = LoadLevelFromText(ReadFile(saved), saved);
  ASSERT_NE(level, nullptr);
  const auto walls = OfType(*level, ObjectType::Wall);
  const auto food = OfType(*level, ObjectType::Food);
  ASSERT_EQ(walls.size(), 1u);
  ASSERT_EQ(food.size(), 1u);
  EXPECT_NEAR(walls[0]->translationX, -200.0f, 2.0f);
  EXPECT_NEAR(food[0]->translationY, -50.0f, 2.0f);
}

}  // namespace
