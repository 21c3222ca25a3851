#include "gameplay/GlassBehavior.h"

#include <utility>

#include "audio/AudioSystem.h"
#include "core/Logger.h"
#include "graphics/ParticleEmitter.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/Kinematics.h"
#include "objects/Transform.h"
#include "scenes/PathGrid.h"

namespace {

void GlassContact(GameObject* self, GameObject* other) {
  if (auto* glass = dynamic_cast<GlassBehavior*>(BehaviorOf(self))) glass->OnContact(other);
}

}  // namespace

void GlassBehavior::OnEnter() {
  switch (currentState) {
    case glass_state::kInit:
      if (auto* shape = owner->GetComponentAs<Collision>(SlotOf(ComponentType::Collision))) {
        shape->onCollision = GlassContact;
      }
      nextState = glass_state::kIntact;
      break;
    case glass_state::kShattered:
      Shatter();
      break;
    default:
      break;
  }
}

void GlassBehavior::OnUpdate(float) {
  if (hit) nextState = glass_state::kShattered;
}

void GlassBehavior::OnContact(GameObject* other) {
  if (hit || other == nullptr || other->type != ObjectType::Food) return;
  auto* kinematics = other->GetComponentAs<Kinematics>(SlotOf(ComponentType::Kinematics));
  if (kinematics == nullptr) return;
  const float* v = kinematics->GetVelocity();
  if (v[0] * v[0] + v[1] * v[1] < kGlassBreakSpeed * kGlassBreakSpeed) return;
  PlayEvent("shatter");
  hit = true;
  AimEmitter(v[0], v[1]);
}

// The shards fly on along the food's travel, across the pane: sideways for an upright pane (rotation
// 0 or 180), up or down for any other.
void GlassBehavior::AimEmitter(float foodVelocityX, float foodVelocityY) {
  auto* emitter = owner->FindComponent<ParticleEmitter>();
  if (emitter == nullptr) return;
  const float rotation = owner->GetTransform() != nullptr ? owner->GetTransform()->rotation : 0.0f;
  float direction = 0.0f;
  if (rotation == 0.0f || rotation == 180.0f) direction = foodVelocityX <= 0.0f ? 180.0f : 0.0f;
  else direction = foodVelocityY <= 0.0f ? 270.0f : 90.0f;
  emitter->directionMin = direction;
  emitter->directionMax = direction;
  emitter->Start();
}

void GlassBehavior::Shatter() {
  owner->RemoveComponent(SlotOf(ComponentType::Collision));
  owner->RemoveComponent(SlotOf(ComponentType::Model));
  if (const Transform* t = owner->GetTransform()) {
    float width = t->scale[0], height = t->scale[1];
    if (t->rotation == 90.0f || t->rotation == 270.0f) std::swap(width, height);
    RefreshGridRegion(t->position[0], t->position[1], width, height);
  }
  Log("Glass shattered", LogLevel::Debug);
}

void AttachGlassBehavior(GameObject* glass) {
  if (glass != nullptr) glass->AddComponent(new GlassBehavior());
}
