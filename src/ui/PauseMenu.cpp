#include "ui/PauseMenu.h"

#include "audio/AudioSystem.h"
#include "core/FrameClock.h"
#include "gameplay/Hud.h"
#include "gameplay/PlayerState.h"
#include "ui/ButtonActions.h"
#include "widgets/MenuParts.h"
#include "widgets/MenuStack.h"
#include "widgets/Navigation.h"

namespace {

constexpr float kButtonWidth = 250.0f;
constexpr float kButtonHeight = 50.0f;
constexpr float kButtonText = 20.0f;
constexpr float kShadeDepth = -4.0f;
constexpr float kSidePanelDepth = -5.0f;

struct PauseMenuState {
  MenuGroup menu;  // the five buttons, the title, the shade and the side panel
};

PauseMenuState& State() {
  static PauseMenuState state;
  return state;
}

void Resume(UIHandler*) {
  PlayEvent("nopause");
  SetPauseMenu(false);
  PlayerShared().pauseToggle = false;
}

void OpenOptions(UIHandler*) {
  PlayForwardSound();
  OpenMenu(MenuId::OptionsOverlay);
}

void LeaveForCredits(UIHandler*) { OpenMenu(MenuId::LeaveLevelDialog); }

void OpenControls(UIHandler*) {
  PlayForwardSound();
  OpenMenu(MenuId::ControlsOverlay);
}

void Quit(UIHandler*) {
  if (ButtonAction quit = FindButtonAction("quit_game")) quit();
}

struct ButtonRow {
  const char* text;
  float y;
  void (*onClick)(UIHandler*);
};

constexpr ButtonRow kButtons[] = {
    {"rESUME gAME", 100.0f, Resume},
    {"oPTIONS", 25.0f, OpenOptions},
    {"cREDITS", -50.0f, LeaveForCredits},
    {"cONTROLS", -125.0f, OpenControls},
    {"quit game", -200.0f, Quit},
};

}  // namespace

void BuildPauseMenu() {
  using namespace menu_color;
  PauseMenuState& s = State();
  // One per level: a second call while this level's menu stands changes nothing.
  if (!s.menu.Live().empty()) return;
  s.menu.Clear();
  for (const ButtonRow& row : kButtons) {
    GameObject* button = MakeButton(0.0f, row.y, kButtonWidth, kButtonHeight, kWhite, row.text, kButtonText, row.onClick);
    s.menu.Add(button);
    RegisterForNavigation(button);
    // One step back from the pause menu is back into the game.
    if (row.onClick == Resume) RegisterAsBack(button);
  }
  GameObject* title = MakeButton(0.0f, 300.0f, 300.0f, 100.0f, Shade(0.85f), "paused", 40.0f);
  UseLightFontFor(title);
  s.menu.Add(title);
  // Wider and taller than the view of the widest window, so the shade leaves no edge uncovered.
  GameObject* shade = MakePanel(0.0f, 0.0f, 4000.0f, 1080.0f, Shade(0.25f));
  SetDepth(shade, kShadeDepth);
  s.menu.Add(shade);
  GameObject* side = MakePanel(0.0f, 0.0f, 480.0f, 1080.0f, Shade(0.8f));
  SetDepth(side, kSidePanelDepth);
  s.menu.Add(side);
  s.menu.Hide();

  BuildMenu(MenuId::QuitDialog);
  BuildMenu(MenuId::OptionsOverlay);
  BuildMenu(MenuId::ControlsOverlay);
}

void SetPauseMenu(bool show) {
  if (show) {
    // Losing the focus asks again on every pass; a menu already up, or an overlay or dialog of it,
    // stays as it is.
    if (IsPaused()) return;
    SetPaused(true);
    HideHudUnderMenu(true);
    // The menu is the level's own: its dialogs and overlays open over it.
    StartMenuStack(MenuId::PauseMenu);
    ShowPauseMenuButtons();
    MoveHighlight();
    return;
  }
  HidePauseMenuButtons();
  CloseMenu(MenuId::OptionsOverlay);
  CloseMenu(MenuId::ControlsOverlay);
  // A dialog open over the menu goes with it, so nothing of the menu lingers over the game.
  CloseMenu(MenuId::QuitDialog);
  CloseMenu(MenuId::LeaveLevelDialog);
  PopUIButtons();
  HideHighlight();
  HideHudUnderMenu(false);
  SetPaused(false);
  ClearMenuStack();
}

void ShowPauseMenuButtons() { State().menu.Show(); }
void HidePauseMenuButtons() { State().menu.Hide(); }

void ForgetPauseMenu() { State().menu.Clear(); }

bool PauseMenuBuilt() { return !State().menu.Live().empty(); }
