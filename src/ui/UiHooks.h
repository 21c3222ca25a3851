// Plugs the buttons and menus into the layers under them: the object pass (button labels, the focus
// step), the text fade (which labels are pinned), the factory (a UI object's handler and label),
// the scene start (the highlight and the menu screens), the scene unload (forgetting the scene's
// buttons and menus) and the menu stack (every menu under its id). Called once at start-up by the
// application after InstallGameplay, before the first scene starts; calling it again changes
// nothing. (Pausing a level on lost focus is the player's hook.)
#pragma once

void InstallUiHooks();
// Registers every menu with the menu stack under its id (part of InstallUiHooks): gameplay builds
// and opens the pause menu, and the menus open each other, by id.
void RegisterMenus();
// What the scene unload runs: the navigation lists, the highlight and every menu's objects are
// forgotten, since the objects go with the scene.
void ForgetSceneUi();
