#include "editor/Autosave.h"

#include <filesystem>
#include <system_error>

#include "core/Logger.h"
#include "editor/EditorSession.h"
#include "editor/EditorState.h"
#include "editor/EditorWriteLog.h"
#include "platform/GameFolders.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"
#include "widgets/WriteNotice.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kJson = ".json";
constexpr const char* kAutosaveSuffix = ".autosave.json";
constexpr const char* kBackupFolder = "Backups/";

struct AutosaveModule {
  float sinceBackup = 0.0f;
  const Level* checkedLevel = nullptr;  // the level last looked at for a newer backup
  std::string checkedPath;
};

AutosaveModule& Module() {
  static AutosaveModule module;
  return module;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

std::string AutosavePathFor(const std::string& levelPath) {
  std::string stem = EndsWith(levelPath, kJson) ? levelPath.substr(0, levelPath.size() - 5) : levelPath;
  // The level's path below the backups folder: no root, no drive, no climbing out.
  fs::path inside;
  for (const fs::path& part : PathFromUtf8(stem).relative_path().lexically_normal()) {
    if (part != ".." && part != "." && !part.empty()) inside /= part;
  }
  if (inside.empty()) return {};
  const std::u8string relative = inside.generic_u8string();
  return UserFilePath(kBackupFolder + std::string(relative.begin(), relative.end()) + kAutosaveSuffix);
}

bool WriteAutosave() {
  Level* level = EditedLevel();
  if (level == nullptr || level->path.empty()) return false;
  if (Editor().stopped) SyncRecordsFromObjects(*level);
  Level backup = *level;
  backup.path = AutosavePathFor(level->path);
  Module().sinceBackup = 0.0f;
  if (backup.path.empty() || !SaveLevel(backup)) {
    ReportWriteFailure("The editor's backup could not be written",
                       "Could not write the backup of " + level->path + " to " +
                           (backup.path.empty() ? std::string("the per-user folder (there is none)") : backup.path));
    return false;
  }
  LogEditorWrite("the backup", backup.path, level->path);
  SessionOf(*level).backupRevision = EditorHistory().Revision();
  return true;
}

void TickAutosave(float seconds) {
  const LevelSession* session = CurrentSession();
  if (session == nullptr) return;
  const uint64_t revision = session->history.Revision();
  if (!session->Edited() || revision == session->backupRevision) {
    Module().sinceBackup = 0.0f;
    return;
  }
  Module().sinceBackup += seconds;
  if (Module().sinceBackup >= kAutosaveInterval) WriteAutosave();
}

bool BackupIsNewer(const std::string& levelPath) {
  std::error_code error;
  const std::string backup = AutosavePathFor(levelPath);
  if (!fs::exists(backup, error)) return false;
  if (!fs::exists(levelPath, error)) return true;
  const auto backupTime = fs::last_write_time(backup, error);
  if (error) return false;
  const auto levelTime = fs::last_write_time(levelPath, error);
  return !error && backupTime > levelTime;
}

bool RestoreBackup() {
  Level* level = EditedLevel();
  if (level == nullptr) return false;
  std::unique_ptr<Level> backup = LoadLevel(AutosavePathFor(level->path));
  if (backup == nullptr) return false;
  LevelContent::Of(*backup).PutInto(*level);
  ClearSelection();
  Editor().pendingNodes.clear();
  // Restored work is not in the user's file yet.
  StartSessionOver(*level, false);
  RequestRestart();
  Log("Restored the level from its backup: " + AutosavePathFor(level->path), LogLevel::Info);
  return true;
}

void OfferBackupIfNewer() {
  AutosaveModule& m = Module();
  const Level* level = EditedLevel();
  if (level == nullptr || (level == m.checkedLevel && level->path == m.checkedPath)) return;
  m.checkedLevel = level;
  m.checkedPath = level->path;
  Editor().restoreOffered = BackupIsNewer(level->path);
}

void RemoveBackup(const std::string& levelPath) {
  std::error_code error;
  fs::remove(AutosavePathFor(levelPath), error);
}

void ResetAutosave() { Module() = AutosaveModule{}; }
