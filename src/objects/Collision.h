// Collision shapes (circles and turned boxes) and the contact pass. A collision component sits in
// slot 6; the object pass tests each object's shape against every later object in the list
// (TestCollisionPairs). Box-against-circle tests also apply the response by the two objects' types
// (stop, bounce, emitter restart, flags) and report contact; contact calls both contact handlers.
#pragma once

#include <cstddef>

#include "math/Vector.h"
#include "objects/Component.h"

class GameObject;

using CollisionHandler = void (*)(GameObject* self, GameObject* other);

enum class CollisionShape : uint32_t { Circle = 1, Box = 2 };

class Collision : public Component {
 public:
  explicit Collision(CollisionShape s) : Component(ComponentType::Collision), shape(s) {}
  void Update(float) override {}
  // True when this shape and the other report contact (boxes also apply the response).
  virtual bool CheckCollision(Collision* other) = 0;
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
  bool CheckCollision(Collision* other) override;
  bool ContainsPoint(float x, float y) override;

  float radius;
};

class BoxCollision final : public Collision {
 public:
  BoxCollision() : Collision(CollisionShape::Box) {}
  // Rebuilds the four edges from the owner's Transform.
  void Draw() override;
  bool CheckCollision(Collision* other) override;
  bool ContainsPoint(float x, float y) override;

  struct Edge {
    Vector2 start;
    Vector2 end;
  };
  Edge edges[4];
};

// A zero-radius circle at (x, y) against a shape.
bool PointInShape(float x, float y, Collision* shape);

// Runs the pair tests of the object at `index` of the object list against every later object.
void TestCollisionPairs(size_t index);

// Raised by the pass while the player's centre is inside a vent / under cover; the player behaviour
// clears them at the start of its update.
struct CollisionFlags {
  bool playerOverVent = false;
  bool playerUnderCover = false;
};
CollisionFlags& GetCollisionFlags();
