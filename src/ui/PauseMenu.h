// The pause menu of a level: "rESUME gAME", "oPTIONS", "cREDITS" (leave the level, after a
// warning), "cONTROLS" and "quit game" over a shade, with its own quit dialog and options and
// controls overlays. Built hidden when the player starts; the pause operation shows it.
#pragma once

// Builds the pause menu and its overlays for the current level, hidden. Its buttons take the
// navigation list (they only react once shown).
void BuildPauseMenu();
// The pause operation. true: sets the paused flag (frame time 0), shows the pause menu (the bottom of
// the menu stack) and frames its selection. false: hides the menu, its dialogs and overlays, gives
// the keys back, hides the highlight, clears the paused flag and empties the menu stack. Gameplay
// reaches it through the menu stack (MenuId::PauseMenu).
void SetPauseMenu(bool show);

// The pause menu's objects, shown and reacting, or hidden and inert (dialogs return to it).
void ShowPauseMenuButtons();
void HidePauseMenuButtons();
// Forgets the menu's objects (their scene is going).
void ForgetPauseMenu();
// Whether this level's pause menu has been built (by its player's start), so it can be shown.
bool PauseMenuBuilt();
