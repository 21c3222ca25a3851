// The scene files the game ships (Assets/Levels/, made by tools/gen_levels.py): each reads back into
// exactly the text the game's writer would produce for it, names only pictures that exist, and the
// three levels hold what a playable level needs inside the path-finding grid.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "objects/ObjectType.h"
#include "scenes/Level.h"
#include "scenes/PathGrid.h"
#include "support/TestSupport.h"

using testing_support::ReadFile;
using testing_support::SourceDir;

namespace {

const char* const kSceneFiles[] = {"empty.json",   "SplashCorvan.json", "SplashFMOD.json", "SplashLullwick.json",
                                   "main_menu.json", "level1.json",     "level2.json",     "level3.json",
                                   "EndScene.json", "GameOver.json",    "YouWin.json",     "Credits.json"};
const char* const kLevels[] = {"level1.json", "level2.json", "level3.json"};

std::string LevelPath(const std::string& name) { return SourceDir() + "/Assets/Levels/" + name; }

std::unique_ptr<Level> Read(const std::string& name) {
  SetLevelMusicRegistration(false);
  std::string text = ReadFile(LevelPath(name));
  auto level = LoadLevelFromText(text, LevelPath(name));
  SetLevelMusicRegistration(true);
  return level;
}

int Count(const Level& level, ObjectType type) {
  return static_cast<int>(std::count_if(level.objects.begin(), level.objects.end(), [&](const ObjectRecord& r) {
    return r.type == static_cast<int32_t>(type);
  }));
}

TEST(ShippedScenesTest, EveryFileIsInTheWritersExactLayoutAndListsEveryPictureItsObjectsName) {
  for (const char* name : kSceneFiles) {
    std::string text = ReadFile(LevelPath(name));
    ASSERT_FALSE(text.empty()) << name;
    auto level = Read(name);
    ASSERT_NE(level, nullptr) << name;
    EXPECT_EQ(LevelToText(*level), text) << name;
    // That the listed pictures are shipped and decode is AssetImagesTest's.
    std::set<std::string> listed(level->textures.begin(), level->textures.end());
    for (const ObjectRecord& r : level->objects) {
      if (!r.texture.empty()) {
        EXPECT_TRUE(listed.count(r.texture)) << name << ": " << r.id << " uses " << r.texture;
      }
      for (const EmitterRecord& e : r.emitters) EXPECT_TRUE(listed.count(e.texture)) << name << ": " << r.id;
    }
  }
}

TEST(ShippedScenesTest, PictureScenesCoverTheScreenWithOneBackgroundInWhiteLight) {
  for (const char* name : {"SplashCorvan.json", "SplashFMOD.json", "SplashLullwick.json", "main_menu.json",
                           "EndScene.json", "GameOver.json", "YouWin.json", "Credits.json"}) {
    auto level = Read(name);
    ASSERT_NE(level, nullptr) << name;
    ASSERT_EQ(level->objects.size(), 1u) << name;
    const ObjectRecord& r = level->objects[0];
    EXPECT_EQ(r.type, static_cast<int32_t>(ObjectType::Background)) << name;
    EXPECT_FLOAT_EQ(r.translationX, 0.0f);
    EXPECT_FLOAT_EQ(r.translationY, 0.0f);
    // The view at the camera's start is about 1475 x 830 units at 16:9.
    EXPECT_GE(r.scaleX, 1475.0f) << name;
    EXPECT_GE(r.scaleY, 830.0f) << name;
    // White ambient light at full strength leaves the picture as drawn.
    for (float lane : level->ambient) EXPECT_FLOAT_EQ(lane, 1.0f) << name;
  }
}

TEST(ShippedScenesTest, LevelsArePlayableAndInsideThePathGrid) {
  for (const char* name : kLevels) {
    auto level = Read(name);
    ASSERT_NE(level, nullptr) << name;
    EXPECT_EQ(Count(*level, ObjectType::Player), 1) << name;
    EXPECT_EQ(Count(*level, ObjectType::Collection), 1) << name;
    EXPECT_GE(Count(*level, ObjectType::EscapeZone), 1) << name;
    EXPECT_GE(Count(*level, ObjectType::EscapeBarrier), 1) << name;
    EXPECT_GE(Count(*level, ObjectType::Enemy), 1) << name;
    EXPECT_GE(Count(*level, ObjectType::Light), 1) << name;
    EXPECT_GT(level->foodGoal, 0u) << name;
    EXPECT_GE(Count(*level, ObjectType::Food), static_cast<int>(level->foodGoal)) << name;
    EXPECT_LT(level->sRank, level->aRank) << name;
    EXPECT_LT(level->aRank, level->bRank) << name;

    std::map<std::string, const ObjectRecord*> byName;
    for (const ObjectRecord& r : level->objects) {
      EXPECT_TRUE(byName.emplace(r.id, &r).second) << name << ": duplicate " << r.id;
      // Whatever the player, the food and the guards walk between must lie on the path grid; the
      // outer walls and the way out may overhang its edge, where nobody needs a path.
      const auto type = static_cast<ObjectType>(r.type);
      if (type != ObjectType::Player && type != ObjectType::Food && type != ObjectType::Enemy &&
          type != ObjectType::Node && type != ObjectType::Collection) {
        continue;
      }
      EXPECT_GE(r.translationX - r.scaleX / 2, kGridOriginX) << name << ": " << r.id;
      EXPECT_LE(r.translationX + r.scaleX / 2, kGridBoundX) << name << ": " << r.id;
      EXPECT_GE(r.translationY - r.scaleY / 2, kGridOriginY) << name << ": " << r.id;
      EXPECT_LE(r.translationY + r.scaleY / 2, kGridBoundY) << name << ": " << r.id;
    }
    for (const ObjectRecord& r : level->objects) {
      if (r.type == static_cast<int32_t>(ObjectType::Enemy)) {
        auto first = byName.find(r.nextId);
        ASSERT_NE(first, byName.end()) << name << ": " << r.id << " has no patrol";
        EXPECT_EQ(first->second->type, static_cast<int32_t>(ObjectType::Node));
        ASSERT_NE(byName.find(first->second->nextId), byName.end()) << name << ": patrol of one node";
      }
      if (r.type == static_cast<int32_t>(ObjectType::Light)) {
        EXPECT_TRUE(r.hasLight) << name;
      }
    }
  }
}

}  // namespace
