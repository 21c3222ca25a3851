#include "support/SceneWorld.h"

#include <memory>

#include "core/EditorLink.h"
#include "core/Input.h"
#include "gameplay/AStar.h"
#include "gameplay/HumanBehavior.h"
#include "gameplay/PlayerState.h"
#include "graphics/Camera.h"
#include "graphics/CollisionEffects.h"
#include "graphics/Model.h"
#include "graphics/Text.h"
#include "graphics/Texture.h"
#include "objects/Collision.h"
#include "objects/Kinematics.h"
#include "objects/ObjectManager.h"
#include "scenes/Factory.h"
#include "scenes/HumanTuning.h"
#include "scenes/Level.h"
#include "scenes/PathGrid.h"
#include "scenes/PathNode.h"
#include "scenes/SceneManager.h"
#include "ui/UiHooks.h"
#include "widgets/MenuStack.h"

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
  // The game's graphics start always fills these: contacts restart emitters and shade covers.
  InstallCollisionEffects();
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
  // The menus stand registered as the game registers them at start-up: a player builds and opens
  // its pause menu through the menu stack.
  ClearMenuStack();
  RegisterMenus();
}

void RestoreLevelMusic() { SetLevelMusicRegistration(true); }

Level* AddTestScene(int id, const std::string& path, std::vector<ObjectRecord> records) {
  auto scene = std::make_unique<Level>();
  scene->path = path;
  scene->objects = std::move(records);
  return AddScene(std::move(scene), id);
}

}  // namespace testing_support
