// The screens as a player walks through them: the main menu and its overlays, the quit dialog, the
// level select, the credits, and a level's pause menu with its dialogs.
#include <cmath>
#include <new>
#include <filesystem>
#include <vector>

#include "audio/AudioSystem.h"
#include "gameplay/VisionCones.h"
#include "platform/Platform.h"
#include "ui/Credits.h"
#include "ui/MenuParts.h"
#include "ui/OptionsOverlay.h"
#include "ui/PauseMenu.h"
#include "ui/WriteNotice.h"
#include "UiTestFixture.h"

using namespace ui_test;

namespace {

const char* const kMainButtons[] = {"play game", "levels", "controls", "options", "credits", "quit game"};
const char* const kPauseButtons[] = {"rESUME gAME", "oPTIONS", "cREDITS", "cONTROLS", "quit game"};

bool SameColor(const float* c, MenuColor expected) {
  return std::fabs(c[0] - expected.r) < 1e-3f && std::fabs(c[1] - expected.g) < 1e-3f &&
         std::fabs(c[2] - expected.b) < 1e-3f && std::fabs(c[3] - expected.a) < 1e-3f;
}

class MenusTest : public UiTest {
 protected:
  std::vector<std::string> NavigationTexts() {
    std::vector<std::string> texts;
    for (UIHandler* h : NavigationList()) texts.push_back(h->TextComponent() ? h->TextComponent()->text : "");
    return texts;
  }
  // A level with its pause menu built, as the player's start builds it.
  void StartLevelWithPauseMenu() {
    BuildMenuScenes(scene_id::kLevel1);
    BuildPauseMenu();
  }
  void Pause() {
    PlayerShared().pauseToggle = true;
    SetPauseMenu(true);
  }
};

// The controls screen pops twice on its way back and still returns to the menu; after options and
// back, "play game" is selected again and alone answers Enter.
TEST_F(MenusTest, MainMenuOffersItsButtonsInOrderAndGetsThemBackFromControlsAndOptions) {
  BuildMenuScenes(scene_id::kMainMenu);
  const std::vector<std::string> mainButtons(std::begin(kMainButtons), std::end(kMainButtons));
  EXPECT_EQ(NavigationTexts(), mainButtons);
  EXPECT_EQ(SelectedText(), "play game");
  for (const char* text : kMainButtons) EXPECT_TRUE(Shown(FindButton(text))) << text;
  // The dialog and overlays exist, hidden.
  EXPECT_FALSE(Shown(FindButton("are you sure ?")));
  EXPECT_FALSE(Shown(FindButton("mute music")));
  EXPECT_FALSE(Shown(FindButton("how to play")));

  Choose("controls");
  ASSERT_EQ(NavigationTexts().size(), 10u) << "eight actions, reset and back";
  EXPECT_EQ(NavigationTexts().back(), "back");
  EXPECT_TRUE(Shown(FindButton("how to play")));
  Choose("back");
  EXPECT_EQ(NavigationTexts(), mainButtons);
  EXPECT_FALSE(Shown(FindButton("how to play")));

  Choose("options");
  EXPECT_FALSE(Shown(FindButton("play game")));
  EXPECT_EQ(NavigationTexts(), (std::vector<std::string>{"fullscreen", "windowed", "mute music", "mute sfx", "vision cones",
                                                         "spotter arrows", "back"}));
  Choose("back");
  EXPECT_EQ(NavigationTexts(), mainButtons);
  EXPECT_EQ(SelectedText(), "play game");
  EXPECT_TRUE(Shown(FindButton("play game")));
  EXPECT_FALSE(Shown(FindButton("fullscreen")));
  Tap(vk::Return);
  EXPECT_EQ(CurrentId(), scene_id::kLevel1);
}

TEST_F(MenusTest, BothDisplayButtonsToggleAndTheButtonOfTheModeInForceIsRose) {
  platform::GetPlatform().SetFullscreen(false);
  BuildMenuScenes(scene_id::kMainMenu);
  GameObject* fullscreen = FindButton("fullscreen");
  GameObject* windowed = FindButton("windowed");
  EXPECT_TRUE(SameColor(ColorOf(windowed), menu_color::kRose));
  EXPECT_TRUE(SameColor(ColorOf(fullscreen), menu_color::kSpring));
  Choose("options");
  Choose("windowed");  // already windowed: it toggles anyway
  EXPECT_TRUE(platform::GetPlatform().IsFullscreen());
  EXPECT_TRUE(SameColor(ColorOf(fullscreen), menu_color::kRose));
  EXPECT_TRUE(SameColor(ColorOf(windowed), menu_color::kSpring));
  Choose("fullscreen");
  EXPECT_FALSE(platform::GetPlatform().IsFullscreen());
  EXPECT_FALSE(LoadSettings(SettingsPath()).fullscreen) << "the choice is remembered";
}

TEST_F(MenusTest, MuteMusicTwiceLeavesTheBusUnmutedAndTheButtonRose) {
  ASSERT_TRUE(InitializeAudio(testing_support::SourceDir() + "/Assets/Music/"));
  // Loading the scene list registers the music the menus play; these menus are built by hand.
  RegisterEvent("event:/Music/MenuMusic", "menu");
  RegisterEvent("event:/Music/LevelOneMusic", "levelone");
  BuildMenuScenes(scene_id::kMainMenu);
  GameObject* mute = FindButton("mute music");
  Choose("options");
  Choose("mute music");
  EXPECT_TRUE(MusicBus().GetMute());
  EXPECT_TRUE(SameColor(ColorOf(mute), menu_color::kSpring));
  EXPECT_TRUE(LoadSettings(SettingsPath()).muteMusic);
  Tap(vk::Return);
  EXPECT_FALSE(MusicBus().GetMute());
  EXPECT_TRUE(SameColor(ColorOf(mute), menu_color::kRose));
  EXPECT_FALSE(LoadSettings(SettingsPath()).muteMusic);
  EXPECT_FALSE(SfxBus().GetMute());
  ShutdownAudio();
}

// A folder stands where the settings file should go: the option still changes, and the player sees
// on screen that it will not be remembered, until the line's time is up.
TEST_F(MenusTest, AnOptionThatCannotBeSavedIsShownOnScreenForAWhile) {
  BuildMenuScenes(scene_id::kMainMenu);
  const std::string blocked = settingsDir_.File("blocked");
  std::filesystem::create_directories(blocked);
  SetSettingsPath(blocked);
  Choose("options");
  const size_t before = Objects().size();
  Choose("vision cones");
  EXPECT_FALSE(StealthView().visionCones) << "the option changes all the same";
  EXPECT_EQ(WriteNoticeText(), "Your settings could not be saved");
  Frame();
  ASSERT_GT(Objects().size(), before) << "a line on screen";
  bool shown = false;
  for (GameObject* o : Objects()) {
    if (Text* text = o->GetComponentAs<Text>(SlotOf(ComponentType::Text))) {
      shown = shown || text->text == "yOUR SETTINGS COULD NOT BE SAVED";
    }
  }
  EXPECT_TRUE(shown);
  TickWriteNotice(60.0f);
  Frame();
  EXPECT_EQ(Objects().size(), before) << "the line has gone";
  EXPECT_EQ(WriteNoticeText(), "");
}

TEST_F(MenusTest, LevelSelectPicturesStartTheirLevelsAndBackReturns) {
  BuildMenuScenes(scene_id::kMainMenu);
  Click(FindButton("levels"));
  ASSERT_EQ(CurrentId(), scene_id::kLevelSelect);
  // The pictures have no label; they are the first three navigable buttons, then "back".
  ASSERT_EQ(NavigationList().size(), 4u);
  GameObject* villa = NavigationList()[1]->owner;
  EXPECT_FLOAT_EQ(villa->GetTransform()->position[0], 0.0f);
  Click(villa);
  EXPECT_EQ(CurrentId(), scene_id::kLevel2);
  RequestSceneById(scene_id::kLevelSelect);
  Frame();
  Tap(vk::Up);
  EXPECT_EQ(SelectedText(), "back");
  Tap(vk::Return);
  EXPECT_EQ(CurrentId(), scene_id::kMainMenu);
}

// The scroll back by themselves is timed by the e2e credits run.
TEST_F(MenusTest, CreditsBackReturnsToTheMenuAtOnce) {
  BuildMenuScenes(scene_id::kMainMenu);
  Choose("credits");
  ASSERT_EQ(CurrentId(), scene_id::kCredits);
  for (int i = 0; i < 40; ++i) Frame();
  Tap(vk::Return);  // "back" is the only button
  EXPECT_EQ(CurrentId(), scene_id::kMainMenu);
}

TEST_F(MenusTest, CreditsColumnEndsOnTheNoticesAndLinesDoNotOverlap) {
  const std::vector<CreditsLine> column = CreditsColumn();
  ASSERT_GT(column.size(), 10u);
  EXPECT_FLOAT_EQ(column.back().y, -2050.0f);
  EXPECT_FLOAT_EQ(column[1].y, 150.0f);
  EXPECT_FLOAT_EQ(column[9].y, -250.0f);
  for (size_t i = 1; i < column.size(); ++i) {
    const float gap = column[i - 1].y - column[i].y;
    EXPECT_GE(gap, (column[i - 1].size + column[i].size) * 0.75f) << column[i].text;
  }
}

TEST_F(MenusTest, PauseShowsTheMenuAndResumeHidesItAndClearsTheToggle) {
  StartLevelWithPauseMenu();
  EXPECT_FALSE(Shown(FindButton("rESUME gAME")));
  Tap(vk::Return);  // the hidden menu does not answer
  EXPECT_FALSE(IsPaused());
  Pause();
  EXPECT_TRUE(IsPaused());
  for (const char* text : kPauseButtons) EXPECT_TRUE(Shown(FindButton(text))) << text;
  EXPECT_EQ(SelectedText(), "rESUME gAME");
  Tap(vk::Return);
  EXPECT_FALSE(IsPaused());
  EXPECT_FALSE(PlayerShared().pauseToggle);
  EXPECT_FALSE(Shown(FindButton("rESUME gAME")));
}

TEST_F(MenusTest, ResumingWithAnOverlayOrDialogOpenClosesItAndGivesThePauseMenuItsKeys) {
  StartLevelWithPauseMenu();
  Pause();
  Choose("quit game");
  EXPECT_TRUE(Shown(FindButton("are you sure ?")));
  // The pause key closes everything.
  PlayerShared().pauseToggle = false;
  SetPauseMenu(false);
  EXPECT_FALSE(Shown(FindButton("are you sure ?")));
  EXPECT_FALSE(Shown(FindButton("yes")));
  EXPECT_EQ(NavigationList().size(), 5u);
  // Losing the focus again and again while an overlay is open leaves the overlay as it is.
  Pause();
  Choose("oPTIONS");
  SetPauseMenu(true);
  EXPECT_FALSE(Shown(FindButton("rESUME gAME")));
  EXPECT_TRUE(Shown(FindButton("mute sfx")));
}

TEST_F(MenusTest, QuitFromThePauseMenuAndNoBringsThePauseMenuBack) {
  StartLevelWithPauseMenu();
  Pause();
  Choose("quit game");
  EXPECT_EQ(SelectedText(), "no");
  Tap(vk::Return);
  EXPECT_TRUE(Shown(FindButton("rESUME gAME")));
  EXPECT_FALSE(Shown(FindButton("are you sure ?")));
  EXPECT_TRUE(IsPaused());
}

TEST_F(MenusTest, LeaveLevelDialogNoDestroysItAndYesLeavesForTheCredits) {
  StartLevelWithPauseMenu();
  Pause();
  const size_t objects = Objects().size();
  Choose("cREDITS");
  EXPECT_TRUE(Shown(FindButton("you will lose your progress")));
  EXPECT_EQ(SelectedText(), "yes");
  Tap(vk::Right);
  Tap(vk::Return);  // "no"
  EXPECT_EQ(Objects().size(), objects) << "the dialog's panels, buttons and labels are gone";
  EXPECT_TRUE(Shown(FindButton("cREDITS")));
  EXPECT_EQ(NavigationList().size(), 5u);
  Choose("cREDITS");
  Tap(vk::Return);  // "yes"
  EXPECT_EQ(CurrentId(), scene_id::kCredits);
  EXPECT_FALSE(IsPaused());
}

// An object that leaves the list and a new one built where it lived: the menus must not take the new
// one for theirs (the editor deletes and places objects while a menu is up).
TEST_F(MenusTest, AMenuNeverTakesANewObjectAtAFreedObjectsAddressForItsOwn) {
  GameObject* button = MakeButton(0.0f, 0.0f, 200.0f, 50.0f, menu_color::kWhite, "play game", 20.0f);
  ASSERT_NE(button, nullptr);
  MenuGroup group;
  group.Add(button);
  ASSERT_TRUE(IsLive(button));
  if (GameObject* label = FindLinkedLabel(button)) {
    label->destroy = true;
    DestroyIfMarked(label);
  }
  // The same storage holds a new object: the allocator may hand a freed address out again at once.
  RemoveObject(button);
  button->~GameObject();
  GameObject* wall = new (button) GameObject("Wall_9", 0.0f, 0.0f, 0.0f, 10.0f, 10.0f, ObjectType::Wall);
  AddObject(wall);
  EXPECT_TRUE(group.Live().empty());
  group.Hide();
  EXPECT_TRUE(wall->visible) << "hiding the menu hid a wall";
}

}  // namespace
