// A point of a route that humans walk: patrol paths laid out in a level and search paths planned on
// the path-finding grid are both chains of PathNodes. The links are not owned: patrol nodes belong to
// the object list like any level object, search nodes to the human that planned them (see
// ReleaseSearchPath in gameplay/AStar.h). A chain is open (first node has no previous, last node
// no next) or closed into a circle.
#pragma once

#include <string>

#include "objects/GameObject.h"

class PathNode : public GameObject {
 public:
  // A node of size 20 x 20 and plain type at (x, y, z), heading its own chain. The constructor does
  // not add it to the object list.
  PathNode(std::string name, float x, float y, float z = 0.0f);

  // Links `node` in right after this one: it joins this chain (takes this node's head) and this
  // node's old successor follows it. Null makes this node the end of its chain. Inserting the node
  // that already follows this one changes nothing.
  void InsertAfter(PathNode* node);
  PathNode* GetNext() const { return next; }
  PathNode* GetPrevious() const { return previous; }

  // The removal pass calls this before deleting the node: the neighbours are joined across the gap,
  // and nodes that named this one as their head take its successor instead.
  void BeforeDestroy() override;

  PathNode* head;                // first node of the chain; a new node is its own head
  PathNode* next = nullptr;      // successor, null at the end of an open chain
  PathNode* previous = nullptr;  // predecessor, null at the start of an open chain
};

// Called with a patrol node that the removal pass is about to delete, before it is unlinked, so that
// whoever walks the path (the humans) can move off it. Null (the default) calls nothing.
using PathNodeRemovalHook = void (*)(PathNode* dying);
void SetPathNodeRemovalHook(PathNodeRemovalHook hook);
