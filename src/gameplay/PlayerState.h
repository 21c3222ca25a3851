// The process-wide state of the player, shared by the player behaviour, the pause operation, the
// scene manager and tests: the pause toggle, the footstep timer, the last non-zero movement
// direction, the throw slowdown and the escape direction. One set for the whole program, like the player tuning.
#pragma once

struct PlayerSharedState {
  bool pauseToggle = false;      // the player's pause key (and losing focus) flip it
  float footstepTimer = 0.0f;    // seconds to the next footstep
  float lastDirectionX = 0.0f;   // last non-zero movement or aim direction
  float lastDirectionY = 1.0f;
  bool windUpStarted = false;    // a mouse wind-up started the throw slowdown
  bool slowdownRunning = false;  // the speed limit is growing back after a throw
  float slowdownTimer = 0.0f;    // seconds
  // The side the player runs out to in its escape state: the escape zone it touched sets it
  // (0 up, 1 down, 2 left, 3 right, as the level file's escape directions).
  int escapeDirection = 0;
};

PlayerSharedState& PlayerShared();
// Back to the start values (every level start and every test).
void ResetPlayerShared();
