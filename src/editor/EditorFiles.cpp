#include "editor/EditorFiles.h"

#include <algorithm>
#include <filesystem>

#include "editor/EditorState.h"
#include "editor/FileExplorer.h"
#include "editor/LevelSaver.h"
#include "editor/RecordBuilder.h"
#include "graphics/Texture.h"
#include "objects/GameObject.h"
#include "platform/GameFolders.h"
#include "platform/ImageDecoder.h"
#include "scenes/Level.h"

namespace {

constexpr size_t kBufferLength = 255;
constexpr const char* kLevelFolder = "./Assets/Levels/";

// True when the file decodes as the texture loader would decode it.
bool IsPictureFile(const std::string& path) {
  const std::string extension = std::filesystem::path(path).extension().string();
  if (extension == ".tga") return ReadTga32File(path, platform::kMaxImageSide).has_value();
  return platform::DecodeImageFile(path, 1).has_value();
}

std::string Trimmed(std::string text) {
  if (text.size() > kBufferLength) text.resize(kBufferLength);
  return text;
}

// Writes the edited level to `path`; on failure the reason is kept for the dialog or the error box.
bool SaveEditedLevelTo(const std::string& path, bool saveAs) {
  EditorState& s = Editor();
  Level* level = EditedLevel();
  s.saveFailure.clear();
  if (level == nullptr) {
    s.saveFailure = "There is no level to save.";
    return false;
  }
  return WriteEditedLevel(*level, path, s.shownFile, saveAs, &s.saveFailure);
}

}  // namespace

bool EditorSaveLevel() {
  const Level* level = EditedLevel();
  return SaveEditedLevelTo(level != nullptr ? SaveFileOf(*level) : std::string(), false);
}

bool SaveLevelAs(const std::string& path) { return SaveEditedLevelTo(path, true); }

std::string LevelPathFor(const std::string& text) {
  std::string path = text;
  const bool bare = path.find('/') == std::string::npos && path.find('\\') == std::string::npos;
  if (bare && !path.empty()) path = kLevelFolder + path;
  if (path.size() < 5 || path.compare(path.size() - 5, 5, ".json") != 0) path += ".json";
  // Absolute as the platform reads paths: "/..." here, a drive or a network share on Windows too.
  if (path.rfind("./", 0) != 0 && !PathFromUtf8(path).is_absolute()) path = "./" + path;
  return path;
}

std::string EditedLevelLabel() {
  const Level* level = EditedLevel();
  if (level == nullptr) return "no level";
  const std::string file = SaveFileOf(*level);
  return SceneLabel(*level) + ": " + (file.empty() ? std::string("no file") : file);
}

void PressSave() {
  EditorState& s = Editor();
  const Level* level = EditedLevel();
  if (level == nullptr) return;
  if (SaveFileOf(*level).empty()) {
    PressSaveAs();
    return;
  }
  if (!EditorSaveLevel()) {
    ShowErrorBox("Failed to save File: " + SaveFileOf(*level) + "\n" + s.saveFailure, s.errorPosition[0],
                 s.errorPosition[1]);
  }
}

void PressSaveAs() {
  EditorState& s = Editor();
  // The dialog offers the name of the level shown now, every time it opens.
  const Level* level = EditedLevel();
  std::string path = level != nullptr ? SaveFileOf(*level) : std::string();
  // A level of the levels folder is shown by its bare name, as the dialog frames it.
  const std::string folder = "Assets/Levels/";
  size_t at = path.find(folder);
  if (at != std::string::npos && path.find_first_of("/\\", at + folder.size()) == std::string::npos) {
    path = path.substr(at + folder.size(), path.size() - 5 - at - folder.size());
  } else {
    path = path.substr(path.find_last_of("/\\") + 1);
    if (path.size() >= 5) path.resize(path.size() - 5);
  }
  s.pathBuffer = Trimmed(path);
  s.saveDialogOpen = true;
  s.saveFailed = false;
  s.replaceAsked = false;
}

void StartLoading() {
  Editor().loadInProgress = true;
  OpenExplorer(ExplorerFilter::Levels);
}

void StartTexturePick(const std::string& object) {
  Editor().texturePickFor = object;
  OpenExplorer(ExplorerFilter::Pictures);
}

bool TexturePicked(const std::string& path) {
  EditorState& s = Editor();
  GameObject* object = FindLiveObject(s.texturePickFor);
  ModelLookValues before;
  // The level lists its pictures relative to the asset folder, with "/" between folders.
  std::string entry = std::filesystem::path(path).generic_string();
  const std::string root = "./Assets/";
  if (object == nullptr || !ReadModelLook(*object, &before) || entry.rfind(root, 0) != 0 ||
      entry.size() == root.size()) {
    ShowErrorBox("Could not open the file", s.errorPosition[0], s.errorPosition[1]);
    return false;
  }
  // Every start of the level loads the pictures it lists: a file that is not one must never join.
  if (!IsPictureFile(entry)) {
    SetExplorerMessage(EntryName(entry) + " is not a picture the game can show");
    ShowErrorBox("Could not open the file", s.errorPosition[0], s.errorPosition[1]);
    return false;
  }
  entry = entry.substr(root.size());
  TextureManager::Load(root + entry);
  ModelLookValues after = before;
  after.texture = TextureNameOf(entry);
  if (std::find(after.levelTextures.begin(), after.levelTextures.end(), entry) == after.levelTextures.end()) {
    after.levelTextures.push_back(entry);
  }
  RunEditorCommand(SetModelLookCommand(object->name, before, after));
  EditorHistory().EndMerge();
  s.texturePickFor.clear();
  return true;
}

void StartAttributePick() {
  Editor().attributePickOpen = true;
  OpenExplorer(ExplorerFilter::Attributes);
  SetExplorerFolder(std::string(kExplorerRoot) + "/Attributes");
}

bool AttributePicked(const std::string& path) {
  namespace fs = std::filesystem;
  EditorState& s = Editor();
  const fs::path folder = fs::path(kExplorerRoot) / "Attributes";
  const fs::path relative = fs::path(path).lexically_normal().lexically_relative(folder.lexically_normal());
  const std::string name = relative.generic_string();
  const bool inFolder = !relative.empty() && name.rfind("..", 0) != 0 && name != ".";
  if (!inFolder || relative.extension() != ".json" || !ExplorerAccepts(path, ExplorerFilter::Attributes)) {
    SetExplorerMessage("Attribute files are read from ./Assets/Attributes/");
    return false;
  }
  s.attributeBuffer = name.substr(0, name.size() - 5);
  s.attributeLoadFailed = false;
  s.attributePickOpen = false;
  return true;
}

void RemoveTexture(const std::string& object) {
  GameObject* live = FindLiveObject(object);
  ModelLookValues before;
  if (live == nullptr || !ReadModelLook(*live, &before)) return;
  ModelLookValues after = before;
  after.texture.clear();
  RunEditorCommand(SetModelLookCommand(object, before, after));
  EditorHistory().EndMerge();
}
