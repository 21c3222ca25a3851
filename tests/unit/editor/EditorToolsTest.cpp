#include <gtest/gtest.h>

#include "EditorFixture.h"
#include "editor/Clipboard.h"
#include "editor/RecordBuilder.h"
#include "graphics/Text.h"
#include "graphics/Texture.h"
#include "scenes/Factory.h"

using editor_test::EditorFixture;
using editor_test::Record;

namespace {

// Two walls far apart and a wall between them.
class SelectToolTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    level_ = StartLevel({Record(ObjectType::Wall, "Wall_1", 0, 0), Record(ObjectType::Wall, "Wall_2", 300, 0),
                         Record(ObjectType::Wall, "Wall_3", 600, 0)});
  }
  Level* level_ = nullptr;
};

TEST_F(SelectToolTest, ClicksSelectExactlyOneObjectCtrlClicksAddAndEmptySpaceSelectsNothing) {
  Click(0, 0);
  EXPECT_EQ(Selection(), std::vector<std::string>{"Wall_1"});
  Click(300, 10);
  EXPECT_EQ(Selection(), std::vector<std::string>{"Wall_2"});
  // The press alone on empty space already clears the selection.
  Pass(150, 400, true);
  EXPECT_TRUE(Selection().empty());
  Pass(150, 400, false);
  EXPECT_TRUE(Selection().empty());

  // Ctrl-click adds; a plain click starts over.
  Click(0, 0);
  Click(300, 0, true);
  Click(600, 0, true);
  EXPECT_EQ(Selection(), (std::vector<std::string>{"Wall_1", "Wall_2", "Wall_3"}));
  Click(300, 0);
  EXPECT_EQ(Selection(), std::vector<std::string>{"Wall_2"});
}

TEST_F(SelectToolTest, DraggingSeveralObjectsPastTenUnitsMovesThemAllLiveAndInTheirRecords) {
  // A drag of ten units or less moves nothing: it was a click, and selects the object under it.
  Drag(0, 0, 10, -10);
  EXPECT_EQ(X("Wall_1"), 0.0f);
  EXPECT_EQ(Y("Wall_1"), 0.0f);
  EXPECT_EQ(level_->objects[0].translationX, 0.0f);
  EXPECT_EQ(Selection(), std::vector<std::string>{"Wall_1"});
  Click(300, 0, true);
  Drag(5, 5, 16, 45);  // 11 units in x: past the threshold
  EXPECT_EQ(X("Wall_1"), 11.0f);
  EXPECT_EQ(Y("Wall_1"), 40.0f);
  EXPECT_EQ(X("Wall_2"), 311.0f);
  EXPECT_EQ(level_->objects[0].translationX, 11.0f);
  EXPECT_EQ(level_->objects[1].translationX, 311.0f);
  EXPECT_EQ(level_->objects[1].translationY, 40.0f);
  EXPECT_EQ(level_->objects[2].translationX, 600.0f);
  EXPECT_EQ(Selection().size(), 2u);
  // Its undo is HistoryTest.UndoOfAManyStepDragReturnsEveryMovedObjectAndItsRecord.
}

// Walls are 100 x 100: a band from (-60, -60) to (360, 60) wholly covers the first two; one that
// reaches x = 610 covers only half of the third, which stays out. With Ctrl a band adds its catch.
TEST_F(SelectToolTest, ABandDraggedFromEmptySpaceSelectsWhatItWhollyCoversAndMovesNothing) {
  Drag(-60, -60, 360, 60);
  EXPECT_EQ(Selection(), (std::vector<std::string>{"Wall_1", "Wall_2"}));
  EXPECT_EQ(X("Wall_1"), 0.0f);
  EXPECT_FALSE(Editor().banding);
  Drag(-60, -60, 610, 60);  // the third only half covered
  EXPECT_EQ(Selection(), (std::vector<std::string>{"Wall_1", "Wall_2"}));

  // A band ends where the cursor is while it is dragged.
  Pass(540, 100, true, true);
  Pass(700, -100, true, true);
  EXPECT_TRUE(Editor().banding);
  EXPECT_EQ(Editor().band[2], 700.0f);
  Pass(700, -100, false, true);
  EXPECT_EQ(Selection(), (std::vector<std::string>{"Wall_1", "Wall_2", "Wall_3"}));
  EXPECT_EQ(X("Wall_3"), 600.0f);
  EXPECT_EQ(EditorHistory().UndoCount(), 0u) << "selecting is no edit";

  // A press on empty space without Ctrl still clears the selection; a short one selects nothing.
  Click(150, 400);
  EXPECT_TRUE(Selection().empty());
}

TEST_F(SelectToolTest, TheFilterListsOnlyTheObjectsWhoseNamesHoldItInAnyCase) {
  auto names = [](const std::string& filter) {
    std::vector<std::string> listed;
    for (GameObject* o : ListedObjects(filter)) listed.push_back(o->name);
    return listed;
  };
  EXPECT_EQ(names(""), (std::vector<std::string>{"Wall_1", "Wall_2", "Wall_3"}));
  EXPECT_EQ(names("wALL_2"), std::vector<std::string>{"Wall_2"});
  EXPECT_TRUE(names("enemy").empty());
  FindLiveObject("Wall_3")->visible = false;
  EXPECT_EQ(names("wall"), (std::vector<std::string>{"Wall_1", "Wall_2"}));
}

TEST_F(SelectToolTest, ThePressOverAWindowIsNotAToolNorIsAnyPressWhileRunningOrWithADialogOpen) {
  PointerInput in;
  in.worldX = 0;
  in.worldY = 0;
  in.leftDown = true;
  in.overInterface = true;
  RunTools(in);
  in.worldX = 100;  // dragging on from the window over the world moves nothing
  in.overInterface = false;
  RunTools(in);
  in.leftDown = false;
  RunTools(in);
  EXPECT_TRUE(Selection().empty());
  EXPECT_EQ(X("Wall_1"), 0.0f);
  // Nor does any tool act while the level runs or a dialog is open.
  Editor().saveDialogOpen = true;
  Click(0, 0);
  EXPECT_TRUE(Selection().empty());
  Editor().saveDialogOpen = false;
  RunLevel();
  Click(0, 0);
  EXPECT_TRUE(Selection().empty());
}

TEST_F(SelectToolTest, DeletingWhatATextLabelsLeavesTheTextPointingAtNothingUntilUndo) {
  GameObject* label = CreateText(0, 0, 10, "wall");
  ASSERT_NE(label, nullptr);
  Text* text = label->FindComponent<Text>();
  ASSERT_NE(text, nullptr);
  text->linkedObject = FindLiveObject("Wall_3");
  Editor().tool = EditorTool::DeleteObject;
  Click(600, 0);
  EXPECT_EQ(text->linkedObject, nullptr);
  EndFrame();  // the wall is freed here
  EditorHistory().Undo();
  EXPECT_EQ(text->linkedObject, FindLiveObject("Wall_3"));
}

TEST_F(SelectToolTest, ATransformEditMovesTheObjectItsRecordAndWhereItCanBePicked) {
  const TransformValues before = ReadTransform(*FindLiveObject("Wall_1"));
  TransformValues after = before;
  after.position[0] = 1000.0f;
  after.scale[0] = 300.0f;
  after.rotation = 90.0f;
  ASSERT_TRUE(RunEditorCommand(SetTransformCommand("Wall_1", before, after)));
  EXPECT_EQ(level_->objects[0].translationX, 1000.0f);
  EXPECT_EQ(level_->objects[0].scaleX, 300.0f);
  EXPECT_EQ(level_->objects[0].rotation, 90.0f);
  // Turned by 90 degrees, the 300-wide box reaches 150 up and down from its centre at once.
  EXPECT_EQ(ObjectUnder(1000, 140), FindLiveObject("Wall_1"));
  EXPECT_EQ(ObjectUnder(0, 0), nullptr);
  EditorHistory().Undo();
  EXPECT_EQ(ObjectUnder(0, 0), FindLiveObject("Wall_1"));
  EXPECT_EQ(level_->objects[0].translationX, 0.0f);
}

TEST_F(SelectToolTest, PlacingAddsAnObjectAndARecordThatUndoTakesAway) {
  Place(ObjectType::Food, 900, 50);
  ASSERT_EQ(level_->objects.size(), 4u);
  const ObjectRecord placed = level_->objects.back();
  EXPECT_EQ(placed.type, static_cast<int32_t>(ObjectType::Food));
  EXPECT_EQ(placed.translationX, 900.0f);
  EXPECT_EQ(Selection(), std::vector<std::string>{placed.id});
  ASSERT_NE(FindLiveObject(placed.id), nullptr);

  EditorHistory().Undo();
  EXPECT_EQ(FindLiveObject(placed.id), nullptr);
  EXPECT_EQ(level_->objects.size(), 3u);
  EndFrame();
  EditorHistory().Redo();
  ASSERT_NE(FindLiveObject(placed.id), nullptr);
  EXPECT_EQ(level_->objects.back().id, placed.id);
}

// ---- pictures of placed objects ------------------------------------------------------------------

bool PictureListed(const std::string& name) {
  for (const Texture* t : TextureList()) {
    if (t->name == name) return true;
  }
  return false;
}

// The empty scene, where a new level starts, lists no pictures at all. A paste into another level
// brings its pictures along: ClipboardTest.APasteIntoAnotherLevelBringsThePicturesItsObjectsShow.
TEST_F(EditorFixture, APlacedObjectsPictureJoinsTheLevelsListAndIsLoadedUntilUndo) {
  Level* level = StartLevel({}, "empty_test.json");
  ASSERT_FALSE(PictureListed("wall.png"));
  Place(ObjectType::Wall, 0, 0);
  EXPECT_EQ(std::count(level->textures.begin(), level->textures.end(), "wall.png"), 1);
  EXPECT_TRUE(PictureListed("wall.png"));
  Place(ObjectType::Wall, 300, 0);  // listed once
  EXPECT_EQ(std::count(level->textures.begin(), level->textures.end(), "wall.png"), 1);
  ASSERT_TRUE(UndoEdit());
  ASSERT_TRUE(UndoEdit());
  EXPECT_EQ(std::count(level->textures.begin(), level->textures.end(), "wall.png"), 0);
  ASSERT_TRUE(RedoEdit());
  EXPECT_EQ(std::count(level->textures.begin(), level->textures.end(), "wall.png"), 1);
}

// ---- the patrol-path tool -----------------------------------------------------------------------

class PatrolToolTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    GetSceneHooks().setPatrolPath = [](GameObject* enemy, PathNode* first) {
      lastEnemy = enemy;
      lastFirst = first;
    };
    level_ = StartLevel({Record(ObjectType::Enemy, "Enemy_1", 0, 0, 60, 30)});
  }
  // Places patrol nodes while collecting, the way "Create new patrol path nodes" starts it.
  std::vector<std::string> PlaceNodes(std::initializer_list<float> xs) {
    StartNewPatrolNodes();
    std::vector<std::string> names;
    for (float x : xs) {
      Click(x, 200);
      names.push_back(Selection().front());
    }
    return names;
  }
  static PathNode* Node(const std::string& name) { return dynamic_cast<PathNode*>(FindLiveObject(name)); }

  Level* level_ = nullptr;
  static inline GameObject* lastEnemy = nullptr;
  static inline PathNode* lastFirst = nullptr;
};

TEST_F(PatrolToolTest, ACircularPathLinksTheLastNodeBackToTheFirst) {
  std::vector<std::string> nodes = PlaceNodes({100, 300, 500});
  Editor().circularPath = true;
  ASSERT_TRUE(SetPatrolPath("Enemy_1"));
  EXPECT_FALSE(Editor().placingNodes);
  EXPECT_TRUE(Editor().pendingNodes.empty());

  EXPECT_EQ(Node(nodes[0])->next, Node(nodes[1]));
  EXPECT_EQ(Node(nodes[2])->next, Node(nodes[0]));
  EXPECT_EQ(lastEnemy, FindLiveObject("Enemy_1"));
  EXPECT_EQ(lastFirst, Node(nodes[0]));
  EXPECT_EQ(FindRecord(nodes[2])->nextId, nodes[0]);
  EXPECT_EQ(FindRecord("Enemy_1")->nextId, nodes[0]);

  // Shown again, the enemy's path reads back in order and as circular.
  Editor().circularPath = false;
  ShowEnemyPath("Enemy_1");
  EXPECT_EQ(Editor().pendingNodes, nodes);
  EXPECT_TRUE(Editor().circularPath);
}

// Placing a node while collecting adds it to the pending list; placed when not collecting, it stays out.
TEST_F(PatrolToolTest, PlacedNodesJoinThePendingListWhoseEntriesSwapOneStepAndNeverPastTheEnds) {
  std::vector<std::string> nodes = PlaceNodes({100, 300, 500});
  EXPECT_EQ(level_->objects.back().type, static_cast<int32_t>(ObjectType::Node));
  MovePathEntry(0, -1);
  EXPECT_EQ(Editor().pendingNodes, nodes);
  MovePathEntry(2, +1);
  EXPECT_EQ(Editor().pendingNodes, nodes);
  MovePathEntry(0, +1);
  const std::vector<std::string> swapped = {nodes[1], nodes[0], nodes[2]};
  EXPECT_EQ(Editor().pendingNodes, swapped);
  Editor().placingNodes = false;
  Click(700, 200);
  EXPECT_EQ(Editor().pendingNodes, swapped);

  // Recalculating links the nodes in the list's new order.
  ASSERT_TRUE(RecalculatePath("Enemy_1"));
  EXPECT_EQ(FindRecord("Enemy_1")->nextId, nodes[1]);
  EXPECT_EQ(Node(nodes[1])->next, Node(nodes[0]));
  EXPECT_EQ(Node(nodes[0])->next, Node(nodes[2]));
  EXPECT_EQ(Node(nodes[2])->next, nullptr);
}

TEST_F(PatrolToolTest, AnOpenPathEndsAtItsLastNodeAndUndoTakesAReorderThenTheLinksBack) {
  std::vector<std::string> nodes = PlaceNodes({100, 300, 500});
  ASSERT_TRUE(SetPatrolPath("Enemy_1"));
  EXPECT_EQ(Node(nodes[2])->next, nullptr);
  EXPECT_EQ(FindRecord(nodes[2])->nextId, "");
  ShowEnemyPath("Enemy_1");
  MovePathEntry(2, -1);
  ASSERT_TRUE(RecalculatePath("Enemy_1"));
  EXPECT_EQ(Node(nodes[0])->next, Node(nodes[2]));

  ASSERT_TRUE(UndoEdit());
  EXPECT_EQ(FindRecord(nodes[0])->nextId, nodes[1]);
  EXPECT_EQ(FindRecord(nodes[1])->nextId, nodes[2]);
  EXPECT_EQ(Node(nodes[0])->next, Node(nodes[1]));
  EXPECT_EQ(Node(nodes[2])->next, nullptr);
  ShowEnemyPath("Enemy_1");  // the panel shows the path as the undo left it
  EXPECT_EQ(Editor().pendingNodes, nodes);
  // Undone once more, the guard has no path at all.
  ASSERT_TRUE(UndoEdit());
  EXPECT_FALSE(EnemyHasPath("Enemy_1"));
  EXPECT_EQ(FindRecord("Enemy_1")->nextId, "");
  EXPECT_EQ(FindRecord(nodes[0])->nextId, "");
  EXPECT_EQ(Node(nodes[0])->next, nullptr);
}

TEST_F(PatrolToolTest, DeletingANodeRoutesThePathRecordsPastIt) {
  std::vector<std::string> nodes = PlaceNodes({100, 300, 500});
  ASSERT_TRUE(SetPatrolPath("Enemy_1"));
  Editor().tool = EditorTool::DeleteObject;
  Click(100, 200);  // the first node
  EXPECT_EQ(FindRecord("Enemy_1")->nextId, nodes[1]);
  Click(300, 200);  // a middle node... now the first again
  EXPECT_EQ(FindRecord("Enemy_1")->nextId, nodes[2]);
  EditorHistory().Undo();
  EXPECT_EQ(FindRecord("Enemy_1")->nextId, nodes[1]);
}

}  // namespace
