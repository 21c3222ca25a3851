// The editor's Save driven by input scripts on the real window (offscreen driver): a save writes
// the scene shown and no other file, a write the disk refuses is shown and leaves the level
// unsaved, read-only files and links are honoured, and F8 asks about unsaved edits first.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "objects/ObjectType.h"
#include "scenes/Level.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace fs = std::filesystem;

namespace {

// The editor's session from `scene`, with a state log.
RunResult RunEditorAt(const EditorData& editing, const std::string& script, int frames, int scene) {
  return editing.Run(script, frames, scene, {"--state-log", editing.dir.File("state.log")});
}

// Which objects a level file places, and where: one line per record.
std::string RecordsOf(const std::string& path) {
  std::unique_ptr<Level> level = LoadLevelFromText(ReadFile(path), path);
  if (level == nullptr) return "<unreadable>";
  std::string lines;
  for (const ObjectRecord& r : level->objects) {
    lines += r.id + " " + std::to_string(r.type) + " " + std::to_string(r.translationX) + " " +
             std::to_string(r.translationY) + "\n";
  }
  return lines;
}

size_t WallsIn(const std::string& path) {
  std::unique_ptr<Level> level = LoadLevelFromText(ReadFile(path), path);
  size_t walls = 0;
  if (level == nullptr) return walls;
  for (const ObjectRecord& r : level->objects) walls += r.type == static_cast<int32_t>(ObjectType::Wall) ? 1 : 0;
  return walls;
}

// Frames the game ran: one state-log line each.
long FramesRun(const std::string& stateLog) {
  const std::string text = ReadFile(stateLog);
  return static_cast<long>(std::count(text.begin(), text.end(), '\n'));
}

TEST(EditorSaveTest, SavingAfterTheCreditsWereReachedFromLevelOneWritesTheCreditsFileNotLevelOne) {
  EditorData editing;
  const std::string level1 = editing.Level("level1.json");
  const std::string credits = editing.Level("Credits.json");
  const std::string level1Records = RecordsOf(level1);
  const std::string creditsRecords = RecordsOf(credits);
  RunResult run = RunEditorAt(editing, "editor_save_after_credits.qinput", 190, 6);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  // The run reached the credits (scene index 11) and ended there.
  const std::string log = ReadFile(editing.dir.File("state.log"));
  ASSERT_NE(log.find(" 11 "), std::string::npos) << "the credits were never reached";

  EXPECT_EQ(RecordsOf(level1), level1Records);
  EXPECT_EQ(RecordsOf(credits), creditsRecords);
  EXPECT_GT(fs::last_write_time(credits), fs::last_write_time(level1)) << "the credits were saved last";
}

TEST(EditorSaveTest, ASaveAsTheDiskRefusesIsShownAndTheLevelStaysUnsavedSoRunKeepsItsBackup) {
  EditorData editing;
  const std::string empty = editing.Level("empty.json");
  const std::string before = ReadFile(empty);
  fs::create_directories(editing.Level("taken.json"));  // no file can be written there
  RunResult run = RunEditorAt(editing, "editor_save_as_refused.qinput", 75, 0);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(fs::is_directory(editing.Level("taken.json")));
  EXPECT_EQ(ReadFile(empty), before);
  const std::string backup = editing.UserFile("Backups/Assets/Levels/empty.autosave.json");
  ASSERT_TRUE(fs::exists(backup)) << "Run kept no backup: the failed save cleared the unsaved mark";
  EXPECT_EQ(WallsIn(backup), 1u);
}

// A read-only level file is refused with a reason and stays as it was; the level stays unsaved.
TEST(EditorSaveTest, SaveRefusesAReadOnlyLevelFileAndTheLevelStaysUnsaved) {
  EditorData editing("11");
  const std::string empty = editing.Level("empty.json");
  const std::string before = ReadFile(empty);
  fs::permissions(empty, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  RunResult run = RunEditorAt(editing, "editor_save_place_run.qinput", 40, 0);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ReadFile(empty), before);
  EXPECT_EQ(fs::status(empty).permissions() & fs::perms::owner_write, fs::perms::none);
  EXPECT_NE(ReadFile(editing.UserFile("output.log")).find("Unable to open file to write"),
            std::string::npos);
  const std::string backup = editing.UserFile("Backups/Assets/Levels/empty.autosave.json");
  ASSERT_TRUE(fs::exists(backup)) << "Run kept no backup: the refused save cleared the unsaved mark";
  EXPECT_EQ(WallsIn(backup), 1u);
}

// A level file that is a link to a shared file: the save writes the shared file, the link stays.
TEST(EditorSaveTest, SaveWritesThroughALinkToItsTargetAndTheLinkStays) {
  EditorData editing;
  const std::string empty = editing.Level("empty.json");
  fs::create_directories(editing.dir.File("shared"));
  const std::string target = editing.dir.File("shared/empty.json");
  fs::rename(empty, target);
  fs::create_symlink(target, empty);
  RunResult run = RunEditorAt(editing, "editor_save_place_run.qinput", 40, 0);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(fs::is_symlink(empty));
  EXPECT_EQ(WallsIn(target), 1u);
  EXPECT_FALSE(fs::exists(editing.UserFile("Backups/Assets/Levels/empty.autosave.json")))
      << "the level counted as unsaved";
}

// F8 with an unsaved level asks first: "Discard" quits without writing, "Save" writes, then quits.
TEST(EditorSaveTest, F8AsksAboutTheUnsavedLevelAndQuitsAfterDiscardOrSave) {
  for (const bool save : {false, true}) {
    EditorData editing;
    const std::string empty = editing.Level("empty.json");
    const std::string before = ReadFile(empty);
    RunResult run = RunEditorAt(editing, save ? "editor_quit_save.qinput" : "editor_quit_discard.qinput", 300, 0);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    // F8 went down at frame 31; the answer was clicked at frames 54-55. The game ran until then.
    const long frames = FramesRun(editing.dir.File("state.log"));
    EXPECT_GT(frames, 50) << (save ? "save" : "discard");
    EXPECT_LT(frames, 60) << (save ? "save" : "discard");
    if (save) {
      EXPECT_EQ(WallsIn(empty), 1u);
    } else {
      EXPECT_EQ(ReadFile(empty), before);
    }
  }
}

}  // namespace
