#include "graphics/Camera.h"

#include <glm/ext/matrix_clip_space.hpp>
#include <glm/ext/matrix_transform.hpp>
#include <glm/ext/matrix_projection.hpp>
#include <glm/gtx/euler_angles.hpp>

#include "graphics/ScreenToWorld.h"
#include "platform/Platform.h"

namespace {

struct CameraModule {
  Camera camera;
  glm::mat4 view{1.0f};
  glm::mat4 projection{1.0f};
  glm::mat4 world{1.0f};
};

CameraModule& Module() {
  static CameraModule module;
  return module;
}

glm::mat4 ProjectionFor(float aspect) {
  return glm::perspectiveLH_ZO(0.785398f, aspect, kScreenNear, kScreenDepth);
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

void BuildProjection(float aspect) { Module().projection = ProjectionFor(aspect); }

void Camera::Render() { Module().view = ViewFor(*this); }

WorldPoint ScreenToWorldIn(float x, float y, float z, int clientWidth, int clientHeight) {
  const Camera& cam = Module().camera;
  glm::vec4 viewport(0.0f, 0.0f, static_cast<float>(clientWidth), static_cast<float>(clientHeight));
  glm::mat4 model = Module().world * Module().view;
  // Window y grows downwards; the unprojection expects it upwards.
  auto unproject = [&](float px, float py, float pz) {
    return glm::unProjectZO(glm::vec3(px, viewport[3] - py, pz), model, Module().projection, viewport);
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

WorldPoint ScreenToWorld(float x, float y, float z) {
  int w = 0, h = 0;
  platform::GetPlatform().GetClientSize(&w, &h);
  if (w <= 0 || h <= 0) return {MainCamera().position[0], MainCamera().position[1], z};
  return ScreenToWorldIn(x, y, z, w, h);
}

WorldPoint WorldToScreenIn(float x, float y, int clientWidth, int clientHeight) {
  // The view and projection the next frame builds: the camera where it stands now, the window's
  // aspect ratio now. The last built matrices may be a frame old.
  const float aspect = static_cast<float>(clientWidth) / static_cast<float>(clientHeight);
  glm::mat4 projection = ProjectionFor(aspect);
  glm::vec4 viewport(0.0f, 0.0f, static_cast<float>(clientWidth), static_cast<float>(clientHeight));
  glm::vec3 window = glm::projectZO(glm::vec3(x, y, 0.0f), Module().world * ViewFor(Module().camera), projection, viewport);
  return {window.x, viewport[3] - window.y, window.z};
}
