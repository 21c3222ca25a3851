// The state log of --state-log: after every frame one line "frame scene-index hash", where the hash
// (FNV-1a, 64 bits, as 16 hex digits) covers every live object of the list in list order (name,
// type, position, rotation, velocity, visibility, the behaviour's previous, current and next state)
// and the current scene (index, id, time, food count, food collected, goal reached, game over, exit
// started), the camera's position and the paused flag. Numbers enter as their bit patterns in a
// fixed byte order, so the same run gives the same lines in every build on every machine.
#pragma once

#include <cstdint>
#include <string>

// The hash of the game's state as it stands now.
uint64_t GameStateHash();
// The log line for a frame, with its newline.
std::string StateLogLine(int frame);

// Creates (or empties) the log file. False with the reason when it cannot be written.
bool OpenStateLog(const std::string& path, std::string* error);
// Appends the line of the frame just run; nothing when no log is open.
void LogFrameState(int frame);
void CloseStateLog();

// The watch log of --watch-log, read by the monkey soak to find what a player would call broken
// (a screen that cannot be left, an object flickering between two states). After every frame one
// line:
//   frame scene-index time paused shown screen n name=state ...
// time: the scene clock in seconds; paused: 1 while the frame time is held at 0; shown: 1 while
// something the player can act on is up (a visible button that reacts: a menu, a dialog or an
// overlay; or the editor holding the level stopped); screen: the state hash without the scene clock
// (16 hex digits), so it changes only when something on the screen does; then the number of objects
// with a behaviour and each one's name (spaces as '_') and current state, in list order.
std::string WatchLogLine(int frame);
bool OpenWatchLog(const std::string& path, std::string* error);
void LogFrameWatch(int frame);
void CloseWatchLog();
