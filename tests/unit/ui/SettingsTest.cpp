// The settings file: what is written is read back, and nothing a file can hold stops the game.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "audio/AudioSystem.h"
#include "core/FileSync.h"
#include "core/KeyBindings.h"
#include "core/KeyCodes.h"
#include "objects/ObjectManager.h"
#include "platform/GameFolders.h"
#include "platform/Platform.h"
#include "support/TestSupport.h"
#include "ui/Settings.h"
#include "widgets/WriteNotice.h"

using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

TEST(SettingsTest, WhatIsSavedIsReadBackForEveryCombination) {
  TempDir dir;
  const std::string path = dir.File("Settings.lullwick");
  for (int bits = 0; bits < 8; ++bits) {
    UserSettings saved;
    saved.fullscreen = (bits & 1) != 0;
    saved.muteMusic = (bits & 2) != 0;
    saved.muteSfx = (bits & 4) != 0;
    ASSERT_TRUE(SaveSettings(path, saved));
    EXPECT_EQ(LoadSettings(path), saved) << FormatSettings(saved);
  }
  EXPECT_FALSE(testing_support::FileExists(files::TempPathFor(path)));
  // The key bindings and the stealth aids too.
  UserSettings saved;
  saved.visionCones = false;
  saved.spotterArrows = false;
  BindAction(saved.bindings, Action::Throw, vk::Space);
  BindAction(saved.bindings, Action::MoveUp, vk::Up);
  ASSERT_TRUE(SaveSettings(path, saved));
  const std::string text = ReadFile(path);
  EXPECT_NE(text.find("key_throw = SPACE"), std::string::npos) << text;
  EXPECT_NE(text.find("key_pause = ESCAPE P"), std::string::npos) << text;
  EXPECT_NE(text.find("vision_cones = false"), std::string::npos) << text;
  EXPECT_EQ(LoadSettings(path), saved);
}

TEST(SettingsTest, MissingOrDamagedFilesAndLinesGiveTheDefaultsWhereTheyCannotBeRead) {
  TempDir dir;
  EXPECT_EQ(LoadSettings(dir.File("nothing-here")), UserSettings{});

  const std::string path = dir.File("Settings.lullwick");
  WriteFile(path, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
  EXPECT_EQ(LoadSettings(path), UserSettings{});
  WriteFile(path, std::string(100000, 'x'));
  EXPECT_EQ(LoadSettings(path), UserSettings{});

  // Readable lines still count; the bad ones keep their defaults.
  std::vector<std::string> problems;
  UserSettings read = ParseSettings(
      "# a comment\n"
      "fullscreen = false\n"
      "mute_music = perhaps\n"
      "just some words\n"
      "key_jump = space\n"
      "  mute_sfx=on  \r\n"
      "key_throw = NOKEY\nkey_retry = F5\nkey_pause = A B C\nkey_move_up =\nspotter_arrows = maybe\n",
      &problems);
  EXPECT_FALSE(read.fullscreen);
  EXPECT_FALSE(read.muteMusic);
  EXPECT_TRUE(read.muteSfx);
  EXPECT_EQ(problems.size(), 7u);
  const KeyBindingTable defaults = DefaultKeyBindings();
  EXPECT_EQ(ActionBindingText(read.bindings, Action::Throw), "LMB");
  EXPECT_EQ(ActionBindingText(read.bindings, Action::Retry), "F5");
  EXPECT_EQ(ActionBindingText(read.bindings, Action::Pause), ActionBindingText(defaults, Action::Pause));
  EXPECT_EQ(ActionBindingText(read.bindings, Action::MoveUp), "W");
  EXPECT_TRUE(read.spotterArrows);
  // A file cut short keeps what it has.
  EXPECT_TRUE(ParseSettings("mute_music = true\nmute_sf", nullptr).muteMusic);
}

TEST(SettingsTest, AFailedSaveLeavesTheOldFile) {
  TempDir dir;
  const std::string path = dir.File("Settings.lullwick");
  UserSettings first;
  first.muteSfx = true;
  ASSERT_TRUE(SaveSettings(path, first));
  const std::string before = ReadFile(path);
  files::SetReplaceFaultForTesting(files::ReplaceFault::Rename);
  UserSettings second;
  second.fullscreen = false;
  EXPECT_FALSE(SaveSettings(path, second));
  files::SetReplaceFaultForTesting(files::ReplaceFault::None);
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_EQ(LoadSettings(path), first);
  EXPECT_EQ(WriteNoticeText(), "Your settings could not be saved") << "the player is told, not only the log";
  TickWriteNotice(60.0f);
  EXPECT_EQ(WriteNoticeText(), "");
  ClearObjects();  // the notice's line, which no scene change took away here
}

// The settings are the player's: kept in the per-user folder, whatever folder the game runs in.
TEST(SettingsTest, TheSettingsFileLivesInThePlayersFolder) {
  SetSettingsPath("");
  const char* home = std::getenv("XDG_DATA_HOME");
  ASSERT_NE(home, nullptr) << "the test programs give every run its own per-user folder";
  EXPECT_EQ(SettingsPath(), std::string(home) + "/quillmarch/Settings.lullwick");
  EXPECT_EQ(UserFolder(), std::string(home) + "/quillmarch/");
}

TEST(SettingsTest, StartUpAppliesTheRememberedOptionsButACommandLineWindowWins) {
  TempDir dir;
  const std::string path = dir.File("Settings.lullwick");
  WriteFile(path, "fullscreen = false\nmute_music = true\n");
  SetSettingsPath(path);
  ASSERT_TRUE(InitializeAudio(testing_support::SourceDir() + "/Assets/Music/"));
  platform::Platform& plat = platform::GetPlatform();
  plat.SetFullscreen(true);
  LoadAndApplySettings(false);
  EXPECT_FALSE(plat.IsFullscreen());
  EXPECT_TRUE(MusicBus().GetMute());
  EXPECT_FALSE(SfxBus().GetMute());
  EXPECT_FALSE(CurrentSettings().fullscreen);

  WriteFile(path, "fullscreen = true\n");
  LoadAndApplySettings(true);  // --windowed: the window stays
  EXPECT_FALSE(plat.IsFullscreen());
  // Remembering one option keeps the others as they were read.
  RememberSfxMute(true);
  EXPECT_TRUE(LoadSettings(path).fullscreen);
  EXPECT_TRUE(LoadSettings(path).muteSfx);
  ShutdownAudio();
  SetSettingsPath("");
  CurrentSettings() = UserSettings{};
}

}  // namespace

// A file written by a newer game, or by hand: its comments and the settings this game does not
// know stay where they are when an option changes; only the values the game owns are rewritten.
TEST(SettingsTest, SavingKeepsCommentsAndUnknownSettingsInPlace) {
  TempDir dir;
  const std::string path = dir.File("Settings.lullwick");
  WriteFile(path,
            "# my settings\n"
            "fullscreen = true   # the big screen\n"
            "\n"
            "colour_blind_mode = deuteranopia\n"
            "  mute_music = false\n"
            "# a note at the end\n");
  UserSettings changed;
  changed.fullscreen = false;
  changed.muteMusic = true;
  ASSERT_TRUE(SaveSettings(path, changed));
  const std::string text = ReadFile(path);
  EXPECT_EQ(text.substr(0, text.find("mute_sfx")),
            "# my settings\n"
            "fullscreen = false   # the big screen\n"
            "\n"
            "colour_blind_mode = deuteranopia\n"
            "  mute_music = true\n"
            "# a note at the end\n")
      << text;
  // The settings the file lacked follow, and everything reads back.
  EXPECT_NE(text.find("key_retry = R\n"), std::string::npos) << text;
  EXPECT_EQ(LoadSettings(path), changed);
  // Saved again, nothing moves.
  ASSERT_TRUE(SaveSettings(path, changed));
  EXPECT_EQ(ReadFile(path), text);
  // A file written on Windows keeps its line ends.
  WriteFile(path, "fullscreen = true\r\nfuture = 1\r\n");
  ASSERT_TRUE(SaveSettings(path, changed));
  EXPECT_EQ(ReadFile(path).substr(0, 32), "fullscreen = false\r\nfuture = 1\r\n");
}

TEST(SettingsTest, AByteOrderMarkAndCommentsAtTheEndOfALineAreRead) {
  std::vector<std::string> problems;
  const UserSettings read = ParseSettings(
      "\xEF\xBB\xBF"
      "fullscreen = false\n"
      "mute_music = true # quiet at night\n"
      "key_throw = SPACE    # the mouse is for aiming\n",
      &problems);
  EXPECT_TRUE(problems.empty()) << problems.front();
  EXPECT_FALSE(read.fullscreen);
  EXPECT_TRUE(read.muteMusic);
  EXPECT_EQ(ActionBindingText(read.bindings, Action::Throw), "SPACE");
  // Written back, the mark stays in front of the first line.
  TempDir dir;
  const std::string path = dir.File("Settings.lullwick");
  WriteFile(path, "\xEF\xBB\xBF" "fullscreen = false\n");
  ASSERT_TRUE(SaveSettings(path, read));
  EXPECT_EQ(ReadFile(path).rfind("\xEF\xBB\xBF" "fullscreen = false\n", 0), 0u);
  EXPECT_FALSE(LoadSettings(path).fullscreen);
}

// The file is held to what the controls screen allows: F8 and F11 stay the game's, the menus' keys
// cannot pause or retry (one press would work the menu and pause at once), and a key belongs to
// one action only (of two, the one set later in the file gives way). Each keeps its default.
TEST(SettingsTest, KeysTheControlsScreenWouldRefuseKeepTheirDefaults) {
  std::vector<std::string> problems;
  UserSettings read = ParseSettings(
      "key_throw = F8\n"
      "key_pick_up = F11\n"
      "key_pause = ENTER\n"
      "key_retry = UP\n",
      &problems);
  EXPECT_EQ(read.bindings, DefaultKeyBindings());
  EXPECT_EQ(problems.size(), 4u);
  for (const char* key : {"LMB", "ESCAPE P", "R"}) {
    EXPECT_NE(FormatSettings(read).find(key), std::string::npos) << key;
  }
  for (const char* menuKey : {"key_pause = DOWN", "key_pause = LMB", "key_retry = ENTER", "key_move_up = ESCAPE"}) {
    problems.clear();
    read = ParseSettings(std::string(menuKey) + "\n", &problems);
    EXPECT_EQ(read.bindings, DefaultKeyBindings()) << menuKey;
    EXPECT_EQ(problems.size(), 1u) << menuKey;
  }

  problems.clear();
  read = ParseSettings(
      "key_move_up = R\n"        // retry's own key: retry keeps it
      "key_pick_up = SPACE\n"
      "key_throw = SPACE\n"      // the same key again, later: throw gives way
      "key_move_left = D\n"      // swapped with move_right: allowed, nothing is shared
      "key_move_right = A\n",
      &problems);
  EXPECT_EQ(problems.size(), 2u);
  EXPECT_EQ(ActionBindingText(read.bindings, Action::MoveUp), "W");
  EXPECT_EQ(ActionBindingText(read.bindings, Action::Retry), "R");
  EXPECT_EQ(ActionBindingText(read.bindings, Action::PickUpDrop), "SPACE");
  EXPECT_EQ(ActionBindingText(read.bindings, Action::Throw), "LMB");
  EXPECT_EQ(ActionBindingText(read.bindings, Action::MoveLeft), "D");
  EXPECT_EQ(ActionBindingText(read.bindings, Action::MoveRight), "A");
}
