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
#include "widgets/MenuStack.h"
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

void OpenPauseMenu() { SetPauseMenu(true); }
void ClosePauseMenu() { SetPauseMenu(false); }
void CloseLeaveLevelDialog() { DismissLeaveLevelDialog(); }

}  // namespace

void RegisterMenus() {
  MenuCalls main;
  main.show = ShowMainMenuButtons;
  main.hide = HideMainMenuButtons;
  RegisterMenu(MenuId::MainMenu, main);

  MenuCalls pause;
  pause.build = BuildPauseMenu;
  pause.built = PauseMenuBuilt;
  pause.open = OpenPauseMenu;
  pause.close = ClosePauseMenu;
  pause.show = ShowPauseMenuButtons;
  pause.hide = HidePauseMenuButtons;
  RegisterMenu(MenuId::PauseMenu, pause);

  MenuCalls quit;
  quit.build = BuildQuitDialog;
  quit.open = OpenQuitDialog;
  quit.close = HideQuitDialog;
  RegisterMenu(MenuId::QuitDialog, quit);

  MenuCalls options;
  options.build = BuildOptionsOverlay;
  options.open = ShowOptionsOverlay;
  options.close = HideOptionsOverlay;
  RegisterMenu(MenuId::OptionsOverlay, options);

  MenuCalls controls;
  controls.build = BuildControlsOverlay;
  controls.open = ShowControlsOverlay;
  controls.close = HideControlsOverlay;
  RegisterMenu(MenuId::ControlsOverlay, controls);

  MenuCalls leave;
  leave.open = OpenLeaveLevelDialog;
  leave.close = CloseLeaveLevelDialog;
  RegisterMenu(MenuId::LeaveLevelDialog, leave);
}

void ForgetSceneUi() {
  ForgetAllUIButtons();
  ClearMenuStack();
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
  RegisterMenus();
  InstallWatchHooks();
}
