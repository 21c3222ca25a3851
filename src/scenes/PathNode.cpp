#include "scenes/PathNode.h"

#include <unordered_set>
#include <utility>

namespace {

struct PathNodeState {
  PathNodeRemovalHook removalHook = nullptr;
};

PathNodeState& State() {
  static PathNodeState state;
  return state;
}

constexpr float kNodeSize = 20.0f;

}  // namespace

void SetPathNodeRemovalHook(PathNodeRemovalHook hook) { State().removalHook = hook; }

PathNode::PathNode(std::string nodeName, float x, float y, float z)
    : GameObject(std::move(nodeName), x, y, z, kNodeSize, kNodeSize, ObjectType::Plain), head(this) {}

void PathNode::InsertAfter(PathNode* node) {
  if (node == nullptr) {
    next = nullptr;
    return;
  }
  // Re-inserting the successor would make it its own neighbour and cut the rest of the chain off.
  if (node == next) return;
  node->head = head;
  node->previous = this;
  if (next != nullptr) {
    next->previous = node;
    node->next = next;
  }
  next = node;
}

void PathNode::BeforeDestroy() {
  if (State().removalHook != nullptr) State().removalHook(this);
  PathNode* successor = next;
  PathNode* predecessor = previous;
  if (predecessor != nullptr && predecessor != this) predecessor->next = successor == this ? nullptr : successor;
  if (successor != nullptr && successor != this) successor->previous = predecessor == this ? nullptr : predecessor;

  // Nodes that took this one as their head take its successor instead (its predecessor at the end
  // of an open chain). The walks remember where they have been, so a loop (a circle, or a chain
  // corrupted by editing) ends them.
  PathNode* newHead = successor != nullptr && successor != this ? successor : predecessor;
  if (newHead == this) newHead = nullptr;
  std::unordered_set<PathNode*> seen{this};
  for (PathNode* n = successor; n != nullptr && seen.insert(n).second; n = n->next) {
    if (n->head == this) n->head = newHead;
  }
  for (PathNode* n = predecessor; n != nullptr && seen.insert(n).second; n = n->previous) {
    if (n->head == this) n->head = newHead;
  }
  next = nullptr;
  previous = nullptr;
  head = this;
}
