#include <gtest/gtest.h>

#include <filesystem>

#include "editor/FileExplorer.h"
#include "support/TestSupport.h"

using testing_support::TempDir;
using testing_support::WriteFile;

namespace fs = std::filesystem;

namespace {

// An asset folder of its own, made the working folder for the test.
class FileExplorerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = fs::current_path();
    fs::create_directories(dir_.File("Assets/Levels/Old"));
    WriteFile(dir_.File("Assets/Levels/level1.json"), "{}");
    WriteFile(dir_.File("Assets/Levels/Old/level0.json"), "{}");
    WriteFile(dir_.File("Assets/wall.png"), "");
    fs::current_path(dir_.path());
    ResetExplorer();
    BeginExplorerFrame();
  }
  void TearDown() override {
    fs::current_path(old_);
    ResetExplorer();
  }
  size_t EntryIndex(const std::string& name) {
    const auto& entries = ExplorerEntries();
    for (size_t i = 0; i < entries.size(); ++i) {
      if (EntryName(entries[i]) == name) return i;
    }
    ADD_FAILURE() << name << " is not listed";
    return entries.size();
  }
  void Open(const std::string& name) {
    ClickExplorerEntry(EntryIndex(name));
    BeginExplorerFrame();
  }

  TempDir dir_;
  fs::path old_;
};

TEST_F(FileExplorerTest, ThePathBarIsEmptyAtAssetsAndGainsEachFolderOpened) {
  EXPECT_TRUE(ExplorerPathButtons().empty());
  EXPECT_EQ(ExplorerEntries(), (std::vector<std::string>{"./Assets/Levels", "./Assets/wall.png"}));
  Open("Levels");
  EXPECT_EQ(ExplorerPathButtons(), std::vector<std::string>{"Levels"});
  EXPECT_TRUE(ExplorerPickedText().empty());
  Open("Old");
  EXPECT_EQ(ExplorerPathButtons(), (std::vector<std::string>{"Old", "Levels"}));
  EXPECT_EQ(EntryName(ExplorerEntries().at(0)), "level0.json");

  // The shallower button goes back up.
  PressExplorerPathButton(1);
  BeginExplorerFrame();
  EXPECT_EQ(ExplorerPathButtons(), std::vector<std::string>{"Levels"});
  EXPECT_EQ(EntryIndex("level1.json") < ExplorerEntries().size(), true);
}

TEST_F(FileExplorerTest, OkReportsThePickForOneFrameEvenWithNothingPicked) {
  PressExplorerOk();
  EXPECT_TRUE(ExplorerPicked());
  EXPECT_EQ(PickedPath(), "");
  BeginExplorerFrame();
  EXPECT_FALSE(ExplorerPicked());
}

TEST_F(FileExplorerTest, APickedFileComesOutWithThePlatformsSeparator) {
  Open("Levels");
  ClickExplorerEntry(EntryIndex("level1.json"));
  PressExplorerOk();
  const std::string sep(1, static_cast<char>(fs::path::preferred_separator));
  EXPECT_EQ(PickedPath(), "." + sep + "Assets" + sep + "Levels" + sep + "level1.json");
  EXPECT_TRUE(fs::exists(PickedPath()));
}

TEST_F(FileExplorerTest, AFolderThatCannotBeListedIsReportedAndThePreviousOneStays) {
  Open("Levels");
  SetExplorerFolder("./Assets/NoSuchFolder");
  BeginExplorerFrame();
  EXPECT_NE(ExplorerMessage().find("NoSuchFolder"), std::string::npos);
  EXPECT_EQ(ExplorerPathButtons(), std::vector<std::string>{"Levels"});
  EXPECT_EQ(ExplorerFolder(), "./Assets/Levels");
  EXPECT_LT(EntryIndex("level1.json"), ExplorerEntries().size());
}

}  // namespace
