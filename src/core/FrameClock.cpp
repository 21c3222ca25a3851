#include "core/FrameClock.h"

#include <algorithm>

FrameClock& Clock() {
  static FrameClock clock;
  return clock;
}

float FrameTime() {
  if (Clock().paused) return 0.0f;
  return std::min(Clock().timer.lastFrameMs / 1000.0f, kMaxFrameTime);
}

float LastFrameMs() { return Clock().timer.lastFrameMs; }
bool IsPaused() { return Clock().paused; }
void SetPaused(bool paused) { Clock().paused = paused; }
