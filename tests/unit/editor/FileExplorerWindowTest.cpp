// The file explorer's window, built by Dear ImGui without a display and clicked through the input
// tables as a user would: what is under the cursor must be what gets picked.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/Input.h"
#include "editor/EditorWindows.h"
#include "editor/FileExplorer.h"
#include "editor/ImGuiLayer.h"
#include "imgui.h"
#include "support/TestSupport.h"

using testing_support::TempDir;
using testing_support::WriteFile;

namespace fs = std::filesystem;

namespace {

class FileExplorerWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = fs::current_path();
    fs::create_directories(dir_.File("Assets/Levels/zone"));
    for (const char* name : {"a.json", "b.json", "c.json"}) WriteFile(dir_.File(std::string("Assets/Levels/") + name), "{}");
    fs::current_path(dir_.path());
    ResetExplorer();
    SetExplorerFolder("./Assets/Levels");
    StartImGuiLayer();
    Input() = InputTables{};
    for (int i = 0; i < 3; ++i) Frame(0, 0, false);
  }
  void TearDown() override {
    StopImGuiLayer();
    Input() = InputTables{};
    fs::current_path(old_);
    ResetExplorer();
  }
  // One pass with the cursor at (x, y) and the left button as given, the explorer at a fixed place.
  static void Frame(int x, int y, bool down) {
    Input().mouse.x = x;
    Input().mouse.y = y;
    Input().mouse.heldLeft = down;
    BeginImGuiFrame(0.02f);
    ImGui::SetNextWindowPos(ImVec2(100.0f, 100.0f), ImGuiCond_Always);
    ImGui::SetNextWindowSize(ImVec2(420.0f, 320.0f), ImGuiCond_Always);
    DrawFileExplorer();
    EndImGuiFrame();
  }
  static void Click(int x, int y) {
    Frame(x, y, false);
    Frame(x, y, true);
    Frame(x, y, false);
  }
  // The height at which a click picks the entry named `name`; -1 when none does.
  static int RowOf(const std::string& name) {
    for (int y = 120; y < 420; y += 4) {
      Click(200, y);
      if (EntryName(ExplorerPickedText()) == name) return y;
    }
    return -1;
  }

  TempDir dir_;
  fs::path old_;
};

TEST_F(FileExplorerWindowTest, AMessageNeverMovesTheRowsSoAClickStillPicksTheRowUnderTheCursor) {
  const int row = RowOf("c.json");
  ASSERT_GT(row, 0);
  ASSERT_GT(RowOf("a.json"), 0);
  // A folder that went away between listing and click: the explorer says so and stays.
  fs::remove(dir_.File("Assets/Levels/zone"));
  SetExplorerFolder("./Assets/Levels/zone");
  Frame(0, 0, false);
  ASSERT_FALSE(ExplorerMessage().empty());
  Click(200, row);
  EXPECT_EQ(EntryName(ExplorerPickedText()), "c.json");
}

}  // namespace
