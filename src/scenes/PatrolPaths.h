// Linking the patrol paths of a level when its scene starts. Every patrol node record names the node
// that follows it and every human record names the first node of its path; the node objects have
// already been built from the records (they carry the records' names).
#pragma once

#include <vector>

#include "objects/LevelRecords.h"

class GameObject;
class PathNode;

// A human and the first node of its patrol path, for the human's SetPatrolPath.
struct PatrolAssignment {
  GameObject* enemy = nullptr;
  PathNode* firstNode = nullptr;
};

// For every Node record in file order, inserts the node it names after it (a missing or unknown
// successor ends the chain there; naming the first node of the chain closes it into a circle).
// Returns, in file order, every Enemy record whose object exists and whose named first node exists.
std::vector<PatrolAssignment> LinkPatrolPaths(const std::vector<ObjectRecord>& records);
