#include "objects/ObjectManager.h"

#include <algorithm>

#include "core/EditorLink.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/ShapeGrid.h"

namespace {

struct ObjectManagerState {
  std::vector<GameObject*> objects;
  GameObject* transition = nullptr;
  int32_t objectCounter = -1;
  uint64_t version = 0;
  ObjectPassHooks hooks;
};

ObjectManagerState& State() {
  static ObjectManagerState state;
  return state;
}

std::string PrefixOf(const std::string& name) { return name.substr(0, name.find('_')); }

bool MayMoveOthers(ComponentType type) { return type == ComponentType::Behavior || type == ComponentType::UIHandler; }

}  // namespace

const std::vector<GameObject*>& Objects() { return State().objects; }
uint64_t ObjectListVersion() { return State().version; }
void NoteObjectListChanged() { ++State().version; }
int32_t& ObjectCounter() { return State().objectCounter; }
ObjectPassHooks& GetObjectPassHooks() { return State().hooks; }
GameObject* TransitionOverlay() { return State().transition; }

void SetTransitionOverlay(GameObject* overlay) {
  if (State().transition != overlay) delete State().transition;
  State().transition = overlay;
}

void AddObject(GameObject* object) {
  if (object == nullptr) return;
  State().objects.push_back(object);
  NoteObjectListChanged();
}

GameObject* FindObject(const std::string& name, bool byPrefix) {
  for (GameObject* o : State().objects) {
    if (o == nullptr) continue;
    if (o->name == name) return o;
    if (byPrefix && PrefixOf(o->name) == name) return o;
  }
  return nullptr;
}

GameObject* FindObjectAt(float x, float y) {
  for (GameObject* o : State().objects) {
    if (o == nullptr) continue;
    auto* shape = o->GetComponentAs<Collision>(SlotOf(ComponentType::Collision));
    if (shape != nullptr && shape->ContainsPoint(x, y)) return o;
  }
  return nullptr;
}

void RemoveObject(const std::string& name) {
  auto& list = State().objects;
  auto it = std::find_if(list.begin(), list.end(), [&](GameObject* o) { return o != nullptr && o->name == name; });
  if (it != list.end()) {
    list.erase(it);
    NoteObjectListChanged();
    return;
  }
  if (State().transition != nullptr && State().transition->name == name) {
    delete State().transition;
    State().transition = nullptr;
  }
}

void RemoveObject(GameObject* object) {
  auto& list = State().objects;
  auto it = std::find(list.begin(), list.end(), object);
  if (it != list.end()) {
    list.erase(it);
    NoteObjectListChanged();
  } else if (object != nullptr && State().transition == object) {
    State().transition = nullptr;
  }
}

bool DestroyIfMarked(GameObject* object) {
  if (object == nullptr || !object->destroy) return false;
  GameObject* label = State().hooks.linkedLabel ? State().hooks.linkedLabel(object) : nullptr;
  // By identity: a level may hold two objects of one name, and the other one must stay listed.
  RemoveObject(object);
  if (label != nullptr) {
    label->destroy = true;
    DestroyIfMarked(label);
  }
  object->BeforeDestroy();
  delete object;
  return true;
}

void UpdateObjects(float dt) {
  auto& list = State().objects;
  // 1. Component pass. Sizes are read again on every step: objects and components appended during
  // the pass are visited in the same frame.
  // The floor marks go over the backgrounds and under everything else: right after the last
  // background of the list. A level's backgrounds lead its objects, but the scene start makes a
  // few objects of its own (the hidden navigation highlight) before the level's, and marks drawn
  // ahead of the floor would blend over the empty screen and then hide the floor by depth.
  size_t marksAfter = 0;  // one past the last background
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i] != nullptr && list[i]->type == ObjectType::Background) marksAfter = i + 1;
  }
  bool floorMarksDrawn = false;
  // The collision shapes' grid: fixed shapes are entered once for this pass.
  BeginShapeGridPass();
  auto drawFloorMarks = [&floorMarksDrawn]() {
    floorMarksDrawn = true;
    if (State().hooks.drawFloorMarks) State().hooks.drawFloorMarks();
  };
  for (size_t i = 0; i < list.size(); ++i) {
    if (!floorMarksDrawn && i >= marksAfter) drawFloorMarks();
    for (size_t j = 0; i < list.size() && list[i] != nullptr && j < list[i]->components.size(); ++j) {
      GameObject* object = list[i];
      Component* component = object->components[j].get();
      if (component == nullptr) continue;
      if (component->type != ComponentType::Collision) {
        component->Draw();
        component->Update(dt);
        // Kinematics move their own object; behaviours and screen anchors may move any. The grid
        // compares what may have moved before its next query.
        if (component->type == ComponentType::Kinematics) {
          NoteShapeMayHaveMoved(i);
        } else if (MayMoveOthers(component->type)) {
          NoteShapesMayHaveMoved();
        }
        continue;
      }
      auto* shape = object->GetComponentAs<Collision>(SlotOf(ComponentType::Collision));
      if (shape == nullptr || shape->disabled) continue;
      shape->Draw();
      if (!EditorHalted()) TestCollisionPairs(list, i);
    }
  }
  if (!floorMarksDrawn) drawFloorMarks();
  EndShapeGridPass();
  // 2. Focus step of the on-screen buttons.
  if (State().hooks.navigateButtons) State().hooks.navigateButtons();
  // 3. Marks over every object but under the transition overlay.
  if (State().hooks.drawScreenMarks) State().hooks.drawScreenMarks();
  // 4. The transition overlay.
  if (GameObject* overlay = State().transition) {
    for (size_t j = 0; j < overlay->components.size(); ++j) {
      if (Component* c = overlay->components[j].get()) {
        c->Draw();
        c->Update(dt);
      }
    }
  }
  // 5. Removal pass. The index advances only when nothing was removed, so the object that moved
  // into place i is examined next.
  for (size_t i = 0; i < list.size();) {
    GameObject* object = list[i];
    if (object == nullptr) {
      list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
      NoteObjectListChanged();
      continue;
    }
    bool removed = false;
    if (!(State().hooks.enemyPatrolRemoval && State().hooks.enemyPatrolRemoval(object, &removed))) {
      removed = DestroyIfMarked(object);
    }
    if (!removed) ++i;
  }
}

void ClearObjects() {
  auto& list = State().objects;
  std::vector<GameObject*> doomed;
  doomed.swap(list);
  NoteObjectListChanged();
  for (GameObject* o : doomed) delete o;
}
