// The pause menu's "you will lose your progress" dialog, made when the player asks to leave the
// level for the credits: "yes" leaves (the paused flag is cleared), "no" destroys the dialog and
// gives the keys back to the pause menu.
#pragma once

void OpenLeaveLevelDialog();
// Closes an open dialog the way "no" does, without its pause-menu part; false when none was open.
bool DismissLeaveLevelDialog();
// Forgets the dialog's objects (their scene is going).
void ForgetLeaveLevelDialog();
