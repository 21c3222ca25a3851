// Changing one action's key on the controls screen: which key or mouse button the player pressed,
// and what that press does to the bindings. Escape cancels. F8 (quit) and F11 (full screen) stay
// the game's own and are refused, and so are the menus' keys for pause and retry (CheckBinding). A
// key that another action already uses is refused too, with a message naming that action: nothing
// is ever taken from an action the player did not pick.
#pragma once

#include <string>

#include "core/KeyBindings.h"

enum class CaptureOutcome { Bound, Cancelled, Reserved, MenuKey, Taken };

struct CaptureResult {
  CaptureOutcome outcome = CaptureOutcome::Cancelled;
  int code = 0;                  // the key or button pressed
  Action owner = Action::Count;  // Taken: the action that has the key
};

// Applies a pressed code to `action` in `table`. Only Bound changes the table: the code becomes the
// action's only key (its second key, if it had one, is dropped).
CaptureResult ApplyCapturedCode(KeyBindingTable& table, Action action, int code);

// The key or mouse button that went down in this pass (down now, up in the previous one): the left
// and right mouse buttons first, then the keys by code (Ctrl, Shift and Alt as their left or right
// key, never the generic code). 0 when nothing went down.
int PressedBindingCode();

// What the controls screen says while it waits for `action`'s key, and after the press.
std::string CapturePrompt(Action action);
std::string CaptureMessage(Action action, const CaptureResult& result);
