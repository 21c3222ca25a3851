// The smallest editing session: a scene list holding one level built from the given records,
// started as the scene manager starts it, with the editor stopped over it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/EditorLink.h"
#include "editor/EditorFiles.h"
#include "editor/EditorModel.h"
#include "editor/EditorState.h"
#include "editor/EditorTools.h"
#include "editor/EditorTuning.h"
#include "editor/FileExplorer.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/Level.h"
#include "scenes/PathNode.h"
#include "scenes/SceneManager.h"
#include "support/SceneWorld.h"
#include "support/TestSupport.h"

namespace editor_test {

using testing_support::Record;

class EditorFixture : public testing_support::SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    GetEditorLink().enabled = true;
    GetEditorLink().stopped = true;
    ResetEditor();
    ResetExplorer();
  }
  void TearDown() override {
    if (!oldFolder_.empty()) std::filesystem::current_path(oldFolder_);
    SceneTest::TearDown();
    ResetEditor();
  }

  // Makes the test's folder, with these folders in it, the working folder until the test ends.
  void WorkInTestFolder(std::initializer_list<const char*> folders) {
    for (const char* folder : folders) std::filesystem::create_directories(dir_.File(folder));
    oldFolder_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
  }

  // Starts a level holding the records (its path is `path`).
  Level* StartLevel(const std::vector<ObjectRecord>& records, const std::string& path = "level_test.json") {
    Level* scene = testing_support::AddTestScene(scene_id::kLevel1, path, records);
    RequestScene(scene);
    SceneState().currentScene = -1;  // force the change on the first update
    UpdateScenes(0.0f);
    return scene;
  }

  // One pass of the tools with the cursor over a world point.
  void Pass(float x, float y, bool leftDown, bool ctrl = false, bool deleteKey = false) {
    PointerInput in;
    in.worldX = x;
    in.worldY = y;
    in.leftDown = leftDown;
    in.ctrl = ctrl;
    in.deletePressed = deleteKey;
    RunTools(in);
  }
  void Click(float x, float y, bool ctrl = false) {
    Pass(x, y, true, ctrl);
    Pass(x, y, false, ctrl);
  }
  // Places an object of that type with the place tool, then goes back to selecting.
  void Place(ObjectType type, float x, float y) {
    Editor().tool = EditorTool::PlaceObject;
    Editor().placeType = static_cast<int>(type);
    Click(x, y);
    Editor().tool = EditorTool::Select;
  }
  // Press at `from`, hold while moving to `to`, release there.
  void Drag(float fromX, float fromY, float toX, float toY) {
    Pass(fromX, fromY, true);
    Pass(toX, toY, true);
    Pass(toX, toY, false);
  }

  // Saves the level as the test folder's file `name`; its text.
  std::string SaveTo(const std::string& name) {
    EXPECT_TRUE(SaveLevelAs(dir_.File(name)));
    return testing_support::ReadFile(dir_.File(name));
  }
  // Saves the level as `name` and reads that file back.
  std::unique_ptr<Level> SaveAndReadBack(const std::string& name) {
    return LoadLevelFromText(SaveTo(name), dir_.File(name));
  }
  // Run, then Stop: the scene starts again from the records.
  static void RunAndStop() {
    RunLevel();
    StopLevel();
    UpdateScenes(0.0f);
  }

  static float X(const std::string& name) { return FindLiveObject(name)->GetTransform()->position[0]; }
  static float Y(const std::string& name) { return FindLiveObject(name)->GetTransform()->position[1]; }
  static std::vector<std::string> Selection() { return Editor().selection; }
  // Ends the frame: marked objects leave the list.
  static void EndFrame() {
    for (GameObject* o : std::vector<GameObject*>(Objects())) DestroyIfMarked(o);
  }

  testing_support::TempDir dir_;
  std::filesystem::path oldFolder_;
};

}  // namespace editor_test
