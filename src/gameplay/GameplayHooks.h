// Where the gameplay modules plug into the layers below them (objects, scenes, the application).
// Those layers call up through hook structs; every hook a gameplay module fills is filled here, one
// install function per module, so a reader finds who fills a hook with one search. The application
// calls InstallGameplay once at start-up, before the scene list is built; tests call it (or a single
// module's install) to run the real game rules.
#pragma once

// Installs every gameplay module's hooks. The buttons and menus are installed apart (InstallUiHooks,
// after this); the player builds and opens its pause menu through the menu stack.
void InstallGameplay();

// The player: its behaviour on new player objects, its state for the collision rules and the vent
// entry of the object pass, the scene manager's state requests (the run-out at the end of an escape),
// and pausing a level when the window loses the focus.
void InstallPlayerHooks();

// The guards: their behaviour on new enemies, whether they pass vents, their patrol paths at scene
// start, and moving them off patrol nodes that are removed (defined with the guards' behaviour).
void InstallHumanHooks();
// The level rules: the level start, the food rule, the glass, the escape barrier and zone, and the
// end screens (InstallLevelRulesHooks, declared with the level rules in gameplay/LevelRules.h).


// The instant retry, checked by the scene manager once per frame.
void InstallRetryHooks();

// The guards' vision cones on the floor and the arrows to off-screen guards that spotted the player,
// drawn by the object pass.
void InstallStealthViewHooks();
