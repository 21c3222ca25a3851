// Collision shapes (circles and turned boxes) and the contact pass. A collision component sits in
// slot 6; the object pass tests each object's shape against the later objects of the list that the
// shape grid (objects/ShapeGrid.h) finds near it, in list order (TestCollisionPairs). Box-against-circle tests also apply the response by the two objects' types
// (stop, bounce, emitter restart, flags, the cover's filter colour) and report contact; a reported
// contact calls the first object's handler, then the other's.
// Reads the owner's Transform (slot 0); the responses write the circle owner's Transform and
// Kinematics (slot 2), and through the effect hooks restart its emitters named "collision" and
// recolour a cover's Filter (slot 9).
// Invariant: a box's edges are the ones built by its latest Draw (the object pass draws each box
// once per frame before its own tests).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "math/Vector.h"
#include "objects/Component.h"
#include "objects/ObjectType.h"

class GameObject;

using CollisionHandler = void (*)(GameObject* self, GameObject* other);

enum class CollisionShape : uint32_t { Circle = 1, Box = 2 };

class Collision : public Component {
 public:
  explicit Collision(CollisionShape s) : Component(ComponentType::Collision), shape(s) {}
  void Update(float) override {}
  // True when this shape and the other report contact (boxes also apply the response).
  virtual bool CheckCollision(Collision* other) = 0;
  // World point inside the shape; a box's border counts as outside, a circle's as inside.
  virtual bool ContainsPoint(float x, float y) = 0;

  CollisionHandler onCollision = nullptr;
  CollisionShape shape;
  bool disabled = false;
  // Food that reached the collection zone is flagged here and stops counting as carried.
  bool collected = false;
};

class CircleCollision final : public Collision {
 public:
  explicit CircleCollision(float r) : Collision(CollisionShape::Circle), radius(r) {}
  void Draw() override {}
  // Circle against circle: centres at most radius + other radius apart. Anything else: false.
  bool CheckCollision(Collision* other) override;
  bool ContainsPoint(float x, float y) override;

  float radius;  // world units; the centre is the owner's position
};

class BoxCollision final : public Collision {
 public:
  BoxCollision() : Collision(CollisionShape::Box) {}
  // Rebuilds the four edges from the owner's Transform (centre = position, size = scale, turned by
  // the rotation). Without a Transform the edges stay as they were.
  void Draw() override;
  // Box against circle: the test and the response by the pair of object types. Returns whether
  // contact is reported. Uses the edges of the latest Draw.
  bool CheckCollision(Collision* other) override;
  bool ContainsPoint(float x, float y) override;

  struct Edge {
    Vector2 start;
    Vector2 end;
  };
  // V1->V2, V2->V3, V3->V4, V4->V1; the outward normal of S->E is (E.y - S.y, S.x - E.x).
  Edge edges[4];
};

// A zero-radius circle at (x, y) against a shape; false for null.
bool PointInShape(float x, float y, Collision* shape);

// Whether a circle (centre p, radius r) touches the edge start->end. The projection of p onto the
// edge's line is not clamped, only its distance along the line is mirrored; a foot point off the
// segment (allowing 0.05 units of slack) touches nothing, so edge ends have no round caps.
bool CircleTouchesEdge(const Vector2& start, const Vector2& end, const Vector2& p, float r);

// The object's collision shape (a circle or a box), or null when it has none; the common kinds are
// told apart without a dynamic cast, as the pair walk asks for every pair.
Collision* CollisionShapeOf(const GameObject* object);

// Whether objects of this type stand still (walls, vents, cover, glass, the collection and escape
// zones, the barrier): two of them never test each other, and the shape grid enters them once a pass.
bool IsStillShapeType(ObjectType type);

// Runs the pair tests of the object at `index` of the object list against every later object, in
// list order. Only the later objects the shape grid finds near it are visited: the others could not
// have reacted, so responses, handlers and flags come out as in a walk over every one. `list` is the
// live object list (the object pass hands it in; handlers may append to it while the walk runs).
void TestCollisionPairs(const std::vector<GameObject*>& list, size_t index);
// Which later objects TestCollisionPairs visits: those near it (the game) or every one (kept to
// check the grid against and to measure it by).
enum class PairWalk { Grid, EveryObject };
void SetPairWalk(PairWalk walk);
PairWalk GetPairWalk();

// The wall archetype's contact handler: logs "player colliding with wall" at DEBUG when the other
// object is the player.
void WallCollisionHandler(GameObject* self, GameObject* other);

// Raised by the pass while the player's centre is inside a vent / under cover; the player behaviour
// clears them at the start of its update.
struct CollisionFlags {
  bool playerOverVent = false;
  bool playerUnderCover = false;
};
CollisionFlags& GetCollisionFlags();

// How the collision rules read and write behaviour state without depending on the behaviour
// classes. Every pointer is always set (the defaults below stand in until the behaviours exist);
// the behaviour modules replace them when they are built:
//   playerNextState / setPlayerNextState / playerCurrentState: the PlayerBehavior in the player's
//     slot 1 (its nextState and currentState). Return kNoBehavior when the object has none; rows
//     and the vent-entry rule that need a behaviour then do nothing. Defaults: nextState 0,
//     currentState 0 (not started), writes ignored.
//   passesVents: the HumanBehavior's passesVents flag of an enemy (slot 1); false without one.
//     Default: false.
//   barrierBlocks: whether an escape barrier's EscapeBarrierBehavior (slot 1) is closed; false when
//     the barrier has no behaviour. Default: true (a barrier is closed from construction).
struct CollisionBehaviorHooks {
  int (*playerNextState)(GameObject* player);
  void (*setPlayerNextState)(GameObject* player, int state);
  int (*playerCurrentState)(GameObject* player);
  bool (*passesVents)(GameObject* enemy);
  bool (*barrierBlocks)(GameObject* barrier);
};
inline constexpr int kNoBehavior = -1;
// State numbers of the player that the rules look at.
inline constexpr int kPlayerStateWalk = 2;
inline constexpr int kPlayerStateCarry = 3;
inline constexpr int kPlayerStateWindUp = 4;
inline constexpr int kPlayerStateVent = 8;
inline constexpr int kPlayerStateEscape = 10;

CollisionBehaviorHooks& GetCollisionBehaviorHooks();
// Puts the default hooks back (tests use it to start clean).
void ResetCollisionBehaviorHooks();

// What a contact does to components that graphics owns, filled by graphics at start-up
// (InstallCollisionEffects in graphics/CollisionEffects.h; the graphics start calls it, and so must
// anything that runs the pass with emitters or filters but without starting graphics):
//   startEmitters: starts the owner's emitters of that name (food that strikes a wall or a pane
//     restarts its "collision" emitters).
//   shadeCover: sets the cover's filter (slot 9) to black at that alpha (0.5 while the player or
//     food is under it, 1 when the player is not).
// Null until filled; a null hook does nothing (an object with emitters or a filter then trips an
// assert, as the contact would have changed them).
struct CollisionEffectHooks {
  void (*startEmitters)(GameObject* object, const std::string& name) = nullptr;
  void (*shadeCover)(GameObject* cover, float alpha) = nullptr;
};
CollisionEffectHooks& GetCollisionEffectHooks();

// Counters of the pair walk, for benchmarks and tests. pairsConsidered: later objects that passed
// the skip rules; shapeTests: CheckCollision calls made by the walk; contacts: tests that reported
// contact.
struct CollisionCounters {
  uint64_t pairsConsidered = 0;
  uint64_t shapeTests = 0;
  uint64_t contacts = 0;
};
CollisionCounters& GetCollisionCounters();
