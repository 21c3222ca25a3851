#include "editor/EditorWriteLog.h"

#include "core/Logger.h"

void LogEditorWrite(const std::string& what, const std::string& path, const std::string& levelFile) {
  Log("Editor wrote " + what + " \"" + path + "\" of \"" + levelFile + "\"", LogLevel::Info);
}
