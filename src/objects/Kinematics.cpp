#include "objects/Kinematics.h"

#include <cmath>

#include "core/EditorLink.h"
#include "objects/GameObject.h"
#include "objects/Transform.h"

void Kinematics::StartAtOwner() {
  const Transform* transform = owner != nullptr ? owner->GetTransform() : nullptr;
  if (transform == nullptr) return;
  lastPosition[0] = transform->position[0];
  lastPosition[1] = transform->position[1];
  lastPosition[2] = transform->position[2];
}

void Kinematics::Update(float dt) {
  if (EditorHalted()) return;
  const float speedBefore = std::sqrt(velocity[0] * velocity[0] + velocity[1] * velocity[1]);

  float dirLength = std::sqrt(direction[0] * direction[0] + direction[1] * direction[1]);
  if (dirLength != 0.0f) {
    direction[0] /= dirLength;
    direction[1] /= dirLength;
  }
  accelerationVector[0] = acceleration * direction[0];
  accelerationVector[1] = acceleration * direction[1];
  const bool accelerating =
      std::sqrt(accelerationVector[0] * accelerationVector[0] + accelerationVector[1] * accelerationVector[1]) != 0.0f;

  Transform* transform = owner != nullptr ? owner->GetTransform() : nullptr;
  if (transform != nullptr) {
    lastPosition[0] = transform->position[0];
    lastPosition[1] = transform->position[1];
    lastPosition[2] = transform->position[2];
  }

  if (accelerating) {
    velocity[0] += accelerationVector[0] * dt;
    velocity[1] += accelerationVector[1] * dt;
  } else if (speedBefore > 0.0f) {
    float brake[2] = {-velocity[0], -velocity[1]};
    float brakeLength = std::sqrt(brake[0] * brake[0] + brake[1] * brake[1]);
    if (brakeLength != 0.0f) {
      brake[0] /= brakeLength;
      brake[1] /= brakeLength;
    }
    for (int axis = 0; axis < 2; ++axis) {
      float step = deceleration * brake[axis] * dt;
      // A step larger than what is left stops that axis exactly, so braking never reverses it.
      if (std::fabs(step) > std::fabs(velocity[axis])) velocity[axis] = 0.0f;
      else velocity[axis] += step;
    }
  }

  // A limit below zero (or not a number) holds the object still like a limit of 0: scaling by it
  // would turn the velocity round every frame.
  const float limit = maxSpeed > 0.0f ? maxSpeed : 0.0f;
  float speed = std::sqrt(velocity[0] * velocity[0] + velocity[1] * velocity[1]);
  if (speed > limit) {
    if (speed != 0.0f) {
      velocity[0] = velocity[0] / speed * limit;
      velocity[1] = velocity[1] / speed * limit;
    }
  }

  if (transform != nullptr) {
    transform->position[0] = lastPosition[0] + velocity[0] * dt;
    transform->position[1] = lastPosition[1] + velocity[1] * dt;
  }
}
