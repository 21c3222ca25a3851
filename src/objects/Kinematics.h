// Moves its object: game code sets a wanted direction; each update turns it into acceleration, or
// brakes when there is none, clamps the speed and moves the Transform (semi-implicit: the new
// velocity moves the object in the same frame). Reads and writes the Transform of slot 0. Braking
// never reverses a velocity component. Nothing moves during the editor halt.
#pragma once

#include "objects/Component.h"

class Kinematics final : public Component {
 public:
  Kinematics() : Component(ComponentType::Kinematics) {}
  void Update(float dt) override;
  void Draw() override {}

  void SetDirection(float x, float y) { direction[0] = x; direction[1] = y; }
  void SetVelocity(float x, float y) { velocity[0] = x; velocity[1] = y; }
  const float* GetVelocity() const { return velocity; }
  const float* GetLastPosition() const { return lastPosition; }
  // Starts the previous position at the owner's position. Called whenever an object is built or
  // placed, so that a collision response in its first frame returns it to where it stands.
  void StartAtOwner();

  float maxSpeed = 0.0f;       // units per second
  float acceleration = 0.0f;   // units per second squared, along the direction
  float deceleration = 0.0f;   // braking when no direction is set
  float direction[2] = {0.0f, 0.0f};
  float accelerationVector[2] = {0.0f, 0.0f};
  float velocity[2] = {0.0f, 0.0f};
  float lastPosition[3] = {0.0f, 0.0f, 0.0f};
};
