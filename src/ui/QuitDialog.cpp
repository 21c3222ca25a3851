#include "ui/QuitDialog.h"

#include "core/AppHooks.h"
#include "ui/ButtonActions.h"
#include "widgets/MenuParts.h"
#include "widgets/MenuStack.h"
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

// Hides the dialog and gives the keys back to what is under it.
void Close() {
  PlayBackSound();
  State().dialog.Hide();
  PopUIButtons();
}

// Closes the dialog and shows the menu that opened it again.
void No() {
  Close();
  PopMenu(MenuId::QuitDialog);
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
  // Closing it once hides it and leaves the navigation list and the menu under it as they were.
  PushUIButtons();
  Close();
  ShowTopMenu();
}

void OpenQuitDialog() {
  QuitDialogState& s = State();
  // A screen that never built the dialog (one without a menu under it) gets it now.
  if (s.dialog.Live().empty()) BuildQuitDialog();
  PlayForwardSound();
  PushMenu(MenuId::QuitDialog);
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
