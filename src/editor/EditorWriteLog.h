// The log of the files the editor writes besides a level's own (the level's is logged by the level
// writer, LevelSaver): a soak can check from the log that nothing but the named level, its backup and
// its attribute files is ever written.
#pragma once

#include <string>

// The log line of a backup or attribute file the editor wrote for a level:
// Editor wrote <what> "<path>" of "<level file>".
void LogEditorWrite(const std::string& what, const std::string& path, const std::string& levelFile);
