// The named button actions that screens bind their buttons to ("play_game", "quit_game",
// "next_level", "goto_main"), and the two menu sounds every screen uses. The table lives for the
// whole program; screens built later (the end scene, the game-over and win screens) look names up
// here instead of knowing what the actions do.
#pragma once

#include <functional>
#include <string>

class GameObject;

using ButtonAction = std::function<void()>;

// The action under `name`; an empty function for a name the table does not have.
ButtonAction FindButtonAction(const std::string& name);
// Makes the button's handler run the named action when pressed. False (and nothing bound) for an
// unknown name or an object without a handler.
bool BindButtonAction(GameObject* button, const std::string& name);

// The menu's forward and back sounds: each use registers the event under its name, then plays it.
void PlayForwardSound();
void PlayBackSound();
