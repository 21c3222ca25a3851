#include "ui/MainMenu.h"

#include "scenes/SceneManager.h"
#include "ui/ButtonActions.h"
#include "ui/Watch.h"
#include "widgets/MenuParts.h"
#include "widgets/MenuStack.h"

namespace {

constexpr float kButtonWidth = 200.0f;
constexpr float kButtonHeight = 50.0f;
constexpr float kButtonText = 20.0f;

struct MainMenuState {
  MenuGroup menu;  // the six buttons and the title
};

MainMenuState& State() {
  static MainMenuState state;
  return state;
}

// Runs a named action when pressed.
UIHandler::ClickCallback Action(const char* name) {
  ButtonAction action = FindButtonAction(name);
  return [action](UIHandler*) {
    if (action) action();
  };
}

void OpenLevelSelect(UIHandler*) { RequestSceneById(scene_id::kLevelSelect); }

void OpenControls(UIHandler*) {
  PlayForwardSound();
  OpenMenu(MenuId::ControlsOverlay);
}

void OpenOptions(UIHandler*) {
  PlayForwardSound();
  OpenMenu(MenuId::OptionsOverlay);
}

void OpenCredits(UIHandler*) {
  PlayForwardSound();
  HideMainMenuButtons();
  RequestSceneById(scene_id::kCredits);
}

struct ButtonRow {
  const char* text;
  float y;
  UIHandler::ClickCallback onClick;
};

}  // namespace

void BuildMainMenu() {
  using namespace menu_color;
  MainMenuState& s = State();
  s.menu.Clear();
  // The menu is the screen's own: the dialog and the overlays open over it.
  StartMenuStack(MenuId::MainMenu);
  const ButtonRow rows[] = {
      {"play game", 200.0f, Action("play_game")},
      {"levels", 100.0f, OpenLevelSelect},
      {"controls", 0.0f, OpenControls},
      {"options", -100.0f, OpenOptions},
      {"credits", -200.0f, OpenCredits},
      {"quit game", -300.0f, Action("quit_game")},
  };
  for (const ButtonRow& row : rows) {
    GameObject* button = MakeButton(0.0f, row.y, kButtonWidth, kButtonHeight, kWhite, row.text, kButtonText, row.onClick);
    s.menu.Add(button);
    RegisterForNavigation(button);
  }
  GameObject* title = MakeButton(0.0f, 300.0f, 300.0f, 150.0f, kBlack, "quillmarch", 30.0f);
  UseLightFontFor(title);
  // The title counts the time the menu is left alone, for the attract mode.
  if (UIHandler* handler = HandlerOf(title)) handler->onUpdate = [](UIHandler*, float dt) { TickMainMenuIdle(dt); };
  s.menu.Add(title);

  BuildMenu(MenuId::QuitDialog);
  BuildMenu(MenuId::OptionsOverlay);
  BuildMenu(MenuId::ControlsOverlay);
}

void ShowMainMenuButtons() { State().menu.Show(); }
void HideMainMenuButtons() { State().menu.Hide(); }

void ForgetMainMenu() { State().menu.Clear(); }
