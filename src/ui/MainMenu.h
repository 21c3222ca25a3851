// The main menu: "play game", "levels", "controls", "options", "credits" and "quit game" under the
// game's title, with the quit dialog and the options and controls overlays built hidden beside it.
// Built by the scene start of the main-menu scene; it is the bottom of the menu stack there.
#pragma once

void BuildMainMenu();
// The main menu's buttons and title, shown and reacting, or hidden and inert.
void ShowMainMenuButtons();
void HideMainMenuButtons();
// Forgets the menu's objects (their scene is going).
void ForgetMainMenu();
