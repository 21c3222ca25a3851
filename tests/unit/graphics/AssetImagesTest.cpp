// Every picture the game names - in its code and in its scene files - is shipped and decodes, and
// the pictures whose layout the code relies on have that layout.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "graphics/Texture.h"
#include "platform/ImageDecoder.h"
#include "scenes/Level.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::SourceDir;

namespace {

std::string AssetPath(const std::string& name) { return SourceDir() + "/Assets/" + name; }

// Image names written as string literals in the game's sources.
std::set<std::string> ImageNamesInCode() {
  std::set<std::string> names;
  std::regex literal("\"([A-Za-z0-9_]+\\.(png|tga))\"");
  for (const auto& entry : fs::recursive_directory_iterator(SourceDir() + "/src")) {
    if (!entry.is_regular_file()) continue;
    std::string text = ReadFile(entry.path().string());
    for (std::sregex_iterator it(text.begin(), text.end(), literal), end; it != end; ++it) {
      names.insert((*it)[1].str());
    }
  }
  return names;
}

// Image names the scene files list or give their objects and emitters.
std::set<std::string> ImageNamesInScenes() {
  std::set<std::string> names;
  SetLevelMusicRegistration(false);
  for (const auto& entry : fs::directory_iterator(SourceDir() + "/Assets/Levels")) {
    if (entry.path().extension() != ".json") continue;
    std::unique_ptr<Level> level = LoadLevel(entry.path().string());
    EXPECT_NE(level, nullptr) << entry.path();
    if (!level) continue;
    for (const std::string& t : level->textures) names.insert(t);
    for (const ObjectRecord& o : level->objects) {
      if (!o.texture.empty()) names.insert(o.texture);
      for (const EmitterRecord& e : o.emitters) {
        if (!e.texture.empty()) names.insert(e.texture);
      }
    }
  }
  SetLevelMusicRegistration(true);
  return names;
}

std::optional<platform::Image> Decode(const std::string& name) {
  if (name.size() > 4 && name.substr(name.size() - 4) == ".tga") {
    std::string bytes = ReadFile(AssetPath(name));
    return DecodeTga32(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  return platform::DecodeImageFile(AssetPath(name));
}

}  // namespace

TEST(AssetImagesTest, EveryImageNamedInCodeOrScenesIsShippedAndDecodes) {
  std::set<std::string> names = ImageNamesInCode();
  std::set<std::string> scenes = ImageNamesInScenes();
  names.insert(scenes.begin(), scenes.end());
  // The sanity of the scan itself: the archetypes' and the fonts' pictures are among the names.
  for (const char* expected : {"player.png", "enemy.png", "FontSheet.png", "FontSheet_Black.png", "download.tga",
                               "star.png", "level_1_escape.png", "floor_alley.png", "splash_corvan.png"}) {
    EXPECT_EQ(names.count(expected), 1u) << expected << " was not found by the scan";
  }
  for (const std::string& name : names) {
    ASSERT_TRUE(fs::exists(AssetPath(name))) << name << " is named but not shipped";
    std::optional<platform::Image> image = Decode(name);
    ASSERT_TRUE(image.has_value()) << name << " does not decode";
    EXPECT_GT(image->width, 0) << name;
    EXPECT_GT(image->height, 0) << name;
  }
}

TEST(AssetImagesTest, BackdropIsA32BitUncompressedTga) {
  std::string bytes = ReadFile(AssetPath("download.tga"));
  ASSERT_GE(bytes.size(), 18u);
  EXPECT_EQ(static_cast<uint8_t>(bytes[2]), 2) << "uncompressed true-colour";
  EXPECT_EQ(static_cast<uint8_t>(bytes[16]), 32) << "32 bits per pixel";
}

TEST(AssetImagesTest, FontSheetsDivideIntoSixteenBySixSquareCells) {
  for (const char* sheet : {"FontSheet.png", "FontSheet_Black.png"}) {
    std::optional<platform::Image> image = platform::DecodeImageFile(AssetPath(sheet));
    ASSERT_TRUE(image.has_value()) << sheet;
    EXPECT_EQ(image->width % 16, 0) << sheet;
    EXPECT_EQ(image->height % 6, 0) << sheet;
    EXPECT_EQ(image->width / 16, image->height / 6) << sheet << " cells must be square";
    EXPECT_GE(image->width / 16, 64) << sheet;
  }
}

TEST(AssetImagesTest, WalkSheetHasEightFramesOfThePlayersProportions) {
  std::optional<platform::Image> image = platform::DecodeImageFile(AssetPath("player.png"));
  ASSERT_TRUE(image.has_value());
  ASSERT_EQ(image->width % 8, 0);
  double frameAspect = (image->width / 8.0) / image->height;
  EXPECT_NEAR(frameAspect, 43.0 / 116.0, 0.01);
}
