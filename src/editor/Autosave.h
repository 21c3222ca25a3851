// The editor's backups, so that no work is lost to a crash or a killed session: at every Run and
// every two minutes while the level has edits the backup has not seen, the level is written to its
// backup "<name>.autosave.json" in the player's own folder (atomically; the level's own file is
// never written by it, and the data folder may be read-only). When the editor shows a level whose
// backup is newer than the file, it offers to restore it. A backup that cannot be written is shown
// to the player.
#pragma once

#include <string>

struct Level;

// Seconds between backups while the level has unsaved, unbacked-up edits.
constexpr float kAutosaveInterval = 120.0f;

// "./Assets/Levels/level1.json" -> "<per-user folder>/Backups/Assets/Levels/level1.autosave.json"; a
// level elsewhere keeps its whole path below Backups/ ("/home/ann/x.json" ->
// "Backups/home/ann/x.autosave.json"). Empty when there is no per-user folder.
std::string AutosavePathFor(const std::string& levelPath);
// Writes the edited level to its backup file. While stopped the records are taken from the live
// objects first, as a save does; while running the records are written as they are (the running
// objects are not the level). False when there is no level or the file could not be written.
bool WriteAutosave();
// Counts `seconds` of editing time and writes a backup when the interval has passed with edits the
// last backup does not hold.
void TickAutosave(float seconds);
// True when the level at `levelPath` has a backup written after the file (or the file is missing).
bool BackupIsNewer(const std::string& levelPath);
// The backup's contents replace the edited level's (objects, textures, fields); the level keeps its
// own path, the scene starts again from the restored records and the history is cleared. The level
// then counts as unsaved. False when the backup cannot be read.
bool RestoreBackup();
// Once per editor frame: a level shown for the first time whose backup is newer opens the offer.
void OfferBackupIfNewer();
// Forgets the interval's time and the level last looked at (a fresh editor).
void ResetAutosave();
// Removes the backup of `levelPath` (after a save, the file holds everything the backup did).
void RemoveBackup(const std::string& levelPath);
