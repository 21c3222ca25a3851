// Helpers for the level and attribute file tests: catching what the logger writes, comparing level
// records field by field, and reading levels without registering their music.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "scenes/Level.h"
#include "support/LogCapture.h"

namespace level_test {

using testing_support::LogCapture;

// The fields of a record as one tuple, so a whole record is compared (and printed) at once.
inline auto Fields(const EmitterRecord& e) {
  return std::tuple(e.shape, e.texture, e.duration, e.loop, e.active, e.emissionRate, e.particlesPerEmission,
                    e.lifeMin, e.lifeMax, e.velocityMin, e.velocityMax, e.accelerationMin, e.accelerationMax,
                    e.rotationMin, e.rotationMax, e.directionMin, e.directionMax, e.scaleMin, e.scaleMax,
                    e.maxParticles, e.slowToZero, e.deceleration);
}

inline auto Fields(const FilterRecord& f) {
  return std::tuple(f.kind, f.saturation, f.color[0], f.color[1], f.color[2], f.color[3]);
}

inline void ExpectSameObject(const ObjectRecord& a, const ObjectRecord& b) {
  SCOPED_TRACE("object " + a.id);
  auto fields = [](const ObjectRecord& o) {
    return std::tuple(o.id, o.type, o.translationX, o.translationY, o.scaleX, o.scaleY, o.rotation, o.texture,
                      o.color[0], o.color[1], o.color[2], o.color[3], o.text, o.nextId, o.fixedToScreen, o.hasLight,
                      o.lightIntensity, o.lightColor[0], o.lightColor[1], o.lightColor[2], o.lightFallOffStart,
                      o.lightFallOffEnd, o.escapeDirection, o.hasLabel, o.label, o.labelSize, o.labelAlignment,
                      o.buttonActive);
  };
  EXPECT_EQ(fields(a), fields(b));
  ASSERT_EQ(a.filters.size(), b.filters.size());
  for (size_t i = 0; i < a.filters.size(); ++i) EXPECT_EQ(Fields(a.filters[i]), Fields(b.filters[i])) << "filter " << i;
  ASSERT_EQ(a.emitters.size(), b.emitters.size());
  for (size_t i = 0; i < a.emitters.size(); ++i) EXPECT_EQ(Fields(a.emitters[i]), Fields(b.emitters[i])) << "emitter " << i;
}

// Everything a level file carries both ways (tiles are written only, music read only).
inline void ExpectSameFileContents(const Level& a, const Level& b) {
  EXPECT_EQ(a.textures, b.textures);
  EXPECT_EQ(a.attributes, b.attributes);
  auto fields = [](const Level& l) {
    return std::tuple(l.ambient[0], l.ambient[1], l.ambient[2], l.ambient[3], l.lives, l.foodGoal, l.sRank, l.aRank,
                      l.bRank);
  };
  EXPECT_EQ(fields(a), fields(b));
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
