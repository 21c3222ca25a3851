// Frame timing shared by the whole game: the frame timer, the frames-per-second counter, the
// processor-usage figure and the paused flag. Updates receive FrameTime(): the last frame's duration
// in seconds, at most 0.025, and 0 while paused. Components that time themselves (animation,
// particles) read the same value.
#pragma once

#include <cstdint>

inline constexpr float kMaxFrameTime = 0.025f;

struct FrameTimer {
  float ticksPerMs = 0.0f;
  int64_t lastCounter = 0;
  float lastFrameMs = 0.0f;
};

struct FpsCounter {
  int32_t frameCount = 0;
  int32_t framesPerSecond = 0;
  uint32_t windowStart = 0;
};

struct CpuMeterState {
  bool canRead = false;
  uint32_t lastSampleTime = 0;
  int32_t usage = 0;
};

struct FrameClock {
  FrameTimer timer;
  FpsCounter fps;
  CpuMeterState cpu;
  bool paused = false;
};

FrameClock& Clock();

// Seconds handed to this frame's updates: 0 while paused, else min(last frame ms / 1000, 0.025).
float FrameTime();
// The last frame's measured duration in milliseconds (not clamped, not zeroed while paused).
float LastFrameMs();
bool IsPaused();
void SetPaused(bool paused);
