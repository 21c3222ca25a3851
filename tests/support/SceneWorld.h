// The program-wide state that unit tests of scenes, behaviours and the editor build on: object
// records, a clean start, and scenes of their own in the scene list.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gameplay/Behavior.h"
#include "objects/LevelRecords.h"
#include "objects/ObjectType.h"
#include "support/ObjectRecords.h"

class GameObject;
class Kinematics;
struct Level;

namespace testing_support {

// A behaviour that only holds its state numbers, for a player or human whose states the test drives.
class IdleBehavior final : public Behavior {
 protected:
  void OnEnter() override {}
  void OnUpdate(float) override {}
};

// The object's Kinematics, or null.
Kinematics* KinematicsOf(GameObject* o);

// Puts back everything a scene test may change: the scene list, the objects, the transition
// overlay, the textures, the input tables, every hook (the collision effects filled, as the
// graphics start fills them), the behaviours' shared state and tuning, the path grid, the camera,
// the editor link and the menu stack (the menus stay registered under their ids, as at the game's
// start-up). Level music stays out of the audio system until
// RestoreLevelMusic().
void ResetSceneWorld();
void RestoreLevelMusic();

// Adds a scene of that id holding the records to the end of the scene list, without starting it.
Level* AddTestScene(int id, const std::string& path, std::vector<ObjectRecord> records = {});

// A test that starts and ends with ResetSceneWorld().
class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetSceneWorld(); }
  void TearDown() override {
    ResetSceneWorld();
    RestoreLevelMusic();
  }
};

}  // namespace testing_support
