#include "core/Input.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "core/EditorLink.h"
#include "core/KeyBindings.h"

namespace {

struct InputModule {
  InputTables tables;
  PadReader reader = nullptr;
};

InputModule& Module() {
  static InputModule module;
  return module;
}

float Clamp1(double v) { return static_cast<float>(std::clamp(v, -1.0, 1.0)); }

}  // namespace

InputTables& Input() { return Module().tables; }

void ResetKeys() {
  std::memset(Input().keys, 0, sizeof(Input().keys));
  std::memset(Input().previousKeys, 0, sizeof(Input().previousKeys));
}

void ResetPads() {
  for (uint32_t i = 0; i < 4; ++i) {
    PadState& pad = Input().pads[i];
    pad = PadState{};
    std::copy(std::begin(kPadButtonMasks), std::end(kPadButtonMasks), pad.masks);
    pad.index = i;
  }
}

bool KeyDown(int vk) { return vk >= 0 && vk < 256 && Input().keys[vk]; }

bool KeyTriggered(int vk) {
  return vk >= 0 && vk < 256 && Input().keys[vk] && !Input().previousKeys[vk];
}

bool LeftClicked() { return Input().mouse.left && !Input().mouse.previousLeft; }
bool RightClicked() { return Input().mouse.right && !Input().mouse.previousRight; }

void SetKey(int vk, bool down) {
  if (vk >= 0 && vk < 256) Input().keys[vk] = down;
}

void SetMousePosition(int32_t x, int32_t y) {
  Input().mouse.x = x;
  Input().mouse.y = y;
}

void SetLeftButton(bool down, int32_t x, int32_t y) {
  MouseState& m = Input().mouse;
  m.left = down;
  m.heldLeft = down;
  m.x = x;
  m.y = y;
  if (down) {
    m.leftClickX = x;
    m.leftClickY = y;
  }
}

void SetRightButton(bool down, int32_t x, int32_t y) {
  MouseState& m = Input().mouse;
  m.right = down;
  m.heldRight = down;
  m.x = x;
  m.y = y;
  if (down) {
    m.rightClickX = x;
    m.rightClickY = y;
  }
}

void AddMouseWheel(int32_t notches) { Input().mouse.wheel += notches; }

void SetPadReader(PadReader reader) { Module().reader = reader; }

float ConvertStickAxis(int16_t raw, float deadZone) {
  // Compared in double precision, as the dead zone is a float and the raw value an integer.
  if (static_cast<double>(deadZone) > std::fabs(static_cast<double>(raw))) return 0.0f;
  return Clamp1(raw / 32767.0);
}

float ConvertTrigger(uint8_t raw, float threshold) {
  if (threshold > static_cast<float>(raw)) return 0.0f;
  return Clamp1(raw / 255.0);
}

void UpdatePads() {
  UpdateSilencedCodes();
  const EditorLink& editor = GetEditorLink();
  if (editor.enabled && (editor.wantsMouse || editor.wantsKeyboard || (editor.wantsText && editor.stopped))) {
    std::memset(Input().previousKeys, 0, sizeof(Input().previousKeys));
    Input().mouse.left = false;
    Input().mouse.right = false;
    return;
  }
  for (PadState& pad : Input().pads) {
    // Flags come from the record read in the previous pass, so a press shows one pass later.
    for (int b = 0; b < PadButtonCount; ++b) pad.flags[b] = (pad.state.buttons & pad.masks[b]) != 0;
    pad.previousLeftTrigger = pad.leftTrigger;
    pad.previousRightTrigger = pad.rightTrigger;
    PadRawState raw;
    bool present = Module().reader != nullptr && Module().reader(pad.index, &raw);
    if (!present) {
      pad.leftStick[0] = pad.leftStick[1] = 0.0f;
      pad.rightStick[0] = pad.rightStick[1] = 0.0f;
      pad.leftTrigger = pad.rightTrigger = 0.0f;
      pad.leftThreshold = pad.rightThreshold = kTriggerThreshold;
      pad.leftDeadZone = pad.rightDeadZone = kStickDeadZone;
      std::fill(std::begin(pad.flags), std::end(pad.flags), false);
      continue;
    }
    pad.state = raw;
    pad.leftStick[0] = ConvertStickAxis(raw.thumbLX, pad.leftDeadZone);
    pad.leftStick[1] = ConvertStickAxis(raw.thumbLY, pad.leftDeadZone);
    pad.rightStick[0] = ConvertStickAxis(raw.thumbRX, pad.rightDeadZone);
    pad.rightStick[1] = ConvertStickAxis(raw.thumbRY, pad.rightDeadZone);
    pad.leftTrigger = ConvertTrigger(raw.leftTrigger, pad.leftThreshold);
    pad.rightTrigger = ConvertTrigger(raw.rightTrigger, pad.rightThreshold);
  }
  PadState& pad0 = Input().pads[0];
  float x = pad0.leftStick[0];
  float y = pad0.leftStick[1];
  if (ActionDown(Action::MoveRight)) x += 1.0f;
  if (ActionDown(Action::MoveLeft)) x -= 1.0f;
  if (ActionDown(Action::MoveDown)) y -= 1.0f;
  if (ActionDown(Action::MoveUp)) y += 1.0f;
  pad0.leftStick[0] = std::clamp(x, -1.0f, 1.0f);
  pad0.leftStick[1] = std::clamp(y, -1.0f, 1.0f);
}

void CopyPreviousInput() {
  std::memcpy(Input().previousKeys, Input().keys, sizeof(Input().keys));
  Input().mouse.previousLeft = Input().mouse.left;
  Input().mouse.previousRight = Input().mouse.right;
  Input().mouse.wheel = 0;
}

