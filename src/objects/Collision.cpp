#include "objects/Collision.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <iterator>
#include <limits>
#include <vector>
#include <typeinfo>

#include "core/Logger.h"
#include "objects/GameObject.h"
#include "objects/Kinematics.h"
#include "objects/ShapeGrid.h"
#include "objects/Transform.h"

namespace {

constexpr float kDegreesToRadians = 0.017453289f;
// A circle farther than this from a box's centre and from every corner is not tested at all.
constexpr float kBroadPhaseSquared = 250000.0f;
constexpr float kEdgeTolerance = 0.05f;
constexpr float kBounceKeep = 0.5f;
// A normal component this small counts as 0 (the edge lies along the other axis).
constexpr float kAxisTolerance = 1e-3f;

int DefaultPlayerNextState(GameObject*) { return 0; }
void DefaultSetPlayerNextState(GameObject*, int) {}
int DefaultPlayerCurrentState(GameObject*) { return 0; }
bool DefaultPassesVents(GameObject*) { return false; }
bool DefaultBarrierBlocks(GameObject*) { return true; }

constexpr CollisionBehaviorHooks kDefaultHooks = {DefaultPlayerNextState, DefaultSetPlayerNextState,
                                                  DefaultPlayerCurrentState, DefaultPassesVents,
                                                  DefaultBarrierBlocks};

struct CollisionState {
  CollisionFlags flags;
  CollisionBehaviorHooks hooks = kDefaultHooks;
  CollisionEffectHooks effects;
  CollisionCounters counters;
};

CollisionState& State() {
  static CollisionState state;
  return state;
}

// The hooks through a null check each: a module that clears one gets the default, not a crash.
int PlayerNextState(GameObject* player) {
  auto hook = State().hooks.playerNextState;
  return (hook != nullptr ? hook : kDefaultHooks.playerNextState)(player);
}
void SetPlayerNextState(GameObject* player, int state) {
  auto hook = State().hooks.setPlayerNextState;
  (hook != nullptr ? hook : kDefaultHooks.setPlayerNextState)(player, state);
}
int PlayerCurrentState(GameObject* player) {
  auto hook = State().hooks.playerCurrentState;
  return (hook != nullptr ? hook : kDefaultHooks.playerCurrentState)(player);
}
bool PassesVents(GameObject* enemy) {
  auto hook = State().hooks.passesVents;
  return (hook != nullptr ? hook : kDefaultHooks.passesVents)(enemy);
}
bool BarrierBlocks(GameObject* barrier) {
  auto hook = State().hooks.barrierBlocks;
  return (hook != nullptr ? hook : kDefaultHooks.barrierBlocks)(barrier);
}

// The pair walk asks for shapes, transforms and kinematics of every pair. Comparing type_info
// addresses answers the common case without a dynamic_cast; anything else takes the full check.
template <class T>
T* FastCast(Component* c) {
  if (c == nullptr) return nullptr;
  if (&typeid(*c) == &typeid(T)) return static_cast<T*>(c);
  return dynamic_cast<T*>(c);
}

Transform* TransformOf(const GameObject* object) {
  return object != nullptr ? FastCast<Transform>(object->GetComponent(SlotOf(ComponentType::Transform))) : nullptr;
}

Vector2 PositionOf(const GameObject* object) {
  const Transform* t = TransformOf(object);
  return t != nullptr ? Vector2(t->position[0], t->position[1]) : Vector2();
}

float Distance(const Vector2& a, const Vector2& b) { return (a - b).Length(); }

bool IsTextOrUI(ObjectType type) { return type == ObjectType::Text || type == ObjectType::UI; }

Vector2 OutwardNormal(const BoxCollision::Edge& edge) {
  return Vector2(edge.end.y() - edge.start.y(), edge.start.x() - edge.end.x()).Normalized();
}

// Takes back the part of this frame's movement that went into the box across the edge (along its
// outward normal), keeping the part along the edge. Putting the mover back on both axes would undo
// its movement along a wall as well, so one pushing diagonally into a wall would never slide.
void StepBackAlongNormal(GameObject* object, const Kinematics* kinematics, const Vector2& normal) {
  Transform* t = TransformOf(object);
  if (t == nullptr) return;
  const float* last = kinematics->GetLastPosition();
  const Vector2 moved(t->position[0] - last[0], t->position[1] - last[1]);
  const float into = moved.Dot(normal);
  if (into < 0.0f) {
    t->position[0] -= normal.x() * into;
    t->position[1] -= normal.y() * into;
  }
  t->position[2] = 0.0f;
}

// True while the velocity heads into the box across the edge.
bool HeadsInto(const Kinematics* kinematics, const Vector2& normal) {
  const float* v = kinematics->GetVelocity();
  return v[0] * normal.x() + v[1] * normal.y() < 0.0f;
}

// Out of the edge along its normal, with the velocity component into the edge taken away.
void Stop(GameObject* object, Kinematics* kinematics, const BoxCollision::Edge& edge) {
  const Vector2 normal = OutwardNormal(edge);
  if (TransformOf(object) == nullptr) return;
  StepBackAlongNormal(object, kinematics, normal);
  // Moving away from the edge (out of an overlap) is left alone.
  if (!HeadsInto(kinematics, normal)) return;
  const float* v = kinematics->GetVelocity();
  // A wall turned by a multiple of 90 degrees has a normal whose x is a rounding error, not 0.
  if (std::fabs(normal.x()) < kAxisTolerance) kinematics->SetVelocity(v[0], 0.0f);
  else kinematics->SetVelocity(0.0f, v[1]);
}

// Out of the edge along its normal, each velocity component mirrored by its own axis of the normal,
// at half speed. Only a mover heading into the box bounces: food thrown along an edge its circle
// overlaps, or away from it, flies on.
void Bounce(GameObject* object, Kinematics* kinematics, const BoxCollision::Edge& edge) {
  const Vector2 normal = OutwardNormal(edge);
  if (TransformOf(object) == nullptr || !HeadsInto(kinematics, normal)) return;
  StepBackAlongNormal(object, kinematics, normal);
  const float* v = kinematics->GetVelocity();
  float vx = v[0] - 2.0f * normal.x() * normal.x() * v[0];
  float vy = v[1] - 2.0f * normal.y() * normal.y() * v[1];
  kinematics->SetVelocity(vx * kBounceKeep, vy * kBounceKeep);
}

// Whether the object carries a component of that kind anywhere (fixed slot or appended).
[[maybe_unused]] bool Carries(const GameObject* object, ComponentType type) {
  for (const auto& c : object->components) {
    if (c != nullptr && c->type == type) return true;
  }
  return false;
}

void RestartCollisionEmitters(GameObject* object) {
  if (auto start = State().effects.startEmitters) {
    start(object, "collision");
    return;
  }
  assert(!Carries(object, ComponentType::ParticleEmitter) &&
         "an emitter would not restart: call InstallCollisionEffects (graphics/CollisionEffects.h) at start-up");
}

void SetCoverShade(GameObject* cover, float alpha) {
  if (auto shade = State().effects.shadeCover) {
    shade(cover, alpha);
    return;
  }
  assert(cover->GetComponent(SlotOf(ComponentType::Filter)) == nullptr &&
         "a cover's filter would not shade: call InstallCollisionEffects (graphics/CollisionEffects.h) at start-up");
}

}  // namespace

CollisionFlags& GetCollisionFlags() { return State().flags; }
CollisionBehaviorHooks& GetCollisionBehaviorHooks() { return State().hooks; }
CollisionEffectHooks& GetCollisionEffectHooks() { return State().effects; }
void ResetCollisionBehaviorHooks() { State().hooks = kDefaultHooks; }
CollisionCounters& GetCollisionCounters() { return State().counters; }

bool CircleTouchesEdge(const Vector2& start, const Vector2& end, const Vector2& p, float r) {
  const Vector2 d = end - start;
  const float dd = d.Dot(d);
  // A zero-length edge (a box of zero size) has no line to project on.
  if (dd == 0.0f) return false;
  const float t = std::fabs((p - start).Dot(d) / dd);
  const Vector2 q = start + d * t;
  if (std::fabs(d.Length() - (Distance(start, q) + Distance(end, q))) > kEdgeTolerance) return false;
  return Distance(p, q) <= r;
}

bool PointInShape(float x, float y, Collision* shape) {
  if (shape == nullptr) return false;
  if (auto* circle = FastCast<CircleCollision>(shape)) {
    return Distance(Vector2(x, y), PositionOf(circle->owner)) <= circle->radius;
  }
  return shape->ContainsPoint(x, y);
}

void WallCollisionHandler(GameObject*, GameObject* other) {
  if (other != nullptr && other->type == ObjectType::Player) Log("player colliding with wall", LogLevel::Debug);
}

// ---- circles ----------------------------------------------------------------------------------

bool CircleCollision::CheckCollision(Collision* other) {
  auto* circle = FastCast<CircleCollision>(other);
  if (circle == nullptr || owner == nullptr || circle->owner == nullptr) return false;
  return Distance(PositionOf(owner), PositionOf(circle->owner)) <= radius + circle->radius;
}

bool CircleCollision::ContainsPoint(float x, float y) {
  if (owner == nullptr) return false;
  return Distance(Vector2(x, y), PositionOf(owner)) <= radius;
}

// ---- boxes ------------------------------------------------------------------------------------

void BoxCollision::Draw() {
  const Transform* t = TransformOf(owner);
  if (t == nullptr) return;
  const float cx = t->position[0];
  const float cy = t->position[1];
  const float hw = t->scale[0] / 2.0f;
  const float hh = t->scale[1] / 2.0f;
  const float a = t->rotation * kDegreesToRadians;
  const float c = std::cos(a);
  const float s = std::sin(a);
  const Vector2 v1(cx + hw * c - hh * s, cy + hw * s + hh * c);
  const Vector2 v2(cx - hw * c - hh * s, cy - hw * s + hh * c);
  const Vector2 v3(cx - hw * c + hh * s, cy - hw * s - hh * c);
  const Vector2 v4(cx + hw * c + hh * s, cy + hw * s - hh * c);
  edges[0] = {v1, v2};
  edges[1] = {v2, v3};
  edges[2] = {v3, v4};
  edges[3] = {v4, v1};
}

bool BoxCollision::ContainsPoint(float x, float y) {
  const Transform* t = TransformOf(owner);
  if (t == nullptr) return false;
  const float cx = t->position[0];
  const float cy = t->position[1];
  // Turn the point back by the box's rotation, then test against the unturned box.
  const float a = -t->rotation * kDegreesToRadians;
  const float c = std::cos(a);
  const float s = std::sin(a);
  const float dx = x - cx;
  const float dy = y - cy;
  const float px = cx + dx * c - dy * s;
  const float py = cy + dx * s + dy * c;
  const float hw = t->scale[0] / 2.0f;
  const float hh = t->scale[1] / 2.0f;
  return cx - hw < px && px < cx + hw && cy - hh < py && py < cy + hh;
}

bool BoxCollision::CheckCollision(Collision* other) {
  auto* circle = FastCast<CircleCollision>(other);
  if (circle == nullptr || owner == nullptr || circle->owner == nullptr) return false;
  GameObject* box = owner;
  GameObject* mover = circle->owner;
  const Transform* moverTransform = TransformOf(mover);
  const Transform* boxTransform = TransformOf(box);
  if (moverTransform == nullptr || boxTransform == nullptr) return false;
  const Vector2 p(moverTransform->position[0], moverTransform->position[1]);

  // A point has no extent to push out of anything: it is only asked whether it lies inside.
  if (circle->radius == 0.0f) return ContainsPoint(p.x(), p.y());

  // The broad phase runs before the Kinematics lookup: both only decide "no contact", and this
  // order keeps the far pairs (nearly all of them) cheap.
  auto within = [&](float x, float y) {
    const float dx = p.x() - x, dy = p.y() - y;
    return dx * dx + dy * dy < kBroadPhaseSquared;
  };
  bool near = within(boxTransform->position[0], boxTransform->position[1]);
  for (const Edge& edge : edges) near = near || within(edge.start.x(), edge.start.y());
  if (!near) return false;

  auto* kinematics = FastCast<Kinematics>(mover->GetComponent(SlotOf(ComponentType::Kinematics)));
  if (kinematics == nullptr) return false;

  CollisionFlags& flags = State().flags;
  const float r = circle->radius;
  const ObjectType boxType = box->type;
  const ObjectType moverType = mover->type;

  for (const Edge& edge : edges) {
    // Evaluated lazily: only the rows that ask for contact pay for the edge test.
    auto touching = [&] { return CircleTouchesEdge(edge.start, edge.end, p, r); };
    auto playerCanBeStopped = [&] {
      const int next = PlayerNextState(mover);
      return next != kNoBehavior && next != kPlayerStateEscape;
    };

    switch (boxType) {
      case ObjectType::Wall:
        if (moverType == ObjectType::Player) {
          if (playerCanBeStopped() && touching()) {
            Stop(mover, kinematics, edge);
            return true;
          }
        } else if (moverType == ObjectType::Enemy) {
          if (PassesVents(mover)) return false;
          if (touching()) {
            Stop(mover, kinematics, edge);
            return true;
          }
        } else if (moverType == ObjectType::Food) {
          if (touching()) {
            RestartCollisionEmitters(mover);
            Bounce(mover, kinematics, edge);
            return true;
          }
        } else {
          return false;
        }
        break;

      case ObjectType::Vent:
        if (moverType == ObjectType::Food) {
          if (touching()) Bounce(mover, kinematics, edge);
        } else if (moverType == ObjectType::Player) {
          if (PointInShape(p.x(), p.y(), this)) flags.playerOverVent = true;
        } else if (moverType == ObjectType::Enemy) {
          if (PassesVents(mover)) return false;
          if (touching()) Bounce(mover, kinematics, edge);
        } else {
          return false;
        }
        break;

      case ObjectType::Cover:
        if (moverType == ObjectType::Player) {
          if (PointInShape(p.x(), p.y(), this)) {
            flags.playerUnderCover = true;
            SetCoverShade(box, 0.5f);
          } else {
            SetCoverShade(box, 1.0f);
          }
        } else if (moverType == ObjectType::Food) {
          if (PointInShape(p.x(), p.y(), this)) SetCoverShade(box, 0.5f);
        } else {
          return false;
        }
        break;

      case ObjectType::Glass:
        if (moverType == ObjectType::Player) {
          if (playerCanBeStopped() && touching()) {
            Stop(mover, kinematics, edge);
            return true;
          }
        } else if (moverType == ObjectType::Food) {
          if (touching()) {
            RestartCollisionEmitters(mover);
            return true;
          }
        } else if (moverType == ObjectType::Enemy) {
          // An intact pane is a wall to a guard (a shattered one has no shape left to meet).
          if (PassesVents(mover)) return false;
          if (touching()) {
            Stop(mover, kinematics, edge);
            return true;
          }
        } else {
          return false;
        }
        break;

      case ObjectType::Collection:
        if (moverType != ObjectType::Food) return false;
        if (touching()) return true;
        break;

      // An open barrier is hidden and stops nothing: not the player, not food, not humans.
      case ObjectType::EscapeBarrier:
        if (moverType == ObjectType::Player) {
          if (playerCanBeStopped() && touching() && BarrierBlocks(box)) {
            Stop(mover, kinematics, edge);
            return true;
          }
        } else if (moverType == ObjectType::Food) {
          if (touching() && BarrierBlocks(box)) {
            Stop(mover, kinematics, edge);
            return true;
          }
        } else if (moverType == ObjectType::Enemy) {
          if (PassesVents(mover)) return false;
          if (touching() && BarrierBlocks(box)) {
            Stop(mover, kinematics, edge);
            return true;
          }
        } else {
          return false;
        }
        break;

      case ObjectType::EscapeZone:
        if (moverType != ObjectType::Player) return false;
        if (touching()) return true;
        break;

      // Reported so that the player's contact handler can send it back to the level start; a
      // player wholly inside the zone (or put there by the level) touches no edge but counts too.
      case ObjectType::KillZone:
        if (moverType != ObjectType::Player) return false;
        if (touching() || ContainsPoint(p.x(), p.y())) return true;
        break;

      default:
        return false;
    }
  }
  return false;
}

// ---- the pair walk ----------------------------------------------------------------------------

namespace {

// Whether any vent of the list holds the point.
bool InsideAnyVent(const std::vector<GameObject*>& list, const Vector2& p) {
  for (GameObject* object : list) {
    if (object == nullptr || object->type != ObjectType::Vent) continue;
    Collision* shape = CollisionShapeOf(object);
    if (shape != nullptr && shape->ContainsPoint(p.x(), p.y())) return true;
  }
  return false;
}

// The player steps into a vent whose area holds its centre and steps out when it is inside no vent
// at all: a level has several, and the vents it is not in must not send it back to walking. Only
// vents later in the list than the player get here.
void ApplyVentEntry(const std::vector<GameObject*>& list, GameObject* player, Collision* vent) {
  const int current = PlayerCurrentState(player);
  if (current == kNoBehavior) return;
  const Vector2 p = PositionOf(player);
  if (current == kPlayerStateWalk || current == kPlayerStateCarry || current == kPlayerStateWindUp) {
    if (vent->ContainsPoint(p.x(), p.y()) && PlayerNextState(player) != kPlayerStateVent) {
      SetPlayerNextState(player, kPlayerStateVent);
    }
  } else if (current == kPlayerStateVent) {
    if (!vent->ContainsPoint(p.x(), p.y()) && !InsideAnyVent(list, p)) SetPlayerNextState(player, kPlayerStateWalk);
  }
}

// Circle and circle: the first tests the other; a circle and a box: the box tests the circle; two
// boxes are never tested.
bool DispatchShapes(Collision* first, Collision* second, CollisionCounters& counters) {
  const bool firstCircle = first->shape == CollisionShape::Circle;
  const bool secondCircle = second->shape == CollisionShape::Circle;
  if (!firstCircle && !secondCircle) return false;
  ++counters.shapeTests;
  if (firstCircle && !secondCircle) return second->CheckCollision(first);
  return first->CheckCollision(second);
}

}  // namespace

namespace {

enum class PairOutcome { Skipped, Tested, Contact, SelfGone };

// One pair of the walk: the skip rules, the vent entry, the shape test and the handlers.
PairOutcome VisitPair(const std::vector<GameObject*>& list, GameObject* self, bool selfStatic, Collision*& first,
                      GameObject* other, CollisionCounters& counters) {
  if (other == nullptr || IsTextOrUI(other->type)) return PairOutcome::Skipped;
  if (other->type == self->type) return PairOutcome::Skipped;
  if (selfStatic && IsStillShapeType(other->type)) return PairOutcome::Skipped;
  auto* second = CollisionShapeOf(other);
  if (second == nullptr) return PairOutcome::Skipped;
  ++counters.pairsConsidered;

  if (self->type == ObjectType::Player && other->type == ObjectType::Vent) ApplyVentEntry(list, self, second);

  if (first->disabled || second->disabled) return PairOutcome::Skipped;
  if (!DispatchShapes(first, second, counters)) return PairOutcome::Tested;
  ++counters.contacts;

  if (first->onCollision != nullptr) first->onCollision(self, other);
  // A handler may take shapes away (a shattered pane loses its own); ask for both again.
  auto* secondNow = CollisionShapeOf(other);
  if (secondNow != nullptr && secondNow->onCollision != nullptr) secondNow->onCollision(other, self);
  first = CollisionShapeOf(self);
  return first == nullptr ? PairOutcome::SelfGone : PairOutcome::Contact;
}

struct Place {
  float x = 0.0f, y = 0.0f;
  bool operator==(const Place&) const = default;
};
Place PlaceOf(const GameObject* object) {
  const Transform* t = object != nullptr ? TransformOf(object) : nullptr;
  return t != nullptr ? Place{t->position[0], t->position[1]} : Place{};
}
bool SamePlace(const Place& a, const Place& b) {
  // NaN never equals itself; a NaN that stays NaN has not moved anywhere a query could miss.
  auto same = [](float u, float v) { return u == v || (std::isnan(u) && std::isnan(v)); };
  return same(a.x, b.x) && same(a.y, b.y);
}

struct PairWalkState {
  PairWalk walk = PairWalk::Grid;
  std::vector<uint32_t> near;
  std::vector<uint32_t> vents;
  std::vector<uint32_t> merged;
  std::vector<uint32_t> candidates;
};
PairWalkState& Walk() {
  static PairWalkState state;
  return state;
}

// The later objects that may react with `self`: those whose grid entries meet its own, and every
// later vent for the player (its vent rule asks each one whatever the distance), in list order.
const std::vector<uint32_t>& NearbyAfter(GameObject* self, size_t after) {
  PairWalkState& w = Walk();
  ShapeBounds bounds;
  if (!ShapeBoundsOf(self, &bounds)) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    bounds = {nan, nan, nan, nan};
  }
  GatherShapesNear(bounds, after, w.near);
  if (self->type != ObjectType::Player) return w.near;
  GatherVentsAfter(after, w.vents);
  w.merged.clear();
  std::set_union(w.near.begin(), w.near.end(), w.vents.begin(), w.vents.end(), std::back_inserter(w.merged));
  return w.merged;
}

// Every later object of the list, one by one.
void WalkEveryLaterObject(const std::vector<GameObject*>& list, size_t index, GameObject* self, Collision* first,
                          CollisionCounters& counters) {
  const bool selfStatic = IsStillShapeType(self->type);
  // The list size is read again on every step: a contact handler may add objects.
  for (size_t k = index + 1; k < list.size(); ++k) {
    if (VisitPair(list, self, selfStatic, first, list[k], counters) == PairOutcome::SelfGone) return;
  }
}

// The later objects the shape grid finds near `self`, in the same order as the walk over all of
// them: the others cannot react with it. After anything that moves `self` or runs handlers, the
// rest is asked for again from where the walk stands.
void WalkNearbyLaterObjects(const std::vector<GameObject*>& list, size_t index, GameObject* self, Collision* first,
                            CollisionCounters& counters) {
  const bool selfStatic = IsStillShapeType(self->type);
  ShapeBounds selfBounds;
  bool selfUsable = ShapeBoundsOf(self, &selfBounds);
  std::vector<uint32_t>& candidates = Walk().candidates;
  candidates = NearbyAfter(self, index);
  for (size_t next = 0; next < candidates.size(); ++next) {
    const size_t k = candidates[next];
    if (k >= list.size()) break;
    GameObject* other = list[k];
    const Place selfBefore = PlaceOf(self);
    const Place otherBefore = PlaceOf(other);
    const PairOutcome outcome = VisitPair(list, self, selfStatic, first, other, counters);
    if (outcome == PairOutcome::SelfGone) return;
    if (outcome == PairOutcome::Skipped) continue;
    bool askAgain = outcome == PairOutcome::Contact;
    // Handlers may have moved anything; a response moves one of the two.
    if (askAgain || !SamePlace(PlaceOf(other), otherBefore)) NoteShapesMayHaveMoved();
    if (!SamePlace(PlaceOf(self), selfBefore)) {
      NoteShapesMayHaveMoved();
      askAgain = true;
    }
    if (!askAgain) continue;
    ShapeBounds now;
    const bool usable = ShapeBoundsOf(self, &now);
    const bool selfSame = usable == selfUsable && (!usable || (now.x0 == selfBounds.x0 && now.y0 == selfBounds.y0 &&
                                                               now.x1 == selfBounds.x1 && now.y1 == selfBounds.y1));
    if (selfSame && outcome != PairOutcome::Contact) continue;
    selfBounds = now;
    selfUsable = usable;
    candidates = NearbyAfter(self, k);
    next = static_cast<size_t>(-1);  // the loop's step brings it to 0
  }
}

}  // namespace

void SetPairWalk(PairWalk walk) { Walk().walk = walk; }
PairWalk GetPairWalk() { return Walk().walk; }

void TestCollisionPairs(const std::vector<GameObject*>& list, size_t index) {
  if (index >= list.size() || list[index] == nullptr) return;
  GameObject* self = list[index];
  if (IsTextOrUI(self->type)) return;
  CollisionCounters& counters = State().counters;

  auto* first = CollisionShapeOf(self);
  if (first == nullptr) return;
  if (Walk().walk == PairWalk::EveryObject) {
    WalkEveryLaterObject(list, index, self, first, counters);
  } else {
    WalkNearbyLaterObjects(list, index, self, first, counters);
  }
}

bool IsStillShapeType(ObjectType type) {
  switch (type) {
    case ObjectType::Vent:
    case ObjectType::Cover:
    case ObjectType::Glass:
    case ObjectType::Wall:
    case ObjectType::Collection:
    case ObjectType::EscapeBarrier:
    case ObjectType::EscapeZone:
      return true;
    default:
      return false;
  }
}

Collision* CollisionShapeOf(const GameObject* object) {
  Component* c = object->GetComponent(SlotOf(ComponentType::Collision));
  if (c == nullptr) return nullptr;
  const std::type_info& type = typeid(*c);
  if (&type == &typeid(BoxCollision)) return static_cast<BoxCollision*>(c);
  if (&type == &typeid(CircleCollision)) return static_cast<CircleCollision*>(c);
  return dynamic_cast<Collision*>(c);
}
