// The heads-up display of a level: the timer at the top and the food counter at the bottom, both
// inert UI objects fixed to the screen. The player builds it when it starts; the level rules keep
// the food count up to date.
#pragma once

#include <cstdint>

// Builds the timer and the food counter for the current scene.
void CreateHud();
// The timer shows `seconds` in the game's time format.
void UpdateTimerHud(float seconds);
// The counter shows the delivered food against `goal`.
void UpdateFoodHud(uint32_t goal);
// Shows or hides both objects together (Ctrl+H).
void ToggleHud();
