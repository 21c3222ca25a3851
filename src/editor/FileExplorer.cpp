#include "editor/FileExplorer.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Enough of a JSON file to find its first key; level and attribute files open with it.
constexpr size_t kSniffBytes = 512;
constexpr const char* kBackupSuffix = ".autosave.json";

struct ExplorerModule {
  std::string folder = kExplorerRoot;
  std::string shownFolder;  // the folder the lists were built from
  bool folderChanged = true;
  ExplorerFilter filter = ExplorerFilter::Everything;
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

// The folders from the root down to `folder`, deepest first. The path is taken relative to the root,
// so a folder named "Assets" further down is one of them.
std::vector<std::string> PathButtonsOf(const std::string& folder) {
  std::vector<std::string> names;
  const fs::path relative = fs::path(folder).lexically_normal().lexically_relative(fs::path(kExplorerRoot).lexically_normal());
  for (const fs::path& part : relative) {
    const std::string name = part.string();
    if (name.empty() || name == ".") continue;
    if (name == "..") return {};  // outside the root: the root's own button is the way back
    names.push_back(name);
  }
  std::reverse(names.begin(), names.end());
  return names;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The first key of a JSON file ("Level", "Player", "Human" ...); empty when there is none near the top.
std::string FirstKey(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string head(kSniffBytes, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(in.gcount()));
  const size_t open = head.find('"');
  if (open == std::string::npos) return "";
  const size_t close = head.find('"', open + 1);
  return close == std::string::npos ? "" : head.substr(open + 1, close - open - 1);
}

bool ListFolder(const std::string& folder, ExplorerFilter filter, std::vector<std::string>* out, std::string* why) {
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) {
    *why = ec.message();
    return false;
  }
  std::vector<std::string> listed;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    const std::string path = (fs::path(folder) / it->path().filename()).generic_string();
    std::error_code kind;
    if (fs::is_directory(path, kind) || ExplorerAccepts(path, filter)) listed.push_back(path);
  }
  if (ec) {
    *why = ec.message();
    return false;
  }
  std::sort(listed.begin(), listed.end());
  *out = std::move(listed);
  return true;
}

}  // namespace

bool ExplorerAccepts(const std::string& path, ExplorerFilter filter) {
  const std::string lower = Lower(EntryName(path));
  switch (filter) {
    case ExplorerFilter::Everything:
      return true;
    case ExplorerFilter::Pictures: {
      static const char* const kPictures[] = {".png", ".jpg", ".jpeg", ".bmp", ".gif", ".tga", ".tif", ".tiff", ".webp"};
      return std::any_of(std::begin(kPictures), std::end(kPictures), [&](const char* e) { return EndsWith(lower, e); });
    }
    case ExplorerFilter::Levels:
      return EndsWith(lower, ".json") && !EndsWith(lower, kBackupSuffix) && FirstKey(path) == "Level";
    case ExplorerFilter::Attributes: {
      if (!EndsWith(lower, ".json")) return false;
      const std::string key = FirstKey(path);
      return key == "Player" || key == "Human";
    }
  }
  return false;
}

void OpenExplorer(ExplorerFilter filter) {
  ExplorerModule& m = Module();
  m.filter = filter;
  m.picked.clear();
  m.pickedNow = false;
  m.message.clear();
  m.folderChanged = true;
}

ExplorerFilter ExplorerFilterInUse() { return Module().filter; }

void RefreshExplorer() { Module().folderChanged = true; }

void SetExplorerFolder(const std::string& path) {
  ExplorerModule& m = Module();
  // Asking for the folder already shown reads it again: it may have changed on disk.
  if (!SameFolder(path, m.folder)) m.folder = path;
  m.folderChanged = true;
}

const std::string& ExplorerFolder() { return Module().folder; }

void BeginExplorerFrame() {
  ExplorerModule& m = Module();
  m.pickedNow = false;
  if (!m.folderChanged) return;
  m.folderChanged = false;
  std::vector<std::string> entries;
  std::string why;
  if (!ListFolder(m.folder, m.filter, &entries, &why)) {
    m.message = "Cannot open the folder " + m.folder + ": " + why;
    // Keep showing the folder that could be listed, as it is now.
    if (m.shownFolder.empty() || SameFolder(m.shownFolder, m.folder)) return;
    m.folder = m.shownFolder;
    if (ListFolder(m.folder, m.filter, &entries, &why)) m.entries = std::move(entries);
    return;
  }
  m.message.clear();
  m.shownFolder = m.folder;
  m.entries = std::move(entries);
  m.pathButtons = PathButtonsOf(m.folder);
  // A pick that is no longer listed (another filter, a file gone) is no pick.
  if (std::find(m.entries.begin(), m.entries.end(), m.picked) == m.entries.end()) m.picked.clear();
}

const std::vector<std::string>& ExplorerPathButtons() { return Module().pathButtons; }
const std::vector<std::string>& ExplorerEntries() { return Module().entries; }
const std::string& ExplorerMessage() { return Module().message; }
void SetExplorerMessage(const std::string& message) { Module().message = message; }

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
  m.message.clear();
  std::error_code ec;
  if (fs::is_directory(entry, ec)) {
    SetExplorerFolder(entry);
    m.picked.clear();
  }
}

void PressExplorerOk() { Module().pickedNow = true; }
bool ExplorerPicked() { return Module().pickedNow; }

std::string PickedPath() {
  // Written with this platform's separator. Only a real separator is changed: on Linux a "\" is an
  // ordinary character of a file name.
  return fs::path(Module().picked).make_preferred().string();
}

const std::string& ExplorerPickedText() { return Module().picked; }

std::string EntryName(const std::string& path) {
  fs::path p(path);
  // A trailing separator leaves an empty last component.
  while (!p.empty() && p.filename().empty() && p.parent_path() != p) p = p.parent_path();
  return p.filename().string();
}

void ResetExplorer() { Module() = ExplorerModule{}; }
