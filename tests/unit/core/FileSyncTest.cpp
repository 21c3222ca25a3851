// The one atomic writer every save goes through: what it does with links, read-only files, folders
// and whatever already sits at the name of its temporary file. Each case checks that nothing but
// the file asked for changed, and that a refusal says why.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

#include "core/FileSync.h"
#include "support/TestSupport.h"

using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace fs = std::filesystem;

namespace {

// The names in a folder, so a test can see that no temporary file was left behind.
std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

bool IsLink(const std::string& path) { return fs::is_symlink(fs::symlink_status(path)); }

class FileSyncTest : public ::testing::Test {
 protected:
  void TearDown() override { files::SetReplaceFaultForTesting(files::ReplaceFault::None); }

  // Replaces `path` and expects a refusal whose reason names `word` and the file.
  void ExpectRefused(const std::string& path, const std::string& word) {
    std::string error;
    EXPECT_FALSE(files::ReplaceFileContents(path, "new", &error));
    EXPECT_NE(error.find(word), std::string::npos) << error;
    EXPECT_NE(error.find(fs::path(path).filename().string()), std::string::npos) << error;
  }

  TempDir dir;
};

// ---- Whatever sits at the temporary file's name is never followed, reused or removed -------------

TEST_F(FileSyncTest, ALinkAtTheTemporaryNameIsNotFollowed) {
  const std::string level = dir.File("level1.json");
  WriteFile(level, "old");
  WriteFile(dir.File("victim.txt"), "precious");
  fs::create_symlink("victim.txt", files::TempPathFor(level));
  std::string error;
  ASSERT_TRUE(files::ReplaceFileContents(level, "new", &error)) << error;
  EXPECT_EQ(ReadFile(dir.File("victim.txt")), "precious");
  EXPECT_EQ(ReadFile(level), "new");
  EXPECT_FALSE(IsLink(level));
  EXPECT_TRUE(IsLink(files::TempPathFor(level)));  // not ours to remove
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"level1.json", "level1.json.saving", "victim.txt"}));

  // A dangling link creates nothing where it points.
  const std::string other = dir.File("level2.json");
  fs::create_symlink(dir.File("planted.json"), files::TempPathFor(other));
  ASSERT_TRUE(files::ReplaceFileContents(other, "new"));
  EXPECT_FALSE(fs::exists(dir.File("planted.json")));
  EXPECT_EQ(ReadFile(other), "new");
}

TEST_F(FileSyncTest, ALeftoverFileOrFolderAtTheTemporaryNameIsLeftAlone) {
  const std::string level = dir.File("level1.json");
  WriteFile(files::TempPathFor(level), "another save's half");
  ASSERT_TRUE(files::ReplaceFileContents(level, "first"));
  EXPECT_EQ(ReadFile(files::TempPathFor(level)), "another save's half");
  EXPECT_EQ(ReadFile(level), "first");

  const std::string other = dir.File("level2.json");
  fs::create_directory(files::TempPathFor(other));
  ASSERT_TRUE(files::ReplaceFileContents(other, "second"));
  EXPECT_TRUE(fs::is_directory(files::TempPathFor(other)));
  EXPECT_EQ(ReadFile(other), "second");
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"level1.json", "level1.json.saving", "level2.json",
                                                      "level2.json.saving"}));
}

// ---- Read-only files and folders are refused with the reason ------------------------------------

TEST_F(FileSyncTest, AReadOnlyFileOrAFolderAtTheTargetIsRefusedAndKept) {
  const std::string level = dir.File("level1.json");
  WriteFile(level, "old");
  fs::permissions(level, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  ExpectRefused(level, "read-only");
  EXPECT_EQ(ReadFile(level), "old");
  EXPECT_EQ(fs::status(level).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(Names(dir.path()), std::set<std::string>{"level1.json"});

  fs::create_directory(dir.File("taken.json"));
  ExpectRefused(dir.File("taken.json"), "folder");
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"level1.json", "taken.json"}));
}

TEST_F(FileSyncTest, AFileKeepsItsPermissionsWhenReplacedAndBytesAreWrittenExactly) {
  const std::string level = dir.File("level1.json");
  WriteFile(level, "old");
  const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(level, mode);
  ASSERT_TRUE(files::ReplaceFileContents(level, "new"));
  EXPECT_EQ(fs::status(level).permissions() & fs::perms::all, mode);

  std::string bytes("\x89PNG\r\n\x1a\n\0\0\xff", 11);
  ASSERT_TRUE(files::ReplaceFileBytes(dir.File("shot.png"), bytes));
  EXPECT_EQ(ReadFile(dir.File("shot.png")), bytes);
}

// ---- Links are written through, atomically --------------------------------------------------------

TEST_F(FileSyncTest, ALinkIsWrittenThroughToItsTargetAndStaysALink) {
  fs::create_directory(dir.File("shared"));
  fs::create_directory(dir.File("levels"));
  WriteFile(dir.File("shared/level1.json"), "old");
  fs::create_symlink("../shared/level1.json", dir.File("levels/level1.json"));
  fs::create_symlink("level1.json", dir.File("levels/again.json"));  // a link to the link

  std::string error;
  ASSERT_TRUE(files::ReplaceFileContents(dir.File("levels/level1.json"), "new", &error)) << error;
  EXPECT_TRUE(IsLink(dir.File("levels/level1.json")));
  EXPECT_EQ(ReadFile(dir.File("shared/level1.json")), "new");
  ASSERT_TRUE(files::ReplaceFileContents(dir.File("levels/again.json"), "newer", &error)) << error;
  EXPECT_TRUE(IsLink(dir.File("levels/again.json")));
  EXPECT_EQ(ReadFile(dir.File("shared/level1.json")), "newer");
  EXPECT_EQ(Names(dir.File("shared")), std::set<std::string>{"level1.json"});
  EXPECT_EQ(Names(dir.File("levels")), (std::set<std::string>{"again.json", "level1.json"}));

  // A failed write through the link leaves the target whole and no temporary file anywhere.
  files::SetReplaceFaultForTesting(files::ReplaceFault::Rename);
  EXPECT_FALSE(files::ReplaceFileContents(dir.File("levels/level1.json"), "lost"));
  EXPECT_EQ(ReadFile(dir.File("shared/level1.json")), "newer");
  EXPECT_EQ(Names(dir.File("shared")), std::set<std::string>{"level1.json"});
  EXPECT_TRUE(IsLink(dir.File("levels/level1.json")));

  // A link to a missing file creates that file.
  files::SetReplaceFaultForTesting(files::ReplaceFault::None);
  fs::create_symlink("../shared/level2.json", dir.File("levels/level2.json"));
  ASSERT_TRUE(files::ReplaceFileContents(dir.File("levels/level2.json"), "new"));
  EXPECT_TRUE(IsLink(dir.File("levels/level2.json")));
  EXPECT_EQ(ReadFile(dir.File("shared/level2.json")), "new");
}

TEST_F(FileSyncTest, ALinkToAReadOnlyFileOrInACircleIsRefused) {
  WriteFile(dir.File("locked.json"), "old");
  fs::permissions(dir.File("locked.json"), fs::perms::owner_read);
  fs::create_symlink("locked.json", dir.File("level1.json"));
  ExpectRefused(dir.File("level1.json"), "read-only");
  EXPECT_EQ(ReadFile(dir.File("locked.json")), "old");
  EXPECT_TRUE(IsLink(dir.File("level1.json")));

  fs::create_symlink("b.json", dir.File("a.json"));
  fs::create_symlink("a.json", dir.File("b.json"));
  ExpectRefused(dir.File("a.json"), "link");
  EXPECT_TRUE(IsLink(dir.File("a.json")));
  EXPECT_TRUE(IsLink(dir.File("b.json")));
}

}  // namespace
