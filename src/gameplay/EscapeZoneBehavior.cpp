#include "gameplay/EscapeZoneBehavior.h"

#include "gameplay/PlayerState.h"
#include "graphics/Filter.h"
#include "graphics/Model.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/Factory.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"

namespace {

constexpr float kStartAlpha = 0.75f;
constexpr float kHighAlpha = 1.0f;
constexpr float kLowAlpha = 0.5f;
constexpr float kPulseRate = 0.1f;  // alpha per second
constexpr float kSignalDepth = -1.0f;

struct SignalPlacement {
  int sceneId;
  float x, y, width, height;
  const char* texture;
};

// The escape area of each level, drawn over the level in the world (not fixed to the screen).
constexpr SignalPlacement kPlacements[] = {
    {scene_id::kLevel1, 1000.0f, 2000.0f, 2100.0f, 4100.0f, "level_1_escape.png"},
    {scene_id::kLevel2, 1300.0f, 1600.0f, 2700.0f, 3300.0f, "level_2_escape.png"},
    {scene_id::kLevel3, 1850.0f, 1550.0f, 3800.0f, 3200.0f, "level_3_escape.png"},
};

struct SignalState {
  GameObject* signal = nullptr;  // not owned: the object list owns it
  float alpha = kStartAlpha;
  bool rising = true;
  // The one signal pulses once a frame however many zones a level has: the zone that pulses it,
  // and how many zones there are, so the signal is let go only with the last of them.
  const EscapeZoneBehavior* pulser = nullptr;
  int zones = 0;
};

SignalState& Signal() {
  static SignalState state;
  return state;
}

const SignalPlacement* PlacementFor(const Level* scene) {
  if (scene == nullptr) return nullptr;
  for (const SignalPlacement& p : kPlacements) {
    if (p.sceneId == scene->sceneId) return &p;
  }
  return nullptr;
}

// The signal is a UI object for its layer and its quad, but neither a button nor pinned to the
// screen: its handler is taken away so it stays over the escape area.
void CreateSignalIfMissing() {
  SignalState& s = Signal();
  if (s.signal != nullptr) return;
  const SignalPlacement* placement = PlacementFor(CurrentScene());
  if (placement == nullptr) return;
  GameObject* signal = CreateUI(placement->x, placement->y, placement->width, placement->height);
  if (signal == nullptr) return;
  signal->RemoveComponent(SlotOf(ComponentType::UIHandler));
  signal->GetTransform()->position[2] = kSignalDepth;
  if (auto* model = signal->GetComponentAs<Model>(SlotOf(ComponentType::Model))) {
    model->SetTextureName(placement->texture);
  }
  signal->AddComponent(new Filter(FilterType::Color, 0.0f, Vector4(1.0f, 0.0f, 0.0f, s.alpha)));
  signal->visible = false;
  s.signal = signal;
}

// One step of the pulse by the frame time: up to full strength, down to half, and back.
void Pulse(float dt) {
  SignalState& s = Signal();
  if (s.rising) {
    s.alpha += kPulseRate * dt;
    if (s.alpha >= kHighAlpha) {
      s.alpha = kHighAlpha;
      s.rising = false;
    }
  } else {
    s.alpha -= kPulseRate * dt;
    if (s.alpha <= kLowAlpha) {
      s.alpha = kLowAlpha;
      s.rising = true;
    }
  }
}

void ShowSignal(float dt) {
  GameObject* signal = Signal().signal;
  if (signal == nullptr) return;
  signal->visible = true;
  Pulse(dt);
  if (auto* filter = signal->GetComponentAs<Filter>(SlotOf(ComponentType::Filter))) {
    filter->SetColor(1.0f, 0.0f, 0.0f, Signal().alpha);
  }
}

void ZoneContact(GameObject* self, GameObject* other) {
  if (auto* zone = dynamic_cast<EscapeZoneBehavior*>(BehaviorOf(self))) zone->OnContact(other);
}

}  // namespace

EscapeZoneBehavior::EscapeZoneBehavior() { ++Signal().zones; }

EscapeZoneBehavior::~EscapeZoneBehavior() {
  SignalState& s = Signal();
  // Another zone takes the pulse over; the signal goes with the last zone.
  if (s.pulser == this) s.pulser = nullptr;
  if (s.zones > 0) --s.zones;
  if (s.zones == 0) s.signal = nullptr;
}

void EscapeZoneBehavior::OnEnter() {
  CreateSignalIfMissing();
  if (currentState != zone_state::kInit) return;
  if (auto* shape = owner->GetComponentAs<Collision>(SlotOf(ComponentType::Collision))) {
    shape->onCollision = ZoneContact;
  }
  nextState = zone_state::kWaiting;
}

void EscapeZoneBehavior::OnUpdate(float dt) {
  const Level* scene = CurrentScene();
  if (scene == nullptr || !scene->goalReached) return;
  SignalState& s = Signal();
  if (s.pulser == nullptr) s.pulser = this;
  if (s.pulser == this) ShowSignal(dt);
  nextState = zone_state::kSignalling;
}

// The escape does not wait for the food goal: the barrier is what keeps the player out before it.
void EscapeZoneBehavior::OnContact(GameObject* other) {
  Level* scene = CurrentScene();
  if (scene == nullptr || scene->exitStarted || other == nullptr || other->type != ObjectType::Player) return;
  scene->exitStarted = true;
  PlayerShared().escapeDirection = static_cast<int>(escapeDirection);
}

void AttachEscapeZoneBehavior(GameObject* zone) {
  if (zone != nullptr) zone->AddComponent(new EscapeZoneBehavior());
}

void SetZoneEscapeDirection(GameObject* zone, EscapeDirection direction) {
  if (auto* behavior = dynamic_cast<EscapeZoneBehavior*>(BehaviorOf(zone))) behavior->SetEscapeDirection(direction);
}

GameObject* EscapeSignal() { return Signal().signal; }
float EscapeSignalAlpha() { return Signal().alpha; }

// The zones still standing are counted on: a scene start comes after the old scene's objects went.
void ResetEscapeSignal() {
  const int zones = Signal().zones;
  Signal() = SignalState{};
  Signal().zones = zones;
}
