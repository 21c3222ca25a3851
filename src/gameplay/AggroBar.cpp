#include "gameplay/AggroBar.h"

#include <algorithm>

#include "graphics/Model.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/Factory.h"

namespace {

constexpr float kBackgroundWidth = 86.0f;
constexpr float kBackgroundHeight = 16.0f;
constexpr float kFillWidth = 80.0f;  // a full meter
constexpr float kFillHeight = 14.0f;
constexpr float kFirstFillHeight = 10.0f;
constexpr float kHeightAboveHuman = 28.0f;
constexpr float kBarDepth = -10.0f;
constexpr float kGrey = 0.23f;
constexpr float kPulseSteps = 16.0f;

void Colour(GameObject* object, float r, float g, float b, float a) {
  if (object == nullptr) return;
  if (auto* model = object->GetComponentAs<Model>(SlotOf(ComponentType::Model))) model->SetColor(r, g, b, a);
}

void Place(GameObject* object, float x, float y, float width, float height, bool resize) {
  Transform* at = object != nullptr ? object->GetTransform() : nullptr;
  if (at == nullptr) return;
  at->position[0] = x;
  at->position[1] = y;
  at->position[2] = kBarDepth;
  if (resize) {
    at->scale[0] = width;
    at->scale[1] = height;
  }
}

GameObject* MakePart(float x, float y, float width, float height) {
  GameObject* part = CreateUI(x, y, width, height);
  if (part != nullptr && GetFactoryHooks().makeButtonInert != nullptr) GetFactoryHooks().makeButtonInert(part);
  return part;
}

void Make(AggroBar& bar, float x, float y, float aggro) {
  bar.made = true;
  bar.background = MakePart(x, y, kBackgroundWidth, kBackgroundHeight);
  Colour(bar.background, kGrey, kGrey, kGrey, 1.0f);
  bar.fill = MakePart(x, y, 0.0f, kFirstFillHeight);
  Colour(bar.fill, bar.baseColour[0], bar.baseColour[1], bar.baseColour[2], aggro);
  std::copy(bar.baseColour, bar.baseColour + 3, bar.colour);
}

// The chase pulse: up to white in sixteen steps, then back down to the base, per update.
void Pulse(AggroBar& bar) {
  float step[3];
  for (int i = 0; i < 3; ++i) step[i] = (1.0f - bar.baseColour[i]) / kPulseSteps;
  if (!bar.fading) {
    bool top = false;
    for (int i = 0; i < 3; ++i) {
      bar.colour[i] += step[i];
      top = top || bar.colour[i] >= 1.0f;
    }
    if (top) {
      std::fill(bar.colour, bar.colour + 3, 1.0f);
      bar.fading = true;
    }
    return;
  }
  bool bottom = false;
  for (int i = 0; i < 3; ++i) {
    bar.colour[i] -= step[i];
    bottom = bottom || bar.colour[i] <= bar.baseColour[i];
  }
  if (bottom) {
    std::copy(bar.baseColour, bar.baseColour + 3, bar.colour);
    bar.fading = false;
  }
}

}  // namespace

void UpdateAggroBar(AggroBar& bar, float x, float y, float aggro, bool chasing) {
  if (!bar.made) {
    Make(bar, x, y, aggro);
    return;
  }
  Place(bar.background, x, y + kHeightAboveHuman, 0.0f, 0.0f, false);
  Colour(bar.background, kGrey, kGrey, kGrey, aggro);
  const float width = aggro * kFillWidth;
  // The fill grows from the background's left edge.
  Place(bar.fill, x - (kFillWidth - width) / 2.0f, y + kHeightAboveHuman, width, kFillHeight, true);
  if (chasing) {
    Pulse(bar);
  } else {
    std::copy(bar.baseColour, bar.baseColour + 3, bar.colour);
  }
  Colour(bar.fill, bar.colour[0], bar.colour[1], bar.colour[2], aggro);
}

void ReleaseAggroBar(AggroBar& bar) {
  // During a scene change the list is emptied before its objects are deleted: then the parts are
  // gone already or about to go, and must not be touched.
  const auto& list = Objects();
  for (GameObject* part : {bar.background, bar.fill}) {
    if (part != nullptr && std::find(list.begin(), list.end(), part) != list.end()) part->destroy = true;
  }
  bar.background = nullptr;
  bar.fill = nullptr;
}
