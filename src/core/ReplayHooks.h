// The level recorder and the replay player, as the game rules (which keep every level's run) and the
// screens (which play kept runs) reach them. They are the application's scripted input, which fills
// the hooks when it wraps the platform. While a hook is null nothing is recorded (an ended recording
// is empty) and no replay plays.
#pragma once

#include <cstdint>
#include <functional>

#include "core/InputScript.h"

// What the player does while a replay plays: a key pressed (key code, 0 for a mouse button) or pad
// 0 buttons newly pressed (their XInput masks, key 0).
using ReplayControls = std::function<void(int key, uint16_t padButtons)>;

struct ReplayHooks {
  // Starts recording a level's run; the frame now running is its first.
  void (*beginLevelRecording)() = nullptr;
  // Stops recording and returns the run recorded since beginLevelRecording.
  InputScript (*endLevelRecording)() = nullptr;
  // Plays the script from the next frame on in place of the player's input; what the player does
  // meanwhile goes to `controls`; `onStart` runs just before the replay's first frame.
  void (*playReplay)(const InputScript& script, ReplayControls controls, std::function<void()> onStart) = nullptr;
  // Ends a replay at once.
  void (*stopReplay)() = nullptr;
  // Holds the replay where it is, or lets it go on.
  void (*holdReplay)(bool held) = nullptr;
};
ReplayHooks& GetReplayHooks();
