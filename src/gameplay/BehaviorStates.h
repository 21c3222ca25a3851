// The state numbers of the game's behaviours, shared by every module that reads or requests them
// (collision rules, level rules, the scene manager, the editor, tests).
#pragma once

#include <cstdint>

namespace player_state {
inline constexpr int32_t kInit = 1;
inline constexpr int32_t kWalk = 2;
inline constexpr int32_t kCarry = 3;
inline constexpr int32_t kWindUp = 4;     // mouse wind-up
inline constexpr int32_t kPadWindUp = 5;
inline constexpr int32_t kThrow = 6;
inline constexpr int32_t kDrop = 7;
inline constexpr int32_t kVent = 8;
inline constexpr int32_t kDeath = 9;
inline constexpr int32_t kEscape = 10;
}  // namespace player_state

namespace human_state {
inline constexpr int32_t kInit = 1;
inline constexpr int32_t kIdle = 2;
inline constexpr int32_t kGrace = 3;
inline constexpr int32_t kPatrol = 4;
inline constexpr int32_t kHalfAlert = 5;
inline constexpr int32_t kStun = 6;
inline constexpr int32_t kFullAlert = 7;  // the chase
inline constexpr int32_t kGiveUp = 8;
}  // namespace human_state
