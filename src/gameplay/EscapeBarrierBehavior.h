// The escape barrier: blocks the way out until the level's food goal is reached, then opens for
// good in that same frame. States: 1 Init (installs an empty contact handler), 2 Closed, 3 Open
// (final). While `closed` the collision response stops the player, food and humans at it like a
// wall; an open barrier is hidden and stops nothing. Sits in slot 1 of an Escape barrier object.
#pragma once

#include "gameplay/Behavior.h"

namespace barrier_state {
inline constexpr int32_t kInit = 1;
inline constexpr int32_t kClosed = 2;
inline constexpr int32_t kOpen = 3;
}  // namespace barrier_state

class EscapeBarrierBehavior final : public Behavior {
 public:
  // Hidden, blocking nothing, and on its way to Open.
  void Open();

  bool closed = true;

 protected:
  void OnEnter() override;
  void OnUpdate(float dt) override;
};

// Opens every escape barrier of the object list at once. The level rules call it the moment the goal
// is reached, so barriers earlier in the list than the delivering food do not wait a frame.
void OpenEscapeBarriers();
// Slot 1 of a new Escape barrier object (the factory's attach hook).
void AttachEscapeBarrierBehavior(GameObject* barrier);
// Whether the barrier stops what runs into it: its behaviour is closed. A barrier without one stops
// nothing (the collision rules' barrierBlocks hook).
bool EscapeBarrierBlocks(GameObject* barrier);
