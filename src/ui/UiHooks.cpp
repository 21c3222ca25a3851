#include "ui/UiHooks.h"

#include "graphics/Text.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "scenes/Factory.h"
#include "scenes/SceneManager.h"
#include "ui/ButtonActions.h"
#include "ui/ControlsOverlay.h"
#include "ui/Credits.h"
#include "ui/LeaveLevelDialog.h"
#include "ui/LevelSelect.h"
#include "ui/MainMenu.h"
#include "ui/OptionsOverlay.h"
#include "ui/PauseMenu.h"
#include "ui/QuitDialog.h"
#include "ui/Watch.h"
#include "widgets/Navigation.h"
#include "widgets/SplashText.h"
#include "widgets/UIHandler.h"

namespace {

void AttachHandler(GameObject* ui) { ui->AddComponent(new UIHandler()); }

void LabelButton(GameObject* button, const std::string& text, float glyphSize, uint32_t alignment) {
  SetButtonLabel(button, text, glyphSize, alignment);
}

void MakeInert(GameObject* button) {
  if (UIHandler* handler = HandlerOf(button)) handler->active = false;
}

void BindAction(GameObject* button, const std::string& action) { BindButtonAction(button, action); }

void PinToScreen(GameObject* ui, bool fixed) {
  if (UIHandler* handler = HandlerOf(ui)) handler->fixedToScreen = fixed;
}

void CreateSceneHighlight() { CreateHighlight(); }

}  // namespace

void ForgetSceneUi() {
  ForgetAllUIButtons();
  ForgetMainMenu();
  ForgetPauseMenu();
  ForgetQuitDialog();
  ForgetOptionsOverlay();
  ForgetControlsOverlay();
  ForgetLeaveLevelDialog();
}

void InstallUiHooks() {
  ObjectPassHooks& pass = GetObjectPassHooks();
  pass.linkedLabel = LabelToDestroyWith;
  pass.navigateButtons = NavigateButtons;

  GetTextHooks().isFixedToScreen = IsFixedToScreen;

  FactoryHooks& factory = GetFactoryHooks();
  factory.attachUIHandler = AttachHandler;
  factory.setButtonLabel = LabelButton;
  factory.makeButtonInert = MakeInert;
  factory.setButtonAction = BindAction;
  factory.setFixedToScreen = PinToScreen;

  SceneHooks& scenes = GetSceneHooks();
  scenes.createHighlight = CreateSceneHighlight;
  scenes.clearNavigableButtons = ForgetSceneUi;
  scenes.buildMainMenu = BuildMainMenu;
  scenes.buildCredits = BuildCredits;
  scenes.buildLevelSelect = BuildLevelSelect;
  scenes.buildSplashText = BuildSplashText;
  InstallWatchHooks();
}
