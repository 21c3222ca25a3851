// A button's label as the editor edits it ("Add Text Component", then its text), and an emitter's
// duration timer: each is one undoable step, and what belongs to the level survives Run then Stop
// (the scene starts again from the records) and a save and reload.
#include <gtest/gtest.h>

#include <string>

#include "EditorFixture.h"
#include "editor/RecordBuilder.h"
#include "graphics/Camera.h"
#include "graphics/ParticleEmitter.h"
#include "graphics/Text.h"
#include "scenes/Factory.h"
#include "ui/UiHooks.h"
#include "widgets/MenuParts.h"
#include "widgets/UIHandler.h"

using editor_test::EditorFixture;
using editor_test::Record;

namespace {

class ButtonLabelTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    InstallUiHooks();  // buttons get their handlers and labels as in the game (the reset takes them away)
  }

  static TextValues Label(const std::string& button) {
    TextValues v;
    v.text = "<no label>";
    ReadText(*FindLiveObject(button), &v);
    return v;
  }
  // Live objects whose text reads `text`, linked to anything or to nothing.
  static int TextsReading(const std::string& text) {
    int count = 0;
    for (GameObject* o : Objects()) {
      const Text* t = o != nullptr && !o->destroy ? o->FindComponent<Text>() : nullptr;
      count += t != nullptr && t->text == text ? 1 : 0;
    }
    return count;
  }
  bool SetLabelText(const std::string& button, const std::string& text, float size, uint32_t alignment) {
    const TextValues before = Label(button);
    TextValues after = before;
    after.text = text;
    after.size = size;
    after.alignment = alignment;
    const bool done = RunEditorCommand(SetTextCommand(button, before, after));
    EditorHistory().EndMerge();
    return done;
  }
  Level* StartAt(const std::vector<ObjectRecord>& records) { return StartLevel(records, dir_.File("level.json")); }
  static ObjectRecord Button(const std::string& name = "UI_1") { return Record(ObjectType::UI, name, 0, 0, 80, 50); }
  // A collection zone with one emitter of the level's own; `index` is that emitter's place among
  // the live object's emitters (after the archetype's).
  static ObjectRecord SparkleZone(float duration, bool loop, bool active) {
    ObjectRecord zone = Record(ObjectType::Collection, "Collection_1", 0, 0, 200, 150);
    EmitterRecord sparkle;
    sparkle.duration = duration;
    sparkle.loop = loop;
    sparkle.active = active;
    sparkle.maxParticles = 5;
    zone.emitters.push_back(sparkle);
    return zone;
  }
  static std::vector<ParticleEmitter*> Emitters() {
    return FindLiveObject("Collection_1")->FindComponents<ParticleEmitter>();
  }
};

TEST_F(ButtonLabelTest, AddTextComponentAndItsTextAreUndoableStepsOnTheButtonAndItsRecord) {
  Level* level = StartAt({Button()});
  EXPECT_EQ(Label("UI_1").text, "<no label>");

  ASSERT_TRUE(RunEditorCommand(AddLabelCommand("UI_1")));
  EditorHistory().EndMerge();
  EXPECT_EQ(Label("UI_1").text, "");
  EXPECT_TRUE(level->objects[0].hasLabel);
  EXPECT_FALSE(RunEditorCommand(AddLabelCommand("UI_1")));  // one label per button

  ASSERT_TRUE(SetLabelText("UI_1", "Play", 12.0f, 2));
  EXPECT_EQ(level->objects[0].label, "Play");
  EXPECT_EQ(level->objects[0].labelSize, 12.0f);
  EXPECT_EQ(level->objects[0].labelAlignment, 2u);

  ASSERT_TRUE(UndoEdit());
  EXPECT_EQ(level->objects[0].label, "");
  ASSERT_TRUE(UndoEdit());
  EndFrame();
  EXPECT_EQ(Label("UI_1").text, "<no label>");
  EXPECT_FALSE(level->objects[0].hasLabel);
  EXPECT_EQ(FindLinkedLabel(FindLiveObject("UI_1")), nullptr);

  ASSERT_TRUE(RedoEdit());
  ASSERT_TRUE(RedoEdit());
  EXPECT_EQ(Label("UI_1").text, "Play");
  EXPECT_EQ(TextsReading("Play"), 1);
}

TEST_F(ButtonLabelTest, ALabelAddedInTheEditorAndTheActiveFlagSurviveRunThenStopAndASaveAndReload) {
  StartAt({Button(), Record(ObjectType::Wall, "Wall_2", 300, 0)});
  ASSERT_TRUE(RunEditorCommand(AddLabelCommand("UI_1")));
  EditorHistory().EndMerge();
  ASSERT_TRUE(SetLabelText("UI_1", "Play", 12.0f, 0));

  // The button stops calling back (the "Active" box): that too is the level's.
  UiHandlerValues handler;
  ASSERT_TRUE(ReadUiHandler(*FindLiveObject("UI_1"), &handler));
  UiHandlerValues quiet = handler;
  quiet.active = false;
  ASSERT_TRUE(RunEditorCommand(SetUiHandlerCommand("UI_1", handler, quiet)));
  EditorHistory().EndMerge();

  RunAndStop();
  ASSERT_TRUE(ReadUiHandler(*FindLiveObject("UI_1"), &handler));
  EXPECT_FALSE(handler.active);
  EXPECT_EQ(Label("UI_1").text, "Play");
  EXPECT_EQ(Label("UI_1").size, 12.0f);
  EXPECT_EQ(Label("UI_1").alignment, 0u);
  EXPECT_EQ(TextsReading("Play"), 1);

  const std::string saved = SaveTo("a.json");
  EXPECT_NE(saved.find("\"Label\":\"Play\""), std::string::npos);
  std::unique_ptr<Level> read = LoadLevelFromText(saved, dir_.File("a.json"));
  ASSERT_NE(read, nullptr);
  DestroySceneList();
  StartLevel(read->objects, dir_.File("a.json"));
  EXPECT_EQ(Label("UI_1").text, "Play");
  ASSERT_TRUE(ReadUiHandler(*FindLiveObject("UI_1"), &handler));
  EXPECT_FALSE(handler.active);
  EXPECT_EQ(SaveTo("b.json"), saved);
}

TEST_F(ButtonLabelTest, APlacedTextPanelKeepsItsTextThroughRunThenStop) {
  StartAt({Record(ObjectType::Wall, "Wall_1", 300, 0)});
  Place(ObjectType::Text, -200, 100);
  ASSERT_EQ(Selection().size(), 1u);
  const std::string panel = Selection().front();
  EXPECT_EQ(Label(panel).text, "text");
  RunAndStop();
  ASSERT_NE(FindLiveObject(panel), nullptr);
  EXPECT_EQ(Label(panel).text, "text");
  EXPECT_EQ(TextsReading("text"), 1);
  UiHandlerValues handler;
  ASSERT_TRUE(ReadUiHandler(*FindLiveObject(panel), &handler));
  EXPECT_FALSE(handler.active);  // a text panel is not a button
}

// Deleting the button then takes its label along, and undo brings back one.
TEST_F(ButtonLabelTest, EditingTheLabelObjectItselfIsKeptInTheButtonsRecordAndGoesWithTheButton) {
  ObjectRecord button = Button();
  button.hasLabel = true;
  button.label = "Go";
  Level* level = StartAt({button});
  ASSERT_EQ(Label("UI_1").text, "Go");  // the scene start made it
  const std::string label = FindLinkedLabel(FindLiveObject("UI_1"))->name;  // picked from the list
  ASSERT_TRUE(SetLabelText(label, "Stop", 0.0f, 1));
  EXPECT_EQ(level->objects[0].label, "Stop");
  RunAndStop();
  EXPECT_EQ(Label("UI_1").text, "Stop");

  Click(0, 0);
  ASSERT_EQ(Selection(), std::vector<std::string>{"UI_1"});
  Pass(0, 0, false, false, true);  // the Delete key
  EndFrame();
  EXPECT_EQ(FindLiveObject("UI_1"), nullptr);
  EXPECT_EQ(TextsReading("Stop"), 0);
  ASSERT_TRUE(UndoEdit());
  EndFrame();
  EXPECT_EQ(Label("UI_1").text, "Stop");
  EXPECT_EQ(TextsReading("Stop"), 1);
}

// ---- the emitter's duration timer ---------------------------------------------------------------

TEST_F(ButtonLabelTest, TheDurationTimerIsAnUndoableEditOfTheRunningEmitterThatTheFileDoesNotHold) {
  StartAt({SparkleZone(2.0f, true, false)});
  const size_t index = Emitters().size() - 1;
  auto timer = [index] {
    float value = -1.0f;
    EXPECT_TRUE(ReadEmitterTimer(*FindLiveObject("Collection_1"), index, &value));
    return value;
  };
  EXPECT_EQ(timer(), 2.0f);
  const std::string before = SaveTo("a.json");

  ASSERT_TRUE(RunEditorCommand(SetEmitterTimerCommand("Collection_1", index, 2.0f, 0.5f)));
  EditorHistory().EndMerge();
  EXPECT_EQ(timer(), 0.5f);
  EXPECT_EQ(Emitters()[index]->duration, 2.0f);
  EXPECT_EQ(SaveTo("b.json"), before);

  ASSERT_TRUE(UndoEdit());
  EXPECT_EQ(timer(), 2.0f);
  ASSERT_TRUE(RedoEdit());
  RunAndStop();  // a new start sets every timer to its duration
  EXPECT_EQ(timer(), 2.0f);
  float past = 0.0f;
  EXPECT_FALSE(ReadEmitterTimer(*FindLiveObject("Collection_1"), index + 1, &past));
}

// A menu's button is made by the game, not by the level: deleting it and taking that back leaves the
// very button the menu made, still doing what it did.
TEST_F(ButtonLabelTest, AMenuButtonDeletedAndRestoredByUndoKeepsItsAction) {
  StartLevel({});
  int presses = 0;
  GameObject* button = MakeButton(0.0f, 0.0f, 200.0f, 50.0f, menu_color::kWhite, "play game", 20.0f,
                                  [&presses](UIHandler*) { ++presses; });
  ASSERT_NE(button, nullptr);
  const std::string name = button->name;
  MenuGroup menu;
  menu.Add(button);
  Click(0.0f, 0.0f);
  ASSERT_EQ(Selection(), std::vector<std::string>{name});
  Pass(0.0f, 0.0f, false, false, true);  // Delete
  EndFrame();
  EXPECT_EQ(ObjectUnder(0.0f, 0.0f), nullptr);
  EXPECT_TRUE(EditedLevel()->objects.empty()) << "the level never held the button";

  ASSERT_TRUE(UndoEdit());
  EndFrame();
  GameObject* back = FindLiveObject(name);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(ObjectUnder(0.0f, 0.0f), back);
  UIHandler* handler = HandlerOf(back);
  ASSERT_NE(handler, nullptr);
  ASSERT_TRUE(handler->onClick);
  handler->onClick(handler);
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(menu.Live(), std::vector<GameObject*>{back}) << "the menu still holds its button";
}

// ---- a text record of the file -------------------------------------------------------------------

TEST_F(ButtonLabelTest, ATextRecordsPanelIsFoundByItsRecordSoEditsSurviveStopAndASave) {
  ObjectRecord text = Record(ObjectType::Text, "Text_3", -100, 50, 10, 50);
  text.text = "Hello";
  ObjectRecord later = Record(ObjectType::Text, "Text_5", 200, 50, 12, 50);
  later.text = "Later";
  Level* level = StartAt({Record(ObjectType::Wall, "Wall_2", 500, 0), text, later});
  // Each panel carries its record's name, and no label shares it.
  for (const char* name : {"Text_3", "Text_5"}) {
    int named = 0;
    for (GameObject* o : Objects()) named += o != nullptr && o->name == name ? 1 : 0;
    EXPECT_EQ(named, 1) << name;
  }
  ASSERT_NE(FindLiveObject("Text_3"), nullptr);
  EXPECT_EQ(Label("Text_3").text, "Hello");

  ASSERT_TRUE(SetLabelText("Text_3", "Goodbye", 14.0f, 1));
  EXPECT_EQ(level->objects[1].text, "Goodbye");
  EXPECT_EQ(level->objects[1].scaleX, 14.0f);
  RunAndStop();
  EXPECT_EQ(Label("Text_3").text, "Goodbye");
  EXPECT_EQ(Label("Text_3").size, 14.0f);
  EXPECT_EQ(Label("Text_5").text, "Later");

  std::unique_ptr<Level> read = SaveAndReadBack("a.json");
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(read->objects.size(), 3u);
  EXPECT_EQ(read->objects[1].type, static_cast<int32_t>(ObjectType::Text));
  EXPECT_EQ(read->objects[1].id, "Text_3");
  EXPECT_EQ(read->objects[1].text, "Goodbye");
  EXPECT_EQ(read->objects[1].scaleX, 14.0f);
  EXPECT_EQ(read->objects[1].scaleY, 50.0f);
  EXPECT_EQ(read->objects[2].text, "Later");
}

// ---- buttons pinned to the screen ------------------------------------------------------------------

TEST_F(ButtonLabelTest, APinnedButtonDraggedStaysWhereItWasDroppedAndIsSavedThereOnTheScreen) {
  ObjectRecord button = Record(ObjectType::UI, "UI_4", 50, 60, 80, 50);
  button.fixedToScreen = true;
  Level* level = StartAt({button});
  MainCamera().position[0] = 100.0f;
  MainCamera().position[1] = -20.0f;
  auto pin = [] { HandlerOf(FindLiveObject("UI_4"))->Update(0.0f); };  // the handler's update pins it
  pin();
  ASSERT_EQ(X("UI_4"), 150.0f);
  ASSERT_EQ(Y("UI_4"), 40.0f);

  Drag(150, 40, 250, 80);
  pin();
  EXPECT_EQ(X("UI_4"), 250.0f);
  EXPECT_EQ(Y("UI_4"), 80.0f);
  EXPECT_EQ(level->objects[0].translationX, 150.0f);  // its place on the screen
  EXPECT_EQ(level->objects[0].translationY, 100.0f);
  ASSERT_TRUE(UndoEdit());
  pin();
  EXPECT_EQ(X("UI_4"), 150.0f);
  EXPECT_EQ(level->objects[0].translationX, 50.0f);
  ASSERT_TRUE(RedoEdit());

  std::unique_ptr<Level> read = SaveAndReadBack("a.json");
  ASSERT_NE(read, nullptr);
  EXPECT_TRUE(read->objects[0].fixedToScreen);
  EXPECT_EQ(read->objects[0].translationX, 150.0f);
  EXPECT_EQ(read->objects[0].translationY, 100.0f);
}

TEST_F(ButtonLabelTest, APlacedButtonIsSavedPinnedAtItsPlaceOnTheScreenAndStaysOnScreenAfterStop) {
  Level* level = StartAt({Record(ObjectType::Wall, "Wall_1", 900, 0)});
  MainCamera().position[0] = 400.0f;
  MainCamera().position[1] = 100.0f;
  Editor().tool = EditorTool::PlaceObject;
  Editor().placeType = static_cast<int>(ObjectType::UI);
  PointerInput in;
  in.worldX = 450.0f;
  in.worldY = 130.0f;
  in.cameraX = 400.0f;
  in.cameraY = 100.0f;
  in.leftDown = true;
  RunTools(in);
  in.leftDown = false;
  RunTools(in);
  ASSERT_EQ(level->objects.size(), 2u);
  const ObjectRecord placed = level->objects[1];
  EXPECT_TRUE(placed.fixedToScreen);
  EXPECT_EQ(placed.translationX, 50.0f);
  EXPECT_EQ(placed.translationY, 30.0f);

  RunAndStop();
  // The camera is where it was; the button is back on the screen where it was put.
  HandlerOf(FindLiveObject(placed.id))->Update(0.0f);
  EXPECT_EQ(X(placed.id), 450.0f);
  EXPECT_EQ(Y(placed.id), 130.0f);
  std::unique_ptr<Level> read = SaveAndReadBack("a.json");
  ASSERT_NE(read, nullptr);
  EXPECT_TRUE(read->objects[1].fixedToScreen);
  EXPECT_EQ(read->objects[1].translationX, 50.0f);
}

// ---- "Emmit Test" ------------------------------------------------------------------------------------

TEST_F(ButtonLabelTest, EmmitTestSwitchesOnlyTheLiveEmitterAndTheLevelKeepsItRunning) {
  Level* level = StartAt({SparkleZone(1.0f, true, true)});
  const std::string before = SaveTo("a.json");
  GameObject* object = FindLiveObject("Collection_1");
  const size_t index = Emitters().size() - 1;
  ASSERT_TRUE(Emitters()[index]->active);

  TestEmitter("Collection_1", index);
  EXPECT_FALSE(Emitters()[index]->active);           // the preview is off
  EXPECT_TRUE(ReadEmitters(*object)[index].active);  // the level's emitter runs
  EXPECT_EQ(EditorHistory().UndoCount(), 0u);
  EXPECT_FALSE(LevelEdited());
  EXPECT_EQ(SaveTo("b.json"), before);
  EXPECT_TRUE(level->objects[0].emitters[0].active);
  TestEmitter("Collection_1", index);
  EXPECT_TRUE(Emitters()[index]->active);

  // An emitter that runs once goes quiet by itself while the level is edited; the file keeps it on.
  StartLevel({SparkleZone(1.0f, false, true)}, dir_.File("once.json"));
  const std::string onceText = SaveTo("once.json");
  Emitters().back()->active = false;
  EXPECT_EQ(SaveTo("once2.json"), onceText);
}

}  // namespace
