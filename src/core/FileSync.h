// Replacing a file without ever losing the old one. Every writer of the game (level files,
// attribute files, settings, recordings, object dumps, screenshots, shader reports) builds its
// text in memory and hands it here: it goes to a new temporary file beside the target, is flushed
// and synced to the disk, and is then renamed over the target in one step. A failure at any step
// removes the temporary file and leaves the target exactly as it was.
//
// The temporary file is always created new (never opened through a link or over a file that is
// already there); a read-only target is refused, not replaced; a target that is a symbolic link is
// written through to the file it names, which is replaced the same way, so the link stays a link.
#pragma once

#include <cstddef>
#include <string>

namespace files {

// The name the temporary file of a replacement of `path` tries first (the same folder, so the
// rename stays on one file system). When something already has that name, numbered names after it
// are tried ("NAME.saving.1" ...); what was there is left alone.
std::string TempPathFor(const std::string& path);

// Writes `contents` in text mode (the platform's line ends) to `path`, replacing the file
// atomically. False when the target is read-only or a folder, or when the temporary file cannot be
// created, written, synced or renamed; *error (when given) then says why in a sentence that names
// the file, fit to show a designer. Creates no folders.
bool ReplaceFileContents(const std::string& path, const std::string& contents,
                         std::string* error = nullptr);
// The same for bytes written exactly as given (pictures).
bool ReplaceFileBytes(const std::string& path, const std::string& bytes, std::string* error = nullptr);

// Why `path` cannot be opened for reading, in words fit to show a designer: "there is no such
// file", "it is a folder", or the system's reason.
std::string WhyUnreadable(const std::string& path);

// Reads the file whole into `text`, stopping one byte past `limit` (enough to know it is too big).
// False, with why in `why`, when it cannot be opened (a folder is no file, though some systems open
// one) or reading it fails.
bool ReadFileUpTo(const std::string& path, size_t limit, std::string* text, std::string* why);

// True when this user may create files in `folder` (an installed game's data folder is not such a
// folder for its players).
bool CanCreateFilesIn(const std::string& folder);

// Asks the operating system to put the file's data on the disk. False when that fails.
bool SyncFile(const std::string& path);

// Test hook: makes the next replacements fail at one step, as a full disk or a broken device
// would. Stage None turns it off.
enum class ReplaceFault { None, Write, Sync, Rename };
void SetReplaceFaultForTesting(ReplaceFault fault);

}  // namespace files
