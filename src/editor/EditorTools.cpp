#include "editor/EditorTools.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>

#include "editor/EditorModel.h"
#include "editor/EditorState.h"
#include "editor/ObjectCommands.h"
#include "graphics/ParticleEmitter.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"

namespace {

// A press that moves no more than this in x and in y is a click, not a drag.
constexpr float kDragThreshold = 10.0f;

bool IsNode(const std::string& name) {
  const ObjectRecord* r = FindRecord(name);
  return r != nullptr && r->type == static_cast<int32_t>(ObjectType::Node);
}

void AppendPending(const std::string& name) {
  auto& pending = Editor().pendingNodes;
  if (std::find(pending.begin(), pending.end(), name) == pending.end()) pending.push_back(name);
}

void TakeDragOffsets(float x, float y) {
  EditorState& s = Editor();
  s.dragOffsets.clear();
  for (const std::string& name : s.selection) {
    GameObject* o = FindLiveObject(name);
    const Transform* t = o != nullptr ? o->GetTransform() : nullptr;
    s.dragOffsets.push_back({t != nullptr ? t->position[0] - x : 0.0f, t != nullptr ? t->position[1] - y : 0.0f});
  }
}

bool MovedPastThreshold(const PointerInput& in) {
  const EditorState& s = Editor();
  return std::fabs(in.worldX - s.pressX) > kDragThreshold || std::fabs(in.worldY - s.pressY) > kDragThreshold;
}

void SelectPress(const PointerInput& in) {
  EditorState& s = Editor();
  GameObject* hit = ObjectUnder(in.worldX, in.worldY);
  if (hit == nullptr) {
    // With Ctrl held the band adds to what is selected.
    if (!in.ctrl) {
      ClearSelection();
      s.pendingNodes.clear();
    }
    s.banding = true;
    s.band[0] = s.band[2] = in.worldX;
    s.band[1] = s.band[3] = in.worldY;
  } else if (!IsSelected(hit->name)) {
    SelectObject(hit->name, in.ctrl);
    if (s.placingNodes && IsNode(hit->name)) AppendPending(hit->name);
  }
  TakeDragOffsets(in.worldX, in.worldY);
}

void SelectDrag(const PointerInput& in) {
  EditorState& s = Editor();
  if (s.banding) {
    s.band[2] = in.worldX;
    s.band[3] = in.worldY;
    return;
  }
  s.dragUnsnapped = s.dragUnsnapped || in.shift;
  if (s.selection.empty() || !MovedPastThreshold(in)) return;
  std::vector<MoveObjectsCommand::Move> moves;
  for (size_t i = 0; i < s.selection.size() && i < s.dragOffsets.size(); ++i) {
    GameObject* o = FindLiveObject(s.selection[i]);
    const Transform* t = o != nullptr ? o->GetTransform() : nullptr;
    if (t == nullptr) continue;
    moves.push_back({o->name, t->position[0], t->position[1], in.worldX + s.dragOffsets[i][0],
                     in.worldY + s.dragOffsets[i][1]});
  }
  // The first object lands on the grid and the others keep their places around it.
  if (s.snap && !s.dragUnsnapped && !moves.empty()) {
    const float dx = SnapToGrid(moves.front().toX, s.gridSize) - moves.front().toX;
    const float dy = SnapToGrid(moves.front().toY, s.gridSize) - moves.front().toY;
    for (MoveObjectsCommand::Move& m : moves) {
      m.toX += dx;
      m.toY += dy;
    }
  }
  if (!moves.empty()) RunEditorCommand(std::make_unique<MoveObjectsCommand>(std::move(moves)));
}

void SelectRelease(const PointerInput& in) {
  EditorState& s = Editor();
  const bool band = s.banding && MovedPastThreshold(in);
  s.banding = false;
  if (band) {
    for (GameObject* o : ObjectsInside(s.band[0], s.band[1], in.worldX, in.worldY)) {
      if (IsSelected(o->name)) continue;
      SelectObject(o->name, true);
      // Nodes taken by the band join a path being gathered, as clicked ones do.
      if (s.placingNodes && IsNode(o->name)) AppendPending(o->name);
    }
    EditorHistory().EndMerge();
    return;
  }
  if (!in.ctrl && !MovedPastThreshold(in)) ClearSelection();
  if (GameObject* hit = ObjectUnder(in.worldX, in.worldY)) {
    if (!IsSelected(hit->name)) SelectObject(hit->name, true);
  }
  EditorHistory().EndMerge();
}

void PlacePress(const PointerInput& in) {
  EditorState& s = Editor();
  float x = in.worldX, y = in.worldY;
  if (s.placeType == static_cast<int>(ObjectType::UI)) {
    x -= in.cameraX;
    y -= in.cameraY;
  }
  if (s.snap) {
    x = SnapToGrid(x, s.gridSize);
    y = SnapToGrid(y, s.gridSize);
  }
  auto command = std::make_unique<PlaceObjectCommand>(s.placeType, x, y);
  PlaceObjectCommand* place = command.get();
  if (!RunEditorCommand(std::move(command))) return;
  const std::string name = place->PlacedName();
  EditorHistory().EndMerge();
  ClearSelection();
  SelectObject(name, false);
  if (s.placeType == static_cast<int>(ObjectType::Node) && s.placingNodes) AppendPending(name);
}

void DeleteObjectNamed(const std::string& name) {
  auto& sel = Editor().selection;
  sel.erase(std::remove(sel.begin(), sel.end(), name), sel.end());
  auto& pending = Editor().pendingNodes;
  pending.erase(std::remove(pending.begin(), pending.end(), name), pending.end());
  RunEditorCommand(std::make_unique<DeleteObjectCommand>(name));
  EditorHistory().EndMerge();
}

void DeletePress(const PointerInput& in) {
  if (GameObject* hit = ObjectUnder(in.worldX, in.worldY)) DeleteObjectNamed(hit->name);
}

// The pending list from an enemy's path: the first node, then its successors until the links end or
// come back to the first node (the path is then circular).
void ReadPathInto(const std::string& enemy) {
  EditorState& s = Editor();
  s.pendingNodes.clear();
  const ObjectRecord* r = FindRecord(enemy);
  if (r == nullptr) return;
  std::string first = r->nextId;
  std::string id = first;
  bool circular = false;
  while (!id.empty() && IsNode(id)) {
    if (std::find(s.pendingNodes.begin(), s.pendingNodes.end(), id) != s.pendingNodes.end()) {
      circular = id == first;
      break;
    }
    s.pendingNodes.push_back(id);
    id = FindRecord(id)->nextId;
  }
  s.circularPath = circular;
}

}  // namespace

// ---- selection and tools --------------------------------------------------------------------------

GameObject* ObjectUnder(float x, float y) {
  for (GameObject* o : Objects()) {
    // What cannot be seen cannot be picked: the menus' hidden highlight sits at the screen's centre.
    if (o == nullptr || o->destroy || !o->visible) continue;
    auto* shape = o->GetComponentAs<Collision>(SlotOf(ComponentType::Collision));
    if (shape != nullptr && shape->ContainsPoint(x, y)) return o;
  }
  return nullptr;
}

std::vector<GameObject*> ListedObjects(const std::string& filter) {
  auto lower = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  };
  const std::string wanted = lower(filter);
  std::vector<GameObject*> listed;
  for (GameObject* o : Objects()) {
    // Hidden objects (the menus' highlight) are not listed, as they cannot be picked either.
    if (o == nullptr || o->destroy || !o->visible) continue;
    if (wanted.empty() || lower(o->name).find(wanted) != std::string::npos) listed.push_back(o);
  }
  return listed;
}

std::vector<GameObject*> ObjectsInside(float x0, float y0, float x1, float y1) {
  const float left = std::min(x0, x1), right = std::max(x0, x1);
  const float bottom = std::min(y0, y1), top = std::max(y0, y1);
  std::vector<GameObject*> inside;
  for (GameObject* o : Objects()) {
    // What the band can take is what a click can: visible objects with a shape to pick them by.
    if (o == nullptr || o->destroy || !o->visible) continue;
    if (o->GetComponentAs<Collision>(SlotOf(ComponentType::Collision)) == nullptr) continue;
    const Transform* t = o->GetTransform();
    if (t == nullptr) continue;
    const float radians = t->rotation * 3.14159265f / 180.0f;
    const float c = std::fabs(std::cos(radians)), s = std::fabs(std::sin(radians));
    // Half the extent of the turned outline along x and y.
    const float hx = (std::fabs(t->scale[0]) * c + std::fabs(t->scale[1]) * s) / 2.0f;
    const float hy = (std::fabs(t->scale[0]) * s + std::fabs(t->scale[1]) * c) / 2.0f;
    if (t->position[0] - hx >= left && t->position[0] + hx <= right && t->position[1] - hy >= bottom &&
        t->position[1] + hy <= top) {
      inside.push_back(o);
    }
  }
  return inside;
}

void RunTools(const PointerInput& in) {
  EditorState& s = Editor();
  const bool pressed = in.leftDown && !s.leftWasDown;
  const bool released = !in.leftDown && s.leftWasDown;
  s.leftWasDown = in.leftDown;
  if (!s.stopped) return;

  if (in.deletePressed && !in.keyboardTaken && !AnyDialogOpen() && !s.selection.empty()) {
    DeleteObjectNamed(s.selection.front());
  }
  if (pressed) {
    // A press over a window, or while a dialog is open, belongs to the interface for its whole length.
    s.pressTaken = !in.overInterface && !AnyDialogOpen();
    s.pressX = in.worldX;
    s.pressY = in.worldY;
    s.dragUnsnapped = in.shift;
    s.banding = false;
    if (!s.pressTaken) return;
    switch (s.tool) {
      case EditorTool::Select: SelectPress(in); break;
      case EditorTool::PlaceObject: PlacePress(in); break;
      case EditorTool::DeleteObject: DeletePress(in); break;
    }
    return;
  }
  if (!s.pressTaken || s.tool != EditorTool::Select) return;
  if (in.leftDown) SelectDrag(in);
  if (released) {
    SelectRelease(in);
    s.pressTaken = false;
  }
}

// ---- patrol-path tool -------------------------------------------------------------------------------

bool EnemyHasPath(const std::string& enemy) {
  const ObjectRecord* r = FindRecord(enemy);
  return r != nullptr && !r->nextId.empty() && IsNode(r->nextId);
}

void ShowEnemyPath(const std::string& enemy) {
  EditorState& s = Editor();
  if (s.shownEnemy == enemy) return;
  s.shownEnemy = enemy;
  if (EnemyHasPath(enemy)) ReadPathInto(enemy);
}

void StartNewPatrolNodes() {
  EditorState& s = Editor();
  s.placingNodes = true;
  s.pendingNodes.clear();
  s.placeType = static_cast<int>(ObjectType::Node);
  s.tool = EditorTool::PlaceObject;
}

void SelectExistingNodes() {
  ClearSelection();
  Editor().tool = EditorTool::Select;
  Editor().placingNodes = true;
}

void AddSelectedNodesToEnemy() {
  Editor().tool = EditorTool::Select;
  Editor().placingNodes = true;
}

bool SetPatrolPath(const std::string& enemy) {
  EditorState& s = Editor();
  if (s.pendingNodes.empty()) return false;
  bool done = RunEditorCommand(std::make_unique<LinkPatrolPathCommand>(enemy, s.pendingNodes, s.circularPath));
  EditorHistory().EndMerge();
  if (!done) return false;
  s.placingNodes = false;
  s.pendingNodes.clear();
  // The enemy now has a path; show it as such.
  s.shownEnemy.clear();
  return true;
}

void MovePathEntry(size_t index, int step) {
  auto& list = Editor().pendingNodes;
  if (index >= list.size()) return;
  if (step < 0 && index == 0) return;
  if (step > 0 && index + 1 >= list.size()) return;
  std::swap(list[index], list[step < 0 ? index - 1 : index + 1]);
}

bool RecalculatePath(const std::string& enemy) {
  const auto& list = Editor().pendingNodes;
  if (list.empty()) return false;
  bool done = RunEditorCommand(std::make_unique<LinkPatrolPathCommand>(enemy, list, Editor().circularPath));
  EditorHistory().EndMerge();
  return done;
}

// ---- emitters -----------------------------------------------------------------------------------

void TestEmitter(const std::string& object, size_t index) {
  GameObject* live = FindLiveObject(object);
  if (live == nullptr) return;
  std::vector<ParticleEmitter*> emitters = live->FindComponents<ParticleEmitter>();
  if (index >= emitters.size()) return;
  ParticleEmitter* emitter = emitters[index];
  if (emitter->loop && emitter->active) {
    emitter->active = false;
  } else {
    emitter->Start();
  }
}
