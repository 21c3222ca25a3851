#include "editor/Clipboard.h"

#include <gtest/gtest.h>

#include <set>

#include "EditorFixture.h"
#include "editor/RecordBuilder.h"
#include "graphics/Texture.h"

using editor_test::EditorFixture;
using editor_test::Record;

namespace {

// A lit wall, and a guard walking a circle of two nodes.
class ClipboardTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    GetSceneHooks().setPatrolPath = [](GameObject* enemy, PathNode* first) {
      if (enemy != nullptr) firstNodeOf[enemy->name] = first;
    };
    ObjectRecord wall = Record(ObjectType::Wall, "Wall_1", 0, 0);
    wall.hasLight = true;
    wall.lightIntensity = 2.0f;
    level_ = StartLevel({wall, Record(ObjectType::Enemy, "Enemy_2", 0, 400, 60, 30, 0, "Node_3"),
                         Record(ObjectType::Node, "Node_3", 300, 400, 20, 20, 0, "Node_4"),
                         Record(ObjectType::Node, "Node_4", 500, 400, 20, 20, 0, "Node_3")});
  }
  void TearDown() override {
    firstNodeOf.clear();
    EditorFixture::TearDown();
  }
  static PathNode* Node(const std::string& name) { return dynamic_cast<PathNode*>(FindLiveObject(name)); }

  Level* level_ = nullptr;
  static inline std::map<std::string, PathNode*> firstNodeOf;
};

TEST_F(ClipboardTest, EveryPasteGetsNewNamesFromTheCounterAndKeepsTheComponentsButNotALinkOutOfTheCopy) {
  SelectObject("Wall_1", false);
  SelectObject("Node_3", true);
  ASSERT_TRUE(CopySelection());
  ASSERT_TRUE(PasteAt(1000, 0));
  ASSERT_TRUE(PasteAt(2000, 0));
  // A number a record already holds beyond the counter is stepped over.
  ObjectCounter() = 1;
  ASSERT_TRUE(PasteAt(3000, 0));
  std::set<std::string> names;
  for (const ObjectRecord& r : level_->objects) names.insert(r.id);
  EXPECT_EQ(names.size(), 10u);
  EXPECT_EQ(level_->objects.size(), 10u);
  for (const ObjectRecord& r : level_->objects) EXPECT_NE(FindLiveObject(r.id), nullptr) << r.id;
  EXPECT_EQ(level_->objects[4].id.rfind("Wall_", 0), 0u);
  // The pasted objects are the selection; the first copied object stands at the cursor.
  EXPECT_EQ(Selection().size(), 2u);
  EXPECT_EQ(X(Selection()[0]), 3000.0f);
  EXPECT_EQ(X(Selection()[1]), 3300.0f);
  EXPECT_EQ(Y(Selection()[1]), 400.0f);

  // The wall's copy keeps its light; the node, copied without its successor, does not run into
  // the original path.
  GameObject* wall = FindLiveObject(Selection()[0]);
  EXPECT_TRUE(ReadLight(*wall).present);
  EXPECT_EQ(ReadLight(*wall).intensity, 2.0f);
  EXPECT_TRUE(FindRecord(Selection()[0])->hasLight);
  EXPECT_EQ(ObjectUnder(3000, 0), wall);
  EXPECT_EQ(FindRecord(Selection()[1])->nextId, "");
  EXPECT_EQ(Node(Selection()[1])->next, nullptr);
  EXPECT_EQ(Node("Node_4")->next, Node("Node_3"));
}

TEST_F(ClipboardTest, AGuardCopiedWithItsNodesWalksItsOwnCopyOfThePath) {
  SelectObject("Enemy_2", false);
  SelectObject("Node_3", true);
  SelectObject("Node_4", true);
  ASSERT_TRUE(CopySelection());
  ASSERT_TRUE(PasteAt(0, -600));
  const std::vector<std::string> pasted = Selection();
  ASSERT_EQ(pasted.size(), 3u);
  EXPECT_EQ(FindRecord(pasted[0])->nextId, pasted[1]);
  EXPECT_EQ(FindRecord(pasted[1])->nextId, pasted[2]);
  EXPECT_EQ(FindRecord(pasted[2])->nextId, pasted[1]);
  EXPECT_EQ(Node(pasted[1])->next, Node(pasted[2]));
  EXPECT_EQ(Node(pasted[2])->next, Node(pasted[1]));
  EXPECT_EQ(firstNodeOf[pasted[0]], Node(pasted[1]));
  // The original path is untouched.
  EXPECT_EQ(FindRecord("Node_4")->nextId, "Node_3");
  EXPECT_EQ(Node("Node_4")->next, Node("Node_3"));
  EXPECT_EQ(FindRecord("Enemy_2")->nextId, "Node_3");
}

TEST_F(ClipboardTest, UndoTakesAPasteAwayAndRedoBuildsItUnderTheSameNames) {
  SelectObject("Enemy_2", false);
  SelectObject("Node_3", true);
  SelectObject("Node_4", true);
  ASSERT_TRUE(DuplicateSelection(kDuplicateOffset));
  const std::vector<std::string> pasted = Selection();
  ASSERT_EQ(pasted.size(), 3u);
  EXPECT_EQ(X(pasted[0]), kDuplicateOffset);
  EXPECT_EQ(Y(pasted[0]), 400.0f - kDuplicateOffset);
  EXPECT_EQ(EditorHistory().UndoCount(), 1u);
  EXPECT_EQ(ClipboardSize(), 0u);  // a duplicate leaves the clipboard as it was

  ASSERT_TRUE(UndoEdit());
  for (const std::string& name : pasted) EXPECT_EQ(FindLiveObject(name), nullptr);
  EXPECT_EQ(level_->objects.size(), 4u);
  EXPECT_TRUE(Selection().empty());
  EndFrame();

  ASSERT_TRUE(RedoEdit());
  for (const std::string& name : pasted) EXPECT_NE(FindLiveObject(name), nullptr);
  EXPECT_EQ(level_->objects.size(), 7u);
  EXPECT_EQ(Node(pasted[2])->next, Node(pasted[1]));
}

// A copy keeps the pictures its objects show: pasted into a level that does not list them, they join
// that level's list (and are loaded), so the copies show there and after every start; undo takes
// them out again.
TEST_F(ClipboardTest, APasteIntoAnotherLevelBringsThePicturesItsObjectsShow) {
  ObjectRecord sign = Record(ObjectType::Cover, "Cover_1", 0, 0);
  sign.texture = "wall.png";
  EmitterRecord sparks;
  sparks.texture = "star.png";
  sparks.maxParticles = 5;
  sign.emitters.push_back(sparks);
  Level* first = StartLevel({sign}, "first.json");
  first->textures = {"wall.png", "star.png", "food.png"};
  SelectObject("Cover_1", false);
  ASSERT_TRUE(CopySelection());

  Level* second = StartLevel({Record(ObjectType::Wall, "Wall_1", 0, 0)}, "second.json");
  ASSERT_EQ(EditedLevel(), second);
  ClearTextureList();  // so that only the paste can load the picture
  ASSERT_TRUE(PasteAt(500, 0));
  EXPECT_EQ(second->textures, (std::vector<std::string>{"wall.png", "star.png"}));
  EXPECT_EQ(FindRecord(Selection()[0])->texture, "wall.png");
  bool listed = false;
  for (const Texture* t : TextureList()) listed = listed || t->name == "wall.png";
  EXPECT_TRUE(listed) << "the picture is loaded for the pasted wall";

  ASSERT_TRUE(UndoEdit());
  EXPECT_TRUE(second->textures.empty());
  ASSERT_TRUE(RedoEdit());
  EXPECT_EQ(second->textures.size(), 2u);
  // A level that lists the picture already is left as it is.
  ASSERT_TRUE(PasteAt(900, 0));
  EXPECT_EQ(second->textures.size(), 2u);
}

}  // namespace
