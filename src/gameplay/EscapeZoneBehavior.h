// The escape zone: the way out of a level. Touching it sets the scene's exitStarted flag (whatever
// the food) and hands the zone's escape direction to the player, which runs out that way. Once the
// food goal is reached, a large red signal over the level's escape area pulses between full and half
// strength. States: 1 Init (installs the contact handler), 2 Waiting, 3 Signalling (stays, pulsing).
// The signal is one process-wide UI object without button handling, made by the first zone of a
// level scene that enters a state; it belongs to the scene's object list, and pulses at one pace
// however many zones the level has. Sits in slot 1 of an
// Escape zone object.
#pragma once

#include "gameplay/Behavior.h"
#include "objects/LevelRecords.h"

namespace zone_state {
inline constexpr int32_t kInit = 1;
inline constexpr int32_t kWaiting = 2;
inline constexpr int32_t kSignalling = 3;
}  // namespace zone_state

class EscapeZoneBehavior final : public Behavior {
 public:
  EscapeZoneBehavior();
  ~EscapeZoneBehavior() override;

  // The contact handler of the zone's collision shape: the player escapes.
  void OnContact(GameObject* other);

  EscapeDirection GetEscapeDirection() const { return escapeDirection; }
  void SetEscapeDirection(EscapeDirection direction) { escapeDirection = direction; }

  EscapeDirection escapeDirection = EscapeDirection::Up;

 protected:
  void OnEnter() override;
  void OnUpdate(float dt) override;
};

// Slot 1 of a new Escape zone object (the factory's attach hook).
void AttachEscapeZoneBehavior(GameObject* zone);
// Gives a zone built from a level record its exit side (the scene start's hook). Nothing for an
// object without an escape zone behaviour.
void SetZoneEscapeDirection(GameObject* zone, EscapeDirection direction);

// The signal: null until a zone of a level scene makes it, and again once the last zone goes away.
// One zone pulses it each frame; when that zone goes, another takes over.
GameObject* EscapeSignal();
// The signal's strength (its filter's alpha): 0.75 at each scene start, rising first.
float EscapeSignalAlpha();
// Back to no signal, alpha 0.75, rising (the scene start, whose object list is new).
void ResetEscapeSignal();
