#include "gameplay/SpotterArrows.h"

#include <algorithm>
#include <cmath>

#include "gameplay/BehaviorStates.h"
#include "gameplay/HumanBehavior.h"
#include "gameplay/VisionCones.h"
#include "graphics/ColorMesh.h"
#include "graphics/GraphicsDevice.h"
#include "graphics/ScreenToWorld.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "platform/Platform.h"

namespace {

// Arrow length and the gap between its tip and the screen's edge, as parts of the view's height.
constexpr float kArrowPart = 0.055f;
constexpr float kMarginPart = 0.02f;
constexpr float kHalfWidthPart = 0.6f;  // half the base, as a part of the length
constexpr float kRimWidth = 0.18f;      // the dark rim, as a part of the length
constexpr float kArrowZ = 0.0f;
constexpr float kRimColour[4] = {0.05f, 0.05f, 0.05f, 0.85f};

struct ArrowState {
  ColorMesh mesh;
};

ArrowState& State() {
  static ArrowState state;
  return state;
}

bool Spotting(const HumanBehavior& human) {
  return human.currentState == human_state::kGrace || human.currentState == human_state::kFullAlert;
}

// The world rectangle the window shows now.
bool CurrentView(ViewRect* view) {
  int width = 0, height = 0;
  platform::GetPlatform().GetClientSize(&width, &height);
  if (width <= 0 || height <= 0) return false;
  const WorldPoint topLeft = ScreenToWorld(0.0f, 0.0f, 0.0f);
  const WorldPoint bottomRight = ScreenToWorld(static_cast<float>(width), static_cast<float>(height), 0.0f);
  view->left = std::min(topLeft.x, bottomRight.x);
  view->right = std::max(topLeft.x, bottomRight.x);
  view->bottom = std::min(topLeft.y, bottomRight.y);
  view->top = std::max(topLeft.y, bottomRight.y);
  return view->right > view->left && view->top > view->bottom;
}

// A triangle with its tip at (x, y) pointing along (dx, dy), `length` long.
void AddArrowHead(ColorMesh& mesh, float x, float y, float dx, float dy, float length, const float rgba[4]) {
  const float baseX = x - dx * length;
  const float baseY = y - dy * length;
  const float half = length * kHalfWidthPart;
  mesh.AddTriangle(x, y, baseX - dy * half, baseY + dx * half, baseX + dy * half, baseY - dx * half, kArrowZ, rgba);
}

}  // namespace

bool ArrowFor(const ViewRect& view, float gx, float gy, EdgeArrow* arrow) {
  if (!std::isfinite(gx) || !std::isfinite(gy)) return false;
  if (gx >= view.left && gx <= view.right && gy >= view.bottom && gy <= view.top) return false;
  const float height = view.top - view.bottom;
  const float size = height * kArrowPart;
  const float margin = height * kMarginPart;
  const float cx = (view.left + view.right) * 0.5f;
  const float cy = (view.bottom + view.top) * 0.5f;
  const float halfW = std::max(0.0f, (view.right - view.left) * 0.5f - margin);
  const float halfH = std::max(0.0f, height * 0.5f - margin);
  float dx = gx - cx;
  float dy = gy - cy;
  const float length = std::sqrt(dx * dx + dy * dy);
  if (!(length > 0.0f) || !std::isfinite(length)) return false;
  dx /= length;
  dy /= length;
  // The ray from the centre leaves the inset rectangle through the nearer of its two walls.
  const float tx = dx != 0.0f ? halfW / std::fabs(dx) : INFINITY;
  const float ty = dy != 0.0f ? halfH / std::fabs(dy) : INFINITY;
  const float t = std::min(tx, ty);
  arrow->x = cx + dx * t;
  arrow->y = cy + dy * t;
  arrow->dirX = dx;
  arrow->dirY = dy;
  arrow->size = size;
  return true;
}

void DrawSpotterArrows() {
  if (!StealthView().spotterArrows || Gpu().IsNull()) return;
  ViewRect view;
  if (!CurrentView(&view)) return;
  ColorMesh& mesh = State().mesh;
  mesh.Clear();
  for (GameObject* object : Objects()) {
    if (object == nullptr || object->type != ObjectType::Enemy) continue;
    const HumanBehavior* human = HumanOf(object);
    const Transform* at = object->GetTransform();
    if (human == nullptr || at == nullptr || !Spotting(*human)) continue;
    EdgeArrow arrow;
    if (!ArrowFor(view, at->position[0], at->position[1], &arrow)) continue;
    const float* mood = MoodColour(MoodOf(*human));
    const float fill[4] = {mood[0], mood[1], mood[2], 1.0f};
    // The rim first, then the fill inside it: the later draw wins at equal depth.
    const float rim = arrow.size * kRimWidth;
    AddArrowHead(mesh, arrow.x, arrow.y, arrow.dirX, arrow.dirY, arrow.size, kRimColour);
    AddArrowHead(mesh, arrow.x - arrow.dirX * rim, arrow.y - arrow.dirY * rim, arrow.dirX, arrow.dirY,
                 arrow.size - 2.0f * rim, fill);
  }
  mesh.Draw();
}

void ReleaseSpotterArrows() { State().mesh.Release(); }
