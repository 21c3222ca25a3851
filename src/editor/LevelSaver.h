// Writing an edited level, so that a save never writes one scene over another scene's file and
// never reports success for a file the game could not read back: the level's text is read back
// before the old file is replaced and again from the disk afterwards, the attribute files its
// tuning edits touched are written with it, and every other scene of the same file takes the
// saved content. Each write is logged ("Editor saved scene index ...", "Editor wrote ..."), the
// level's with the file the top bar named, so a soak can check that nothing but the named level,
// its backup and its attribute files is ever written.
#pragma once

#include <string>

struct Level;

// The file "Save" writes a level to: its own path when that names a level file (".json"); empty
// for a scene that is not a level file.
std::string SaveFileOf(const Level& level);
// How the top bar names a scene: the game's scenes by name ("Level 1"), others by their file's name.
std::string SceneLabel(const Level& level);
// True when the two paths name the same file (links followed, "." and ".." taken out).
bool SameFile(const std::string& a, const std::string& b);
// Why `name` cannot be typed as a level's name in the Save As dialog (it is blank, or it would
// leave the levels folder); empty when it can.
std::string LevelNameProblem(const std::string& name);

// Writes `level` to `path`. When it is the edited level and the editor is stopped, its records are
// first taken again from the live objects. On success `path` becomes the level's file, the level
// counts as saved (with its tuning), its backup is removed, and other scenes of the same file
// without edits of their own take the saved content. `shown` is the file the top bar (or the
// prompt) named when the save was asked for; `saveAs` says the level is given a file of its own
// choosing. False, with the reason in *why and the old file untouched when the level itself could
// not be written.
bool WriteEditedLevel(Level& level, const std::string& path, const std::string& shown, bool saveAs,
                      std::string* why);
