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
