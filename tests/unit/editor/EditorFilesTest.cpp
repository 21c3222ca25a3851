#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "EditorFixture.h"
#include "audio/Sound.h"
#include "core/FileSync.h"
#include "editor/FileExplorer.h"
#include "editor/RecordBuilder.h"
#include "graphics/ParticleEmitter.h"
#include "scenes/AttributeFile.h"
#include "scenes/PlayerTuning.h"
#include "support/TestSupport.h"

using editor_test::EditorFixture;
using editor_test::Record;
using testing_support::ReadFile;

namespace {

// A level with the kinds of object whose saving is easy to get wrong: a player (whose archetype
// brings five emitters), a collection zone with an emitter of the level's own, a vent (whose
// archetype brings a filter), a lit wall and a two-node path.
std::vector<ObjectRecord> Records() {
  ObjectRecord zone = Record(ObjectType::Collection, "Collection_2", 400, 0, 200, 150);
  EmitterRecord sparkle;
  sparkle.texture = "star.png";
  sparkle.duration = 1.0f;
  sparkle.loop = true;
  sparkle.maxParticles = 20;
  zone.emitters.push_back(sparkle);
  ObjectRecord wall = Record(ObjectType::Wall, "Wall_4", 0, 300);
  wall.hasLight = true;
  wall.lightIntensity = 2.0f;
  wall.lightFallOffEnd = 80.0f;
  ObjectRecord vent = Record(ObjectType::Vent, "Vent_3", -300, 0, 50, 50);
  vent.filters.push_back({2, 0.0f, {0.0f, 0.0f, 0.0f, 0.5f}});
  return {Record(ObjectType::Player, "Player_1", 0, 0, 43, 116), zone, vent, wall,
          Record(ObjectType::Node, "Node_5", 100, 100, 20, 20, 0, "Node_6"),
          Record(ObjectType::Node, "Node_6", 200, 100, 20, 20)};
}

using EditorFilesTest = EditorFixture;

TEST_F(EditorFilesTest, ASavedLevelLoadsAndSavesBackToTheSameBytes) {
  StartLevel(Records());
  const std::string saved = SaveTo("a.json");
  // The archetype's emitters are not written, so they are not doubled at the next start.
  std::unique_ptr<Level> read = LoadLevelFromText(saved, "a.json");
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(read->objects.size(), 6u);
  EXPECT_TRUE(read->objects[0].emitters.empty());
  EXPECT_EQ(read->objects[1].emitters.size(), 1u);
  EXPECT_EQ(read->objects[4].type, static_cast<int32_t>(ObjectType::Node));
  EXPECT_EQ(read->objects[4].nextId, "Node_6");
  EXPECT_TRUE(read->objects[3].hasLight);

  DestroySceneList();
  StartLevel(read->objects, dir_.File("a.json"));
  EXPECT_EQ(FindLiveObject("Collection_2")->FindComponents<ParticleEmitter>().size(), 1u);
  EXPECT_EQ(SaveTo("b.json"), saved);
  EXPECT_EQ(CurrentScene()->path, dir_.File("b.json")) << "the level is now that file";
}

TEST_F(EditorFilesTest, RunThenStopBringsBackTheLevelAsLastEditedNotAsLastSaved) {
  Level* level = StartLevel(Records());
  SaveTo("a.json");
  Click(0, 300);                  // the wall
  Drag(0, 300, 50, 350);          // edited after the save
  Place(ObjectType::Food, 700, 700);
  const std::string food = Selection().front();

  RunLevel();
  EXPECT_FALSE(GetEditorLink().stopped);
  EXPECT_TRUE(Selection().empty());
  FindLiveObject("Wall_4")->GetTransform()->position[0] = -999.0f;  // the game moves things
  StopLevel();
  UpdateScenes(0.0f);

  ASSERT_NE(FindLiveObject("Wall_4"), nullptr);
  EXPECT_EQ(X("Wall_4"), 50.0f);
  EXPECT_EQ(Y("Wall_4"), 350.0f);
  ASSERT_NE(FindLiveObject(food), nullptr);
  EXPECT_EQ(X(food), 700.0f);
  EXPECT_TRUE(GetEditorLink().stopped);
  EXPECT_EQ(level->objects.size(), 7u);
}

// The Save As dialog writes "./Assets/Levels/NAME.json" of the working folder, as the game does.
class InLevelsFolderTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    WorkInTestFolder({"Assets/Levels", "Assets/Attributes"});
  }
};

TEST_F(InLevelsFolderTest, ALevelTheWriterRefusesKeepsTheDialogOpenWithTheReason) {
  StartLevel(Records(), "./Assets/Levels/a.json");
  PressSaveAs();
  ASSERT_TRUE(Editor().saveDialogOpen);
  EXPECT_EQ(Editor().pathBuffer, "a");
  LightValues light = ReadLight(*FindLiveObject("Wall_4"));
  LightValues broken = light;
  broken.intensity = std::nanf("");
  ASSERT_TRUE(RunEditorCommand(SetLightCommand("Wall_4", light, broken)));
  EXPECT_FALSE(SaveDialogSave());
  EXPECT_TRUE(Editor().saveDialogOpen);
  EXPECT_TRUE(Editor().saveFailed);
  EXPECT_FALSE(Editor().saveFailure.empty());
  EXPECT_FALSE(std::filesystem::exists("Assets/Levels/a.json"));
  EXPECT_TRUE(LevelEdited());

  // Undoing the edit makes the level writable again.
  EditorHistory().Undo();
  EXPECT_TRUE(SaveDialogSave());
  EXPECT_FALSE(Editor().saveDialogOpen);
  EXPECT_FALSE(LevelEdited());
}

TEST_F(InLevelsFolderTest, SaveAsOffersTheShownLevelsNameAndABareNameSavesInTheLevelsFolder) {
  StartLevel(Records(), "./Assets/Levels/level2.json");
  PressSaveAs();
  EXPECT_EQ(Editor().pathBuffer, "level2");
  EXPECT_EQ(LevelPathFor("level9"), "./Assets/Levels/level9.json");
  EXPECT_EQ(LevelPathFor("./Assets/Levels/x.json"), "./Assets/Levels/x.json");
  Editor().pathBuffer = "level9";
  ASSERT_TRUE(SaveDialogSave());
  EXPECT_EQ(CurrentScene()->path, "./Assets/Levels/level9.json");
  EXPECT_EQ(EditedLevelLabel(), "Level 1: ./Assets/Levels/level9.json");
  EXPECT_NE(LoadLevel("./Assets/Levels/level9.json"), nullptr);
}

TEST_F(InLevelsFolderTest, ABlankNameOrOneThatWouldLeaveTheLevelsFolderIsRefusedWithAMessage) {
  StartLevel(Records(), "./Assets/Levels/a.json");
  for (const char* name : {"", "   ", "../up", "sub/x", "a\\b", "..", "x..y"}) {
    PressSaveAs();
    Editor().pathBuffer = name;
    EXPECT_FALSE(SaveDialogSave()) << name;
    EXPECT_TRUE(Editor().saveDialogOpen) << name;
    EXPECT_TRUE(Editor().saveFailed) << name;
    EXPECT_FALSE(Editor().saveFailure.empty()) << name;
  }
  // Nothing was written anywhere: not "./.json", nor beside or above the levels folder.
  size_t files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_.path())) files += entry.is_regular_file();
  EXPECT_EQ(files, 0u);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(dir_.path()).parent_path() / "up.json"));
  EXPECT_EQ(CurrentScene()->path, "./Assets/Levels/a.json");
}

TEST_F(InLevelsFolderTest, SaveAsAsksBeforeReplacingAnotherFileButNotTheLevelsOwn) {
  StartLevel(Records(), "./Assets/Levels/a.json");
  testing_support::WriteFile("Assets/Levels/other.json", "someone's level");
  PressSaveAs();
  ASSERT_TRUE(SaveDialogSave());  // its own file: no question
  PressSaveAs();
  Editor().pathBuffer = "other";
  EXPECT_FALSE(SaveDialogSave());
  EXPECT_TRUE(Editor().replaceAsked);
  EXPECT_FALSE(Editor().saveFailed);
  EXPECT_EQ(ReadFile("Assets/Levels/other.json"), "someone's level");
  CancelReplace();
  EXPECT_FALSE(Editor().replaceAsked);
  EXPECT_TRUE(Editor().saveDialogOpen);
  EXPECT_EQ(CurrentScene()->path, "./Assets/Levels/a.json");

  EXPECT_FALSE(SaveDialogSave());
  ASSERT_TRUE(ConfirmReplace());
  EXPECT_FALSE(Editor().saveDialogOpen);
  EXPECT_EQ(CurrentScene()->path, "./Assets/Levels/other.json");
  EXPECT_NE(LoadLevel("Assets/Levels/other.json"), nullptr);
}

TEST_F(InLevelsFolderTest, AWriteThatFailsShowsTheWritersReasonKeepsTheUnsavedMarkAndTheOldFile) {
  Level* level = StartLevel(Records(), "./Assets/Levels/a.json");
  ASSERT_TRUE(EditorSaveLevel());
  const std::string before = ReadFile("Assets/Levels/a.json");
  Place(ObjectType::Food, 700, 700);

  // The disk refuses the last step of the write.
  files::SetReplaceFaultForTesting(files::ReplaceFault::Rename);
  PressSave();
  files::SetReplaceFaultForTesting(files::ReplaceFault::None);
  ASSERT_TRUE(Editor().errorBoxOpen);
  EXPECT_NE(Editor().errorMessage.find("Failed to save File: ./Assets/Levels/a.json"), std::string::npos);
  EXPECT_NE(Editor().errorMessage.find("cannot replace ./Assets/Levels/a.json"), std::string::npos) << Editor().errorMessage;
  EXPECT_TRUE(LevelEdited());
  EXPECT_EQ(ReadFile("Assets/Levels/a.json"), before);

  // Save As onto a folder of that name: the warning, then the writer's reason in the dialog.
  std::filesystem::create_directories("Assets/Levels/taken.json");
  PressSaveAs();
  Editor().pathBuffer = "taken";
  EXPECT_FALSE(SaveDialogSave());
  ASSERT_TRUE(Editor().replaceAsked);
  EXPECT_FALSE(ConfirmReplace());
  EXPECT_TRUE(Editor().saveFailed);
  EXPECT_FALSE(Editor().saveFailure.empty());
  EXPECT_TRUE(LevelEdited());
  EXPECT_EQ(level->path, "./Assets/Levels/a.json");  // a failed Save As does not move the level
}

TEST_F(EditorFilesTest, ALoadThatFailsOpensTheErrorBoxAndKeepsTheExplorerAndADeepPathLoads) {
  StartLevel(Records());
  PressLoad();
  EXPECT_FALSE(LoadPicked(dir_.File("missing.json")));
  EXPECT_TRUE(Editor().loadInProgress);
  EXPECT_TRUE(Editor().errorBoxOpen);
  EXPECT_EQ(Editor().errorMessage, "Could not open the file");

  SaveTo("good.json");
  Editor().errorBoxOpen = false;
  Click(0, 300);
  ASSERT_TRUE(LoadPicked(dir_.File("good.json")));
  EXPECT_FALSE(Editor().loadInProgress);
  EXPECT_TRUE(Selection().empty());
  UpdateScenes(0.0f);
  EXPECT_EQ(CurrentScene()->path, dir_.File("good.json"));
  EXPECT_NE(FindLiveObject("Wall_4"), nullptr);

  // A level picked from a deep folder loads whatever the length of its path.
  std::filesystem::path folder = dir_.path();
  for (int i = 0; i < 4; ++i) folder /= std::string(70, static_cast<char>('a' + i));
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "deep.json").string();
  ASSERT_GT(path.size(), 280u);
  std::filesystem::copy_file(dir_.File("good.json"), path);
  PressLoad();
  ASSERT_TRUE(LoadPicked(path));
  EXPECT_FALSE(Editor().loadInProgress);
  UpdateScenes(0.0f);
  EXPECT_EQ(CurrentScene()->path, path);
}

// Every start of a level loads the pictures it lists: a pick that is not one is refused and the
// level is left as it was. A good pick joins the level and undo brings the colour back.
TEST_F(EditorFilesTest, APictureFromTheExplorerJoinsTheLevelUndoBringsTheColourBackAndAFileThatIsNoneIsRefused) {
  Level* level = StartLevel({Record(ObjectType::UI, "UI_1", 0, 0, 80, 50)});
  ModelLookValues start;
  ASSERT_TRUE(ReadModelLook(*FindLiveObject("UI_1"), &start));
  StartTexturePick("UI_1");
  EXPECT_TRUE(AnyDialogOpen());
  EXPECT_FALSE(TexturePicked(dir_.File("elsewhere.png")));  // not an asset of the game
  EXPECT_TRUE(Editor().errorBoxOpen);
  Editor().errorBoxOpen = false;
  const size_t steps = EditorHistory().UndoCount();
  EXPECT_FALSE(TexturePicked("./Assets/Levels/level1.json"));
  EXPECT_TRUE(Editor().errorBoxOpen);
  EXPECT_EQ(Editor().texturePickFor, "UI_1");  // the explorer stays for another pick
  EXPECT_TRUE(level->textures.empty());
  EXPECT_EQ(level->objects[0].texture, "");
  EXPECT_EQ(EditorHistory().UndoCount(), steps);
  EXPECT_NE(ExplorerMessage().find("level1.json"), std::string::npos);
  ASSERT_TRUE(TexturePicked("./Assets/wall.png"));
  EXPECT_TRUE(Editor().texturePickFor.empty());
  EXPECT_EQ(level->objects[0].texture, "wall.png");
  EXPECT_EQ(level->textures, std::vector<std::string>{"wall.png"});
  EXPECT_NE(LevelToText(*level).find("\"TextureiD\":\"wall.png\""), std::string::npos);

  EditorHistory().Undo();
  ModelLookValues back;
  ReadModelLook(*FindLiveObject("UI_1"), &back);
  EXPECT_EQ(back, start);
  EXPECT_TRUE(level->textures.empty());
  EXPECT_EQ(level->objects[0].texture, "");
}

// The attribute dialogs write and read "./Assets/Attributes/NAME.json" of the working folder.
class AttributeFlowTest : public InLevelsFolderTest {
 protected:
  void SetUp() override {
    InLevelsFolderTest::SetUp();
    ResetPlayerTuning();
  }
  void TearDown() override {
    ResetPlayerTuning();
    InLevelsFolderTest::TearDown();
  }
};

TEST_F(AttributeFlowTest, SavedTuningLoadsBackIntoTheLevelsListOrIsPickedByBrowsingAndUndoPutsTheOldValuesBackButAWallHasNone) {
  Level* level =
      StartLevel({Record(ObjectType::Player, "Player_1", 0, 0, 43, 116), Record(ObjectType::Wall, "Wall_2", 500, 0)});
  Click(0, 0);
  PlayerTuningValues().maxVelocity = 123.0f;
  Editor().attributeBuffer = "fast";
  ASSERT_TRUE(SaveAttributesFlow());
  EXPECT_TRUE(std::filesystem::exists("Assets/Attributes/fast.json"));

  PlayerTuningValues().maxVelocity = 450.0f;
  Editor().attributeBuffer = "missing";
  Editor().attributeLoadOpen = true;
  EXPECT_FALSE(LoadAttributesFlow());
  EXPECT_TRUE(Editor().attributeLoadOpen);
  EXPECT_TRUE(Editor().attributeLoadFailed);
  EXPECT_TRUE(level->attributes.empty());

  Editor().attributeBuffer = "fast";
  ASSERT_TRUE(LoadAttributesFlow());
  EXPECT_FALSE(Editor().attributeLoadOpen);
  EXPECT_EQ(PlayerTuningValues().maxVelocity, 123.0f);
  EXPECT_EQ(level->attributes, std::vector<std::string>{"fast"});
  EditorHistory().Undo();
  EXPECT_EQ(PlayerTuningValues().maxVelocity, 450.0f);
  EXPECT_TRUE(level->attributes.empty());

  // Browsing picks an attribute file into the name field and refuses any other file.
  std::filesystem::create_directories("Assets/Attributes/team");
  std::filesystem::copy_file("Assets/Attributes/fast.json", "Assets/Attributes/team/slow.json");
  testing_support::WriteFile("Assets/level.json", "{\"Level\":{}}");
  Editor().attributeLoadOpen = true;
  Editor().attributeBuffer.clear();
  StartAttributePick();
  EXPECT_TRUE(AnyDialogOpen());
  EXPECT_EQ(ExplorerFilterInUse(), ExplorerFilter::Attributes);
  ASSERT_TRUE(ExplorerMessage().empty());
  EXPECT_FALSE(AttributePicked("./Assets/level.json"));
  EXPECT_TRUE(Editor().attributePickOpen);
  EXPECT_FALSE(ExplorerMessage().empty());
  ASSERT_TRUE(AttributePicked("./Assets/Attributes/team/slow.json"));
  EXPECT_FALSE(Editor().attributePickOpen);
  EXPECT_EQ(Editor().attributeBuffer, "team/slow");
  EXPECT_TRUE(LoadAttributesFlow());

  // An object without tuning cannot save attributes.
  Click(500, 0);
  Editor().attributeBuffer = "wall";
  Editor().attributeSaveOpen = true;
  EXPECT_FALSE(SaveAttributesFlow());
  EXPECT_TRUE(Editor().attributeSaveOpen);
  EXPECT_FALSE(std::filesystem::exists("Assets/Attributes/wall.json"));
}

TEST_F(AttributeFlowTest, LoadingAttributesListsTheFileOnceAndLastAndRegistersThePlayersSoundsAgain) {
  // A player file that says nothing of sounds (the reader registers those it names).
  testing_support::WriteFile("Assets/Attributes/bare.json", "{\"Player\": {\"attributes\": {\"accel\": \"5\"}}}");
  PlayerTuningValues().accel = 9.0f;
  ASSERT_TRUE(SaveAttributes(nullptr, static_cast<int>(ObjectType::Player), "other"));
  Level* level = StartLevel({Record(ObjectType::Player, "Player_1", 0, 0, 43, 116)});
  level->attributes = {"bare", "other"};
  Click(0, 0);
  Sound* sound = FindLiveObject("Player_1")->FindComponent<Sound>();
  ASSERT_NE(sound, nullptr);
  for (const SoundSlot& slot : PlayerSoundSlots()) sound->RemoveSound(std::string("Player_1") + slot.suffix);

  Editor().attributeBuffer = "bare";
  ASSERT_TRUE(LoadAttributesFlow());
  EXPECT_EQ(level->attributes, (std::vector<std::string>{"other", "bare"}));
  EXPECT_EQ(PlayerTuningValues().accel, 5.0f);
  for (const SoundSlot& slot : PlayerSoundSlots()) {
    const auto sounds = sound->GetSounds();
    const auto it = sounds.find(std::string("Player_1") + slot.suffix);
    ASSERT_NE(it, sounds.end()) << slot.suffix;
    EXPECT_EQ(it->second, slot.event);
  }
  ASSERT_TRUE(LoadAttributesFlow());
  EXPECT_EQ(level->attributes, (std::vector<std::string>{"other", "bare"}));
  ASSERT_TRUE(UndoEdit());
  ASSERT_TRUE(UndoEdit());
  EXPECT_EQ(level->attributes, (std::vector<std::string>{"bare", "other"}));
}

}  // namespace
