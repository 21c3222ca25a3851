#include "editor/LevelSaver.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "core/FileSync.h"
#include "core/Logger.h"
#include "editor/Autosave.h"
#include "editor/EditorSession.h"
#include "editor/EditorState.h"
#include "editor/EditorWriteLog.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/ObjectType.h"
#include "platform/GameFolders.h"
#include "scenes/AttributeFile.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"
#include "widgets/WriteNotice.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPlayerSection = static_cast<int>(ObjectType::Player);
constexpr int kHumanSection = static_cast<int>(ObjectType::Enemy);

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::in);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The 64-bit FNV-1a hash of the text, in 16 hex digits (as the state log writes hashes).
std::string TextHash(const std::string& text) {
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return hex;
}

// The text a level read back from `text` would be written as; the tiles are written but never read
// back, so they are carried over.
std::string RereadText(const std::string& text, const Level& level) {
  std::unique_ptr<Level> back = LoadLevelFromText(text, level.path);
  if (back == nullptr) return std::string();
  back->tiles = level.tiles;
  return LevelToText(*back);
}

GameObject* LivePlayer() {
  const std::string prefix = "Player_";
  for (GameObject* o : Objects()) {
    if (o != nullptr && !o->destroy && o->name.compare(0, prefix.size(), prefix) == 0) return o;
  }
  return nullptr;
}

// Writes each tuning section the level's edits changed to the level's last attribute file of that
// section: a start of the level reads its files in order, so the last one leaves its values. A
// level left while it runs keeps its tuning in its session; the shared values are borrowed for the
// write.
bool WriteEditedTuning(const Level& level, const std::string& levelFile, std::string* why) {
  LevelSession& session = SessionOf(level);
  const bool edited[2] = {session.playerTuningEdited, session.humanTuningEdited};
  const int sections[2] = {kPlayerSection, kHumanSection};
  const char* words[2] = {"player", "guard"};
  const bool current = &level == EditedLevel();
  const TuningValues shared = TuningValues::Current();
  if (!current && session.tuning) session.tuning->Apply();
  bool ok = true;
  for (int i = 0; i < 2 && ok; ++i) {
    if (!edited[i]) continue;
    std::string last;
    for (const std::string& name : level.attributes) {
      if (AttributeSectionOf(name) == sections[i]) last = name;
    }
    std::string reason;
    if (last.empty()) {
      *why = std::string("The ") + words[i] + " tuning was changed, but the level names no " + words[i] +
             " attribute file: save it with \"Save Attributes\", then add it with \"Load Attributes\".";
      ok = false;
    } else if (!SaveAttributes(current ? LivePlayer() : nullptr, sections[i], last, &reason)) {
      *why = "Failed to save Attributes: " + last + (reason.empty() ? "" : " (" + reason + ")");
      ok = false;
    } else {
      LogEditorWrite("the attribute file", AttributeFilePath(last), levelFile);
    }
  }
  if (!current) shared.Apply();
  return ok;
}

// Other scenes of the same file that hold no edits of their own show what the file now holds; the
// running scene is left alone (its objects are live).
void ShareWithSameFile(const Level& saved) {
  for (const auto& scene : SceneList()) {
    Level* other = scene.get();
    if (other == &saved || other == EditedLevel() || !SameFile(other->path, saved.path)) continue;
    if (SessionOf(*other).Edited()) continue;
    LevelContent::Of(saved).PutInto(*other);
    StartSessionOver(*other, true);
  }
}

// Where a level of the data folder is saved when that folder cannot be written: the same relative
// path in the player's folder. Empty for a level outside the data folder, or when the folder can be
// written (a read-only file there is the designer's own choice, and is refused).
std::string PlayersCopyPath(const std::string& path) {
  const fs::path wanted = PathFromUtf8(path).lexically_normal();
  if (wanted.empty() || !wanted.is_relative() || *wanted.begin() == "..") return std::string();
  if (files::CanCreateFilesIn(Utf8FromPath(wanted.parent_path()))) return std::string();
  return UserFilePath(Utf8FromPath(wanted));
}

bool FinishWrite(Level& level, const Level& out, const std::string& text, const std::string& path,
                 const std::string& shown, bool saveAs, std::string* why);

}  // namespace

std::string SaveFileOf(const Level& level) { return EndsWith(level.path, ".json") ? level.path : std::string(); }

std::string SceneLabel(const Level& level) {
  static const char* const kNames[] = {"Empty", "Splash 1", "Splash 2", "Splash 3", "Main Menu", "End Scene",
                                       "Level 1", "Level 2", "Level 3", "Game Over", "You Win", "Credits",
                                       "Level Select"};
  if (level.sceneId >= 0 && level.sceneId < static_cast<int>(std::size(kNames))) return kNames[level.sceneId];
  std::string name = level.path.substr(level.path.find_last_of("/\\") + 1);
  return EndsWith(name, ".json") ? name.substr(0, name.size() - 5) : name;
}

bool SameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code ea, eb;
  const fs::path ca = fs::weakly_canonical(a, ea);
  const fs::path cb = fs::weakly_canonical(b, eb);
  if (!ea && !eb) return ca == cb;
  return fs::absolute(a, ea).lexically_normal() == fs::absolute(b, eb).lexically_normal();
}

std::string LevelNameProblem(const std::string& name) {
  bool blank = true;
  for (unsigned char c : name) blank = blank && std::isspace(c) != 0;
  if (blank) return "Type a name for the level.";
  if (name.find_first_of("/\\") != std::string::npos || name.find("..") != std::string::npos) {
    return "A level's name cannot hold \"/\", \"\\\" or \"..\": levels are saved in ./Assets/Levels/.";
  }
  return std::string();
}

bool WriteEditedLevel(Level& level, const std::string& path, const std::string& shown, bool saveAs,
                      std::string* why) {
  if (path.empty()) {
    *why = "The level has no file: use \"Save As\".";
    return false;
  }
  if (&level == EditedLevel() && Editor().stopped) SyncRecordsFromObjects(level);
  Level out = level;
  out.path = path;
  const std::string text = LevelToText(out);
  // The game must be able to read what is written: checked before the old file is replaced.
  const std::string problem = FindUnwritableValue(out);
  if (problem.empty() && RereadText(text, out) != text) {
    *why = "The level would not read back as it is: it was not written.";
    Log("Unable to write the level: it does not read back the same: " + path, LogLevel::Error);
    return false;
  }
  std::string reason;
  if (!SaveLevel(out, &reason)) {
    // A level of an installed game's data folder, which its players cannot write, goes to the same
    // place in the player's own folder; a read-only file in a folder the designer can write is
    // refused instead, and a value the reader would refuse is never moved anywhere.
    const std::string moved = problem.empty() ? PlayersCopyPath(path) : std::string();
    out.path = moved;
    if (moved.empty() || !SaveLevel(out, nullptr)) {
      *why = reason.empty() ? "The file could not be written." : reason;
      ReportWriteFailure("The level could not be saved", "Could not save the level to " + path + ": " + *why);
      return false;
    }
    const std::string note = "The game's folder cannot be written; the level was saved to " + moved;
    std::fprintf(stderr, "quillmarch: %s\n", note.c_str());
    ShowErrorBox(note, Editor().errorPosition[0], Editor().errorPosition[1]);
    return FinishWrite(level, out, text, moved, shown, saveAs, why);
  }
  return FinishWrite(level, out, text, path, shown, saveAs, why);
}

namespace {

bool FinishWrite(Level& level, const Level& out, const std::string& text, const std::string& path,
                 const std::string& shown, bool saveAs, std::string* why) {
  if (RereadText(ReadWholeFile(path), out) != text) {
    *why = "The file written does not read back as the level: " + path;
    Log("The saved level does not read back the same: " + path, LogLevel::Error);
    return false;
  }
  Log("Editor saved scene index " + std::to_string(level.sceneIndex) + (saveAs ? " as \"" : " to \"") + path +
          "\" (the top bar named \"" + shown + "\"): " + std::to_string(out.objects.size()) +
          " records, read back the same, FNV-1a " + TextHash(text),
      LogLevel::Info);
  level.path = path;
  if (!WriteEditedTuning(level, path, why)) return false;
  MarkSaved(level);
  RemoveBackup(path);
  ShareWithSameFile(level);
  return true;
}

}  // namespace
