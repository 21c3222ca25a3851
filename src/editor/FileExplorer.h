// The file explorer: a small window in which the editor user walks the asset folders and picks one
// file (a level for "Load", a picture for a button's texture). It keeps one current folder, the row
// of folder names above it (the path bar), the folder's entries and the picked path. The editor
// draws it every frame while it wants a pick, and reads the pick in the frame "Ok" was pressed.
// This file is the explorer without its window; DrawFileExplorer (EditorWindows) draws it.
#pragma once

#include <string>
#include <vector>

inline constexpr const char* kExplorerRoot = "./Assets";

// Makes `path` the current folder when it differs from it (compared as file-system paths).
void SetExplorerFolder(const std::string& path);
const std::string& ExplorerFolder();
// Start of the explorer's frame: clears the pick and, after a folder change, lists the folder again.
// A folder that cannot be listed is reported (ExplorerMessage) and the previous folder stays.
void BeginExplorerFrame();
// The names of the current folder and the folders above it, deepest first, stopping below "Assets".
const std::vector<std::string>& ExplorerPathButtons();
// The current folder's entries as full paths, sorted by name so a recorded session replays alike.
const std::vector<std::string>& ExplorerEntries();
// What went wrong with the last folder asked for; empty when it could be listed.
const std::string& ExplorerMessage();
// Pressing path button `index` (of ExplorerPathButtons) opens that folder.
void PressExplorerPathButton(size_t index);
// Clicking an entry picks it; a folder is opened instead, and the pick is cleared.
void ClickExplorerEntry(size_t index);
// "Ok": the pick is reported in this frame.
void PressExplorerOk();
bool ExplorerPicked();
// The picked path, with the platform's own folder separator; empty when nothing was picked.
std::string PickedPath();
// The picked path as the explorer shows it.
const std::string& ExplorerPickedText();
// The text after the last "/" or "\" of a path.
std::string EntryName(const std::string& path);
// Back to the start: the root folder, nothing picked.
void ResetExplorer();
