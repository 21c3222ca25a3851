#include <gtest/gtest.h>

#include "EditorFixture.h"
#include "editor/ObjectCommands.h"
#include "editor/RecordBuilder.h"
#include "graphics/Camera.h"
#include "support/TestSupport.h"
#include "widgets/UIHandler.h"

using editor_test::EditorFixture;
using editor_test::Record;

namespace {

class HistoryTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    GetSceneHooks().setPatrolPath = [](GameObject*, PathNode*) {};
    level_ = StartLevel({Record(ObjectType::Wall, "Wall_1", 0, 0), Record(ObjectType::Wall, "Wall_2", 300, 0),
                         Record(ObjectType::Wall, "Wall_3", 600, 0)},
                        dir_.File("walls.json"));
  }
  Level* level_ = nullptr;
};

TEST_F(HistoryTest, UndoOfAManyStepDragReturnsEveryMovedObjectAndItsRecordAndANewEditEndsTheRedo) {
  Click(0, 0);
  Click(300, 0, true);
  Pass(5, 5, true);
  for (int step = 1; step <= 10; ++step) Pass(5.0f + 20.0f * step, 5.0f - 7.0f * step, true);
  Pass(205, -65, false);
  ASSERT_EQ(X("Wall_2"), 500.0f);
  ASSERT_EQ(EditorHistory().UndoCount(), 1u);

  ASSERT_TRUE(UndoEdit());
  EXPECT_EQ(X("Wall_1"), 0.0f);
  EXPECT_EQ(Y("Wall_1"), 0.0f);
  EXPECT_EQ(X("Wall_2"), 300.0f);
  EXPECT_EQ(Y("Wall_2"), 0.0f);
  EXPECT_EQ(level_->objects[0].translationX, 0.0f);
  EXPECT_EQ(level_->objects[1].translationX, 300.0f);
  EXPECT_EQ(level_->objects[1].translationY, 0.0f);
  // Picking follows the box back to where it was.
  EXPECT_EQ(ObjectUnder(300, 0), FindLiveObject("Wall_2"));

  ASSERT_TRUE(RedoEdit());
  EXPECT_EQ(X("Wall_2"), 500.0f);
  EXPECT_EQ(level_->objects[1].translationY, -70.0f);

  // A new edit after an undo leaves nothing to redo.
  Place(ObjectType::Wall, 900, 0);
  ASSERT_TRUE(UndoEdit());
  EXPECT_EQ(EditorHistory().RedoCount(), 1u);
  Drag(600, 0, 600, 100);
  EXPECT_EQ(EditorHistory().RedoCount(), 0u);
  EXPECT_FALSE(RedoEdit());
  EXPECT_EQ(level_->objects.size(), 3u);
}

TEST_F(HistoryTest, UndoOfADeleteBringsBackTheComponentsAndThePlaceInThePatrolPath) {
  ObjectRecord guard = Record(ObjectType::Enemy, "Enemy_4", 0, 400, 60, 30, 0, "Node_5");
  ObjectRecord a = Record(ObjectType::Node, "Node_5", 100, 200, 20, 20, 0, "Node_6");
  ObjectRecord b = Record(ObjectType::Node, "Node_6", 300, 200, 20, 20, 0, "Node_7");
  b.hasLight = true;
  b.lightIntensity = 3.0f;
  b.lightFallOffEnd = 90.0f;
  b.filters.push_back({1, 0.25f, {0.0f, 0.0f, 0.0f, 1.0f}});
  ObjectRecord c = Record(ObjectType::Node, "Node_7", 500, 200, 20, 20);
  level_ = StartLevel({guard, a, b, c}, dir_.File("path.json"));
  auto node = [](const std::string& name) { return dynamic_cast<PathNode*>(FindLiveObject(name)); };
  ASSERT_EQ(node("Node_5")->next, node("Node_6"));

  Click(300, 200);
  Pass(300, 200, false, false, true);  // the Delete key
  ASSERT_EQ(FindLiveObject("Node_6"), nullptr);
  EXPECT_EQ(FindRecord("Node_5")->nextId, "Node_7");
  EndFrame();

  ASSERT_TRUE(UndoEdit());
  GameObject* back = FindLiveObject("Node_6");
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(ReadLight(*back).present);
  EXPECT_EQ(ReadLight(*back).intensity, 3.0f);
  ASSERT_EQ(ReadFilters(*back).size(), 1u);
  EXPECT_EQ(ReadFilters(*back)[0].saturation, 0.25f);
  // Its record is where it was in the file, and the path runs through it again, live and saved.
  ASSERT_EQ(level_->objects.size(), 4u);
  EXPECT_EQ(level_->objects[2].id, "Node_6");
  EXPECT_TRUE(level_->objects[2].hasLight);
  EXPECT_EQ(FindRecord("Node_5")->nextId, "Node_6");
  EXPECT_EQ(FindRecord("Node_6")->nextId, "Node_7");
  EXPECT_EQ(node("Node_5")->next, node("Node_6"));
  EXPECT_EQ(node("Node_6")->next, node("Node_7"));
}

TEST_F(HistoryTest, AtLeastTwoHundredStepsAreKeptAndTheOldestGoPastTheLimit) {
  auto moves = [](size_t count) {  // one step each, one unit to the right
    for (size_t i = 0; i < count; ++i) {
      RunEditorCommand(std::make_unique<MoveObjectsCommand>(
          std::vector<MoveObjectsCommand::Move>{{"Wall_1", float(i), 0.0f, float(i + 1), 0.0f}}));
      EditorHistory().EndMerge();
    }
  };
  Click(0, 0);
  moves(250);
  EXPECT_EQ(EditorHistory().UndoCount(), 250u);
  while (UndoEdit()) {
  }
  EXPECT_EQ(X("Wall_1"), 0.0f);
  EXPECT_EQ(level_->objects[0].translationX, 0.0f);

  moves(CommandHistory::kLimit + 10);
  EXPECT_EQ(EditorHistory().UndoCount(), CommandHistory::kLimit);
}

uint64_t activeWidget = 0;
uint64_t ActiveWidget() { return activeWidget; }

TEST_F(HistoryTest, AWidgetsWholeEditIsOneStepAndTheNextWidgetStartsAnother) {
  SetEditSourceReader(ActiveWidget);
  LevelValues v = ReadLevelValues();
  auto edit = [&](uint64_t widget, int lives) {
    activeWidget = widget;
    LevelValues next = v;
    next.lives = lives;
    RunEditorCommand(SetLevelValuesCommand(v, next));
    v = next;
  };
  edit(7, 1);  // typing "123" into one field, frame by frame
  edit(7, 12);
  edit(7, 123);
  edit(9, 5);  // straight on into the next field: a new step even though no frame was idle
  EXPECT_EQ(EditorHistory().UndoCount(), 2u);
  ASSERT_TRUE(UndoEdit());
  EXPECT_EQ(level_->lives, 123u);
  ASSERT_TRUE(UndoEdit());
  EXPECT_EQ(level_->lives, 0u);
}

// The unsaved mark follows edits, saves and undo; loading clears the history.
TEST_F(HistoryTest, RunAndStopKeepTheHistoryAndTheUnsavedMarkFollowsEditsSavesAndUndo) {
  EXPECT_FALSE(LevelEdited());
  Place(ObjectType::Wall, 900, 0);
  EXPECT_TRUE(LevelEdited());
  const std::string placed = level_->objects.back().id;
  RunLevel();
  EXPECT_FALSE(UndoEdit());  // nothing is taken back while the level runs
  StopLevel();
  UpdateScenes(0.0f);
  ASSERT_NE(FindLiveObject(placed), nullptr);
  ASSERT_EQ(EditorHistory().UndoCount(), 1u);
  ASSERT_TRUE(EditorSaveLevel());
  EXPECT_FALSE(LevelEdited());
  ASSERT_TRUE(UndoEdit());
  EXPECT_TRUE(LevelEdited());
  EXPECT_EQ(FindLiveObject(placed), nullptr);
  EXPECT_EQ(level_->objects.size(), 3u);

  ASSERT_TRUE(RedoEdit());
  ASSERT_TRUE(EditorSaveLevel());
  Editor().pathBuffer = dir_.File("walls.json");
  ASSERT_TRUE(EditorLoadLevel());
  EXPECT_EQ(EditorHistory().UndoCount(), 0u);
  EXPECT_EQ(EditorHistory().RedoCount(), 0u);
  EXPECT_FALSE(LevelEdited());
}

TEST_F(HistoryTest, AButtonsScreenPositionAndActiveFlagAreOneUndoableEditWithTheRecord) {
  ObjectRecord button = Record(ObjectType::UI, "UI_4", 50, 60, 80, 50);
  button.fixedToScreen = true;
  level_ = StartLevel({button}, dir_.File("ui.json"));
  GameObject* object = FindLiveObject("UI_4");
  ASSERT_NE(object, nullptr);
  if (HandlerOf(object) == nullptr) object->AddComponent(new UIHandler());
  HandlerOf(object)->fixedToScreen = true;
  UiHandlerValues before;
  ASSERT_TRUE(ReadUiHandler(*object, &before));
  UiHandlerValues after = before;
  after.active = false;
  after.screenPosition[0] = 200.0f;
  after.screenPosition[1] = -40.0f;
  ASSERT_TRUE(RunEditorCommand(SetUiHandlerCommand("UI_4", before, after)));
  EXPECT_FALSE(HandlerOf(object)->active);
  EXPECT_EQ(level_->objects[0].translationX, 200.0f);
  EXPECT_EQ(level_->objects[0].translationY, -40.0f);
  EXPECT_EQ(X("UI_4"), MainCamera().position[0] + 200.0f);
  ASSERT_TRUE(UndoEdit());
  EXPECT_TRUE(HandlerOf(object)->active);
  EXPECT_EQ(HandlerOf(object)->screenPosition[0], before.screenPosition[0]);
  EXPECT_EQ(level_->objects[0].translationX, before.screenPosition[0]);
}

// ---- snapping ------------------------------------------------------------------------------------

TEST_F(HistoryTest, PlacingSnapsToTheGridWhenSnappingIsOn) {
  EXPECT_EQ(Editor().gridSize, 13.0f);
  Place(ObjectType::Wall, 20, -7);
  EXPECT_EQ(level_->objects.back().translationX, 20.0f);
  Editor().snap = true;
  Place(ObjectType::Wall, 1025, -7);  // 78.8 cells and -0.54 cells
  EXPECT_EQ(level_->objects.back().translationX, 1027.0f);
  EXPECT_EQ(level_->objects.back().translationY, -13.0f);
  Editor().gridSize = 50.0f;
  Place(ObjectType::Wall, 1530, 74);
  EXPECT_EQ(level_->objects.back().translationX, 1550.0f);
  EXPECT_EQ(level_->objects.back().translationY, 50.0f);
}

TEST_F(HistoryTest, ADragSnapsTheFirstObjectAndMovesTheRestAlongUnlessShiftIsHeld) {
  Editor().snap = true;
  Click(0, 0);
  Click(300, 0, true);
  Drag(5, 5, 40, 25);  // Wall_1 would land at (35, 20)
  EXPECT_EQ(X("Wall_1"), 39.0f);
  EXPECT_EQ(Y("Wall_1"), 26.0f);
  EXPECT_EQ(X("Wall_2"), 339.0f);
  EXPECT_EQ(level_->objects[1].translationY, 26.0f);

  // Shift at the press frees the whole drag, even once it is let go.
  PointerInput in;
  in.worldX = 39;
  in.worldY = 26;
  in.leftDown = true;
  in.shift = true;
  RunTools(in);
  in.shift = false;
  in.worldX = 80;
  RunTools(in);
  in.leftDown = false;
  RunTools(in);
  EXPECT_EQ(X("Wall_1"), 80.0f);
  EXPECT_EQ(X("Wall_2"), 380.0f);

  // The next drag snaps again.
  Drag(80, 26, 120, 26);
  EXPECT_EQ(X("Wall_1"), 117.0f);
}

}  // namespace
