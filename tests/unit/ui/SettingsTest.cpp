// The settings file: what is written is read back, and nothing a file can hold stops the game.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/GameFolders.h"
#include "app/KeyBindings.h"
#include "app/KeyCodes.h"
#include "audio/AudioSystem.h"
#include "objects/ObjectManager.h"
#include "platform/FileSync.h"
#include "platform/Platform.h"
#include "support/TestSupport.h"
#include "ui/Settings.h"
#include "ui/WriteNotice.h"

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
  EXPECT_FALSE(testing_support::FileExists(platform::TempPathFor(path)));
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
  platform::SetReplaceFaultForTesting(platform::ReplaceFault::Rename);
  UserSettings second;
  second.fullscreen = false;
  EXPECT_FALSE(SaveSettings(path, second));
  platform::SetReplaceFaultForTesting(platform::ReplaceFault::None);
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

TEST(SettingsTest, KeyBindingsAndTheStealthAidsAreSavedAndReadBack) {
  TempDir dir;
  const std::string path = dir.File("Settings.lullwick");
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
