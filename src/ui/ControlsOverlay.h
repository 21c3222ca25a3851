// The controls overlay of the main menu and of the pause menu: one button per action showing its
// keys ("tHROW - lmb"), a message line, "reset to defaults" and "back". Pressing an action's button
// (Enter or a click) asks for a new key: the next key or mouse button pressed becomes the action's
// only key, is used at once and is saved in the settings file (see KeyCapture for what is refused);
// Escape or pad 0's B cancels.
// While it waits, the overlay's buttons do not react and the player's actions read nothing. Built
// hidden with either menu (one per scene).
#pragma once

void BuildControlsOverlay();
// Hides the menu on top of the menu stack, hands the overlay the keys (its action buttons, "reset to
// defaults" and "back") and shows it; "back" shows that menu again.
void ShowControlsOverlay();
// Hides the overlay without touching the navigation lists (a wait for a key is called off first).
void HideControlsOverlay();
// Forgets the overlay's objects (their scene is going); a wait for a key ends with them.
void ForgetControlsOverlay();
// True while the overlay waits for a key.
bool ControlsOverlayWaitingForKey();
