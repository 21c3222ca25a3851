#include "scenes/PatrolPaths.h"

#include <string>
#include <unordered_map>

#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/ObjectType.h"
#include "scenes/PathNode.h"

namespace {

// The first object of the list with each name, as FindObject would find it.
std::unordered_map<std::string, GameObject*> ObjectsByName() {
  std::unordered_map<std::string, GameObject*> byName;
  for (GameObject* object : Objects()) {
    if (object != nullptr) byName.emplace(object->name, object);
  }
  return byName;
}

GameObject* Lookup(const std::unordered_map<std::string, GameObject*>& byName, const std::string& name) {
  auto it = byName.find(name);
  return it == byName.end() ? nullptr : it->second;
}

}  // namespace

std::vector<PatrolAssignment> LinkPatrolPaths(const std::vector<ObjectRecord>& records) {
  const auto byName = ObjectsByName();
  for (const ObjectRecord& record : records) {
    if (record.type != static_cast<int32_t>(ObjectType::Node)) continue;
    auto* node = dynamic_cast<PathNode*>(Lookup(byName, record.id));
    if (node == nullptr) continue;
    node->InsertAfter(dynamic_cast<PathNode*>(Lookup(byName, record.nextId)));
  }

  std::vector<PatrolAssignment> assignments;
  for (const ObjectRecord& record : records) {
    if (record.type != static_cast<int32_t>(ObjectType::Enemy) || record.nextId.empty()) continue;
    GameObject* enemy = Lookup(byName, record.id);
    auto* first = dynamic_cast<PathNode*>(Lookup(byName, record.nextId));
    if (enemy != nullptr && first != nullptr) assignments.push_back({enemy, first});
  }
  return assignments;
}
