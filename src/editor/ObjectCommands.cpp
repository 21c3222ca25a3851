#include "editor/ObjectCommands.h"

#include <algorithm>

#include "editor/RecordBuilder.h"
#include "graphics/Camera.h"
#include "graphics/Text.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/Kinematics.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/Factory.h"
#include "scenes/Level.h"
#include "scenes/PathNode.h"
#include "scenes/SceneManager.h"
#include "widgets/UIHandler.h"

namespace {

constexpr int32_t kNodeType = static_cast<int32_t>(ObjectType::Node);
constexpr int32_t kEnemyType = static_cast<int32_t>(ObjectType::Enemy);

// Rebuilding an object from its record must not move the naming on: the counter would otherwise
// jump to the rebuilt object's number and later placements would repeat names.
GameObject* RebuildFromRecord(const ObjectRecord& record) {
  const int32_t counter = ObjectCounter();
  GameObject* object = BuildObjectFromRecord(record);
  ObjectCounter() = counter;
  return object;
}

PathNode* LiveNode(const std::string& name) {
  return name.empty() ? nullptr : dynamic_cast<PathNode*>(FindLiveObject(name));
}

void SetEnemyPath(const std::string& enemy, const std::string& firstNode) {
  GameObject* object = FindLiveObject(enemy);
  if (object != nullptr && GetSceneHooks().setPatrolPath != nullptr) {
    GetSceneHooks().setPatrolPath(object, LiveNode(firstNode));
  }
}

bool NameUsedBesides(const std::string& name, const GameObject* self) {
  if (FindRecord(name) != nullptr) return true;
  for (GameObject* o : Objects()) {
    if (o != nullptr && o != self && o->name == name) return true;
  }
  return false;
}

// Moves an object's transform (and the kinematics' memory of where it was, so the first collision
// after a run starts does not push it back to the old place).
void PlaceAt(GameObject& object, float x, float y) {
  if (Transform* t = object.GetTransform()) {
    t->position[0] = x;
    t->position[1] = y;
  }
  if (auto* k = object.GetComponentAs<Kinematics>(SlotOf(ComponentType::Kinematics))) {
    k->lastPosition[0] = x;
    k->lastPosition[1] = y;
  }
  // A box's edges follow its transform only when it draws; picking needs them at once.
  if (auto* box = object.GetComponentAs<BoxCollision>(SlotOf(ComponentType::Collision))) box->Draw();
}

// The handler that pins the object to the screen, or null.
UIHandler* PinOf(GameObject& object) {
  UIHandler* handler = HandlerOf(&object);
  return handler != nullptr && handler->fixedToScreen ? handler : nullptr;
}

// Puts a moved object at one end of its move, live and in its record.
void PlaceMoved(MoveObjectsCommand::Move& m, bool to) {
  GameObject* object = FindLiveObject(m.name);
  ObjectRecord* r = FindRecord(m.name);
  UIHandler* pin = object != nullptr ? PinOf(*object) : nullptr;
  if (pin == nullptr) {
    if (object != nullptr) PlaceAt(*object, to ? m.toX : m.fromX, to ? m.toY : m.fromY);
    if (r != nullptr) {
      r->translationX = to ? m.toX : m.fromX;
      r->translationY = to ? m.toY : m.fromY;
    }
    return;
  }
  const float* screen = to ? m.toScreen : m.fromScreen;
  pin->screenPosition[0] = screen[0];
  pin->screenPosition[1] = screen[1];
  PlaceAt(*object, MainCamera().position[0] + screen[0], MainCamera().position[1] + screen[1]);
  if (r != nullptr) {
    r->translationX = screen[0];
    r->translationY = screen[1];
  }
}

}  // namespace

// ---- place ----------------------------------------------------------------------------------------

bool PlaceObjectCommand::Do() {
  Level* level = EditedLevel();
  if (level == nullptr) return false;
  const size_t first = Objects().size();
  if (!placed_) {
    GameObject* object = CreateObject(type_, x_, y_);
    if (object == nullptr) return false;
    // The scene's own helpers (the menus' hidden highlight) take names from the counter too, and the
    // editor finds objects by name: a placed object steps past every name already in use.
    while (NameUsedBesides(object->name, object)) {
      object->name = object->name.substr(0, object->name.find('_') + 1) + std::to_string(++ObjectCounter());
    }
    record_ = MakeObjectRecord(*object, nullptr);
    placed_ = true;
  } else if (RebuildFromRecord(record_) == nullptr) {
    return false;
  }
  level->objects.push_back(record_);
  pictures_ = ListPicturesOfObjectsFrom(first);
  return true;
}

void PlaceObjectCommand::Undo() {
  UnlistPictures(pictures_);
  if (GameObject* object = FindLiveObject(record_.id)) object->destroy = true;
  Level* level = EditedLevel();
  if (level == nullptr) return;
  auto& records = level->objects;
  auto it = std::find_if(records.rbegin(), records.rend(), [&](const ObjectRecord& r) { return r.id == record_.id; });
  if (it != records.rend()) records.erase(std::next(it).base());
}

// ---- delete ---------------------------------------------------------------------------------------

bool DeleteObjectCommand::Do() {
  GameObject* object = FindLiveObject(name_);
  Level* level = EditedLevel();
  if (object == nullptr || level == nullptr) return false;
  auto& records = level->objects;
  auto it = std::find_if(records.begin(), records.end(), [&](const ObjectRecord& r) { return r.id == name_; });
  hadRecord_ = it != records.end();
  if (!hadRecord_) {
    hidden_ = object;
    UIHandler* handler = HandlerOf(object);
    wasVisible_ = object->visible;
    wasActive_ = handler != nullptr && handler->active;
    // Its label follows the button's visible flag.
    if (handler != nullptr) handler->SetShown(false);
    object->visible = false;
    return true;
  }
  record_ = MakeObjectRecord(*object, hadRecord_ ? &*it : nullptr);
  reroutes_.clear();
  if (hadRecord_) {
    index_ = static_cast<size_t>(it - records.begin());
    records.erase(it);
    // A path that ran through a deleted node runs past it, as the live nodes re-link themselves.
    for (ObjectRecord& r : records) {
      if (r.nextId != name_ || (r.type != kNodeType && r.type != kEnemyType)) continue;
      reroutes_.push_back({r.id});
      r.nextId = record_.type == kNodeType && record_.nextId != name_ ? record_.nextId : "";
    }
  }
  // Texts keep a plain pointer to what they label: they must not point at a freed object. A
  // button's own label is part of its record and goes with it (undo builds it again from there);
  // any other text that follows the object stays, following nothing until undo.
  GameObject* ownLabel = record_.hasLabel ? FindLinkedLabel(object) : nullptr;
  labels_.clear();
  for (GameObject* o : Objects()) {
    if (o == nullptr) continue;
    for (Text* text : o->FindComponents<Text>()) {
      if (text->linkedObject != object) continue;
      text->linkedObject = nullptr;
      if (o == ownLabel) {
        o->destroy = true;
      } else {
        labels_.push_back(o->name);
      }
    }
  }
  object->destroy = true;
  return true;
}

void DeleteObjectCommand::Undo() {
  if (!hadRecord_) {
    // After a new start of the scene the game has made the object afresh: nothing to show again.
    GameObject* object = hidden_.Get();
    if (object == nullptr) return;
    object->visible = wasVisible_;
    if (UIHandler* handler = HandlerOf(object)) handler->active = wasActive_;
    return;
  }
  GameObject* object = RebuildFromRecord(record_);
  Level* level = EditedLevel();
  if (level != nullptr && hadRecord_) {
    auto& records = level->objects;
    records.insert(records.begin() + static_cast<std::ptrdiff_t>(std::min(index_, records.size())), record_);
  }
  for (const Reroute& reroute : reroutes_) {
    ObjectRecord* r = FindRecord(reroute.id);
    if (r == nullptr) continue;
    r->nextId = name_;
    if (r->type == kEnemyType) SetEnemyPath(r->id, name_);
    PathNode* before = LiveNode(r->id);
    PathNode* node = dynamic_cast<PathNode*>(object);
    if (before != nullptr && node != nullptr) before->InsertAfter(node);
  }
  for (const std::string& label : labels_) {
    GameObject* o = FindLiveObject(label);
    if (o == nullptr) continue;
    for (Text* text : o->FindComponents<Text>()) text->linkedObject = object;
  }
}

// ---- move -----------------------------------------------------------------------------------------

bool MoveObjectsCommand::Do() {
  bool any = false;
  for (Move& m : moves_) {
    GameObject* object = FindLiveObject(m.name);
    if (object == nullptr) continue;
    UIHandler* pin = PinOf(*object);
    if (pin != nullptr && !m.pinned) {
      m.pinned = true;
      for (int i = 0; i < 2; ++i) m.fromScreen[i] = pin->screenPosition[i];
      m.toScreen[0] = m.fromScreen[0] + (m.toX - m.fromX);
      m.toScreen[1] = m.fromScreen[1] + (m.toY - m.fromY);
    }
    PlaceMoved(m, true);
    any = true;
  }
  return any;
}

void MoveObjectsCommand::Undo() {
  for (Move& m : moves_) PlaceMoved(m, false);
}

bool MoveObjectsCommand::Merge(const EditorCommand& next) {
  auto* move = dynamic_cast<const MoveObjectsCommand*>(&next);
  if (move == nullptr || move->moves_.size() != moves_.size()) return false;
  for (size_t i = 0; i < moves_.size(); ++i) {
    if (moves_[i].name != move->moves_[i].name) return false;
  }
  for (size_t i = 0; i < moves_.size(); ++i) {
    moves_[i].toX = move->moves_[i].toX;
    moves_[i].toY = move->moves_[i].toY;
    moves_[i].toScreen[0] = move->moves_[i].toScreen[0];
    moves_[i].toScreen[1] = move->moves_[i].toScreen[1];
  }
  return true;
}

// ---- patrol path ----------------------------------------------------------------------------------

bool LinkPatrolPathCommand::Do() {
  if (nodes_.empty() || FindRecord(enemy_) == nullptr) return false;
  if (!captured_) {
    before_.clear();
    for (const std::string& id : nodes_) {
      const ObjectRecord* r = FindRecord(id);
      before_.push_back({id, r != nullptr ? r->nextId : ""});
    }
    enemyBefore_ = FindRecord(enemy_)->nextId;
    captured_ = true;
  }
  std::vector<OldLink> links;
  for (size_t i = 0; i < nodes_.size(); ++i) {
    std::string next;
    if (i + 1 < nodes_.size()) next = nodes_[i + 1];
    else if (circular_) next = nodes_.front();
    links.push_back({nodes_[i], next});
  }
  Apply(links, nodes_.front());
  return true;
}

void LinkPatrolPathCommand::Undo() { Apply(before_, enemyBefore_); }

void LinkPatrolPathCommand::Apply(const std::vector<OldLink>& links, const std::string& enemyFirst) {
  // Records first: they are what a restart and a save read.
  for (const OldLink& link : links) {
    if (ObjectRecord* r = FindRecord(link.id)) r->nextId = link.nextId;
  }
  if (ObjectRecord* r = FindRecord(enemy_)) r->nextId = enemyFirst;
  // Then the live chain, node by node, in the order the records now give.
  PathNode* head = links.empty() ? nullptr : LiveNode(links.front().id);
  for (const OldLink& link : links) {
    PathNode* node = LiveNode(link.id);
    if (node == nullptr) continue;
    PathNode* next = LiveNode(link.nextId);
    node->next = next;
    node->head = head != nullptr ? head : node;
    if (next != nullptr) next->previous = node;
  }
  for (const OldLink& link : links) {
    PathNode* node = LiveNode(link.id);
    if (node == nullptr) continue;
    bool named = false;
    for (const OldLink& other : links) named = named || other.nextId == link.id;
    if (!named) node->previous = nullptr;
  }
  SetEnemyPath(enemy_, enemyFirst);
}
