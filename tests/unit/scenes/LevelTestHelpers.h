// Helpers for the level and attribute file tests: catching what the logger writes, comparing level
// records field by field, and reading levels without registering their music.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "scenes/Level.h"
#include "support/LogCapture.h"

namespace level_test {

using testing_support::LogCapture;

inline void ExpectSameEmitter(const EmitterRecord& a, const EmitterRecord& b) {
  EXPECT_EQ(a.shape, b.shape);
  EXPECT_EQ(a.texture, b.texture);
  EXPECT_EQ(a.duration, b.duration);
  EXPECT_EQ(a.loop, b.loop);
  EXPECT_EQ(a.active, b.active);
  EXPECT_EQ(a.emissionRate, b.emissionRate);
  EXPECT_EQ(a.particlesPerEmission, b.particlesPerEmission);
  EXPECT_EQ(a.lifeMin, b.lifeMin);
  EXPECT_EQ(a.lifeMax, b.lifeMax);
  EXPECT_EQ(a.velocityMin, b.velocityMin);
  EXPECT_EQ(a.velocityMax, b.velocityMax);
  EXPECT_EQ(a.accelerationMin, b.accelerationMin);
  EXPECT_EQ(a.accelerationMax, b.accelerationMax);
  EXPECT_EQ(a.rotationMin, b.rotationMin);
  EXPECT_EQ(a.rotationMax, b.rotationMax);
  EXPECT_EQ(a.directionMin, b.directionMin);
  EXPECT_EQ(a.directionMax, b.directionMax);
  EXPECT_EQ(a.scaleMin, b.scaleMin);
  EXPECT_EQ(a.scaleMax, b.scaleMax);
  EXPECT_EQ(a.maxParticles, b.maxParticles);
  EXPECT_EQ(a.slowToZero, b.slowToZero);
  EXPECT_EQ(a.deceleration, b.deceleration);
}

inline void ExpectSameObject(const ObjectRecord& a, const ObjectRecord& b) {
  SCOPED_TRACE("object " + a.id);
  EXPECT_EQ(a.id, b.id);
  EXPECT_EQ(a.type, b.type);
  EXPECT_EQ(a.translationX, b.translationX);
  EXPECT_EQ(a.translationY, b.translationY);
  EXPECT_EQ(a.scaleX, b.scaleX);
  EXPECT_EQ(a.scaleY, b.scaleY);
  EXPECT_EQ(a.rotation, b.rotation);
  EXPECT_EQ(a.texture, b.texture);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(a.color[i], b.color[i]) << "colour " << i;
  EXPECT_EQ(a.text, b.text);
  EXPECT_EQ(a.nextId, b.nextId);
  ASSERT_EQ(a.filters.size(), b.filters.size());
  for (size_t i = 0; i < a.filters.size(); ++i) {
    EXPECT_EQ(a.filters[i].kind, b.filters[i].kind);
    EXPECT_EQ(a.filters[i].saturation, b.filters[i].saturation);
    for (int c = 0; c < 4; ++c) EXPECT_EQ(a.filters[i].color[c], b.filters[i].color[c]);
  }
  ASSERT_EQ(a.emitters.size(), b.emitters.size());
  for (size_t i = 0; i < a.emitters.size(); ++i) ExpectSameEmitter(a.emitters[i], b.emitters[i]);
  EXPECT_EQ(a.fixedToScreen, b.fixedToScreen);
  EXPECT_EQ(a.hasLight, b.hasLight);
  EXPECT_EQ(a.lightIntensity, b.lightIntensity);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(a.lightColor[i], b.lightColor[i]);
  EXPECT_EQ(a.lightFallOffStart, b.lightFallOffStart);
  EXPECT_EQ(a.lightFallOffEnd, b.lightFallOffEnd);
  EXPECT_EQ(a.escapeDirection, b.escapeDirection);
  EXPECT_EQ(a.hasLabel, b.hasLabel);
  EXPECT_EQ(a.label, b.label);
  EXPECT_EQ(a.labelSize, b.labelSize);
  EXPECT_EQ(a.labelAlignment, b.labelAlignment);
  EXPECT_EQ(a.buttonActive, b.buttonActive);
}

// Everything a level file carries both ways (tiles are written only, music read only).
inline void ExpectSameFileContents(const Level& a, const Level& b) {
  EXPECT_EQ(a.textures, b.textures);
  EXPECT_EQ(a.attributes, b.attributes);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(a.ambient[i], b.ambient[i]) << "ambient " << i;
  EXPECT_EQ(a.lives, b.lives);
  EXPECT_EQ(a.foodGoal, b.foodGoal);
  EXPECT_EQ(a.sRank, b.sRank);
  EXPECT_EQ(a.aRank, b.aRank);
  EXPECT_EQ(a.bRank, b.bRank);
  ASSERT_EQ(a.objects.size(), b.objects.size());
  for (size_t i = 0; i < a.objects.size(); ++i) ExpectSameObject(a.objects[i], b.objects[i]);
}

// A level text as the writer lays out what it reads as, or "<rejected>".
inline std::string Format(const std::string& text) {
  auto level = LoadLevelFromText(text, "format.json");
  return level ? LevelToText(*level) : std::string("<rejected>");
}

// Levels read here register no music with the audio system.
class WithoutMusicTest : public ::testing::Test {
 protected:
  void SetUp() override { SetLevelMusicRegistration(false); }
  void TearDown() override { SetLevelMusicRegistration(true); }
};

}  // namespace level_test
