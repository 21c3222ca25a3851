// Path nodes: linking with InsertAfter, unlinking when the removal pass deletes a node, and patrol
// paths linked from a level's records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/PathNode.h"
#include "scenes/PatrolPaths.h"

namespace {

class PathNodeTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetPathNodeRemovalHook(nullptr);
    ClearObjects();
  }
  static PathNode* AddNode(const std::string& name, float x = 0.0f, float y = 0.0f) {
    auto* node = new PathNode(name, x, y);
    AddObject(node);
    return node;
  }
  static ObjectRecord NodeRecord(const std::string& id, const std::string& next, ObjectType type = ObjectType::Node) {
    ObjectRecord r;
    r.id = id;
    r.type = static_cast<int32_t>(type);
    r.nextId = next;
    return r;
  }
};

TEST_F(PathNodeTest, InsertAfterLinksAtTheEndAndInTheMiddleAndAfterNullEndsTheChain) {
  PathNode a("A", 0, 0), b("B", 0, 0), c("C", 0, 0);
  a.InsertAfter(&c);
  EXPECT_EQ(a.next, &c);
  EXPECT_EQ(c.previous, &a);
  EXPECT_EQ(c.head, &a);
  EXPECT_EQ(c.next, nullptr);

  a.InsertAfter(&b);  // between a and c
  EXPECT_EQ(a.next, &b);
  EXPECT_EQ(b.previous, &a);
  EXPECT_EQ(b.next, &c);
  EXPECT_EQ(c.previous, &b);
  EXPECT_EQ(b.head, &a);
  EXPECT_EQ(a.previous, nullptr);

  a.InsertAfter(&b);  // already next: the chain must not fold onto b
  EXPECT_EQ(a.next, &b);
  EXPECT_EQ(b.next, &c);
  EXPECT_EQ(b.previous, &a);
  EXPECT_EQ(c.previous, &b);

  b.InsertAfter(nullptr);
  EXPECT_EQ(b.next, nullptr);
  EXPECT_EQ(a.next, &b);
}

PathNode* g_seenDying = nullptr;
PathNode* g_seenSuccessor = nullptr;

// The removal hook sees each node before it is unlinked.
TEST_F(PathNodeTest, DestroyingANodeJoinsItsNeighboursAndMovesTheHead) {
  // Links as indices into {a, b, c}; -1 for none. Survivors are checked in order.
  struct Link {
    int node, next, previous, head;
  };
  struct Row {
    const char* label;
    bool circle;
    std::vector<int> destroyed;
    std::vector<Link> after;
  };
  const Row rows[] = {
      {"middle of a chain", false, {1}, {{0, 2, -1, 0}, {2, -1, 0, 0}}},
      {"first of a chain", false, {0}, {{1, 2, -1, 1}, {2, -1, 1, 1}}},
      {"first, then last of a chain", false, {0, 2}, {{1, -1, -1, 1}}},
      {"first of a circle", true, {0}, {{1, 2, 2, 1}, {2, 1, 1, 1}}},
  };
  SetPathNodeRemovalHook([](PathNode* dying) {
    g_seenDying = dying;
    g_seenSuccessor = dying->GetNext();
  });
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    ClearObjects();
    PathNode* n[] = {AddNode("Node_1"), AddNode("Node_2"), AddNode("Node_3")};
    n[0]->InsertAfter(n[1]);
    n[1]->InsertAfter(n[2]);
    if (row.circle) n[2]->InsertAfter(n[0]);
    auto at = [&](int i) { return i < 0 ? nullptr : n[i]; };
    for (int d : row.destroyed) {
      PathNode* successor = n[d]->GetNext();
      g_seenDying = nullptr;
      n[d]->destroy = true;
      EXPECT_TRUE(DestroyIfMarked(n[d]));
      EXPECT_EQ(g_seenDying, n[d]);
      EXPECT_EQ(g_seenSuccessor, successor);
    }
    EXPECT_EQ(Objects().size(), 3u - row.destroyed.size());
    for (const Link& l : row.after) {
      EXPECT_EQ(n[l.node]->next, at(l.next)) << "node " << l.node;
      EXPECT_EQ(n[l.node]->previous, at(l.previous)) << "node " << l.node;
      EXPECT_EQ(n[l.node]->head, at(l.head)) << "node " << l.node;
    }
  }
}

// Walking the paths is the guard's part (HumanBehaviorTest's patrols); here only the links.
TEST_F(PathNodeTest, PatrolRecordsLinkLoopsOpenEndsAndRepeatedNamesOnce) {
  // Links of Node_1..Node_3 as indices 0..2 after linking the records; -1 for none.
  struct Row {
    const char* label;
    std::vector<ObjectRecord> records;
    int next[3];
    int previous[3];
  };
  const Row rows[] = {
      {"loop", {NodeRecord("Node_1", "Node_2"), NodeRecord("Node_2", "Node_3"), NodeRecord("Node_3", "Node_1")},
       {1, 2, 0}, {2, 0, 1}},
      {"loop, last record first",
       {NodeRecord("Node_3", "Node_1"), NodeRecord("Node_2", "Node_3"), NodeRecord("Node_1", "Node_2")},
       {1, 2, 0}, {2, 0, 1}},
      {"two-node path", {NodeRecord("Node_1", "Node_2"), NodeRecord("Node_2", "")}, {1, -1, -1}, {-1, 0, -1}},
      {"node named twice",
       {NodeRecord("Node_1", "Node_2"), NodeRecord("Node_2", "Node_3"), NodeRecord("Node_1", "Node_2")},
       {1, 2, -1}, {-1, 0, 1}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    ClearObjects();
    PathNode* n[] = {AddNode("Node_1"), AddNode("Node_2"), AddNode("Node_3")};
    auto at = [&](int i) { return i < 0 ? nullptr : n[i]; };
    LinkPatrolPaths(row.records);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(n[i]->next, at(row.next[i])) << "node " << i;
      EXPECT_EQ(n[i]->previous, at(row.previous[i])) << "node " << i;
    }
  }
}

TEST_F(PathNodeTest, AnUnknownSuccessorEndsTheChainAndHumansGetTheirFirstNodes) {
  PathNode* a = AddNode("Node_1");
  PathNode* b = AddNode("Node_2");
  auto* human = new GameObject("Enemy_3", 0, 0, 0, 60, 30, ObjectType::Enemy);
  AddObject(human);
  auto* stander = new GameObject("Enemy_4", 0, 0, 0, 60, 30, ObjectType::Enemy);
  AddObject(stander);
  auto* wall = new GameObject("Wall_5", 0, 0, 0, 60, 30, ObjectType::Wall);
  AddObject(wall);

  std::vector<PatrolAssignment> assigned = LinkPatrolPaths(
      {NodeRecord("Node_1", "Node_2"), NodeRecord("Node_2", "Wall_5"), NodeRecord("Enemy_3", "Node_1", ObjectType::Enemy),
       NodeRecord("Enemy_4", "Node_9", ObjectType::Enemy), NodeRecord("Enemy_4", "", ObjectType::Enemy),
       NodeRecord("Node_7", "Node_1")});
  EXPECT_EQ(a->next, b);
  EXPECT_EQ(b->next, nullptr);  // a wall is no patrol node
  EXPECT_EQ(a->previous, nullptr);
  ASSERT_EQ(assigned.size(), 1u);
  EXPECT_EQ(assigned[0].enemy, human);
  EXPECT_EQ(assigned[0].firstNode, a);
}

}  // namespace
