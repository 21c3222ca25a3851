// The "are you sure ?" dialog of the main menu and of the pause menu. Built hidden with either menu
// (one per scene); "quit game" opens it. "yes" ends the program through the normal shutdown, "no"
// closes it and gives the keys back to the menu under it.
#pragma once

// Builds the panel, "yes" and "no", hidden, leaving the navigation list as it found it.
void BuildQuitDialog();
// The "quit_game" action (opened through the menu stack): hides the menu on top of the stack, shows
// the dialog over it and hands it the keys with "no" selected; "no" shows that menu again.
void OpenQuitDialog();
// Hides the dialog without touching the navigation lists (the pause menu closing over it).
void HideQuitDialog();
// Forgets the dialog's objects (their scene is going).
void ForgetQuitDialog();
