#include "editor/EditorView.h"

#include <algorithm>
#include <cmath>

#include "graphics/Camera.h"
#include "graphics/ScreenToWorld.h"

namespace {

struct ViewModule {
  float editDistance = kGameViewDistance;  // the editor's zoom, kept while the level runs
  bool playing = false;
};

ViewModule& Module() {
  static ViewModule module;
  return module;
}

void SetDistance(float distance) {
  MainCamera().position[2] = -distance;
  MainCamera().Render();
}

}  // namespace

float ViewDistance() { return -MainCamera().position[2]; }

void ZoomViewAt(float x, float y, int notches, int clientWidth, int clientHeight) {
  if (notches == 0 || clientWidth <= 0 || clientHeight <= 0) return;
  Camera& camera = MainCamera();
  const float before = ViewDistance();
  const float after = std::clamp(before / std::pow(kZoomStep, static_cast<float>(notches)), kNearestViewDistance,
                                 kFarthestViewDistance);
  if (after == before) return;
  camera.Render();
  const WorldPoint aimed = ScreenToWorldIn(x, y, 0.0f, clientWidth, clientHeight);
  // Looking straight at the level, the point under a pixel lies off the camera's (x, y) in proportion
  // to the distance: moving the camera towards the aimed point by the part of the way the distance
  // shrinks keeps that point under the pixel.
  const float kept = 1.0f - after / before;
  camera.position[0] += (aimed.x - camera.position[0]) * kept;
  camera.position[1] += (aimed.y - camera.position[1]) * kept;
  SetDistance(after);
  Module().editDistance = after;
}

void EnterPlayView() {
  ViewModule& m = Module();
  if (m.playing) return;
  m.playing = true;
  m.editDistance = ViewDistance();
  SetDistance(kGameViewDistance);
}

void EnterEditView() {
  ViewModule& m = Module();
  if (!m.playing) return;
  m.playing = false;
  SetDistance(m.editDistance);
}

void ResetEditView() {
  Module() = ViewModule{};
  SetDistance(kGameViewDistance);
}
