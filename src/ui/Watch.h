// Watching kept runs. From the level select, "watch" plays the level's best run, or the run the
// game ships when the player has none, through the input-script player: the level runs as in play
// (its heads-up display too) under a "Replay" banner, with pause, 2x and 4x speed, and Escape or pad
// B back to the level select. Left alone for a minute, the main menu plays a shipped run as an
// attract mode; any key or button returns to the menu. A run whose level file or game version
// differs from what it was played on is refused with the reason.
//
// The module also owns the scene hooks that begin and end the recording of every level's run.
#pragma once

#include <string>

// Seconds the main menu waits, untouched, before it plays a shipped run.
inline constexpr float kAttractDelay = 60.0f;

// Starts watching the run of the level with that scene id: the level is requested and the run
// plays from the next frame. False with the sentence to show when there is no run to play or it
// was recorded on another level file or game version.
bool WatchLevel(int sceneId, std::string* refusal);
// The main menu's attract mode: plays the next shipped run. False when none can be played.
bool StartAttract();
// Counts the main menu's idle time (seconds of this frame); starts the attract mode when it has
// been left alone for kAttractDelay. Any key, button, cursor move or pad input starts it again.
void TickMainMenuIdle(float seconds);
// True while a replay is watched (from the request to the return to a menu).
bool Watching();
// The watch speed (1, 2 or 4) and whether it is paused.
int WatchSpeed();
bool WatchPaused();

// Fills the scene and application hooks: the recording of every level's run, the replay banner on
// every scene of a watched run, the way back after it, and the faster frames of 2x and 4x.
void InstallWatchHooks();
