// The main menu: "play game", "levels", "controls", "options", "credits" and "quit game" under the
// game's title, with the quit dialog and the options and controls overlays built hidden beside it.
// Built by the scene start of the main-menu scene.
#pragma once

void BuildMainMenu();
// The main menu's buttons and title, shown and reacting, or hidden and inert.
void ShowMainMenuButtons();
void HideMainMenuButtons();
// True while the current scene is the main menu.
bool InMainMenu();
// What an overlay's "back" returns to: the main menu's buttons in the main menu, the pause menu's
// anywhere else.
void ShowUnderlyingMenu();
// Forgets the menu's objects (their scene is going).
void ForgetMainMenu();
