// The options the player changes in the menus, remembered between runs in a small text file in the
// player's own folder ("Settings.lullwick"): one "name = value" line per setting, "#" starts a
// comment (a whole line or the end of one); a byte-order mark before the first line is allowed. A
// missing file means the defaults; a damaged one means the defaults for whatever cannot be read,
// with a log line saying why; nothing in the file can stop the game. Saving rewrites only the
// values of the settings this version knows: comments, blank lines and the lines of settings it
// does not know (a newer version's) stay where they were. The file is replaced atomically, so a
// crash while saving leaves the old one; a save that fails is shown to the player.
// New settings (key bindings, toggles) are added as a field of UserSettings and one row of the table
// in Settings.cpp; files written before simply lack the line and take the default.
#pragma once

#include <string>
#include <vector>

#include "core/KeyBindings.h"

inline constexpr const char* kSettingsFile = "Settings.lullwick";

struct UserSettings {
  bool fullscreen = true;   // full screen (true) or a window
  bool muteMusic = false;   // "bus:/Music" muted
  bool muteSfx = false;     // "bus:/SFX" muted
  bool visionCones = true;    // the guards' cones drawn on the floor
  bool spotterArrows = true;  // arrows to off-screen guards that spotted the player
  // "key_<action> = NAME [NAME]": the keys and mouse buttons of the player's actions.
  KeyBindingTable bindings = DefaultKeyBindings();

  bool operator==(const UserSettings&) const = default;
};

// The settings of this run (what was read at start-up plus what the player changed since).
UserSettings& CurrentSettings();
// Where the settings live: kSettingsFile in the per-user folder (empty when there is none); tests
// point it elsewhere, and an empty path goes back to the per-user folder.
const std::string& SettingsPath();
void SetSettingsPath(std::string path);

// Reads settings text. Unreadable lines and values keep the defaults and add a reason to
// `problems` (may be null). A text that is not a settings file at all (binary, far too long) gives
// all defaults and one reason. Key bindings the controls screen would refuse (F8, F11, the menus'
// keys for pause and retry, a key two actions share) keep their defaults too.
UserSettings ParseSettings(const std::string& text, std::vector<std::string>* problems);
// A fresh settings file: a heading comment and every setting.
std::string FormatSettings(const UserSettings& settings);
// `existing` (a settings file's text) with the values of `settings` written into the lines of the
// settings it names; every other line stays as it was, and settings it lacks are appended. Text
// that is no settings file gives a fresh one.
std::string MergeSettings(const std::string& existing, const UserSettings& settings);
// Reads the file at `path`: the defaults when it is missing or damaged, each reason logged.
UserSettings LoadSettings(const std::string& path);
// Writes the file atomically; false when it could not be written, which the player is told on
// screen and standard error.
bool SaveSettings(const std::string& path, const UserSettings& settings);

// Start-up, once the window and the audio system exist: reads the settings file and applies it
// (the display mode unless the command line asked for a window, then the two mutes, the stealth
// aids and the key bindings).
void LoadAndApplySettings(bool windowedByCommandLine);
// The display mode changes (F11 or the options overlay's buttons) and is remembered.
void ApplyFullscreen(bool fullscreen);
// The player changed an option: remember it and save the file.
void RememberFullscreen(bool fullscreen);
void RememberMusicMute(bool muted);
void RememberSfxMute(bool muted);
void RememberVisionCones(bool shown);
void RememberSpotterArrows(bool shown);
// The bindings in use (KeyBindings()) are remembered.
void RememberKeyBindings();
