#include "platform/GameFolders.h"

#include <system_error>

#include "platform/Platform.h"

namespace fs = std::filesystem;

namespace {

struct FoldersModule {
  bool asked = false;  // the platform has been asked for the per-user folder
  std::string user;
};

FoldersModule& Module() {
  static FoldersModule module;
  return module;
}

bool HoldsData(const fs::path& folder) {
  std::error_code ec;
  return fs::is_directory(folder / "Shaders", ec) && fs::is_directory(folder / "Assets", ec);
}

std::string WithSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
  return folder;
}

}  // namespace

fs::path PathFromUtf8(const std::string& text) {
  return fs::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8FromPath(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::string FindDataFolder(const std::string& exeDir, std::string* looked) {
  const fs::path beside = PathFromUtf8(exeDir.empty() ? "." : exeDir);
  // An installed game: the executable in PREFIX/bin, its data in PREFIX/share/quillmarch.
  const fs::path installed = (beside / ".." / "share" / "quillmarch").lexically_normal();
  for (const fs::path& folder : {beside, installed}) {
    if (HoldsData(folder)) return WithSeparator(Utf8FromPath(folder));
  }
  if (looked != nullptr) *looked = Utf8FromPath(beside) + " and " + Utf8FromPath(installed);
  return {};
}

const std::string& UserFolder() {
  FoldersModule& m = Module();
  if (!m.asked) {
    m.user = WithSeparator(platform::UserDataDirectory());
    m.asked = true;
  }
  return m.user;
}

void SetUserFolder(std::string folder) {
  Module().user = WithSeparator(std::move(folder));
  Module().asked = !Module().user.empty();
}

std::string UserFilePath(const std::string& name) {
  const std::string& folder = UserFolder();
  if (folder.empty() || name.empty()) return {};
  const fs::path path = PathFromUtf8(folder + name);
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  if (ec || !fs::is_directory(path.parent_path(), ec)) return {};
  return Utf8FromPath(path);
}
