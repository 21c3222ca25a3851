// Instant retry: the retry key (R unless changed, Back on the pad) starts the level again at once
// from its start, during play (paused or not) or from the game-over screen, where it restarts the
// level that was lost. The scene manager calls the check once per frame.
#pragma once

// Once per frame, from the scene manager's update: remembers the level being played and restarts it
// when the retry input was pressed.
void HandleRetryInput();
// The id of the last level seen running (0 before any).
int LastPlayedLevelId();
