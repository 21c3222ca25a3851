// The keyboard and mouse bindings of the player's actions. Each action has up to two codes (pause
// has Escape and P); a code is a virtual-key number of the input tables, or 1 / 2 for the left /
// right mouse button (the numbers the mouse buttons have always had among the key codes). The
// player behaviour and the folding of the movement keys into pad 0's left stick read the actions
// through this table; the controls screen changes it and the settings file keeps it. The pad's
// buttons are fixed and not part of the table.
#pragma once

#include <string>

enum class Action : int { MoveUp = 0, MoveDown, MoveLeft, MoveRight, PickUpDrop, Throw, Pause, Retry, Count };
inline constexpr int kActionCount = static_cast<int>(Action::Count);
inline constexpr int kBindingSlots = 2;

inline constexpr int kLeftMouseCode = 0x01;
inline constexpr int kRightMouseCode = 0x02;

struct KeyBindingTable {
  int codes[kActionCount][kBindingSlots] = {};  // 0: slot unused

  bool operator==(const KeyBindingTable&) const = default;
};

// The controls the game ships with: W, S, A, D; right mouse button; left mouse button; Escape or P;
// R.
KeyBindingTable DefaultKeyBindings();
// The bindings in use (start at the defaults).
KeyBindingTable& KeyBindings();
void ResetKeyBindings();

// The action's only code becomes `code` (its second slot is cleared). Codes outside 1..255 are
// refused (false).
bool BindAction(KeyBindingTable& table, Action action, int code);

// Whether a code may be one of an action's keys. F8 (quit) and F11 (full screen) are the game's
// own. The keys the menus use (Enter, the arrows, the left mouse button) cannot pause or retry,
// which both act while a menu is up: one press would work the menu and the action at once (Enter's
// press resuming, its release pausing again). Escape steps back out of menus; only pause has it.
enum class BindingRule { Allowed, KeptByGame, UsedByMenus };
BindingRule CheckBinding(Action action, int code);

// While the controls screen waits for a new key, the actions read nothing (true). When it stops
// waiting (false), every key and mouse button held at that moment stays silent for the actions
// until its release has passed, so the key just bound, or the Escape that cancelled, neither
// throws, pauses nor retries on its way up.
void SetActionsHeld(bool held);
bool ActionsHeld();
// Once per pass, before the frame: a silenced code that was up in the previous pass speaks again.
void UpdateSilencedCodes();
// The key (or mouse button) with this code stays silent for the actions until its release has
// passed: a menu has used its press (Escape stepping back out of a menu must not pause as well).
void SilenceUntilReleased(int code);

// Down now / down now but up in the previous pass / up now but down in the previous pass, for any
// of the action's codes.
bool ActionDown(Action action);
bool ActionPressed(Action action);
bool ActionReleased(Action action);

// The action's name in the settings file ("move_up", ..., "retry").
const char* ActionSettingName(Action action);
// The action as the controls screen lists it ("mOVE uP", ...).
const char* ActionLabel(Action action);

// A code's name as the settings file and the controls screen write it: the key names of the input
// scripts ("W", "ESCAPE", "F5", "VK_BA") and "LMB" / "RMB" for the mouse buttons. 0 gives "".
std::string BindingCodeName(int code);
// The code of a name (not case-sensitive); 0 when the name is no key or button.
int BindingCodeFromName(const std::string& name);
// "A or B" of the action's codes, as the controls screen shows them.
std::string ActionBindingText(const KeyBindingTable& table, Action action);
