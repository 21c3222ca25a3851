#include "app/FramePacer.h"

#include <cmath>

namespace {

constexpr int kDefaultRefreshHz = 60;
// Frames measured before judging whether vsync waits, how much shorter than the refresh period a
// frame must be to count as one vsync did not hold back, and how many such frames start the cap.
constexpr int kFramesToJudge = 30;
constexpr double kTooFast = 0.75;
constexpr int kFastToCap = 20;

std::string CapNote(const std::string& reason, double period) {
  return "Frame pacing: vertical sync " + reason + "; frames are capped at " +
         std::to_string(static_cast<int>(std::lround(1.0 / period))) + " per second";
}

}  // namespace

void FramePacer::Start(int refreshHz, bool vsyncAccepted, double now) {
  *this = FramePacer{};
  period = 1.0 / (refreshHz > 0 ? refreshHz : kDefaultRefreshHz);
  lastFrameEnd = now;
  if (!vsyncAccepted) {
    judged = true;
    capped = true;
    reason = "was refused";
    deadline = now + period;
  }
}

double FramePacer::AfterFrame(double now, std::string* note) {
  if (note != nullptr) note->clear();
  if (!judged) {
    // Frame by frame, so that a slow first frame (the scene loading) or two do not hide the rest.
    fastFrames += now - lastFrameEnd < period * kTooFast ? 1 : 0;
    lastFrameEnd = now;
    if (++measured < kFramesToJudge) return 0.0;
    judged = true;
    if (fastFrames < kFastToCap) return 0.0;  // vsync waits: nothing to do
    capped = true;
    reason = "does not wait";
    // The next frame starts a period from now, the one after it a period later.
    deadline = now + 2.0 * period;
    if (note != nullptr) *note = CapNote(reason, period);
    return period;
  }
  if (!capped) return 0.0;
  if (note != nullptr && measured == 0) {
    // Refused at the start: said with the first frame, once the log is open.
    *note = CapNote(reason, period);
    measured = 1;
  }
  // A frame that ran late starts the next at once and a new schedule from there, instead of
  // rushing the ones after it to catch up.
  if (now >= deadline) {
    deadline = now + period;
    return 0.0;
  }
  const double wait = deadline - now;
  deadline += period;
  return wait;
}

uint32_t SleepMilliseconds(double seconds) {
  return seconds > 0.0 ? static_cast<uint32_t>(seconds * 1000.0) : 0u;
}
