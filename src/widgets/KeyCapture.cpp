#include "widgets/KeyCapture.h"

#include <cctype>

#include "core/Input.h"
#include "core/KeyCodes.h"

namespace {

// Key codes below 3 are the mouse buttons' (and 0 is none); the keys of the tables start above.
constexpr int kFirstKeyCode = 3;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string KeyName(int code) { return Lower(BindingCodeName(code)); }

// The action other than `action` that has `code`, or Action::Count.
Action OwnerOf(const KeyBindingTable& table, Action action, int code) {
  for (int a = 0; a < kActionCount; ++a) {
    if (a == static_cast<int>(action)) continue;
    for (int bound : table.codes[a]) {
      if (bound == code) return static_cast<Action>(a);
    }
  }
  return Action::Count;
}

}  // namespace

CaptureResult ApplyCapturedCode(KeyBindingTable& table, Action action, int code) {
  CaptureResult result;
  result.code = code;
  if (code == vk::Escape) return result;
  switch (CheckBinding(action, code)) {
    case BindingRule::KeptByGame:
      result.outcome = CaptureOutcome::Reserved;
      return result;
    case BindingRule::UsedByMenus:
      result.outcome = CaptureOutcome::MenuKey;
      return result;
    case BindingRule::Allowed:
      break;
  }
  result.owner = OwnerOf(table, action, code);
  if (result.owner != Action::Count) {
    result.outcome = CaptureOutcome::Taken;
    return result;
  }
  result.outcome = BindAction(table, action, code) ? CaptureOutcome::Bound : CaptureOutcome::Reserved;
  return result;
}

int PressedBindingCode() {
  if (LeftClicked()) return kLeftMouseCode;
  if (RightClicked()) return kRightMouseCode;
  for (int code = kFirstKeyCode; code < 256; ++code) {
    // The generic Ctrl, Shift and Alt go down with their left or right key, and the settings file
    // names only those: the side's own key is the one taken.
    if (code == vk::Shift || code == vk::Control || code == vk::Menu) continue;
    if (KeyTriggered(code)) return code;
  }
  return 0;
}

std::string CapturePrompt(Action action) {
  return std::string("press a key for ") + ActionLabel(action) + " - escape or pad b cancels";
}

std::string CaptureMessage(Action action, const CaptureResult& result) {
  const std::string label = ActionLabel(action);
  switch (result.outcome) {
    case CaptureOutcome::Bound:
      return label + " is now " + KeyName(result.code);
    case CaptureOutcome::Cancelled:
      return label + " unchanged";
    case CaptureOutcome::Reserved:
      return KeyName(result.code) + " is kept by the game";
    case CaptureOutcome::MenuKey:
      return KeyName(result.code) + " works the menus - pick another";
    case CaptureOutcome::Taken:
      return KeyName(result.code) + " is already " + ActionLabel(result.owner) + " - pick another";
  }
  return {};
}
