// The camera and the two matrices every draw uses. The camera looks along +z from its position
// (start (0, 0, -1000)); scenes and gameplay move it by writing its position. Render() rebuilds the
// view matrix; BuildProjection() rebuilds the left-handed perspective projection (vertical field of
// view pi/4, near 0.1, far 2000) from the window's current aspect ratio.
#pragma once

#include <glm/mat4x4.hpp>

class GameObject;

inline constexpr float kScreenDepth = 2000.0f;
inline constexpr float kScreenNear = 0.1f;

struct Camera {
  float position[3] = {0.0f, 0.0f, -1000.0f};
  float rotation[3] = {0.0f, 0.0f, 0.0f};  // degrees: pitch (x), yaw (y), roll (z)

  // Rebuilds ViewMatrix() from position and rotation.
  void Render();
};

Camera& MainCamera();
const glm::mat4& ViewMatrix();
const glm::mat4& ProjectionMatrix();
const glm::mat4& WorldMatrix();  // always identity
void BuildProjection(float aspect);
// Half the width and half the height of what the camera shows on the plane at depth z, in world
// units, for the aspect ratio of the last projection built (16:9 before the first). The height
// depends on the distance alone (about 414 at z = 0); the width grows with the window's shape.
void ViewHalfExtents(float z, float* halfWidth, float* halfHeight);

// Distance in the plane from the object's position to the camera's (x, y); 0 without a Transform.
float DistanceToCamera(const GameObject& object);
// Direction angle in degrees of (object position - camera position); 0 without a Transform.
float AngleFromCamera(const GameObject& object);
