#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "editor/EditorModel.h"
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
  static std::vector<std::string> Names() {
    std::vector<std::string> listed;
    for (const std::string& e : ExplorerEntries()) listed.push_back(EntryName(e));
    return listed;
  }
  static bool Listed(const std::string& name) {
    const std::vector<std::string> names = Names();
    return std::find(names.begin(), names.end(), name) != names.end();
  }
  // Shows a folder, or opens the explorer for an action, as the next frame lists it.
  static void Show(const std::string& folder) {
    SetExplorerFolder(folder);
    BeginExplorerFrame();
  }
  static void OpenFor(ExplorerFilter filter) {
    OpenExplorer(filter);
    BeginExplorerFrame();
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

// Ok reports the pick for one frame, even with nothing picked.
TEST_F(FileExplorerTest, OkReportsThePickForOneFrameAndAPickedFileComesOutWithThePlatformsSeparator) {
  PressExplorerOk();
  EXPECT_TRUE(ExplorerPicked());
  EXPECT_EQ(PickedPath(), "");
  BeginExplorerFrame();
  EXPECT_FALSE(ExplorerPicked());

  Open("Levels");
  ClickExplorerEntry(EntryIndex("level1.json"));
  PressExplorerOk();
  const std::string sep(1, static_cast<char>(fs::path::preferred_separator));
  EXPECT_EQ(PickedPath(), "." + sep + "Assets" + sep + "Levels" + sep + "level1.json");
  EXPECT_TRUE(fs::exists(PickedPath()));
}

TEST_F(FileExplorerTest, AFolderThatCannotBeListedIsReportedAndThePreviousOneStays) {
  Open("Levels");
  Show("./Assets/NoSuchFolder");
  EXPECT_NE(ExplorerMessage().find("NoSuchFolder"), std::string::npos);
  EXPECT_EQ(ExplorerPathButtons(), std::vector<std::string>{"Levels"});
  EXPECT_EQ(ExplorerFolder(), "./Assets/Levels");
  EXPECT_LT(EntryIndex("level1.json"), ExplorerEntries().size());
}

TEST_F(FileExplorerTest, AFileWrittenDuringTheSessionIsListedAtTheNextOpenOnAssetsAndOnRefresh) {
  Open("Levels");
  WriteFile(dir_.File("Assets/Levels/saved_now.json"), "{\"Level\":{}}");
  BeginExplorerFrame();
  EXPECT_FALSE(Listed("saved_now.json")) << "read again without being asked";

  // "Load" opens the explorer afresh.
  PressLoad();
  BeginExplorerFrame();
  EXPECT_TRUE(Listed("saved_now.json"));

  // "Assets" while showing "Assets" reads it again.
  Show(kExplorerRoot);
  ASSERT_TRUE(ExplorerPathButtons().empty());
  WriteFile(dir_.File("Assets/fresh.json"), "{\"Level\":{}}");
  Show(kExplorerRoot);
  EXPECT_TRUE(Listed("fresh.json"));
  WriteFile(dir_.File("Assets/later.json"), "{\"Level\":{}}");
  RefreshExplorer();
  BeginExplorerFrame();
  EXPECT_TRUE(Listed("later.json"));
  ResetEditor();
}

TEST_F(FileExplorerTest, AFolderNamedAssetsInsideIsOneMoreButtonOfThePathBar) {
  fs::create_directories(dir_.File("Assets/Levels/Assets/Deep"));
  WriteFile(dir_.File("Assets/Levels/Assets/Deep/inner.json"), "{}");
  Open("Levels");
  Open("Assets");
  Open("Deep");
  EXPECT_EQ(ExplorerPathButtons(), (std::vector<std::string>{"Deep", "Assets", "Levels"}));
  // Each button goes back to its own folder.
  PressExplorerPathButton(1);
  BeginExplorerFrame();
  EXPECT_EQ(fs::path(ExplorerFolder()).lexically_normal(), fs::path("Assets/Levels/Assets"));
  EXPECT_LT(EntryIndex("Deep"), ExplorerEntries().size());
}

TEST_F(FileExplorerTest, AFileNameWithABackslashIsShownWholeAndPickedAsItIsNamed) {
  if (fs::path::preferred_separator == '\\') GTEST_SKIP() << "a backslash separates folders here";
  WriteFile(dir_.File("Assets/odd\\name.png"), "");
  Show(kExplorerRoot);
  const size_t index = EntryIndex("odd\\name.png");
  ASSERT_LT(index, ExplorerEntries().size());
  ClickExplorerEntry(index);
  PressExplorerOk();
  EXPECT_EQ(PickedPath(), "./Assets/odd\\name.png");
  EXPECT_TRUE(fs::exists(PickedPath()));
}

// Each action lists only what it can use; folders are always listed so the user can walk them.
TEST_F(FileExplorerTest, EachActionListsOnlyTheFilesItCanUse) {
  fs::create_directories(dir_.File("Assets/Attributes"));
  WriteFile(dir_.File("Assets/Attributes/player.json"), "{\n\t\"Player\": {\"attributes\": {}}}");
  WriteFile(dir_.File("Assets/Attributes/human.json"), "{\"Human\": {}}");
  WriteFile(dir_.File("Assets/Attributes/notes.txt"), "");
  WriteFile(dir_.File("Assets/Levels/level2.json"), "{\n\t\"Level\":{\n\"Food_Goal\":\"0\"}}");
  WriteFile(dir_.File("Assets/Levels/level2.autosave.json"), "{\"Level\":{}}");
  WriteFile(dir_.File("Assets/Levels/player.json"), "{\"Player\": {}}");
  WriteFile(dir_.File("Assets/Levels/shot.PNG"), "");
  WriteFile(dir_.File("Assets/Levels/sheet.tga"), "");
  SetExplorerFolder("./Assets/Levels");
  OpenFor(ExplorerFilter::Levels);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Old", "level2.json"}));  // "level1.json" holds no level
  OpenFor(ExplorerFilter::Pictures);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Old", "sheet.tga", "shot.PNG"}));
  OpenExplorer(ExplorerFilter::Attributes);
  Show("./Assets/Attributes");
  EXPECT_EQ(Names(), (std::vector<std::string>{"human.json", "player.json"}));
  OpenFor(ExplorerFilter::Everything);
  EXPECT_EQ(Names(), (std::vector<std::string>{"human.json", "notes.txt", "player.json"}));
}

TEST_F(FileExplorerTest, APickTheNewFilterLeavesOutIsDropped) {
  Open("wall.png");
  EXPECT_EQ(ExplorerPickedText(), "./Assets/wall.png");
  OpenFor(ExplorerFilter::Levels);
  EXPECT_EQ(ExplorerPickedText(), "");
}

}  // namespace
