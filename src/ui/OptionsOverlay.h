// The options overlay of the main menu and of the pause menu: the display mode ("fullscreen" and
// "windowed" both toggle it), the music and effects mutes, the guards' vision cones and the arrows
// to guards that spotted the player, and "back". Built hidden with either
// menu (one per scene). The choices are remembered in the settings file.
#pragma once

void BuildOptionsOverlay();
// Hides the menu on top of the menu stack, hands the overlay the keys ("fullscreen" selected) and
// shows it; "back" shows that menu again.
void ShowOptionsOverlay();
// Hides the overlay without touching the navigation lists.
void HideOptionsOverlay();
// Forgets the overlay's objects (their scene is going).
void ForgetOptionsOverlay();

// The two toggles, as the buttons run them.
void ToggleDisplayMode();
void ToggleMusicMute();
void ToggleSfxMute();
void ToggleVisionCones();
void ToggleSpotterArrows();
