#include "ui/Settings.h"

#include <fstream>
#include <set>
#include <sstream>
#include <utility>

#include "audio/AudioSystem.h"
#include "core/FileSync.h"
#include "core/Logger.h"
#include "gameplay/VisionCones.h"
#include "platform/GameFolders.h"
#include "platform/Platform.h"
#include "widgets/WriteNotice.h"

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
constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";
constexpr const char* kHeader = "# Quillmarch settings, written by the game when an option changes.\n";

// One or two key names separated by blanks; false (and *codes untouched) when any is not a key. A
// key named twice counts once.
bool ParseBinding(const std::string& value, int codes[kBindingSlots]) {
  std::istringstream words(value);
  std::string word;
  int found[kBindingSlots] = {};
  int count = 0;
  while (words >> word) {
    const int code = BindingCodeFromName(word);
    if (code == 0) return false;
    if (count > 0 && found[0] == code) continue;
    if (count == kBindingSlots) return false;
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

bool IsSettingsText(const std::string& text) { return text.size() <= kMaxSettingsBytes && LooksLikeText(text); }

void Note(std::vector<std::string>* problems, std::string reason) {
  if (problems != nullptr) problems->push_back(std::move(reason));
}

std::string KeySettingName(int action) { return std::string(kKeyPrefix) + ActionSettingName(static_cast<Action>(action)); }

// The text without a leading byte-order mark (an editor may have saved the file as UTF-8 with one).
std::string WithoutByteOrderMark(const std::string& text) {
  return text.rfind(kByteOrderMark, 0) == 0 ? text.substr(3) : text;
}

// A line cut at its comment: "name = value  # why" gives "name = value  " and "# why".
struct SettingLine {
  std::string code;
  std::string comment;
};

SettingLine SplitComment(const std::string& line) {
  const size_t hash = line.find('#');
  if (hash == std::string::npos) return {line, ""};
  return {line.substr(0, hash), line.substr(hash)};
}

// The line's setting name, or empty when the line sets nothing (blank, comment, no "=").
std::string NameOf(const std::string& code) {
  const size_t equals = code.find('=');
  return equals == std::string::npos ? std::string() : Trim(code.substr(0, equals));
}

// The value this version writes for a setting it knows; false for a name it does not know.
bool ValueOf(const UserSettings& settings, const std::string& name, std::string* value) {
  for (const SwitchRow& row : kSwitches) {
    if (name != row.name) continue;
    *value = settings.*row.field ? "true" : "false";
    return true;
  }
  for (int a = 0; a < kActionCount; ++a) {
    if (name != KeySettingName(a)) continue;
    *value = FormatBinding(settings.bindings.codes[a]);
    return true;
  }
  return false;
}

// Every setting this version knows, in the order a fresh file lists them.
std::vector<std::string> SettingNames() {
  std::vector<std::string> names;
  for (const SwitchRow& row : kSwitches) names.emplace_back(row.name);
  for (int a = 0; a < kActionCount; ++a) names.push_back(KeySettingName(a));
  return names;
}

std::string RuleReason(BindingRule rule) {
  return rule == BindingRule::KeptByGame ? "is kept by the game" : "works the menus";
}

// The bindings read from the file are checked as the controls screen checks a pressed key: a key
// the action may not have, or one that another action has too, puts the action back to its own
// default (`lines` holds each action's line in the file, 0 for a default). Of two actions that
// share a key, the one set later in the file gives way; defaults never share one.
void CheckBindings(KeyBindingTable& table, int lines[kActionCount], std::vector<std::string>* problems) {
  const KeyBindingTable defaults = DefaultKeyBindings();
  auto restore = [&](int a, const std::string& reason) {
    Note(problems, "line " + std::to_string(lines[a]) + ": " + reason + "; " + KeySettingName(a) + " keeps its default");
    for (int i = 0; i < kBindingSlots; ++i) table.codes[a][i] = defaults.codes[a][i];
    lines[a] = 0;
  };
  for (int a = 0; a < kActionCount; ++a) {
    if (lines[a] == 0) continue;
    for (int code : table.codes[a]) {
      const BindingRule rule = code != 0 ? CheckBinding(static_cast<Action>(a), code) : BindingRule::Allowed;
      if (rule == BindingRule::Allowed) continue;
      restore(a, BindingCodeName(code) + " " + RuleReason(rule));
      break;
    }
  }
  // Each round puts one file-set action back, so this ends.
  for (bool clash = true; clash;) {
    clash = false;
    for (int a = 0; a < kActionCount && !clash; ++a) {
      for (int b = a + 1; b < kActionCount && !clash; ++b) {
        for (int code : table.codes[a]) {
          if (code == 0 || (table.codes[b][0] != code && table.codes[b][1] != code)) continue;
          const int loser = lines[b] >= lines[a] ? b : a;
          const int keeper = loser == a ? b : a;
          restore(loser, BindingCodeName(code) + " is already " + KeySettingName(keeper));
          clash = true;
          break;
        }
      }
    }
  }
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
  if (!IsSettingsText(text)) {
    Note(problems, "not a settings file");
    return settings;
  }
  int bindingLines[kActionCount] = {};
  std::istringstream lines(WithoutByteOrderMark(text));
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    const std::string code = Trim(SplitComment(line).code);
    if (code.empty()) continue;
    const size_t equals = code.find('=');
    if (equals == std::string::npos) {
      Note(problems, "line " + std::to_string(number) + " has no \"=\"");
      continue;
    }
    const std::string name = Trim(code.substr(0, equals));
    const std::string value = Trim(code.substr(equals + 1));
    bool known = false;
    for (const SwitchRow& row : kSwitches) {
      if (name != row.name) continue;
      known = true;
      if (!ParseSwitch(value, &(settings.*row.field))) {
        Note(problems, "line " + std::to_string(number) + ": \"" + value + "\" is not on or off for " + name);
      }
    }
    for (int a = 0; a < kActionCount; ++a) {
      if (name != KeySettingName(a)) continue;
      known = true;
      if (ParseBinding(value, settings.bindings.codes[a])) {
        bindingLines[a] = number;
      } else {
        Note(problems, "line " + std::to_string(number) + ": \"" + value + "\" is not one or two keys for " + name);
      }
    }
    // A name this version does not know (a newer game's setting) is left alone, and kept at a save.
    if (!known) Note(problems, "line " + std::to_string(number) + ": unknown setting \"" + name + "\"");
  }
  CheckBindings(settings.bindings, bindingLines, problems);
  return settings;
}

std::string FormatSettings(const UserSettings& settings) { return MergeSettings("", settings); }

std::string MergeSettings(const std::string& existing, const UserSettings& settings) {
  if (!IsSettingsText(existing) || existing.empty()) {
    std::string text = kHeader;
    for (const std::string& name : SettingNames()) {
      std::string value;
      ValueOf(settings, name, &value);
      text += name + " = " + value + "\n";
    }
    return text;
  }
  const bool byteOrderMark = existing.rfind(kByteOrderMark, 0) == 0;
  std::istringstream lines(WithoutByteOrderMark(existing));
  std::string text = byteOrderMark ? kByteOrderMark : "";
  std::set<std::string> written;
  std::string line;
  while (std::getline(lines, line)) {
    // A line of a file written on Windows keeps its carriage return.
    const bool carriageReturn = !line.empty() && line.back() == '\r';
    if (carriageReturn) line.pop_back();
    const SettingLine parts = SplitComment(line);
    const std::string name = NameOf(parts.code);
    std::string value;
    if (!name.empty() && ValueOf(settings, name, &value)) {
      // The setting's own line gets the value in use, keeping its indent and its comment.
      const std::string indent = parts.code.substr(0, parts.code.find_first_not_of(" \t"));
      const size_t end = parts.code.find_last_not_of(" \t");
      std::string gap = end == std::string::npos ? "" : parts.code.substr(end + 1);
      if (!parts.comment.empty() && gap.empty()) gap = " ";
      line = indent + name + " = " + value + (parts.comment.empty() ? "" : gap + parts.comment);
      written.insert(name);
    }
    text += line + (carriageReturn ? "\r\n" : "\n");
  }
  // Settings the file did not have yet (an older game's file) go at the end.
  for (const std::string& name : SettingNames()) {
    if (written.count(name) != 0) continue;
    std::string value;
    ValueOf(settings, name, &value);
    text += name + " = " + value + "\n";
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
  // The file as it stands now: its comments, and the lines of settings a newer game wrote, stay.
  std::string existing;
  std::ifstream in(path, std::ios::binary);
  char buffer[4096];
  while (in && (in.read(buffer, sizeof(buffer)) || in.gcount() > 0)) {
    existing.append(buffer, static_cast<size_t>(in.gcount()));
    if (existing.size() > kMaxSettingsBytes) break;
  }
  std::string error = "there is no per-user folder";
  if (!path.empty() && files::ReplaceFileContents(path, MergeSettings(existing, settings), &error)) return true;
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

void ApplyFullscreen(bool fullscreen) {
  platform::Platform& plat = platform::GetPlatform();
  plat.SetFullscreen(fullscreen);
  RememberFullscreen(plat.HasWindow() ? plat.IsFullscreen() : fullscreen);
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
