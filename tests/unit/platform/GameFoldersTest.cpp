// Where the game finds its data (beside the executable, or ../share/quillmarch from it when
// installed) and where the player's own files go.
#include "platform/GameFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/TestSupport.h"

using testing_support::TempDir;
namespace fs = std::filesystem;

namespace {

void MakeData(const fs::path& folder) {
  fs::create_directories(folder / "Shaders");
  fs::create_directories(folder / "Assets");
}

class UserFolderTest : public ::testing::Test {
 protected:
  void TearDown() override { SetUserFolder(""); }
  TempDir dir_;
};

}  // namespace

TEST(GameFoldersTest, DataIsFoundBesideTheExecutableFirstThenInTheInstalledShareFolder) {
  TempDir prefix;
  const fs::path bin = fs::path(prefix.path()) / "bin";
  fs::create_directories(bin);
  std::string looked;
  EXPECT_EQ(FindDataFolder(bin.string() + "/", &looked), "");
  EXPECT_NE(looked.find(bin.string()), std::string::npos) << looked;
  EXPECT_NE(looked.find("share/quillmarch"), std::string::npos) << looked;

  // Installed: PREFIX/bin/quillmarch and PREFIX/share/quillmarch, wherever PREFIX is.
  MakeData(fs::path(prefix.path()) / "share" / "quillmarch");
  EXPECT_EQ(FindDataFolder(bin.string() + "/", nullptr), prefix.path() + "/share/quillmarch/");
  EXPECT_EQ(FindDataFolder(bin.string(), nullptr), prefix.path() + "/share/quillmarch/");

  // A build folder holds its own data beside the executable, which wins; half of it is no data.
  fs::create_directories(bin / "Shaders");
  EXPECT_EQ(FindDataFolder(bin.string() + "/", nullptr), prefix.path() + "/share/quillmarch/");
  MakeData(bin);
  EXPECT_EQ(FindDataFolder(bin.string() + "/", nullptr), bin.string() + "/");
}

TEST(GameFoldersTest, Utf8PathsSurviveTheRoundTrip) {
  const std::string name = "sp\xC3\xA4ter/\xE2\x98\x83.json";  // "später/☃.json"
  EXPECT_EQ(Utf8FromPath(PathFromUtf8(name)), name);
  EXPECT_EQ(Utf8FromPath(PathFromUtf8(name).filename()), "\xE2\x98\x83.json");
}

TEST_F(UserFolderTest, APathInThePlayersFolderHasItsFoldersMadeAndWithoutTheFolderNoPathIsGiven) {
  SetUserFolder(dir_.path());
  EXPECT_EQ(UserFolder(), dir_.path() + "/");
  const std::string path = UserFilePath("Backups/Assets/Levels/a.autosave.json");
  EXPECT_EQ(path, dir_.path() + "/Backups/Assets/Levels/a.autosave.json");
  EXPECT_TRUE(fs::is_directory(dir_.File("Backups/Assets/Levels")));
  EXPECT_FALSE(fs::exists(path)) << "only the folders";

  // A file stands where the folder should be: nothing can be made below it.
  testing_support::WriteFile(dir_.File("taken"), "x");
  SetUserFolder(dir_.File("taken"));
  EXPECT_EQ(UserFilePath("Settings.lullwick"), "");
  EXPECT_EQ(UserFilePath("Backups/a.json"), "");
}

TEST_F(UserFolderTest, ThePlatformsFolderIsUnderXdgDataHome) {
  SetUserFolder("");
  const char* home = std::getenv("XDG_DATA_HOME");
  ASSERT_NE(home, nullptr);
  EXPECT_EQ(UserFolder(), std::string(home) + "/quillmarch/");
  EXPECT_TRUE(fs::is_directory(UserFolder())) << "made on first use";
}
