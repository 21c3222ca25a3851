// Program-wide input tables: 256 key states (current and previous pass), the mouse, and four pads in
// the XInput layout. The event pump writes keys and mouse buttons as events arrive; the main loop
// polls the pads before the frame (UpdatePads) and copies current states to previous ones after it.
// A key or button is "triggered" when it is down now and was up in the previous pass. The movement
// keys of the bindings (W, A, S and D unless changed) also drive pad 0's left stick, so keyboard and
// pad share one movement input.
#pragma once

#include <cstdint>

struct MouseState {
  int32_t x = 0, y = 0;  // client pixels, from the last mouse event
  bool left = false, right = false;
  bool previousLeft = false, previousRight = false;
  int32_t leftClickX = 0, leftClickY = 0;
  int32_t rightClickX = 0, rightClickY = 0;
  float worldX = 0.0f, worldY = 0.0f;  // world point under the cursor, recomputed after each frame
  // The buttons as the last events left them. The capture rule clears `left` and `right` while the
  // editor's interface has the mouse; the interface itself still needs to see the button held.
  bool heldLeft = false, heldRight = false;
  int32_t wheel = 0;  // wheel notches turned in this pass, away from the user positive
};

// The raw pad record as XInput reports it: buttons use the XInput bit masks, triggers 0..255,
// sticks -32768..32767 with y positive up.
struct PadRawState {
  uint32_t packetNumber = 0;
  uint16_t buttons = 0;
  uint8_t leftTrigger = 0, rightTrigger = 0;
  int16_t thumbLX = 0, thumbLY = 0, thumbRX = 0, thumbRY = 0;
};

// Button order of the masks and flags.
enum PadButton : int {
  PadA = 0, PadB, PadX, PadY, PadDpadLeft, PadDpadRight, PadDpadUp, PadDpadDown,
  PadLeftShoulder, PadRightShoulder, PadLeftThumb, PadRightThumb, PadBack, PadStart, PadButtonCount
};

inline constexpr uint16_t kPadButtonMasks[PadButtonCount] = {
    0x1000, 0x2000, 0x4000, 0x8000, 0x0004, 0x0008, 0x0001, 0x0002,
    0x0100, 0x0200, 0x0040, 0x0080, 0x0020, 0x0010};

inline constexpr float kStickDeadZone = 8689.0f;
inline constexpr float kTriggerThreshold = 30.0f;

struct PadState {
  uint16_t masks[PadButtonCount] = {};
  uint32_t index = 0xFFFFFFFFu;
  PadRawState state;
  float leftStick[2] = {0.0f, 0.0f};
  float rightStick[2] = {0.0f, 0.0f};
  float leftTrigger = 0.0f, rightTrigger = 0.0f;
  // The triggers of the previous pass, so that a pull can act once as it crosses a threshold.
  float previousLeftTrigger = 0.0f, previousRightTrigger = 0.0f;
  float leftDeadZone = kStickDeadZone, rightDeadZone = kStickDeadZone;
  float leftThreshold = kTriggerThreshold, rightThreshold = kTriggerThreshold;
  bool flags[PadButtonCount] = {};
};

struct InputTables {
  bool keys[256] = {};
  bool previousKeys[256] = {};
  MouseState mouse;
  PadState pads[4];
};

InputTables& Input();

// Start state: every key released; the four pads reset (dead zones, thresholds, index 0..3).
void ResetKeys();
void ResetPads();

bool KeyDown(int vk);
bool KeyTriggered(int vk);
bool LeftClicked();   // left button down now and up in the previous pass
bool RightClicked();

// Event writers used by the event pump.
void SetKey(int vk, bool down);
void SetMousePosition(int32_t x, int32_t y);
void SetLeftButton(bool down, int32_t x, int32_t y);
void SetRightButton(bool down, int32_t x, int32_t y);
void AddMouseWheel(int32_t notches);

// Reads one pad's raw state; false when no pad answers at that index. Installed by the application
// (the platform's pad reader); with none installed every pad reads as absent.
using PadReader = bool (*)(uint32_t index, PadRawState* out);
void SetPadReader(PadReader reader);

// Once per pass before the frame: silenced binding codes whose release has passed speak again
// (KeyBindings), pad flags from the previous record, read the pads, convert sticks
// and triggers, then fold the movement keys into pad 0's left stick. While the editor's interface wants the
// mouse or keyboard, clears the previous keys and the mouse buttons and polls nothing.
void UpdatePads();
// One axis value: 0 inside the dead zone, else raw / 32767 limited to [-1, 1].
float ConvertStickAxis(int16_t raw, float deadZone);
// One trigger value: 0 below the threshold, else raw / 255 limited to [-1, 1].
float ConvertTrigger(uint8_t raw, float threshold);

// After each frame: previous key and button states := current ones; the wheel's turn is spent.
void CopyPreviousInput();
