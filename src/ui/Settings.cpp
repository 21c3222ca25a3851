#include "ui/Settings.h"

#include <fstream>
#include <sstream>
#include <utility>

#include "app/GameFolders.h"
#include "app/Logger.h"
#include "audio/AudioSystem.h"
#include "gameplay/VisionCones.h"
#include "platform/FileSync.h"
#include "platform/Platform.h"
#include "ui/WriteNotice.h"

namespace {

// A settings file is a few lines; anything much larger is not one.
constexpr size_t kMaxSettingsBytes = 16 * 1024;

struct SettingsModule {
  UserSettings current;
  std::string path;  // empty: kSettingsFile in the per-user folder, found on first use
};

SettingsModule& Module() {
  static SettingsModule module;
  return module;
}

// One row per setting: its name in the file and the field it fills. Every setting so far is an
// on/off switch; other kinds get their own parse and format pair here.
struct SwitchRow {
  const char* name;
  bool UserSettings::*field;
};

constexpr SwitchRow kSwitches[] = {
    {"fullscreen", &UserSettings::fullscreen},
    {"mute_music", &UserSettings::muteMusic},
    {"mute_sfx", &UserSettings::muteSfx},
    {"vision_cones", &UserSettings::visionCones},
    {"spotter_arrows", &UserSettings::spotterArrows},
};

constexpr const char* kKeyPrefix = "key_";

// One or two key names separated by blanks; false (and *codes untouched) when any is not a key.
bool ParseBinding(const std::string& value, int codes[kBindingSlots]) {
  std::istringstream words(value);
  std::string word;
  int found[kBindingSlots] = {};
  int count = 0;
  while (words >> word) {
    const int code = BindingCodeFromName(word);
    if (code == 0 || count == kBindingSlots) return false;
    found[count++] = code;
  }
  if (count == 0) return false;
  for (int i = 0; i < kBindingSlots; ++i) codes[i] = found[i];
  return true;
}

std::string FormatBinding(const int codes[kBindingSlots]) {
  std::string text;
  for (int i = 0; i < kBindingSlots; ++i) {
    if (codes[i] == 0) continue;
    if (!text.empty()) text += ' ';
    text += BindingCodeName(codes[i]);
  }
  return text;
}

std::string Trim(const std::string& s) {
  const char* blanks = " \t\r";
  const size_t first = s.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

bool ParseSwitch(const std::string& value, bool* out) {
  if (value == "true" || value == "1" || value == "on") {
    *out = true;
    return true;
  }
  if (value == "false" || value == "0" || value == "off") {
    *out = false;
    return true;
  }
  return false;
}

bool LooksLikeText(const std::string& text) {
  for (unsigned char c : text) {
    if (c < 0x20 && c != '\n' && c != '\r' && c != '\t') return false;
  }
  return true;
}

void Note(std::vector<std::string>* problems, std::string reason) {
  if (problems != nullptr) problems->push_back(std::move(reason));
}

}  // namespace

UserSettings& CurrentSettings() { return Module().current; }
const std::string& SettingsPath() {
  SettingsModule& m = Module();
  if (m.path.empty()) m.path = UserFilePath(kSettingsFile);
  return m.path;
}
void SetSettingsPath(std::string path) { Module().path = std::move(path); }

UserSettings ParseSettings(const std::string& text, std::vector<std::string>* problems) {
  UserSettings settings;
  if (text.size() > kMaxSettingsBytes || !LooksLikeText(text)) {
    Note(problems, "not a settings file");
    return settings;
  }
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    const size_t equals = line.find('=');
    if (equals == std::string::npos) {
      Note(problems, "line " + std::to_string(number) + " has no \"=\"");
      continue;
    }
    const std::string name = Trim(line.substr(0, equals));
    const std::string value = Trim(line.substr(equals + 1));
    bool known = false;
    for (const SwitchRow& row : kSwitches) {
      if (name != row.name) continue;
      known = true;
      if (!ParseSwitch(value, &(settings.*row.field))) {
        Note(problems, "line " + std::to_string(number) + ": \"" + value + "\" is not on or off for " + name);
      }
    }
    for (int a = 0; a < kActionCount; ++a) {
      if (name != std::string(kKeyPrefix) + ActionSettingName(static_cast<Action>(a))) continue;
      known = true;
      if (!ParseBinding(value, settings.bindings.codes[a])) {
        Note(problems, "line " + std::to_string(number) + ": \"" + value + "\" is not one or two keys for " + name);
      }
    }
    // A name this version does not know (a newer game's setting) is left alone.
    if (!known) Note(problems, "line " + std::to_string(number) + ": unknown setting \"" + name + "\"");
  }
  return settings;
}

std::string FormatSettings(const UserSettings& settings) {
  std::string text = "# Quillmarch settings, written by the game when an option changes.\n";
  for (const SwitchRow& row : kSwitches) {
    text += std::string(row.name) + " = " + (settings.*row.field ? "true" : "false") + "\n";
  }
  for (int a = 0; a < kActionCount; ++a) {
    text += std::string(kKeyPrefix) + ActionSettingName(static_cast<Action>(a)) + " = " +
            FormatBinding(settings.bindings.codes[a]) + "\n";
  }
  return text;
}

UserSettings LoadSettings(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    Log("No settings file " + path + ": using the default settings", LogLevel::Info);
    return UserSettings{};
  }
  std::string text;
  char buffer[4096];
  while (in.read(buffer, sizeof(buffer)) || in.gcount() > 0) {
    text.append(buffer, static_cast<size_t>(in.gcount()));
    if (text.size() > kMaxSettingsBytes) break;
  }
  std::vector<std::string> problems;
  UserSettings settings = ParseSettings(text, &problems);
  for (const std::string& problem : problems) {
    Log("Settings file " + path + ": " + problem + "; using the default there", LogLevel::Warning);
  }
  return settings;
}

bool SaveSettings(const std::string& path, const UserSettings& settings) {
  std::string error = "there is no per-user folder";
  if (!path.empty() && platform::ReplaceFileContents(path, FormatSettings(settings), &error)) return true;
  ReportWriteFailure("Your settings could not be saved", "Could not save the settings to " + path + ": " + error);
  return false;
}

void LoadAndApplySettings(bool windowedByCommandLine) {
  UserSettings& settings = CurrentSettings();
  settings = LoadSettings(SettingsPath());
  platform::Platform& plat = platform::GetPlatform();
  if (!windowedByCommandLine && plat.IsFullscreen() != settings.fullscreen) plat.SetFullscreen(settings.fullscreen);
  // Buses start unmuted; only a remembered mute needs a call (and can report an audio error).
  if (settings.muteMusic) MusicBus().SetMute(true);
  if (settings.muteSfx) SfxBus().SetMute(true);
  StealthView().visionCones = settings.visionCones;
  StealthView().spotterArrows = settings.spotterArrows;
  KeyBindings() = settings.bindings;
}

void RememberFullscreen(bool fullscreen) {
  CurrentSettings().fullscreen = fullscreen;
  SaveSettings(SettingsPath(), CurrentSettings());
}

void RememberMusicMute(bool muted) {
  CurrentSettings().muteMusic = muted;
  SaveSettings(SettingsPath(), CurrentSettings());
}

void RememberSfxMute(bool muted) {
  CurrentSettings().muteSfx = muted;
  SaveSettings(SettingsPath(), CurrentSettings());
}

void RememberVisionCones(bool shown) {
  CurrentSettings().visionCones = shown;
  StealthView().visionCones = shown;
  SaveSettings(SettingsPath(), CurrentSettings());
}

void RememberSpotterArrows(bool shown) {
  CurrentSettings().spotterArrows = shown;
  StealthView().spotterArrows = shown;
  SaveSettings(SettingsPath(), CurrentSettings());
}

void RememberKeyBindings() {
  CurrentSettings().bindings = KeyBindings();
  SaveSettings(SettingsPath(), CurrentSettings());
}
