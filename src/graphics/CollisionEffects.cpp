#include "graphics/CollisionEffects.h"

#include "graphics/Filter.h"
#include "graphics/ParticleEmitter.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"

namespace {

void SetCoverShade(GameObject* cover, float alpha) {
  if (auto* filter = cover->GetComponentAs<Filter>(SlotOf(ComponentType::Filter))) {
    filter->SetColor(0.0f, 0.0f, 0.0f, alpha);
  }
}

}  // namespace

void InstallCollisionEffects() {
  CollisionEffectHooks& effects = GetCollisionEffectHooks();
  effects.startEmitters = &StartEmitters;
  effects.shadeCover = &SetCoverShade;
}
