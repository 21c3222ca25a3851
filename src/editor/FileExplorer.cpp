#include "editor/FileExplorer.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

struct ExplorerModule {
  std::string folder = kExplorerRoot;
  std::string shownFolder;  // the folder the lists were built from
  bool folderChanged = true;
  std::vector<std::string> pathButtons;
  std::vector<std::string> entries;
  std::string picked;
  bool pickedNow = false;
  std::string message;
};

ExplorerModule& Module() {
  static ExplorerModule module;
  return module;
}

bool SameFolder(const std::string& a, const std::string& b) {
  return fs::path(a).lexically_normal() == fs::path(b).lexically_normal();
}

std::vector<std::string> PathButtonsOf(const std::string& folder) {
  std::vector<std::string> names;
  fs::path path = fs::path(folder).lexically_normal();
  while (!path.empty()) {
    std::string last = path.filename().string();
    if (last.empty()) {  // a trailing separator
      path = path.parent_path();
      continue;
    }
    if (last == "Assets" || last == "." || last == "..") break;
    names.push_back(last);
    fs::path parent = path.parent_path();
    if (parent == path) break;
    path = parent;
  }
  return names;
}

bool ListFolder(const std::string& folder, std::vector<std::string>* out, std::string* why) {
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) {
    *why = ec.message();
    return false;
  }
  out->clear();
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    out->push_back((fs::path(folder) / it->path().filename()).generic_string());
  }
  if (ec) {
    *why = ec.message();
    return false;
  }
  std::sort(out->begin(), out->end());
  return true;
}

}  // namespace

void SetExplorerFolder(const std::string& path) {
  if (SameFolder(path, Module().folder)) return;
  Module().folder = path;
  Module().folderChanged = true;
}

const std::string& ExplorerFolder() { return Module().folder; }

void BeginExplorerFrame() {
  ExplorerModule& m = Module();
  m.pickedNow = false;
  if (!m.folderChanged) return;
  m.folderChanged = false;
  std::vector<std::string> entries;
  std::string why;
  if (!ListFolder(m.folder, &entries, &why)) {
    m.message = "Cannot open the folder " + m.folder + ": " + why;
    // Keep showing the folder that could be listed.
    if (!m.shownFolder.empty()) m.folder = m.shownFolder;
    return;
  }
  m.message.clear();
  m.shownFolder = m.folder;
  m.entries = std::move(entries);
  m.pathButtons = PathButtonsOf(m.folder);
}

const std::vector<std::string>& ExplorerPathButtons() { return Module().pathButtons; }
const std::vector<std::string>& ExplorerEntries() { return Module().entries; }
const std::string& ExplorerMessage() { return Module().message; }

void PressExplorerPathButton(size_t index) {
  const auto& buttons = Module().pathButtons;
  if (index >= buttons.size()) return;
  // Buttons are deepest first; the path runs from the shallowest down to the pressed one.
  fs::path path = kExplorerRoot;
  for (size_t i = buttons.size(); i-- > index;) path /= buttons[i];
  SetExplorerFolder(path.generic_string());
}

void ClickExplorerEntry(size_t index) {
  ExplorerModule& m = Module();
  if (index >= m.entries.size()) return;
  const std::string entry = m.entries[index];
  m.picked = entry;
  std::error_code ec;
  if (fs::is_directory(entry, ec)) {
    SetExplorerFolder(entry);
    m.picked.clear();
  }
}

void PressExplorerOk() { Module().pickedNow = true; }
bool ExplorerPicked() { return Module().pickedNow; }

std::string PickedPath() {
  std::string path = Module().picked;
  // Paths go out with this platform's separator, whichever one they were written with.
  for (char& c : path) {
    if (c == '/' || c == '\\') c = static_cast<char>(fs::path::preferred_separator);
  }
  return path;
}

const std::string& ExplorerPickedText() { return Module().picked; }

std::string EntryName(const std::string& path) {
  size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

void ResetExplorer() { Module() = ExplorerModule{}; }
