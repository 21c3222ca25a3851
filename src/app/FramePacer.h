// Frame pacing where vertical sync does not hold frames back. The game presents with vsync on; a
// driver that refuses the swap interval, or accepts it and never waits (an offscreen window, some
// software renderers), would let the game run flat out, one core busy. The pacer then caps frames
// at the display's refresh rate (60 when unknown) by sleeping out the rest of each frame, and the
// log says so once. Vsync that really waits needs no pacing: the first thirty frames are timed, and
// only when most of them are much shorter than the refresh period does the cap start.
#pragma once

#include <cstdint>
#include <string>

// Seconds as the pacer reads them, from any clock (the platform's counter in the game).
struct FramePacer {
  // `refreshHz` 0 means unknown (60 is used); `vsyncAccepted` false means the driver refused the
  // swap interval, so the cap starts at once.
  void Start(int refreshHz, bool vsyncAccepted, double now);
  // After a frame was presented at `now`: how many seconds to sleep before the next frame starts
  // (0 while vsync paces the frames). A message for the log is in *note the one time the cap
  // starts, empty otherwise.
  double AfterFrame(double now, std::string* note);
  bool Capped() const { return capped; }

  double period = 1.0 / 60.0;  // seconds per frame at the cap
  bool capped = false;
  bool judged = false;        // vsync has been seen to wait, or not
  double lastFrameEnd = 0.0;  // while judging: when the last frame ended
  int measured = 0;           // frames measured so far
  int fastFrames = 0;         // of those, frames much shorter than the period
  double deadline = 0.0;      // while capped: when the frame after the one now running may start
  std::string reason;
};

// Milliseconds to sleep for `seconds` (whole milliseconds, rounded down, so a frame never starts late
// because of the rounding).
uint32_t SleepMilliseconds(double seconds);
