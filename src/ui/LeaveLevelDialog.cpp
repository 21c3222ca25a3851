#include "ui/LeaveLevelDialog.h"

#include "core/FrameClock.h"
#include "objects/GameObject.h"
#include "scenes/SceneManager.h"
#include "widgets/MenuParts.h"
#include "widgets/MenuStack.h"
#include "widgets/Navigation.h"

namespace {

struct LeaveDialogState {
  MenuGroup dialog;  // the two panels, "yes", "no"
};

LeaveDialogState& State() {
  static LeaveDialogState state;
  return state;
}

void Yes(UIHandler*) {
  RequestSceneById(scene_id::kCredits);
  SetPaused(false);
}

void No(UIHandler*) {
  DismissLeaveLevelDialog();
  PopMenu(MenuId::LeaveLevelDialog);
}

}  // namespace

void OpenLeaveLevelDialog() {
  using namespace menu_color;
  LeaveDialogState& s = State();
  PushMenu(MenuId::LeaveLevelDialog);
  // A dialog still open (it cannot be, short of two presses in one frame) goes first.
  DismissLeaveLevelDialog();
  PushUIButtons();
  s.dialog.Add(MakeButton(0.0f, 100.0f, 600.0f, 50.0f, kDeepCrimson, "you will lose your progress", 20.0f));
  s.dialog.Add(MakeButton(0.0f, 50.0f, 600.0f, 50.0f, kDeepCrimson, "are you sure?", 20.0f));
  GameObject* yes = MakeButton(-150.0f, -100.0f, 100.0f, 50.0f, kDeepGreen, "yes", 20.0f, Yes);
  GameObject* no = MakeButton(150.0f, -100.0f, 100.0f, 50.0f, kDeepRed, "no", 20.0f, No);
  s.dialog.Add(yes);
  s.dialog.Add(no);
  for (GameObject* o : s.dialog.Live()) UseLightFontFor(o);
  RegisterForNavigation(yes);
  RegisterForNavigation(no);
  RegisterAsBack(no);
}

bool DismissLeaveLevelDialog() {
  LeaveDialogState& s = State();
  if (s.dialog.Empty()) return false;
  // Marked, not deleted: the press that closes the dialog runs inside one of its own handlers.
  for (GameObject* o : s.dialog.Live()) o->destroy = true;
  s.dialog.Clear();
  PopUIButtons();
  return true;
}

void ForgetLeaveLevelDialog() { State().dialog.Clear(); }
