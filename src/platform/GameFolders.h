// Where the game's files are. The data folder (Shaders/, Assets/, the shipped Config.lullwick) is
// read-only to the game: beside the executable in a build, or ../share/quillmarch from it when
// installed. Everything that belongs to the player (settings, the log, editor backups, levels saved
// from a read-only install, a personal Config.lullwick) lives in the per-user folder the platform
// gives. Paths here are UTF-8 text; PathFromUtf8 turns them into filesystem paths.
#pragma once

#include <filesystem>
#include <string>

// The game's data folder for an executable in `exeDir`: `exeDir` itself when it holds Shaders/ and
// Assets/, else `exeDir`/../share/quillmarch when that does. Empty when neither does; `looked`
// (may be null) then names the folders tried.
std::string FindDataFolder(const std::string& exeDir, std::string* looked);

// The per-user folder with a trailing separator, asked of the platform on first use; empty when
// the system gives none.
const std::string& UserFolder();
// Puts the per-user folder elsewhere (tools and tests); empty asks the platform again.
void SetUserFolder(std::string folder);
// The path of `name` ("Settings.lullwick", "Backups/level1.autosave.json") in the per-user folder,
// with the folders leading to it made. Empty when there is no per-user folder or a folder on the
// way cannot be made. Later kinds of player file (records, kept runs) ask for their paths here.
std::string UserFilePath(const std::string& name);

// Filesystem paths from and to UTF-8 text: SDL and the game's files speak UTF-8, while a path's
// plain narrow string is the system's code page on some platforms.
std::filesystem::path PathFromUtf8(const std::string& text);
std::string Utf8FromPath(const std::filesystem::path& path);
