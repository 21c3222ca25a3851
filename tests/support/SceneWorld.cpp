#include "support/SceneWorld.h"

#include <memory>

#include "core/EditorLink.h"
#include "core/Input.h"
#include "gameplay/AStar.h"
#include "gameplay/HumanBehavior.h"
#include "gameplay/HumanTuning.h"
#include "gameplay/PathGrid.h"
#include "gameplay/PathNode.h"
#include "gameplay/PlayerState.h"
#include "graphics/Camera.h"
#include "graphics/Model.h"
#include "graphics/Text.h"
#include "graphics/Texture.h"
#include "objects/Collision.h"
#include "objects/Kinematics.h"
#include "objects/ObjectManager.h"
#include "scenes/Factory.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"

namespace testing_support {

Kinematics* KinematicsOf(GameObject* o) { return o->GetComponentAs<Kinematics>(SlotOf(ComponentType::Kinematics)); }

void ResetSceneWorld() {
  DestroySceneList();
  ClearObjects();
  SetTransitionOverlay(nullptr);
  ClearTextureList();
  ReleaseGrid();
  ResetKeys();
  ResetPads();
  Input().mouse = MouseState{};
  GetFactoryHooks() = FactoryHooks{};
  GetSceneHooks() = SceneHooks{};
  GetObjectPassHooks() = ObjectPassHooks{};
  GetTextHooks() = TextHooks{};
  ResetCollisionBehaviorHooks();
  GetCollisionFlags() = CollisionFlags{};
  SceneState() = SceneManagerState{};
  GetEditorLink() = EditorLink{};
  GetModelSettings() = ModelSettings{};
  ResetPlayerShared();
  ResetHumanShared();
  ResetHumanTuning();
  SetPathNodeRemovalHook(nullptr);
  SetPathMessageSink(nullptr);
  MainCamera().position[0] = 0.0f;
  MainCamera().position[1] = 0.0f;
  SetLevelMusicRegistration(false);
}

void RestoreLevelMusic() { SetLevelMusicRegistration(true); }

Level* AddTestScene(int id, const std::string& path, std::vector<ObjectRecord> records) {
  auto scene = std::make_unique<Level>();
  scene->path = path;
  scene->objects = std::move(records);
  return AddScene(std::move(scene), id);
}

}  // namespace testing_support
