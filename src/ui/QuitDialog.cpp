#include "ui/QuitDialog.h"

#include "core/AppHooks.h"
#include "gameplay/PlayerState.h"
#include "ui/ButtonActions.h"
#include "ui/MainMenu.h"
#include "ui/PauseMenu.h"
#include "widgets/MenuParts.h"
#include "widgets/Navigation.h"

namespace {

struct QuitDialogState {
  MenuGroup dialog;  // panel, "yes", "no"
  ObjectHandle yes;
  ObjectHandle no;
};

QuitDialogState& State() {
  static QuitDialogState state;
  return state;
}

void Yes() {
  PlayForwardSound();
  // The normal shutdown runs after this frame: the log is flushed, the display mode restored.
  RequestQuit();
}

void No() {
  PlayBackSound();
  State().dialog.Hide();
  PopUIButtons();
  if (InMainMenu()) {
    ShowMainMenuButtons();
  } else if (PlayerShared().pauseToggle) {
    ShowPauseMenuButtons();
  }
}

}  // namespace

void BuildQuitDialog() {
  using namespace menu_color;
  QuitDialogState& s = State();
  s.dialog.Clear();
  s.dialog.Add(MakeButton(0.0f, 50.0f, 300.0f, 50.0f, kDeepCrimson, "are you sure ?", 20.0f));
  s.yes = MakeButton(-150.0f, -100.0f, 50.0f, 50.0f, kDeepGreen, "yes", 15.0f, [](UIHandler*) { Yes(); });
  s.no = MakeButton(150.0f, -100.0f, 50.0f, 50.0f, kDeepRed, "no", 15.0f, [](UIHandler*) { No(); });
  s.dialog.Add(s.yes);
  s.dialog.Add(s.no);
  for (GameObject* o : s.dialog.Live()) UseLightFontFor(o);
  // Closing it once hides it and leaves the navigation list as it was.
  PushUIButtons();
  No();
}

void OpenQuitDialog() {
  QuitDialogState& s = State();
  // A screen that never built the dialog (one without a menu under it) gets it now.
  if (s.dialog.Live().empty()) BuildQuitDialog();
  PlayForwardSound();
  if (InMainMenu()) {
    HideMainMenuButtons();
  } else {
    HidePauseMenuButtons();
  }
  s.dialog.Show();
  PushUIButtons();
  // "no" first, so a stray Enter does not quit.
  RegisterForNavigation(s.no);
  RegisterForNavigation(s.yes);
  RegisterAsBack(s.no);
}

void HideQuitDialog() { State().dialog.Hide(); }

void ForgetQuitDialog() {
  State() = QuitDialogState{};
}
