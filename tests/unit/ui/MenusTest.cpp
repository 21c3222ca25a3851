// The screens as a player walks through them: the main menu and its overlays, the quit dialog, the
// level select, the credits, and a level's pause menu with its dialogs.
#include <cmath>
#include <new>
#include <filesystem>
#include <vector>

#include "UiTestFixture.h"
#include "audio/AudioSystem.h"
#include "gameplay/VisionCones.h"
#include "platform/Platform.h"
#include "ui/Credits.h"
#include "ui/OptionsOverlay.h"
#include "ui/PauseMenu.h"
#include "ui/QuitDialog.h"
#include "widgets/MenuParts.h"
#include "widgets/WriteNotice.h"

using namespace ui_test;

namespace {

const char* const kMainButtons[] = {"play game", "levels", "controls", "options", "credits", "quit game"};
const char* const kPauseButtons[] = {"rESUME gAME", "oPTIONS", "cREDITS", "cONTROLS", "quit game"};

// What the options overlay's tag beside a toggle says ("on" or "off"): the tag is the label on the
// same row, to the button's right.
std::string TagBeside(GameObject* button) {
  const Transform* row = button->GetTransform();
  for (GameObject* o : Objects()) {
    auto* label = o->GetComponentAs<Text>(SlotOf(ComponentType::Text));
    GameObject* tag = label != nullptr ? label->linkedObject : nullptr;
    if (tag == nullptr || tag == button || (label->text != "on" && label->text != "off")) continue;
    const Transform* t = tag->GetTransform();
    if (std::fabs(t->position[1] - row->position[1]) < 1.0f && t->position[0] > row->position[0]) return label->text;
  }
  return "<no tag>";
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
// back, "options" (the button that opened them) has the focus again and alone answers Enter.
TEST_F(MenusTest, MainMenuOffersItsButtonsInOrderAndGetsThemBackFromControlsOptionsAndQuit) {
  BuildMenuScenes(scene_id::kMainMenu);
  const std::vector<std::string> mainButtons(std::begin(kMainButtons), std::end(kMainButtons));
  EXPECT_EQ(NavigationTexts(), mainButtons);
  EXPECT_EQ(SelectedText(), "play game");
  for (const char* text : kMainButtons) EXPECT_TRUE(Shown(FindButton(text))) << text;
  // The dialog and overlays exist, hidden.
  ExpectScreen({}, {"are you sure ?", "mute music", "how to play"});

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
  EXPECT_EQ(SelectedText(), "options");
  ExpectScreen({"play game"}, {"fullscreen"});
  // Quit, then "no" (Escape), brings the menu back with the quit button still selected.
  Choose("quit game");
  ExpectScreen({"are you sure ?"}, {"play game"});
  Tap(vk::Escape);
  EXPECT_FALSE(Shown(FindButton("are you sure ?")));
  for (const char* text : kMainButtons) EXPECT_TRUE(Shown(FindButton(text))) << text;
  EXPECT_EQ(SelectedText(), "quit game");
  Choose("play game");
  EXPECT_EQ(CurrentId(), scene_id::kLevel1);
}

// The toggles are white like every other menu's buttons; a tag beside each says whether it is on.
TEST_F(MenusTest, BothDisplayButtonsToggleAndTheTagOfTheModeInForceSaysOn) {
  platform::GetPlatform().SetFullscreen(false);
  BuildMenuScenes(scene_id::kMainMenu);
  GameObject* fullscreen = FindButton("fullscreen");
  GameObject* windowed = FindButton("windowed");
  for (GameObject* button : {fullscreen, windowed}) {
    const float* color = ColorOf(button);
    EXPECT_TRUE(color[0] == 1.0f && color[1] == 1.0f && color[2] == 1.0f && color[3] == 1.0f) << "white";
  }
  EXPECT_EQ(TagBeside(windowed), "on");
  EXPECT_EQ(TagBeside(fullscreen), "off");
  Choose("options");
  Choose("windowed");  // already windowed: it toggles anyway
  EXPECT_TRUE(platform::GetPlatform().IsFullscreen());
  EXPECT_EQ(TagBeside(fullscreen), "on");
  EXPECT_EQ(TagBeside(windowed), "off");
  Choose("fullscreen");
  EXPECT_FALSE(platform::GetPlatform().IsFullscreen());
  EXPECT_FALSE(LoadSettings(SettingsPath()).fullscreen) << "the choice is remembered";
}

TEST_F(MenusTest, MuteMusicTwiceLeavesTheBusUnmutedAndItsTagOff) {
  ASSERT_TRUE(InitializeAudio(testing_support::SourceDir() + "/Assets/Music/"));
  // Loading the scene list registers the music the menus play; these menus are built by hand.
  RegisterEvent("event:/Music/MenuMusic", "menu");
  RegisterEvent("event:/Music/LevelOneMusic", "levelone");
  BuildMenuScenes(scene_id::kMainMenu);
  GameObject* mute = FindButton("mute music");
  Choose("options");
  Choose("mute music");
  EXPECT_TRUE(MusicBus().GetMute());
  EXPECT_EQ(TagBeside(mute), "on");
  EXPECT_TRUE(LoadSettings(SettingsPath()).muteMusic);
  Tap(vk::Return);
  EXPECT_FALSE(MusicBus().GetMute());
  EXPECT_EQ(TagBeside(mute), "off");
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
  // Each picture (no label) is followed by its level's "watch", then comes "back".
  ASSERT_EQ(NavigationList().size(), 7u);
  for (size_t watch : {1u, 3u, 5u}) {
    Text* text = NavigationList()[watch]->TextComponent();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text, "wATCH");
  }
  GameObject* villa = NavigationList()[2]->owner;
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

// "back" is placed in the view's units from its right edge: on screen at every window size the game
// is played at (1440p and 4K start in full screen at the desktop's size), and never over a line of
// the column, which scrolls past beside it.
TEST_F(MenusTest, CreditsBackIsOnScreenBesideTheColumnAtEveryWindowSize) {
  const int sizes[][2] = {{1280, 720}, {1920, 1080}, {2560, 1440}, {3840, 2160}, {1024, 768}, {2560, 1080}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]));
    platform::InstallPlatform(platform::CreateNullPlatform(size[0], size[1]));
    BuildProjection(static_cast<float>(size[0]) / static_cast<float>(size[1]));
    BuildMenuScenes(scene_id::kCredits);
    Frame();
    GameObject* back = FindButton("back", true);
    ASSERT_NE(back, nullptr);
    const Transform* t = back->GetTransform();
    float halfWidth = 0.0f, halfHeight = 0.0f;
    ViewHalfExtents(t->position[2], &halfWidth, &halfHeight);
    const Camera& camera = MainCamera();
    const float left = t->position[0] - t->scale[0] * 0.5f - camera.position[0];
    const float right = t->position[0] + t->scale[0] * 0.5f - camera.position[0];
    const float top = t->position[1] + t->scale[1] * 0.5f - camera.position[1];
    const float bottom = t->position[1] - t->scale[1] * 0.5f - camera.position[1];
    EXPECT_LE(right, halfWidth);
    EXPECT_GE(bottom, -halfHeight);
    EXPECT_LE(top, halfHeight);
    for (GameObject* o : Objects()) {
      auto* label = o->GetComponentAs<Text>(SlotOf(ComponentType::Text));
      GameObject* line = label != nullptr ? label->linkedObject : nullptr;
      if (line == nullptr || IsFixedToScreen(line)) continue;
      EXPECT_LE(line->GetTransform()->position[0] + line->GetTransform()->scale[0] * 0.5f, left) << label->text;
    }
    ClearObjects();
    ForgetSceneUi();
    DestroySceneList();
  }
  platform::InstallPlatform(platform::CreateNullPlatform());
  BuildProjection(16.0f / 9.0f);
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

// "no" in the pause menu's quit dialog brings the pause menu back; resuming with the dialog or an
// overlay open closes it and gives the pause menu its keys.
TEST_F(MenusTest, ThePauseMenusQuitDialogAnswersNoAndResumingClosesWhateverIsOpen) {
  StartLevelWithPauseMenu();
  Pause();
  Choose("quit game");
  EXPECT_EQ(SelectedText(), "no");
  Tap(vk::Return);
  ExpectScreen({"rESUME gAME"}, {"are you sure ?"});
  EXPECT_TRUE(IsPaused());
  Choose("quit game");
  EXPECT_TRUE(Shown(FindButton("are you sure ?")));
  // The pause key closes everything.
  PlayerShared().pauseToggle = false;
  SetPauseMenu(false);
  ExpectScreen({}, {"are you sure ?", "yes"});
  EXPECT_EQ(NavigationList().size(), 5u);
  // Losing the focus again and again while an overlay is open leaves the overlay as it is.
  Pause();
  Choose("oPTIONS");
  SetPauseMenu(true);
  ExpectScreen({"mute sfx"}, {"rESUME gAME"});
}

// A level's own quit button opened the dialog, then the player paused: "no" leaves the pause menu
// up with its keys, and an overlay opened from it still hides it.
TEST_F(MenusTest, PausingOverALevelsQuitDialogAndNoLeavesAWorkingPauseMenu) {
  StartLevelWithPauseMenu();
  OpenQuitDialog();
  Pause();
  EXPECT_EQ(SelectedText(), "no");
  Tap(vk::Return);
  ExpectScreen({"rESUME gAME"}, {"are you sure ?"});
  EXPECT_TRUE(IsPaused());
  Choose("oPTIONS");
  ExpectScreen({"mute sfx"}, {"rESUME gAME"});
  Tap(vk::Escape);
  ExpectScreen({"rESUME gAME"}, {"mute sfx"});
}

// Escape goes back one step at a time: from an overlay to the menu that opened it, from the pause
// menu into the game. The overlays are shared by the main menu and the pause menu; each returns to
// its own opener.
TEST_F(MenusTest, EscapeFromAnOverlayReturnsToItsOpenerAndThenLeavesThePause) {
  StartLevelWithPauseMenu();
  Pause();
  for (const char* overlay : {"oPTIONS", "cONTROLS"}) {
    Choose(overlay);
    EXPECT_FALSE(Shown(FindButton("rESUME gAME"))) << overlay;
    Tap(vk::Escape);
    EXPECT_TRUE(Shown(FindButton("rESUME gAME"))) << overlay;
    EXPECT_FALSE(Shown(FindButton("fullscreen"))) << overlay;
    EXPECT_FALSE(Shown(FindButton("how to play"))) << overlay;
    EXPECT_EQ(SelectedText(), overlay);
    EXPECT_TRUE(IsPaused());
  }
  Tap(vk::Escape);
  EXPECT_FALSE(IsPaused());
  EXPECT_FALSE(Shown(FindButton("rESUME gAME")));
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
