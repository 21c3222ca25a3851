// The file explorer: a small window in which the editor user walks the asset folders and picks one
// file (a level for "Load", a picture for a button's texture, an attribute file). It keeps one
// current folder, the row of folder names from "Assets" down to it (the path bar), the folder's
// entries and the picked path. Each action opens it with a filter, so only the files that action can
// use are listed (folders always are); the folder is read again at every open, on "refresh" and on
// every press of a path button, so files written during the session show up. The editor draws it
// every frame while it wants a pick, and reads the pick in the frame "Ok" was pressed.
// This file is the explorer without its window; DrawFileExplorer (EditorWindows) draws it.
#pragma once

#include <string>
#include <vector>

inline constexpr const char* kExplorerRoot = "./Assets";

// What an action can use.
enum class ExplorerFilter {
  Everything,
  Levels,      // level files (".json" holding a "Level"); a level's own backup is not offered
  Pictures,    // files the texture loader decodes, by their extension
  Attributes,  // attribute files (".json" holding a "Player" or "Human" section)
};

// Opens the explorer for an action: the filter applies, the current folder is read again at the
// start of the next frame, and nothing is picked.
void OpenExplorer(ExplorerFilter filter);
ExplorerFilter ExplorerFilterInUse();
// "refresh": the current folder is read again at the start of the next frame.
void RefreshExplorer();
// Makes `path` the current folder (read at the start of the next frame).
void SetExplorerFolder(const std::string& path);
const std::string& ExplorerFolder();
// Start of the explorer's frame: clears the pick and, after a folder change or a refresh, lists the
// folder again. A folder that cannot be listed is reported (ExplorerMessage) and the previous
// folder stays, with its entries read again.
void BeginExplorerFrame();
// The names of the current folder and the folders above it, deepest first, up to the folder below
// "./Assets" (a folder inside that happens to be named "Assets" is a button like any other).
const std::vector<std::string>& ExplorerPathButtons();
// The current folder's entries as full paths, sorted by name so a recorded session replays alike;
// files the filter leaves out are not listed.
const std::vector<std::string>& ExplorerEntries();
// What went wrong with the last folder asked for or the last pick; empty when nothing did.
const std::string& ExplorerMessage();
// Shows a message about the pick (a picked file the action could not use).
void SetExplorerMessage(const std::string& message);
// Pressing path button `index` (of ExplorerPathButtons) opens that folder.
void PressExplorerPathButton(size_t index);
// Clicking an entry picks it; a folder is opened instead, and the pick is cleared.
void ClickExplorerEntry(size_t index);
// "Ok": the pick is reported in this frame.
void PressExplorerOk();
bool ExplorerPicked();
// The picked path as the file system names it; empty when nothing was picked.
std::string PickedPath();
// The picked path as the explorer shows it.
const std::string& ExplorerPickedText();
// The last component of an entry's path (on this platform: a "\" in a Linux file name is part of
// the name).
std::string EntryName(const std::string& path);
// True when the explorer would list the file under `filter` (the file is read for the JSON kinds).
bool ExplorerAccepts(const std::string& path, ExplorerFilter filter);
// Back to the start: the root folder, no filter, nothing picked.
void ResetExplorer();
