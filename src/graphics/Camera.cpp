#include "graphics/Camera.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <glm/ext/matrix_clip_space.hpp>
#include <glm/ext/matrix_transform.hpp>
#include <glm/ext/matrix_projection.hpp>
#include <glm/gtx/euler_angles.hpp>

#include "graphics/ScreenToWorld.h"
#include "math/Vector.h"
#include "objects/GameObject.h"
#include "objects/Transform.h"
#include "platform/Platform.h"

namespace {

// The vertical field of view, in radians (pi / 4).
constexpr float kFieldOfView = 0.785398f;

struct CameraModule {
  Camera camera;
  glm::mat4 view{1.0f};
  glm::mat4 projection{1.0f};
  glm::mat4 world{1.0f};
  float aspect = 16.0f / 9.0f;
};

CameraModule& Module() {
  static CameraModule module;
  return module;
}

glm::mat4 ProjectionFor(float aspect) {
  return glm::perspectiveLH_ZO(kFieldOfView, aspect, kScreenNear, kScreenDepth);
}

glm::mat4 ViewFor(const Camera& camera) {
  constexpr float kRadiansPerDegree = 0.0174532925f;
  float pitch = camera.rotation[0] * kRadiansPerDegree;
  float yaw = camera.rotation[1] * kRadiansPerDegree;
  float roll = camera.rotation[2] * kRadiansPerDegree;
  // Roll about z, then pitch about x, then yaw about y.
  glm::mat4 turn = glm::yawPitchRoll(yaw, pitch, roll);
  glm::vec3 up = glm::vec3(turn * glm::vec4(0.0f, 1.0f, 0.0f, 0.0f));
  glm::vec3 look = glm::vec3(turn * glm::vec4(0.0f, 0.0f, 1.0f, 0.0f));
  glm::vec3 eye(camera.position[0], camera.position[1], camera.position[2]);
  return glm::lookAtLH(eye, eye + look, up);
}

}  // namespace

Camera& MainCamera() { return Module().camera; }
const glm::mat4& ViewMatrix() { return Module().view; }
const glm::mat4& ProjectionMatrix() { return Module().projection; }
const glm::mat4& WorldMatrix() { return Module().world; }

void BuildProjection(float aspect) {
  Module().projection = ProjectionFor(aspect);
  Module().aspect = aspect;
}

void ViewHalfExtents(float z, float* halfWidth, float* halfHeight) {
  const float distance = std::max(z - Module().camera.position[2], 0.0f);
  const float half = distance * std::tan(kFieldOfView * 0.5f);
  *halfHeight = half;
  *halfWidth = half * Module().aspect;
}

void Camera::Render() { Module().view = ViewFor(*this); }

namespace {

WorldPoint Unproject(float x, float y, float z, int clientWidth, int clientHeight, const glm::mat4& view,
                     const glm::mat4& projection) {
  const Camera& cam = Module().camera;
  glm::vec4 viewport(0.0f, 0.0f, static_cast<float>(clientWidth), static_cast<float>(clientHeight));
  glm::mat4 model = Module().world * view;
  // Window y grows downwards; the unprojection expects it upwards.
  auto unproject = [&](float px, float py, float pz) {
    return glm::unProjectZO(glm::vec3(px, viewport[3] - py, pz), model, projection, viewport);
  };
  glm::vec3 a = unproject(cam.position[0], cam.position[1], cam.position[2]);
  glm::vec3 b = unproject(x, y, z);
  glm::vec3 d = b - a;
  glm::vec3 p(cam.position[0], cam.position[1], cam.position[2]);
  // Walk from the camera along the ray until the plane z = 0 is passed. A ray that never gets
  // closer to the plane would never end; the pixel ray always does, but guard all the same.
  if (d.z > 0.0f) {
    int steps = 0;
    while (p.z < 0.0f && steps < 1000000) {
      p += d;
      ++steps;
    }
  }
  return {p.x, p.y, z};
}

}  // namespace

WorldPoint ScreenToWorldIn(float x, float y, float z, int clientWidth, int clientHeight) {
  return Unproject(x, y, z, clientWidth, clientHeight, Module().view, Module().projection);
}

WorldPoint ScreenToWorld(float x, float y, float z) {
  int w = 0, h = 0;
  platform::GetPlatform().GetClientSize(&w, &h);
  if (w <= 0 || h <= 0) return {MainCamera().position[0], MainCamera().position[1], z};
  return ScreenToWorldIn(x, y, z, w, h);
}

void WorldToScreenIn(float x, float y, int clientWidth, int clientHeight, int* pixelX, int* pixelY) {
  // The view and projection the next frame builds: the camera where it stands now, the window's
  // aspect ratio now. The last built matrices may be a frame old.
  const float aspect = static_cast<float>(clientWidth) / static_cast<float>(clientHeight);
  const glm::mat4 projection = ProjectionFor(aspect);
  const glm::mat4 view = ViewFor(Module().camera);
  const glm::vec4 viewport(0.0f, 0.0f, static_cast<float>(clientWidth), static_cast<float>(clientHeight));
  const glm::vec3 window = glm::projectZO(glm::vec3(x, y, 0.0f), Module().world * view, projection, viewport);
  auto limit = [](float v) { return static_cast<int>(std::lround(std::clamp(v, -32767.0f, 32767.0f))); };
  const int centreX = std::isfinite(window.x) ? limit(window.x) : 0;
  const int centreY = std::isfinite(window.y) ? limit(viewport[3] - window.y) : 0;
  // ScreenToWorld walks along the ray in steps and overshoots the plane a little, so the exact
  // projection can be a pixel or two off what the game reads back; take the neighbour it reads
  // nearest to the point.
  constexpr int kReach = 2;
  float best = std::numeric_limits<float>::max();
  *pixelX = centreX;
  *pixelY = centreY;
  for (int dy = -kReach; dy <= kReach; ++dy) {
    for (int dx = -kReach; dx <= kReach; ++dx) {
      WorldPoint p = Unproject(static_cast<float>(centreX + dx), static_cast<float>(centreY + dy), 0.0f, clientWidth,
                               clientHeight, view, projection);
      float distance = (p.x - x) * (p.x - x) + (p.y - y) * (p.y - y);
      if (distance < best) {
        best = distance;
        *pixelX = centreX + dx;
        *pixelY = centreY + dy;
      }
    }
  }
}

float DistanceToCamera(const GameObject& object) {
  const Transform* t = object.GetTransform();
  if (t == nullptr) return 0.0f;
  const Camera& cam = MainCamera();
  float dx = t->position[0] - cam.position[0];
  float dy = t->position[1] - cam.position[1];
  return std::sqrt(dx * dx + dy * dy);
}

float AngleFromCamera(const GameObject& object) {
  const Transform* t = object.GetTransform();
  if (t == nullptr) return 0.0f;
  const Camera& cam = MainCamera();
  return DirectionAngle(t->position[0] - cam.position[0], t->position[1] - cam.position[1]);
}
