// Replacing a file without ever losing the old one. The game's writers (level files, attribute
// files) build their text in memory and hand it here: it goes to a temporary file beside the
// target, is flushed and synced to the disk, and is then renamed over the target in one step. A
// failure at any step removes the temporary file and leaves the target exactly as it was.
#pragma once

#include <string>

namespace platform {

// The temporary file a replacement of `path` writes first (the same folder, so the rename stays
// on one file system).
std::string TempPathFor(const std::string& path);

// Writes `contents` in text mode (the platform's line ends) to `path`, replacing the file
// atomically. False when the temporary file cannot be created, written, synced or renamed; the
// reason is in *error when given. Creates no folders.
bool ReplaceFileContents(const std::string& path, const std::string& contents,
                         std::string* error = nullptr);

// Asks the operating system to put the file's data on the disk. False when that fails.
bool SyncFile(const std::string& path);

// Test hook: makes the next replacements fail at one step, as a full disk or a broken device
// would. Stage None turns it off.
enum class ReplaceFault { None, Write, Sync, Rename };
void SetReplaceFaultForTesting(ReplaceFault fault);

}  // namespace platform
