// The pause menu of a level: built hidden when the player starts, shown by the pause operation.
#pragma once

// Builds the pause menu and its overlays for the current level, hidden.
void BuildPauseMenu();
// The pause operation. true: sets the paused flag (frame time 0) and shows the pause menu; false:
// hides the menu and its overlays and clears the paused flag.
void SetPauseMenu(bool show);
