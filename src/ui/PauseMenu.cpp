// Placeholder until the menus land: pausing sets the paused flag, with no menu to show.
#include "ui/PauseMenu.h"

#include "app/FrameClock.h"

void BuildPauseMenu() {}
void SetPauseMenu(bool show) { SetPaused(show); }
