// The controls overlay of the main menu and of the pause menu: how to play, in a column of labels
// written from the key bindings in use, and "back". Built hidden with either menu (one per scene).
#pragma once

void BuildControlsOverlay();
// Hands the overlay the keys ("back" is its only button) and shows it.
void ShowControlsOverlay();
// Hides the overlay without touching the navigation lists.
void HideControlsOverlay();
// Forgets the overlay's objects (their scene is going).
void ForgetControlsOverlay();
