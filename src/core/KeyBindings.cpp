#include "core/KeyBindings.h"

#include <cctype>

#include "core/Input.h"
#include "core/InputScript.h"
#include "core/KeyCodes.h"

namespace {

struct KeyBindingsModule {
  KeyBindingTable table = DefaultKeyBindings();
  bool held = false;
  bool silenced[256] = {};  // by code; 1 and 2 are the mouse buttons
};

KeyBindingsModule& Module() {
  static KeyBindingsModule module;
  return module;
}

struct ActionNames {
  const char* setting;
  const char* label;
};

constexpr ActionNames kActionNames[kActionCount] = {
    {"move_up", "mOVE uP"},          {"move_down", "mOVE dOWN"}, {"move_left", "mOVE lEFT"},
    {"move_right", "mOVE rIGHT"},    {"pick_up", "pICK uP / dROP"}, {"throw", "tHROW"},
    {"pause", "pAUSE"},              {"retry", "rETRY"},
};

bool CodeDown(int code, bool previous) {
  const InputTables& input = Input();
  if (code == kLeftMouseCode) return previous ? input.mouse.previousLeft : input.mouse.left;
  if (code == kRightMouseCode) return previous ? input.mouse.previousRight : input.mouse.right;
  if (code <= 0 || code > 255) return false;
  return previous ? input.previousKeys[code] : input.keys[code];
}

template <typename Test>
bool AnyCode(Action action, Test test) {
  const int a = static_cast<int>(action);
  if (a < 0 || a >= kActionCount || Module().held) return false;
  for (int code : Module().table.codes[a]) {
    if (code > 0 && code <= 255 && !Module().silenced[code] && test(code)) return true;
  }
  return false;
}

}  // namespace

KeyBindingTable DefaultKeyBindings() {
  KeyBindingTable table;
  auto set = [&table](Action action, int first, int second = 0) {
    table.codes[static_cast<int>(action)][0] = first;
    table.codes[static_cast<int>(action)][1] = second;
  };
  set(Action::MoveUp, vk::Letter('W'));
  set(Action::MoveDown, vk::Letter('S'));
  set(Action::MoveLeft, vk::Letter('A'));
  set(Action::MoveRight, vk::Letter('D'));
  set(Action::PickUpDrop, kRightMouseCode);
  set(Action::Throw, kLeftMouseCode);
  set(Action::Pause, vk::Escape, vk::Letter('P'));
  set(Action::Retry, vk::Letter('R'));
  return table;
}

KeyBindingTable& KeyBindings() { return Module().table; }
void ResetKeyBindings() { Module() = KeyBindingsModule{}; }

bool BindAction(KeyBindingTable& table, Action action, int code) {
  const int a = static_cast<int>(action);
  if (a < 0 || a >= kActionCount || code <= 0 || code > 255) return false;
  table.codes[a][0] = code;
  table.codes[a][1] = 0;
  return true;
}

BindingRule CheckBinding(Action action, int code) {
  if (code == vk::F8 || code == vk::F11) return BindingRule::KeptByGame;
  if (code == vk::Escape) return action == Action::Pause ? BindingRule::Allowed : BindingRule::UsedByMenus;
  const bool actsOverMenus = action == Action::Pause || action == Action::Retry;
  const bool menuKey = code == vk::Return || code == vk::Up || code == vk::Down || code == vk::Left ||
                       code == vk::Right || code == kLeftMouseCode;
  return actsOverMenus && menuKey ? BindingRule::UsedByMenus : BindingRule::Allowed;
}

void SetActionsHeld(bool held) {
  KeyBindingsModule& m = Module();
  if (m.held && !held) {
    for (int code = 1; code <= 255; ++code) m.silenced[code] = CodeDown(code, false) || CodeDown(code, true);
  }
  m.held = held;
}

bool ActionsHeld() { return Module().held; }

void UpdateSilencedCodes() {
  KeyBindingsModule& m = Module();
  for (int code = 1; code <= 255; ++code) {
    if (m.silenced[code] && !CodeDown(code, true)) m.silenced[code] = false;
  }
}

void SilenceUntilReleased(int code) {
  if (code > 0 && code <= 255) Module().silenced[code] = true;
}

bool ActionDown(Action action) {
  return AnyCode(action, [](int code) { return CodeDown(code, false); });
}

bool ActionPressed(Action action) {
  return AnyCode(action, [](int code) { return CodeDown(code, false) && !CodeDown(code, true); });
}

bool ActionReleased(Action action) {
  return AnyCode(action, [](int code) { return !CodeDown(code, false) && CodeDown(code, true); });
}

const char* ActionSettingName(Action action) {
  const int a = static_cast<int>(action);
  return a >= 0 && a < kActionCount ? kActionNames[a].setting : "";
}

const char* ActionLabel(Action action) {
  const int a = static_cast<int>(action);
  return a >= 0 && a < kActionCount ? kActionNames[a].label : "";
}

std::string BindingCodeName(int code) {
  if (code == kLeftMouseCode) return "LMB";
  if (code == kRightMouseCode) return "RMB";
  if (code <= 0 || code > 255) return "";
  return ScriptKeyToken(code);
}

int BindingCodeFromName(const std::string& name) {
  std::string upper = name;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (upper == "LMB") return kLeftMouseCode;
  if (upper == "RMB") return kRightMouseCode;
  return ScriptKeyCode(upper);
}

std::string ActionBindingText(const KeyBindingTable& table, Action action) {
  const int a = static_cast<int>(action);
  if (a < 0 || a >= kActionCount) return "";
  std::string text;
  for (int code : table.codes[a]) {
    if (code == 0) continue;
    if (!text.empty()) text += " or ";
    text += BindingCodeName(code);
  }
  return text;
}
