// The smallest editing session: a scene list holding one level built from the given records,
// started as the scene manager starts it, with the editor stopped over it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/EditorLink.h"
#include "editor/EditorModel.h"
#include "editor/FileExplorer.h"
#include "gameplay/PathNode.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"

namespace editor_test {

inline ObjectRecord Record(ObjectType type, const std::string& id, float x, float y, float sx = 100.0f,
                           float sy = 100.0f) {
  ObjectRecord r;
  r.id = id;
  r.type = static_cast<int32_t>(type);
  r.translationX = x;
  r.translationY = y;
  r.scaleX = sx;
  r.scaleY = sy;
  return r;
}

class EditorFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLevelMusicRegistration(false);
    GetSceneHooks() = SceneHooks{};
    SceneState() = SceneManagerState{};
    GetEditorLink() = EditorLink{};
    GetEditorLink().enabled = true;
    GetEditorLink().stopped = true;
    ResetEditor();
    ResetExplorer();
  }
  void TearDown() override {
    DestroySceneList();
    ClearObjects();
    GetSceneHooks() = SceneHooks{};
    GetEditorLink() = EditorLink{};
    ResetEditor();
    SetLevelMusicRegistration(true);
  }

  // Starts a level holding the records (its path is `path`).
  Level* StartLevel(const std::vector<ObjectRecord>& records, const std::string& path = "level_test.json") {
    auto level = std::make_unique<Level>();
    level->path = path;
    level->objects = records;
    Level* scene = AddScene(std::move(level), scene_id::kLevel1);
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
  // Press at `from`, hold while moving to `to`, release there.
  void Drag(float fromX, float fromY, float toX, float toY) {
    Pass(fromX, fromY, true);
    Pass(toX, toY, true);
    Pass(toX, toY, false);
  }

  static float X(const std::string& name) { return FindLiveObject(name)->GetTransform()->position[0]; }
  static float Y(const std::string& name) { return FindLiveObject(name)->GetTransform()->position[1]; }
  static std::vector<std::string> Selection() { return Editor().selection; }
  // Ends the frame: marked objects leave the list.
  static void EndFrame() {
    for (GameObject* o : std::vector<GameObject*>(Objects())) DestroyIfMarked(o);
  }
};

}  // namespace editor_test
