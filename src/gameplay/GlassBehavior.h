// A glass pane: blocks movement and path finding but not sight, and shatters when thrown food hits
// it fast enough. States: 1 Init (installs the contact handler), 2 Intact, 3 Shattered (final).
// Shattering plays "shatter", fires the pane's first particle emitter along the food's travel,
// removes the pane's Model (slot 5) and collision shape (slot 6), and frees its cells of the
// path-finding grid. Sits in slot 1 of a Glass object.
#pragma once

#include "gameplay/Behavior.h"

namespace glass_state {
inline constexpr int32_t kInit = 1;
inline constexpr int32_t kIntact = 2;
inline constexpr int32_t kShattered = 3;
}  // namespace glass_state

// Food slower than this (world units per second) bounces off the pane.
inline constexpr float kGlassBreakSpeed = 0.4f;

class GlassBehavior final : public Behavior {
 public:
  // The contact handler of the pane's collision shape: a first hit by fast enough food.
  void OnContact(GameObject* other);

  bool hit = false;  // a qualifying hit arrived; the next update shatters the pane

 protected:
  void OnEnter() override;
  void OnUpdate(float dt) override;

 private:
  void AimEmitter(float foodVelocityX, float foodVelocityY);
  void Shatter();
};

// Slot 1 of a new Glass object (the factory's attach hook).
void AttachGlassBehavior(GameObject* glass);
