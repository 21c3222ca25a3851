// The menu stack on its own: stand-in menus that note what the stack asks of them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/UiHooks.h"
#include "widgets/MenuStack.h"

namespace {

std::vector<std::string>& Calls() {
  static std::vector<std::string> calls;
  return calls;
}

template <int N>
MenuCalls Noting() {
  MenuCalls calls;
  calls.build = [] { Calls().push_back("build " + std::to_string(N)); };
  calls.built = [] { return N == 1; };
  calls.open = [] { Calls().push_back("open " + std::to_string(N)); };
  calls.close = [] { Calls().push_back("close " + std::to_string(N)); };
  calls.show = [] { Calls().push_back("show " + std::to_string(N)); };
  calls.hide = [] { Calls().push_back("hide " + std::to_string(N)); };
  return calls;
}

class MenuStackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ForgetRegisteredMenus();
    ClearMenuStack();
    Calls().clear();
    RegisterMenu(MenuId::MainMenu, Noting<0>());
    RegisterMenu(MenuId::PauseMenu, Noting<1>());
    RegisterMenu(MenuId::OptionsOverlay, Noting<2>());
    RegisterMenu(MenuId::QuitDialog, Noting<3>());
  }
  // The other tests of this program run with the game's menus.
  void TearDown() override {
    ForgetRegisteredMenus();
    ClearMenuStack();
    RegisterMenus();
  }
};

using Ids = std::vector<MenuId>;
using Texts = std::vector<std::string>;

TEST_F(MenuStackTest, TheRegisteredStepsRunByIdAndAMenuNotRegisteredDoesNothing) {
  BuildMenu(MenuId::PauseMenu);
  OpenMenu(MenuId::OptionsOverlay);
  CloseMenu(MenuId::QuitDialog);
  EXPECT_TRUE(MenuBuilt(MenuId::PauseMenu));
  EXPECT_FALSE(MenuBuilt(MenuId::MainMenu));
  EXPECT_EQ(Calls(), (Texts{"build 1", "open 2", "close 3"}));
  EXPECT_TRUE(MenuStack().empty()) << "the steps alone stack nothing";

  Calls().clear();
  BuildMenu(MenuId::LeaveLevelDialog);
  OpenMenu(MenuId::LeaveLevelDialog);
  CloseMenu(MenuId::ControlsOverlay);
  EXPECT_FALSE(MenuBuilt(MenuId::ControlsOverlay));
  EXPECT_TRUE(Calls().empty());
}

// Each menu opened hides the one under it; each closing shows its opener again, down to the
// screen's own menu, and nothing more once the stack is empty.
TEST_F(MenuStackTest, OpeningHidesTheTopMenuAndClosingShowsTheOpenerStepByStep) {
  StartMenuStack(MenuId::PauseMenu);
  PushMenu(MenuId::OptionsOverlay);
  PushMenu(MenuId::QuitDialog);
  EXPECT_EQ(MenuStack(), (Ids{MenuId::PauseMenu, MenuId::OptionsOverlay, MenuId::QuitDialog}));
  EXPECT_EQ(Calls(), (Texts{"hide 1", "hide 2"}));

  Calls().clear();
  PopMenu(MenuId::QuitDialog);
  EXPECT_EQ(Calls(), (Texts{"show 2"}));
  PopMenu(MenuId::OptionsOverlay);
  EXPECT_EQ(Calls(), (Texts{"show 2", "show 1"}));
  PopMenu(MenuId::PauseMenu);
  PopMenu(MenuId::PauseMenu);
  EXPECT_EQ(Calls(), (Texts{"show 2", "show 1"}));
  EXPECT_TRUE(MenuStack().empty());
}

// A dialog that closes after the stack was started again under it (the pause began while it was
// up) takes nothing else off the stack: the menu that started it stays, and is shown again.
TEST_F(MenuStackTest, AClosingMenuNoLongerOnTheStackLeavesTheStackAsItIs) {
  PushMenu(MenuId::QuitDialog);
  StartMenuStack(MenuId::PauseMenu);
  PopMenu(MenuId::QuitDialog);
  EXPECT_EQ(MenuStack(), (Ids{MenuId::PauseMenu}));
  EXPECT_EQ(Calls(), (Texts{"show 1"}));
  PushMenu(MenuId::OptionsOverlay);
  EXPECT_EQ(Calls(), (Texts{"show 1", "hide 1"}));
}

TEST_F(MenuStackTest, AMenuOnTopIsNotStackedTwiceAndAStartForgetsWhatWasUp) {
  StartMenuStack(MenuId::MainMenu);
  PushMenu(MenuId::QuitDialog);
  PushMenu(MenuId::QuitDialog);
  EXPECT_EQ(MenuStack(), (Ids{MenuId::MainMenu, MenuId::QuitDialog}));
  EXPECT_EQ(Calls(), (Texts{"hide 0"}));

  StartMenuStack(MenuId::PauseMenu);
  EXPECT_EQ(MenuStack(), (Ids{MenuId::PauseMenu}));
  ShowTopMenu();
  EXPECT_EQ(Calls(), (Texts{"hide 0", "show 1"}));

  // A dialog opened where no menu is up (a screen's own button) has no opener to hide or show.
  ClearMenuStack();
  Calls().clear();
  PushMenu(MenuId::QuitDialog);
  PopMenu(MenuId::QuitDialog);
  ShowTopMenu();
  EXPECT_TRUE(Calls().empty());
  EXPECT_TRUE(MenuStack().empty());
}

}  // namespace
