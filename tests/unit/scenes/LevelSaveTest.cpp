// Saving levels: generated levels survive saving and reading unchanged, and a save that fails
// never damages the file it was meant to replace.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <string>

#include "LevelTestHelpers.h"
#include "core/FileSync.h"
#include "objects/ObjectType.h"
#include "scenes/Level.h"
#include "support/TestSupport.h"

using level_test::ExpectSameFileContents;
using level_test::Format;
using level_test::LogCapture;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace fs = std::filesystem;

namespace {

// Builds random levels from everything the format carries both ways. With `editorRanges` the
// numbers are anything the editor's fields accept: any finite float, any whole number.
class LevelGenerator {
 public:
  explicit LevelGenerator(uint32_t seed, bool editorRanges = false) : rng_(seed), editorRanges_(editorRanges) {}

  Level Make() {
    Level level;
    level.foodGoal = static_cast<uint32_t>(rng_());
    level.lives = Chance(2) ? static_cast<uint32_t>(rng_()) : Int(0, 9);
    level.sRank = static_cast<float>(static_cast<int32_t>(rng_()));
    level.aRank = static_cast<float>(Int(-1000, 100000));
    level.bRank = static_cast<float>(Int(0, 600));
    if (editorRanges_) level.bRank = static_cast<float>(AnyInt());
    for (float& a : level.ambient) a = Float();
    for (int i = Int(0, 4); i > 0; --i) level.textures.push_back(Text(1));
    for (int i = Int(0, 3); i > 0; --i) level.attributes.push_back(Text(0));
    for (int i = Int(0, 7); i > 0; --i) level.objects.push_back(Object());
    for (int i = Int(0, 3); i > 0; --i) level.tiles.push_back(TileRecord{Int(-5, 5), Float(), Float(), Chance(2)});
    return level;
  }

 private:
  int Int(int min, int max) { return std::uniform_int_distribution<int>(min, max)(rng_); }
  bool Chance(int n) { return Int(0, n - 1) == 0; }

  // A float written with at most six significant digits; in the editor's ranges, half of them are
  // any finite float at all (the editor's fields take whatever is typed).
  float Float() {
    if (Chance(5)) return 0.0f;
    if (editorRanges_ && Chance(2)) return AnyFiniteFloat();
    std::string text = std::to_string(Int(-999999, 999999)) + "e" + std::to_string(Int(-9, 9));
    return std::strtof(text.c_str(), nullptr);
  }

  float AnyFiniteFloat() {
    static const float extremes[] = {std::numeric_limits<float>::max(), std::numeric_limits<float>::lowest(),
                                     std::numeric_limits<float>::min(), std::numeric_limits<float>::denorm_min(),
                                     -0.0f, 0.1f, 16777217.0f, 2147483520.0f};
    if (Chance(8)) return extremes[Int(0, int(std::size(extremes)) - 1)];
    for (;;) {
      float f = std::bit_cast<float>(static_cast<uint32_t>(rng_()));
      if (std::isfinite(f)) return f;
    }
  }

  // A whole number the editor's integer fields take: any 32-bit value, the ends included.
  int32_t AnyInt() {
    if (Chance(6)) return Chance(2) ? std::numeric_limits<int32_t>::max() : std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(rng_());
  }

  // Any text but a double quote, including the reader's own punctuation and line breaks.
  std::string Text(int minLength) {
    static const std::string alphabet = "abcXYZ_019 .,:;{}[]\\/\t\n-+*'";
    std::string s;
    for (int n = Int(minLength, 12); n > 0; --n) s.push_back(alphabet[Int(0, int(alphabet.size()) - 1)]);
    return s;
  }

  ObjectRecord Object() {
    static const int32_t types[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 16, 18};
    ObjectRecord o;
    o.type = types[Int(0, int(std::size(types)) - 1)];
    o.id = TypeName(o.type) + "_" + std::to_string(Int(0, 500));
    if (Chance(4)) o.id = Text(0);
    for (float* f : {&o.translationX, &o.translationY, &o.scaleX, &o.scaleY, &o.rotation}) *f = Float();
    if (Chance(2)) {
      o.texture = Text(1);
    } else {
      for (float& c : o.color) c = Float();
    }
    if (o.type == int32_t(ObjectType::Text)) o.text = Text(0);
    if (o.type == int32_t(ObjectType::Text) || o.type == int32_t(ObjectType::Node) ||
        o.type == int32_t(ObjectType::Enemy)) {
      o.nextId = Text(0);
    }
    for (int i = Int(0, 3) - 1; i > 0; --i) {
      FilterRecord f;
      f.kind = static_cast<uint32_t>(Int(0, 2));
      if (f.kind == 1) f.saturation = Float();
      if (f.kind == 2) {
        for (float& c : f.color) c = Float();
      }
      o.filters.push_back(f);
    }
    for (int i = Int(0, 4) - 2; i > 0; --i) o.emitters.push_back(Emitter());
    o.fixedToScreen = Chance(2);
    if (Chance(3)) {
      o.hasLight = true;
      for (float* f : {&o.lightIntensity, &o.lightColor[0], &o.lightColor[1], &o.lightColor[2], &o.lightFallOffStart,
                       &o.lightFallOffEnd}) {
        *f = Float();
      }
    }
    if (o.type == int32_t(ObjectType::EscapeZone)) o.escapeDirection = static_cast<EscapeDirection>(Int(0, 3));
    if (o.type == int32_t(ObjectType::UI)) {
      o.hasLabel = Chance(2);
      if (o.hasLabel) {
        o.label = Text(0);
        o.labelSize = Float();
        o.labelAlignment = static_cast<uint32_t>(Int(0, 2));
      }
      o.buttonActive = Chance(2);
    }
    return o;
  }

  EmitterRecord Emitter() {
    EmitterRecord e;
    e.shape = static_cast<uint32_t>(Int(0, 1));
    e.texture = Text(0);
    e.duration = Float();
    e.loop = Chance(2);
    e.active = Chance(2);
    e.emissionRate = Float();
    e.particlesPerEmission = static_cast<int32_t>(rng_());
    for (float* f : {&e.lifeMin, &e.lifeMax, &e.velocityMin, &e.velocityMax, &e.accelerationMin,
                     &e.accelerationMax, &e.rotationMin, &e.rotationMax, &e.directionMin, &e.directionMax,
                     &e.scaleMin, &e.scaleMax, &e.deceleration}) {
      *f = Float();
    }
    e.maxParticles = editorRanges_ ? AnyInt() : Int(-1000000, 1000000);
    if (editorRanges_) e.particlesPerEmission = AnyInt();
    e.slowToZero = Chance(2);
    return e;
  }

  std::mt19937 rng_;
  bool editorRanges_;
};

using LevelRoundTripTest = level_test::WithoutMusicTest;

// The property behind "a save the game can never load again": whatever the editor lets a designer
// type, saved and read again, gives the same records, through the text and through the file; and
// the writer's layout is stable. Plain levels first, then the editor's whole ranges.
TEST_F(LevelRoundTripTest, GeneratedLevelsReadBackEqualThroughTextAndFileAndFormatIsStable) {
  LogCapture log;
  TempDir dir;
  for (bool editorRanges : {false, true}) {
    for (uint32_t seed = 1; seed <= 300 && !HasFailure(); ++seed) {
      SCOPED_TRACE((editorRanges ? "editor ranges, seed " : "seed ") + std::to_string(seed));
      Level original = LevelGenerator(seed, editorRanges).Make();
      const std::string written = LevelToText(original);
      auto back = LoadLevelFromText(written, "generated.json");
      ASSERT_NE(back, nullptr) << log.Take() << "\n" << written;
      ExpectSameFileContents(original, *back);
      EXPECT_TRUE(back->tiles.empty());
      const std::string once = Format(written);
      EXPECT_EQ(Format(once), once);
      if (seed % 50 == 0) {
        // The file holds exactly the text, without a line feed at the end, and music is not written.
        original.path = dir.File("level.json");
        original.music["music0"] = "event:/Music/MenuMusic";
        ASSERT_TRUE(SaveLevel(original)) << log.Take();
        EXPECT_EQ(ReadFile(original.path), written);
        EXPECT_EQ(ReadFile(original.path).back(), '}');
        EXPECT_FALSE(testing_support::FileExists(files::TempPathFor(original.path)));
        auto fromFile = LoadLevel(original.path);
        ASSERT_NE(fromFile, nullptr) << log.Take();
        ExpectSameFileContents(original, *fromFile);
        EXPECT_TRUE(fromFile->music.empty());
      }
    }
  }
  EXPECT_EQ(log.Take(), "");
}

// The ends of each field, one by one: a save that reports success always loads again.
TEST_F(LevelRoundTripTest, TheEndsOfEveryNumberFieldSaveAndLoad) {
  LogCapture log;
  TempDir dir;
  Level level;
  level.path = dir.File("level1.json");
  ObjectRecord o;
  o.id = "Food_0";
  o.type = int32_t(ObjectType::Food);
  for (int32_t count : {2147483647, 2147483584, 16777217, -2147483647 - 1, 0}) {
    o.emitters.emplace_back().maxParticles = count;
    o.emitters.back().particlesPerEmission = count;
  }
  o.translationX = 123.456789f;
  o.translationY = std::numeric_limits<float>::max();
  o.scaleX = std::numeric_limits<float>::denorm_min();
  o.scaleY = 0.1f;
  o.rotation = -179.99998f;
  level.objects.push_back(o);
  level.sRank = static_cast<float>(std::numeric_limits<int32_t>::max());
  level.aRank = static_cast<float>(std::numeric_limits<int32_t>::min());
  level.foodGoal = 4294967295u;
  ASSERT_TRUE(SaveLevel(level)) << log.Take();
  auto back = LoadLevel(level.path);
  ASSERT_NE(back, nullptr) << log.Take();
  ExpectSameFileContents(level, *back);
  EXPECT_EQ(log.Take(), "");
}

// ---- Failed saves --------------------------------------------------------------------------

class LevelSaveFaultTest : public level_test::WithoutMusicTest {
 protected:
  void SetUp() override {
    WithoutMusicTest::SetUp();
    level.path = dir.File("level1.json");
    level.foodGoal = 5;
    level.objects.push_back(ObjectRecord{});
    level.objects[0].id = "Wall_0";
    level.objects[0].type = int32_t(ObjectType::Wall);
    ASSERT_TRUE(SaveLevel(level));
    oldText = ReadFile(level.path);
    level.foodGoal = 6;  // the change the failed save would have written
  }
  void TearDown() override {
    files::SetReplaceFaultForTesting(files::ReplaceFault::None);
    WithoutMusicTest::TearDown();
  }

  // The save fails, says so, and leaves the old file as it was and loadable.
  void ExpectFailedSaveKeepsOldFile() {
    EXPECT_FALSE(SaveLevel(level));
    EXPECT_NE(log.Take().find("-ERROR- Unable to open file to write: "), std::string::npos);
    EXPECT_EQ(ReadFile(level.path), oldText);
    auto back = LoadLevel(level.path);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->foodGoal, 5u);
    EXPECT_EQ(back->objects.size(), 1u);
  }

  TempDir dir;
  LogCapture log;
  Level level;
  std::string oldText;
};

TEST_F(LevelSaveFaultTest, FolderInTheWayOfTheTargetOrNoFolderAtAll) {
  level.path = dir.File("taken");
  fs::create_directory(level.path);
  WriteFile(dir.File("taken/inside.txt"), "x");
  EXPECT_FALSE(SaveLevel(level));
  EXPECT_NE(log.Take().find("Unable to open file to write"), std::string::npos);
  EXPECT_EQ(ReadFile(dir.File("taken/inside.txt")), "x");
  EXPECT_FALSE(fs::exists(files::TempPathFor(level.path)));

  level.path = dir.File("missing/level1.json");
  EXPECT_FALSE(SaveLevel(level));
  EXPECT_NE(log.Take().find("Unable to open file to write"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir.File("missing")));
}

TEST_F(LevelSaveFaultTest, ReadOnlyFolder) {
  fs::permissions(dir.path(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  {
    // Some users (the administrator) may write anyway; then there is nothing to test.
    std::ofstream probe(dir.File("probe"));
    if (probe.is_open()) {
      probe.close();
      fs::remove(dir.File("probe"));
      fs::permissions(dir.path(), fs::perms::owner_write, fs::perm_options::add);
      GTEST_SKIP() << "this user can write into read-only folders";
    }
  }
  ExpectFailedSaveKeepsOldFile();
  fs::permissions(dir.path(), fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(LevelSaveFaultTest, WriteSyncOrRenameFailureLeavesNoTrace) {
  for (auto fault : {files::ReplaceFault::Write, files::ReplaceFault::Sync, files::ReplaceFault::Rename}) {
    files::SetReplaceFaultForTesting(fault);
    ExpectFailedSaveKeepsOldFile();
    EXPECT_FALSE(fs::exists(files::TempPathFor(level.path)));
  }
  files::SetReplaceFaultForTesting(files::ReplaceFault::None);
  EXPECT_TRUE(SaveLevel(level));
  EXPECT_EQ(LoadLevel(level.path)->foodGoal, 6u);
}

TEST_F(LevelSaveFaultTest, ValuesTheReaderCouldNotReadBackAreRefusedBeforeTouchingTheFile) {
  level.objects[0].text = "say \"hi\"";  // not written for a wall, so harmless
  level.objects[0].lightIntensity = std::numeric_limits<float>::infinity();  // no light: not written
  EXPECT_EQ(FindUnwritableValue(level), "");
  level.objects[0].id = "Wall_\"0\"";
  EXPECT_FALSE(SaveLevel(level));
  EXPECT_EQ(log.Take(), "-ERROR- Unable to write the level: object Wall_\"0\" has a double quote in its ID\n");
  level.objects[0].id = "Wall_0";
  level.objects[0].rotation = std::numeric_limits<float>::quiet_NaN();
  EXPECT_FALSE(SaveLevel(level));
  EXPECT_EQ(log.Take(), "-ERROR- Unable to write the level: object Wall_0 has a value that is not a finite number\n");
  EXPECT_EQ(ReadFile(level.path), oldText);

  // A text past the reader's limit for one value is refused at the save, with the reason, not
  // written and found out at the next start.
  level.objects[0].rotation = 0.0f;
  ObjectRecord text;
  text.id = "Text_0";
  text.type = int32_t(ObjectType::Text);
  text.text = std::string(size_t{2} << 20, 'x');
  level.objects.push_back(text);
  EXPECT_FALSE(SaveLevel(level));
  const std::string logged = log.Take();
  EXPECT_NE(logged.find("-ERROR- Unable to write the level: "), std::string::npos) << logged;
  EXPECT_NE(logged.find("\"Text\""), std::string::npos) << logged;
  EXPECT_EQ(ReadFile(level.path), oldText);
}

}  // namespace
