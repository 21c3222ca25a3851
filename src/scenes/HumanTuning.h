// The human enemies' detection and chase tuning, one set shared by every human. The human
// behaviour reads it, the Enemy archetype writes the defaults each time it builds a human, the
// editor edits it and attribute files save and load it under the same key names. Distances are
// world units, speeds units per second, accelerations units per second squared, times seconds.
#pragma once

#include <cstdint>

struct HumanTuning {
  float max_aggro = 1.0f;               // the aggro meter is full here
  float return_agro = 0.2f;             // a searching human gives up at or below this
  int32_t detection_angle = 120;        // full opening of the vision cone, degrees
  float catch_radius = 20.0f;           // stored and saved only
  float max_detection_radius = 500.0f;
  float min_detection_radius = 70.0f;   // noticed without line of sight inside this
  float patrol_acceleration = 15000.0f;
  float patrol_max_velocity = 150.0f;
  float chase_aceleration = 20000.0f;
  float chase_max_velocity = 250.0f;
  float grace_acceleration = 15000.0f;
  float grace_max_velocity = 100.0f;
  float detection_run_speed_mod = 4.0f;
  float detection_idle_speed_mod = 4.0f;
  float distance_mod = 3.0f;
  float agro_recovery_rate = 0.3f;      // aggro lost per second unseen
  float grace_max_time = 2.0f;
  float grace_timer_scale = 1.0f;
  float stun_max_time = 2.0f;
};

// The program-wide human tuning (starts at the defaults above).
HumanTuning& HumanTuningValues();
// Puts every human value back to its default.
void ResetHumanTuning();
