#include "editor/Autosave.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "EditorFixture.h"
#include "platform/GameFolders.h"
#include "support/TestSupport.h"

using editor_test::EditorFixture;
using editor_test::Record;
using testing_support::ReadFile;

namespace fs = std::filesystem;

namespace {

class AutosaveTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    path_ = dir_.File("yard.json");
    level_ = StartLevel({Record(ObjectType::Wall, "Wall_1", 0, 0)}, path_);
    ASSERT_TRUE(EditorSaveLevel());
    saved_ = ReadFile(path_);
  }
  // The editor starts again on the level's file, as after a crash.
  Level* StartAgain() {
    ResetEditor();
    DestroySceneList();
    ClearObjects();
    std::unique_ptr<Level> level = LoadLevel(path_);
    return StartLevel(level->objects, path_);
  }

  std::string path_, saved_;
  Level* level_ = nullptr;
};

// The backup is the player's file: in the per-user folder under the level's own path (an installed
// game's levels folder cannot be written), never beside the level.
TEST_F(AutosaveTest, RunWritesTheEditsToTheBackupAndNeverToTheUsersFile) {
  const std::string backups = UserFolder() + "Backups/";
  EXPECT_EQ(AutosavePathFor("./Assets/Levels/level1.json"), backups + "Assets/Levels/level1.autosave.json");
  EXPECT_EQ(AutosavePathFor("notes"), backups + "notes.autosave.json");
  EXPECT_EQ(AutosavePathFor("/home/ann/levels/yard.json"), backups + "home/ann/levels/yard.autosave.json");
  EXPECT_EQ(AutosavePathFor("../../etc/passwd"), backups + "etc/passwd.autosave.json") << "never outside";
  EXPECT_EQ(AutosavePathFor(path_).rfind(backups, 0), 0u);
  RunLevel();  // nothing edited: nothing to keep
  EXPECT_FALSE(fs::exists(AutosavePathFor(path_)));
  StopLevel();
  UpdateScenes(0.0f);

  Place(ObjectType::Food, 500, 0);
  const std::string food = level_->objects.back().id;
  RunLevel();
  ASSERT_TRUE(fs::exists(AutosavePathFor(path_)));
  EXPECT_EQ(ReadFile(path_), saved_);
  std::unique_ptr<Level> backup = LoadLevel(AutosavePathFor(path_));
  ASSERT_NE(backup, nullptr);
  ASSERT_EQ(backup->objects.size(), 2u);
  EXPECT_EQ(backup->objects[1].id, food);
  EXPECT_TRUE(LevelEdited());  // a backup is not a save
}

TEST_F(AutosaveTest, EditsAreBackedUpEveryTwoMinutesAndOnlyWhenThereIsSomethingNew) {
  TickAutosave(kAutosaveInterval + 1.0f);
  EXPECT_FALSE(fs::exists(AutosavePathFor(path_)));
  Place(ObjectType::Food, 500, 0);
  TickAutosave(kAutosaveInterval - 1.0f);
  EXPECT_FALSE(fs::exists(AutosavePathFor(path_)));
  TickAutosave(1.0f);
  ASSERT_TRUE(fs::exists(AutosavePathFor(path_)));
  fs::remove(AutosavePathFor(path_));
  TickAutosave(kAutosaveInterval);  // nothing new since the backup
  EXPECT_FALSE(fs::exists(AutosavePathFor(path_)));
}

TEST_F(AutosaveTest, AfterAKilledSessionTheNewerBackupIsOfferedAndRestoresTheLastEdit) {
  Place(ObjectType::Food, 500, 0);
  Drag(500, 0, 650, 120);
  const std::string food = level_->objects.back().id;
  RunLevel();
  // The session ends here without a save. The file is older than its backup.
  fs::last_write_time(path_, fs::last_write_time(AutosavePathFor(path_)) - std::chrono::seconds(5));

  level_ = StartAgain();
  EXPECT_EQ(FindLiveObject(food), nullptr);
  OfferBackupIfNewer();
  ASSERT_TRUE(Editor().restoreOffered);
  EXPECT_TRUE(AnyDialogOpen());
  ASSERT_TRUE(RestoreBackup());
  UpdateScenes(0.0f);
  ASSERT_NE(FindLiveObject(food), nullptr);
  EXPECT_EQ(X(food), 650.0f);
  EXPECT_EQ(Y(food), 120.0f);
  EXPECT_EQ(level_->path, path_);
  EXPECT_TRUE(LevelEdited());

  // Saved, the file holds the work and the backup is gone, so nothing is offered again.
  Editor().restoreOffered = false;
  ASSERT_TRUE(EditorSaveLevel());
  EXPECT_FALSE(fs::exists(AutosavePathFor(path_)));
  EXPECT_FALSE(BackupIsNewer(path_));
  EXPECT_EQ(LoadLevel(path_)->objects.size(), 2u);
}

TEST_F(AutosaveTest, AnOlderBackupIsNotOffered) {
  Place(ObjectType::Food, 500, 0);
  ASSERT_TRUE(WriteAutosave());
  fs::last_write_time(AutosavePathFor(path_), fs::last_write_time(path_) - std::chrono::seconds(5));
  StartAgain();
  OfferBackupIfNewer();
  EXPECT_FALSE(Editor().restoreOffered);
}

}  // namespace
