// Placeholder bodies so the object pass links; the collision module replaces this file.
#include "objects/Collision.h"

bool CircleCollision::CheckCollision(Collision*) { return false; }
bool CircleCollision::ContainsPoint(float, float) { return false; }
void BoxCollision::Draw() {}
bool BoxCollision::CheckCollision(Collision*) { return false; }
bool BoxCollision::ContainsPoint(float, float) { return false; }
bool PointInShape(float, float, Collision*) { return false; }
void TestCollisionPairs(size_t) {}
CollisionFlags& GetCollisionFlags() {
  static CollisionFlags flags;
  return flags;
}
