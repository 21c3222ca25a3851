// Tells the player that one of their files could not be written (the settings, an editor backup, a
// saved level), never only in the log: the details go to standard error and the log, and a short
// line shows at the bottom of the screen for a few seconds over whatever scene is running. A later
// failure replaces the line; a scene change takes it away with the scene's objects.
#pragma once

#include <string>

// `onScreen` is a short sentence for the screen ("Your settings could not be saved"); `details`
// names the file and the reason for standard error and the log.
void ReportWriteFailure(const std::string& onScreen, const std::string& details);
// Counts real seconds (the line stays while the game is paused); the line goes when its time is up.
void TickWriteNotice(float seconds);
// The sentence on screen now, or empty.
const std::string& WriteNoticeText();
