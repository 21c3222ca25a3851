// The heads-up display of a level: the timer at the top and the food counter at the bottom left
// (kept at the same distance from the left edge on every window shape), both inert UI objects on
// dark plates fixed to the screen. The player builds it when it starts; the level rules keep
// the food count up to date. The objects belong to the scene's object list; the display forgets
// them at every scene start and never touches an object that has left the list.
#pragma once

#include <cstdint>
#include <string>

// Builds the timer and the food counter for the current scene; the displayed food count starts at
// the scene's delivered food.
void CreateHud();
// The timer shows `seconds` in the game's time format.
void UpdateTimerHud(float seconds);
// The counter shows the displayed food count against `goal`.
void UpdateFoodHud(uint32_t goal);
// Shows or hides both objects together (Ctrl+H).
void ToggleHud();
// The pause menu hides the display while it is up (its titles stand where the timer does) and
// gives it back as Ctrl+H left it.
void HideHudUnderMenu(bool hidden);

// The food count the counter shows (set on each delivery, before UpdateFoodHud).
void SetHudFoodCount(int32_t count);
int32_t HudFoodCount();
// Forgets the display objects (the scene start, whose object list is new).
void ResetHud();

// A time in seconds as minutes and seconds, "m:ss": 65.9 s shows as "1:05", 600 s as "10:00".
// Negative or non-finite times show as "0:00".
std::string FormatTime(float seconds);
