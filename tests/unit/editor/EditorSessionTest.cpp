// Each level keeps its own editing session: what a save writes is the scene shown, the undo of one
// level never reaches another, a level loaded again from its file is the one scene of that file,
// tuning edits stay with the level and are saved to its attribute files, and unsaved edits are
// asked about before they would be left behind.
#include "editor/EditorSession.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "EditorFixture.h"
#include "editor/UnsavedPrompt.h"
#include "scenes/AttributeFile.h"
#include "scenes/PlayerTuning.h"
#include "support/TestSupport.h"

using editor_test::EditorFixture;
using editor_test::Record;
using testing_support::WriteFile;

namespace fs = std::filesystem;

namespace {

class LevelSessionTest : public EditorFixture {
 protected:
  // Scene ids as the game gives them: level 1 (walls) and the credits (one panel).
  Level* StartLevel1() {
    return StartLevel({Record(ObjectType::Wall, "Wall_1", 0, 0), Record(ObjectType::Wall, "Wall_2", 300, 0)},
                      dir_.File("level1.json"));
  }
  Level* AddCredits() {
    return testing_support::AddTestScene(scene_id::kCredits, dir_.File("Credits.json"),
                                         {Record(ObjectType::Wall, "Wall_1", 0, -200, 500, 20)});
  }
  // The scene changes as it does while the level runs (a menu, a win, a developer key).
  static void GoTo(Level* scene) {
    RequestScene(scene);
    UpdateScenes(0.0f);
    BeginEditorPass();
  }
  // Runs the level and goes to `scene` while it runs (the edits stay with the level left), then stops.
  static void LeaveWhileRunning(Level* scene) {
    RunLevel();
    GoTo(scene);
    StopLevel();
    UpdateScenes(0.0f);
  }
  static size_t RecordsIn(const std::string& path) {
    std::unique_ptr<Level> level = LoadLevel(path);
    return level != nullptr ? level->objects.size() : 0;
  }
};

TEST_F(LevelSessionTest, SaveAfterASceneChangeWritesTheShownScenesOwnFileAndNeverTheLevelBefore) {
  Level* level1 = StartLevel1();
  Level* credits = AddCredits();
  PressSave();
  ASSERT_EQ(RecordsIn(dir_.File("level1.json")), 2u);
  EXPECT_EQ(EditedLevelLabel(), "Level 1: " + dir_.File("level1.json"));

  GoTo(credits);
  EXPECT_EQ(EditedLevelLabel(), "Credits: " + dir_.File("Credits.json"));
  PressSave();
  EXPECT_FALSE(Editor().errorBoxOpen) << Editor().errorMessage;
  EXPECT_EQ(RecordsIn(dir_.File("level1.json")), 2u);
  ASSERT_TRUE(fs::exists(dir_.File("Credits.json")));
  EXPECT_EQ(LoadLevel(dir_.File("Credits.json"))->objects[0].scaleX, 500.0f);
  // Save As offers the shown scene's name, every time it opens.
  PressSaveAs();
  EXPECT_EQ(Editor().pathBuffer, "Credits");
  Editor().saveDialogOpen = false;
  GoTo(level1);
  PressSaveAs();
  EXPECT_EQ(Editor().pathBuffer, "level1");
}

TEST_F(LevelSessionTest, UndoReachesOnlyTheLevelItWasMadeInAndEachLevelKeepsItsUnsavedMark) {
  Level* a = StartLevel1();
  Place(ObjectType::Wall, 600, 0);
  const std::string placed = Selection().front();
  // Level 2 has an object of its own under the same name.
  Level* b = testing_support::AddTestScene(scene_id::kLevel2, dir_.File("level2.json"),
                                           {Record(ObjectType::Wall, placed, 900, 0)});
  GoTo(b);
  EXPECT_FALSE(LevelEdited());
  EXPECT_TRUE(Selection().empty());
  EXPECT_FALSE(UndoEdit());
  ASSERT_NE(FindLiveObject(placed), nullptr);
  EXPECT_EQ(b->objects.size(), 1u);
  EXPECT_EQ(EditedLevels(), std::vector<Level*>{a});
  ASSERT_TRUE(EditorSaveLevel());
  EXPECT_EQ(RecordsIn(dir_.File("level2.json")), 1u);

  GoTo(a);
  EXPECT_TRUE(LevelEdited());
  ASSERT_NE(FindLiveObject(placed), nullptr);
  ASSERT_TRUE(UndoEdit());
  EXPECT_EQ(FindLiveObject(placed), nullptr);
  EXPECT_EQ(a->objects.size(), 2u);
}

TEST_F(LevelSessionTest, ALevelLoadedAgainFromItsFileIsTheOneSceneOfThatFileThatSavesAndKeysReach) {
  Level* level1 = StartLevel1();
  ASSERT_TRUE(EditorSaveLevel());
  const size_t scenes = SceneList().size();
  PressLoad();
  ASSERT_TRUE(Editor().loadInProgress);
  ASSERT_TRUE(LoadPicked(dir_.File("level1.json")));
  UpdateScenes(0.0f);
  EXPECT_EQ(SceneList().size(), scenes);
  EXPECT_EQ(CurrentScene(), level1);

  Place(ObjectType::Wall, 600, 0);
  ASSERT_TRUE(EditorSaveLevel());
  ASSERT_EQ(RecordsIn(dir_.File("level1.json")), 3u);
  // Ctrl+L+1, the menus and "play game" find the level by its id: the same scene, with the wall.
  RequestSceneById(scene_id::kLevel1);
  UpdateScenes(0.0f);
  EXPECT_EQ(CurrentScene(), level1);
  ASSERT_TRUE(EditorSaveLevel());
  EXPECT_EQ(RecordsIn(dir_.File("level1.json")), 3u);

  // A file no scene shows becomes a scene of its own.
  WriteFile(dir_.File("copy.json"), LevelToText(*level1));
  ASSERT_TRUE(LoadPicked(dir_.File("copy.json")));
  EXPECT_EQ(SceneList().size(), scenes + 1);
}

TEST_F(LevelSessionTest, LoadingTheFileOfALevelLeftWithUnsavedEditsShowsItWithTheEdits) {
  Level* level1 = StartLevel1();
  ASSERT_TRUE(EditorSaveLevel());
  Place(ObjectType::Wall, 600, 0);
  LeaveWhileRunning(AddCredits());
  ASSERT_TRUE(LoadPicked(dir_.File("level1.json")));
  UpdateScenes(0.0f);
  EXPECT_EQ(CurrentScene(), level1);
  EXPECT_EQ(level1->objects.size(), 3u);
  EXPECT_TRUE(LevelEdited());
}

TEST_F(LevelSessionTest, TwoScenesOfOneFileShowWhatTheFileHoldsAfterEitherIsSaved) {
  Level* credits = AddCredits();
  Level* levelSelect = testing_support::AddTestScene(scene_id::kLevelSelect, dir_.File("Credits.json"),
                                                     credits->objects);
  GoTo(levelSelect);
  Place(ObjectType::Wall, 300, 300);
  ASSERT_TRUE(EditorSaveLevel());
  EXPECT_EQ(credits->objects.size(), 2u);
  GoTo(credits);
  Place(ObjectType::Food, -300, 300);
  ASSERT_TRUE(EditorSaveLevel());
  EXPECT_EQ(RecordsIn(dir_.File("Credits.json")), 3u);  // the level select's wall is still there
}

// ---- tuning ------------------------------------------------------------------------------------------

class EditorTuningTest : public LevelSessionTest {
 protected:
  void SetUp() override {
    LevelSessionTest::SetUp();
    WorkInTestFolder({"Assets/Attributes"});
    ResetPlayerTuning();
    PlayerTuningValues().maxVelocity = 300.0f;
    ASSERT_TRUE(SaveAttributes(nullptr, static_cast<int>(ObjectType::Player), "walk"));
    ResetPlayerTuning();
  }
  void TearDown() override {
    ResetPlayerTuning();
    LevelSessionTest::TearDown();
  }
  Level* StartWalkingLevel(std::vector<std::string> attributes) {
    Level* scene = testing_support::AddTestScene(scene_id::kLevel1, dir_.File("tuned.json"),
                                                 {Record(ObjectType::Player, "Player_1", 0, 0, 43, 116)});
    scene->attributes = std::move(attributes);
    RequestScene(scene);
    SceneState().currentScene = -1;
    UpdateScenes(0.0f);
    BeginEditorPass();
    return scene;
  }
  static void SetMaxVelocity(float value) {
    PlayerTuning after = PlayerTuningValues();
    after.maxVelocity = value;
    EditPlayerTuning(PlayerTuningValues(), after);
    EditorHistory().EndMerge();
  }
};

TEST_F(EditorTuningTest, ATuningEditSurvivesStopCountsAsUnsavedAndASaveWritesItToTheLevelsAttributeFile) {
  StartWalkingLevel({"walk"});
  ASSERT_EQ(PlayerTuningValues().maxVelocity, 300.0f);
  ASSERT_TRUE(EditorSaveLevel());
  ASSERT_FALSE(LevelEdited());
  SetMaxVelocity(520.0f);
  EXPECT_TRUE(LevelEdited());

  RunLevel();
  StopLevel();
  UpdateScenes(0.0f);  // the start reads "walk" again ...
  BeginEditorPass();   // ... and the editor puts the edit back
  EXPECT_EQ(PlayerTuningValues().maxVelocity, 520.0f);
  EXPECT_TRUE(LevelEdited());

  ASSERT_TRUE(EditorSaveLevel()) << Editor().saveFailure;
  EXPECT_FALSE(LevelEdited());
  ResetPlayerTuning();
  ASSERT_TRUE(LoadAttributes("walk"));
  EXPECT_EQ(PlayerTuningValues().maxVelocity, 520.0f);
}

TEST_F(EditorTuningTest, TuningOfALevelWithoutAnAttributeFileForItIsNotReportedAsSaved) {
  StartWalkingLevel({});
  SetMaxVelocity(520.0f);
  EXPECT_FALSE(EditorSaveLevel());
  EXPECT_NE(Editor().saveFailure.find("Save Attributes"), std::string::npos) << Editor().saveFailure;
  EXPECT_TRUE(LevelEdited());
}

// ---- unsaved edits are asked about --------------------------------------------------------------------

TEST_F(LevelSessionTest, LoadAsksFirstAndDiscardPutsTheLevelBackAsItsFileHoldsIt) {
  Level* level1 = StartLevel1();
  ASSERT_TRUE(EditorSaveLevel());
  Place(ObjectType::Wall, 600, 0);
  const std::string placed = Selection().front();
  PressLoad();
  EXPECT_FALSE(Editor().loadInProgress);
  ASSERT_TRUE(UnsavedPromptOpen());
  EXPECT_TRUE(AnyDialogOpen());
  AnswerCancel();
  EXPECT_FALSE(Editor().loadInProgress);
  EXPECT_EQ(level1->objects.size(), 3u);

  PressLoad();
  AnswerDiscard();
  EXPECT_TRUE(Editor().loadInProgress);
  EXPECT_FALSE(LevelEdited());
  EXPECT_EQ(level1->objects.size(), 2u);
  UpdateScenes(0.0f);  // the objects follow the records again
  EXPECT_EQ(FindLiveObject(placed), nullptr);
  EXPECT_EQ(RecordsIn(dir_.File("level1.json")), 2u);
}

TEST_F(LevelSessionTest, ASceneChangeWhileStoppedWaitsForSaveAndGoesOnAfterIt) {
  StartLevel1();
  Level* credits = AddCredits();
  Place(ObjectType::Wall, 600, 0);
  RequestScene(credits);  // a developer key, or a splash screen's exit
  BeginEditorPass();
  UpdateScenes(0.0f);
  EXPECT_EQ(CurrentScene()->sceneId, scene_id::kLevel1);
  ASSERT_TRUE(UnsavedPromptOpen());
  AnswerSave();
  EXPECT_FALSE(UnsavedPromptOpen());
  EXPECT_EQ(RecordsIn(dir_.File("level1.json")), 3u);
  BeginEditorPass();
  UpdateScenes(0.0f);
  EXPECT_EQ(CurrentScene(), credits);

  // With nothing unsaved, or while the level runs, nothing is asked.
  RequestSceneById(scene_id::kLevel1);
  BeginEditorPass();
  UpdateScenes(0.0f);
  EXPECT_EQ(CurrentScene()->sceneId, scene_id::kLevel1);
  EXPECT_FALSE(UnsavedPromptOpen());
}

TEST_F(LevelSessionTest, AQuitAsksAboutEveryLevelWithEditsAndSaveWritesThemAll) {
  Level* level1 = StartLevel1();
  Level* credits = AddCredits();
  Place(ObjectType::Wall, 600, 0);
  LeaveWhileRunning(credits);
  Place(ObjectType::Wall, 0, 300);
  EXPECT_EQ(EditedLevels(), (std::vector<Level*>{level1, credits}));

  EXPECT_FALSE(EditorAllowsQuit());
  ASSERT_TRUE(UnsavedPromptOpen());
  EXPECT_NE(UnsavedPromptText().find("Level 1"), std::string::npos);
  EXPECT_NE(UnsavedPromptText().find("Credits"), std::string::npos);
  AnswerCancel();
  EXPECT_FALSE(EditorAllowsQuit());
  AnswerSave();
  EXPECT_FALSE(UnsavedPromptOpen()) << UnsavedPromptFailure();
  EXPECT_TRUE(EditedLevels().empty());
  EXPECT_TRUE(EditorAllowsQuit());
  EXPECT_EQ(RecordsIn(dir_.File("level1.json")), 3u);
  EXPECT_EQ(RecordsIn(dir_.File("Credits.json")), 2u);
}

TEST_F(LevelSessionTest, AQuitWithNothingUnsavedIsNotHeldAndDiscardLetsItGo) {
  StartLevel1();
  EXPECT_TRUE(EditorAllowsQuit());
  Place(ObjectType::Wall, 600, 0);
  EXPECT_FALSE(EditorAllowsQuit());
  AnswerDiscard();
  EXPECT_TRUE(EditorAllowsQuit());
  EXPECT_FALSE(fs::exists(dir_.File("level1.json")));
}

}  // namespace
