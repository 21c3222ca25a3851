#include "ui/ButtonActions.h"

#include <map>

#include "audio/AudioSystem.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"
#include "widgets/MenuStack.h"
#include "widgets/UIHandler.h"

namespace {

void PlayGame() {
  PlayForwardSound();
  RequestSceneById(scene_id::kLevel1);
}

void NextLevel() {
  if (Level* scene = CurrentScene()) scene->leaveRequested = true;
}

void GotoMain() { RequestSceneById(scene_id::kMainMenu); }

void AskToQuit() { OpenMenu(MenuId::QuitDialog); }

const std::map<std::string, ButtonAction>& Table() {
  static const std::map<std::string, ButtonAction> table = {
      {"play_game", PlayGame},
      {"quit_game", AskToQuit},
      {"next_level", NextLevel},
      {"goto_main", GotoMain},
  };
  return table;
}

}  // namespace

ButtonAction FindButtonAction(const std::string& name) {
  auto it = Table().find(name);
  return it == Table().end() ? ButtonAction() : it->second;
}

bool BindButtonAction(GameObject* button, const std::string& name) {
  UIHandler* handler = HandlerOf(button);
  ButtonAction action = FindButtonAction(name);
  if (handler == nullptr || !action) return false;
  handler->onClick = [action](UIHandler*) { action(); };
  return true;
}

void PlayForwardSound() {
  RegisterEvent("event:/SFX/Menu/MenuForward", "menuforward");
  PlayEvent("menuforward");
}

void PlayBackSound() {
  RegisterEvent("event:/SFX/Menu/MenuBack", "menuback");
  PlayEvent("menuback");
}
