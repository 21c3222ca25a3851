// The menus of a screen and the order they were opened in. Each menu registers under its id what
// building, opening, closing, showing and hiding it does; a menu (or the player's pause) opens
// another by its id, without knowing it. The stack holds the menus that are up, the screen's own
// menu at the bottom (the main menu, or a level's pause menu): a dialog or overlay opened over the
// top menu hides it, and when it closes, the menu under it (its opener) is shown again. The stack
// leaves the navigation lists to the menus (a dialog pushes the list itself and pops it to give the
// keys back). One stack for the whole program; it empties with its scene.
#pragma once

#include <vector>

enum class MenuId { MainMenu, PauseMenu, QuitDialog, OptionsOverlay, ControlsOverlay, LeaveLevelDialog, Count };

// What the stack and the callers of the ids below do with a menu. Each may be null: that step then
// does nothing (a menu not registered answers false to MenuBuilt).
struct MenuCalls {
  void (*build)() = nullptr;   // makes the menu's objects for the current scene, hidden
  bool (*built)() = nullptr;   // whether the current scene's copy stands
  void (*open)() = nullptr;    // shows the menu and hands it the keys
  void (*close)() = nullptr;   // closes it at once: hidden, with the keys it holds given back
  void (*show)() = nullptr;    // shows it again when the menu opened over it closes
  void (*hide)() = nullptr;    // hides it while a menu opened over it is up
};
void RegisterMenu(MenuId id, const MenuCalls& calls);
// Every menu unregistered (tests).
void ForgetRegisteredMenus();

// The registered steps, by id.
void BuildMenu(MenuId id);
bool MenuBuilt(MenuId id);
void OpenMenu(MenuId id);
void CloseMenu(MenuId id);

// ---- the stack: what the menus' own opening and closing record --------------------------------
// The screen's own menu is up: the stack holds it alone.
void StartMenuStack(MenuId base);
// A menu opens over the top one: the top one is hidden and `id` goes on top. A menu already on top
// is not stacked twice.
void PushMenu(MenuId id);
// The menu `id` has closed: it leaves the stack and the top menu, its opener, is shown again. A
// menu that is no longer on the stack (the pause began while a level's own dialog was up, and the
// pause menu started the stack again) leaves it as it is, and the top menu is shown all the same.
// Nothing with an empty stack.
void PopMenu(MenuId id);
// Shows the top menu again (a dialog closing before it was ever opened over it).
void ShowTopMenu();
// The stack empties (its screen's menus closed, or their scene is going).
void ClearMenuStack();
// The menus up, the bottom first.
const std::vector<MenuId>& MenuStack();
