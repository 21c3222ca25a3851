// The player's movement tuning, one set shared by every player object. The player behaviour reads
// it, the editor edits it, attribute files save and load it under the same key names. Distances are
// world units, speeds units per second, accelerations units per second squared.
#pragma once

struct PlayerTuning {
  float accel = 40000.0f;               // walking free
  float maxVelocity = 450.0f;
  float decel = 20000.0f;               // set once when the player starts
  float accel_holding = 20000.0f;       // carrying food
  float maxVelocity_holding = 200.0f;   // also the limit while a mouse wind-up runs
  float accel_vent = 40000.0f;          // inside a vent
  float maxVelocity_vent = 350.0f;
  // Always saved as 2 and never read back; the behaviour does not use it.
  float throwMovementRatio = 2.0f;
  // Growth of the speed limit per update after a throw (0.0 to 1.0); edited, never saved.
  float movementPenalty = 0.3f;
};

// The program-wide player tuning (starts at the defaults above).
PlayerTuning& PlayerTuningValues();
// Puts every player value back to its default.
void ResetPlayerTuning();
