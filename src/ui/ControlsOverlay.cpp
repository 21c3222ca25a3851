#include "ui/ControlsOverlay.h"

#include <cctype>
#include <string>

#include "core/Input.h"
#include "core/KeyBindings.h"
#include "ui/ButtonActions.h"
#include "ui/Settings.h"
#include "widgets/KeyCapture.h"
#include "widgets/MenuParts.h"
#include "widgets/MenuStack.h"
#include "widgets/Navigation.h"

namespace {

constexpr float kBackdropDepth = -8.0f;
constexpr float kRowWidth = 500.0f;
// The screen shows about 400 units above and below its centre; the column fits inside.
constexpr float kRowHeight = 46.0f;
constexpr float kRowText = 20.0f;
constexpr float kFirstRowY = 290.0f;
constexpr float kRowStep = 55.0f;
constexpr float kMessageText = 16.0f;
constexpr float kMessageWidth = 900.0f;
constexpr const char* kIdleMessage = "enter or click: change a key - the mouse aims";

// Where a wait for a key stands. The press that starts the wait is in the frame it was made, so the
// wait looks for keys from the next frame on; once a key is taken, the buttons get the keys back a
// frame later, so the same press cannot also move the selection or press a button.
enum class Wait { None, Starting, Listening, Settling };

struct ControlsState {
  MenuGroup overlay;  // title, action buttons, message, "reset to defaults", "back", backdrop
  ObjectHandle rows[kActionCount] = {};
  ObjectHandle message;
  ObjectHandle reset;
  ObjectHandle back;
  Wait wait = Wait::None;
  Action action = Action::Count;  // the action whose key is being changed
};

ControlsState& State() {
  static ControlsState state;
  return state;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string RowText(Action action) {
  return std::string(ActionLabel(action)) + " - " + Lower(ActionBindingText(KeyBindings(), action));
}

// Long messages and rows (an action with two long key names) shrink to stay on their plates.
void ShowMessage(const std::string& text) {
  if (IsLive(State().message)) SetButtonLabel(State().message, text, FittingGlyph(text, kMessageText, kMessageWidth), 1);
}

void RefreshRows() {
  for (int a = 0; a < kActionCount; ++a) {
    const std::string text = RowText(static_cast<Action>(a));
    if (IsLive(State().rows[a])) SetButtonLabel(State().rows[a], text, FittingGlyph(text, kRowText, kRowWidth), 1);
  }
}

// The buttons that react while no key is awaited: the action rows, "reset to defaults" and "back".
template <typename Visit>
void ForEachButton(Visit visit) {
  ControlsState& s = State();
  for (GameObject* row : s.rows) visit(row);
  visit(s.reset);
  visit(s.back);
}

void SetButtonsActive(bool active) {
  ForEachButton([active](GameObject* button) {
    if (UIHandler* handler = IsLive(button) ? HandlerOf(button) : nullptr) handler->active = active;
  });
}

void RegisterButtons() {
  ForEachButton([](GameObject* button) { RegisterForNavigation(button); });
  RegisterAsBack(State().back);
}

void StartWaiting(Action action) {
  ControlsState& s = State();
  if (s.wait != Wait::None) return;
  PlayForwardSound();
  s.wait = Wait::Starting;
  s.action = action;
  // The overlay's list is put aside, so arrows and Enter reach no button while the key is awaited.
  PushUIButtons();
  SetButtonsActive(false);
  SetActionsHeld(true);
  ShowMessage(CapturePrompt(action));
}

// The wait is over: the player's actions hear keys again (the one pressed stays silent until it is
// up), and the buttons come back on the next frame.
void StopWaiting(const std::string& message) {
  ControlsState& s = State();
  SetActionsHeld(false);
  ShowMessage(message);
  s.wait = Wait::Settling;
}

// Gives the overlay's buttons back with the changed action selected.
void FinishSettling() {
  ControlsState& s = State();
  s.wait = Wait::None;
  PopUIButtons();
  SetButtonsActive(true);
  const int a = static_cast<int>(s.action);
  if (a >= 0 && a < kActionCount && IsLive(s.rows[a])) {
    SelectUIButton(HandlerOf(s.rows[a]));
    MoveHighlight();
  }
}

// Pad 0's B, new in this pass: a player on the pad alone cancels with it (the pad has no binding
// to give).
bool PadBWentDown() {
  const PadState& pad = Input().pads[0];
  return (pad.state.buttons & pad.masks[PadB]) != 0 && !pad.flags[PadB];
}

// Runs every frame on the message line: the wait's steps.
void UpdateWait(UIHandler*, float) {
  ControlsState& s = State();
  switch (s.wait) {
    case Wait::None:
      return;
    case Wait::Starting:
      s.wait = Wait::Listening;
      return;
    case Wait::Settling:
      FinishSettling();
      return;
    case Wait::Listening:
      break;
  }
  if (PadBWentDown()) {
    StopWaiting(CaptureMessage(s.action, CaptureResult{}));
    return;
  }
  const int code = PressedBindingCode();
  if (code == 0) return;
  // The press is this frame's: no button that runs later in the frame may take it as a click.
  TakeFramePress();
  const CaptureResult result = ApplyCapturedCode(KeyBindings(), s.action, code);
  if (result.outcome == CaptureOutcome::Bound) {
    RememberKeyBindings();
    RefreshRows();
  }
  StopWaiting(CaptureMessage(s.action, result));
}

// A wait that has not taken its key yet holds the player's actions; this lets them go.
void ReleaseHold() {
  const Wait wait = State().wait;
  if (wait == Wait::Starting || wait == Wait::Listening) SetActionsHeld(false);
}

// Ends a wait at once (the overlay is hidden or its scene goes): no frame of settling is left.
void CallOffWait() {
  ControlsState& s = State();
  if (s.wait == Wait::None) return;
  ReleaseHold();
  s.wait = Wait::None;
  PopUIButtons();
  SetButtonsActive(true);
  ShowMessage(kIdleMessage);
}

void ResetToDefaults(UIHandler*) {
  PlayForwardSound();
  KeyBindings() = DefaultKeyBindings();
  RememberKeyBindings();
  RefreshRows();
  ShowMessage("keys reset to defaults");
}

void Back(UIHandler*) {
  PlayBackSound();
  HideControlsOverlay();
  // Two pops, as the overlay has always done; the second finds nothing saved in every menu that
  // opens the overlay, and a pop with nothing saved changes nothing.
  PopUIButtons();
  PopUIButtons();
  PopMenu(MenuId::ControlsOverlay);
}

}  // namespace

void BuildControlsOverlay() {
  using namespace menu_color;
  ControlsState& s = State();
  ReleaseHold();
  s = ControlsState{};
  GameObject* title = MakeButton(0.0f, 365.0f, 400.0f, 60.0f, Shade(0.6f), "how to play", 36.0f);
  UseLightFontFor(title);
  s.overlay.Add(title);
  for (int a = 0; a < kActionCount; ++a) {
    const auto action = static_cast<Action>(a);
    s.rows[a] = MakeButton(0.0f, kFirstRowY - kRowStep * static_cast<float>(a), kRowWidth, kRowHeight, kWhite,
                           RowText(action), kRowText, [action](UIHandler*) { StartWaiting(action); });
    s.overlay.Add(s.rows[a]);
  }
  // Made after the rows, so that in the frame a row is pressed the wait's step runs after the press.
  s.message = MakeButton(0.0f, kFirstRowY - kRowStep * kActionCount, kMessageWidth, kRowHeight, Shade(0.8f),
                         kIdleMessage, kMessageText);
  UseLightFontFor(s.message);
  if (UIHandler* handler = HandlerOf(s.message)) handler->onUpdate = UpdateWait;
  s.overlay.Add(s.message);
  s.reset = MakeButton(0.0f, -220.0f, 400.0f, kRowHeight, kWhite, "reset to defaults", kRowText, ResetToDefaults);
  s.overlay.Add(s.reset);
  s.back = MakeButton(0.0f, -285.0f, 150.0f, kRowHeight, kSalmon, "back", 20.0f, Back);
  s.overlay.Add(s.back);
  GameObject* backdrop = MakePanel(0.0f, 0.0f, 940.0f, 1080.0f, Shade(0.6f));
  SetDepth(backdrop, kBackdropDepth);
  s.overlay.Add(backdrop);
  s.overlay.Hide();
}

void ShowControlsOverlay() {
  ControlsState& s = State();
  PushMenu(MenuId::ControlsOverlay);
  PushUIButtons();
  s.overlay.Show();
  RefreshRows();
  ShowMessage(kIdleMessage);
  RegisterButtons();
}

void HideControlsOverlay() {
  CallOffWait();
  State().overlay.Hide();
}

void ForgetControlsOverlay() {
  // The objects are going with their scene; only the hold on the actions needs undoing.
  ReleaseHold();
  State() = ControlsState{};
}

bool ControlsOverlayWaitingForKey() { return State().wait != Wait::None; }
