#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "LevelTestHelpers.h"
#include "audio/AudioSystem.h"
#include "objects/ObjectType.h"
#include "scenes/Level.h"
#include "support/TestSupport.h"

using level_test::LogCapture;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

class LevelReaderTest : public level_test::WithoutMusicTest {
 protected:
  std::unique_ptr<Level> Read(const std::string& text) { return LoadLevelFromText(text, "test.json"); }
  // A level file holding `objects` as the contents of its "Objects" list.
  std::unique_ptr<Level> ReadObjects(const std::string& objects) {
    return Read("{\"Level\":{\"Objects\": [" + objects + "]}}");
  }
  // Reads text that must be rejected and returns what was logged.
  std::string Rejected(const std::string& text) {
    EXPECT_EQ(Read(text), nullptr) << text;
    return log.Take();
  }

  LogCapture log;
};

// ---- Files that read without complaint -----------------------------------------------------

TEST_F(LevelReaderTest, EmptyFileOrLevelGivesAnEmptyLevelWithFullAmbientIntensity) {
  for (const char* text : {"", "{\"Level\":{}}"}) {
    auto level = Read(text);
    ASSERT_NE(level, nullptr) << text;
    EXPECT_EQ(level->path, "test.json");
    EXPECT_TRUE(level->objects.empty());
    EXPECT_TRUE(level->textures.empty());
    EXPECT_EQ((std::vector<uint32_t>{level->foodGoal, level->lives}), (std::vector<uint32_t>{0, 0}));
    EXPECT_EQ((std::vector<float>{level->sRank, level->aRank, level->bRank, level->ambient[0], level->ambient[1],
                                  level->ambient[2], level->ambient[3]}),
              (std::vector<float>{0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(log.Take(), "");
  }
}

TEST_F(LevelReaderTest, LevelKeysAreReadInAnyContextAndListsInOrder) {
  auto level = Read(
      "{\"Level\":{\"Food_Goal\":\"4\",\"S_Rank\":\"120\",\"A_Rank\":\"180\",\"B_Rank\":\"-3\","
      "\"Lives\":\"2\",\"AmbientR\":\"0.5\",\"AmbientG\":\"0.25\",\"AmbientB\":\"1e-1\","
      "\"Objects\":[{\"Type\":\"Wall\",\"AmbientI\":\"0.75\",\"Lives\":\"9\"}],"
      "\"TileTextureX\":\"3\",\"TileSizeX\":\"2.5\",\"Textures\":[\"wall.png\", \"\", \"food.png\"],"
      "\"Attributes\": [\"player\",\"\",\"human\"]}}");
  ASSERT_NE(level, nullptr);
  // An empty texture entry is skipped; attribute names are kept as written.
  EXPECT_EQ(level->textures, (std::vector<std::string>{"wall.png", "food.png"}));
  EXPECT_EQ(level->attributes, (std::vector<std::string>{"player", "", "human"}));
  // Lives was given twice: the later value is kept.
  EXPECT_EQ((std::vector<uint32_t>{level->foodGoal, level->lives}), (std::vector<uint32_t>{4, 9}));
  EXPECT_EQ((std::vector<float>{level->sRank, level->aRank, level->bRank, level->ambient[0], level->ambient[1],
                                level->ambient[2], level->ambient[3]}),
            (std::vector<float>{120, 180, -3, 0.5f, 0.25f, 0.1f, 0.75f}));
}

TEST_F(LevelReaderTest, IntegersReadAsTheStandardConversionDoesAndUnsignedOnesWrap) {
  auto level = Read("{\"Level\":{\"S_Rank\":\"12.5\",\"A_Rank\":\"  +7 seconds\",\"Lives\":\"\n3x\"}}");
  ASSERT_NE(level, nullptr);
  EXPECT_EQ((std::vector<float>{level->sRank, level->aRank, static_cast<float>(level->lives)}),
            (std::vector<float>{12, 7, 3}));
  level = Read("{\"Level\":{\"Food_Goal\":\"4294967295\",\"Lives\":\"-1\"}}");
  ASSERT_NE(level, nullptr);
  EXPECT_EQ((std::vector<uint32_t>{level->foodGoal, level->lives}), (std::vector<uint32_t>{4294967295u, 4294967295u}));
  // A bare number after a key is skipped and the next string is its value.
  level = Read("{\"Level\":{\n\"Food_Goal\": 5,\n\"7\",\n\"Lives\":\"1\"}}");
  ASSERT_NE(level, nullptr);
  EXPECT_EQ((std::vector<uint32_t>{level->foodGoal, level->lives}), (std::vector<uint32_t>{7, 1}));
}

TEST_F(LevelReaderTest, MusicEntriesGetRunningNamesAcrossLoadsAndAreRegisteredWithTheAudioSystem) {
  ASSERT_TRUE(InitializeAudio("./Assets/Music/"));
  SetLevelMusicRegistration(true);
  auto first = Read("{\"Level\":{\"Music\":[\"MenuMusic\",\"LevelOneMusic\"]}}");
  auto second = Read("{\"Level\":{\"Music\":[\"MenuMusic\"]}}");
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  ASSERT_EQ(first->music.size(), 2u);
  ASSERT_EQ(second->music.size(), 1u);
  // The counter is process-wide: three different names, numbered in reading order.
  std::vector<int> numbers;
  for (const auto* level : {first.get(), second.get()}) {
    for (const auto& [name, event] : level->music) {
      ASSERT_EQ(name.rfind("music", 0), 0u) << name;
      numbers.push_back(std::stoi(name.substr(5)));
    }
  }
  EXPECT_NE(numbers[0], numbers[1]);
  EXPECT_GT(numbers[2], std::max(numbers[0], numbers[1]));
  EXPECT_EQ(second->music.begin()->second, "event:/Music/MenuMusic");
  std::string firstEvents;
  for (const auto& [name, event] : first->music) firstEvents += event + ";";
  EXPECT_NE(firstEvents.find("event:/Music/LevelOneMusic;"), std::string::npos);
  for (const auto& [name, event] : first->music) EXPECT_NE(FindRegisteredEvent(name).generation, 0u) << name;
  ShutdownAudio();
}

// ---- Objects and their parts -------------------------------------------------------------------

TEST_F(LevelReaderTest, ObjectFieldsAreRead) {
  auto level = ReadObjects(
      "{\"ID\":\"Enemy_3\",\"Type\":\"Enemy\",\"TranslationX\":\"-12.5\",\"TranslationY\":\"40\","
      "\"ScaleX\":\"60\",\"ScaleY\":\"30\",\"Rotation\":\"90\",\"TextureiD\":\"enemy.png\","
      "\"RColor\":\"0.1\",\"GColor\":\"0.2\",\"BColor\":\"0.3\",\"AColor\":\"0.4\",\"Text\":\"hI\","
      "\"NextID\":\"Node_4\",\"Fixed_To_Screen\":\"true\",\"Escape_Direction\":\"RIGHT\"}");
  ASSERT_NE(level, nullptr);
  ASSERT_EQ(level->objects.size(), 1u);
  const ObjectRecord& o = level->objects[0];
  EXPECT_EQ((std::vector<std::string>{o.id, o.texture, o.text, o.nextId}),
            (std::vector<std::string>{"Enemy_3", "enemy.png", "hI", "Node_4"}));
  EXPECT_EQ(o.type, 3);
  EXPECT_EQ((std::vector<float>{o.translationX, o.translationY, o.scaleX, o.scaleY, o.rotation, o.color[0], o.color[3]}),
            (std::vector<float>{-12.5f, 40, 60, 30, 90, 0.1f, 0.4f}));
  EXPECT_TRUE(o.fixedToScreen);
  EXPECT_EQ(o.escapeDirection, EscapeDirection::Right);
  EXPECT_FALSE(o.hasLight);
}

// An object without a type is dropped and an unknown type word reads as 0; only exactly "true" is
// true; unknown direction, filter and emitter words leave the field alone.
TEST_F(LevelReaderTest, WordsAreReadExactly) {
  auto level = ReadObjects(
      "{\"ID\":\"a\"},{\"ID\":\"b\",\"Type\":\"Dragon\"},{\"ID\":\"c\",\"Type\":\"Kill_zone\"}");
  ASSERT_NE(level, nullptr);
  ASSERT_EQ(level->objects.size(), 2u);
  EXPECT_EQ(level->objects[0].id, "b");
  EXPECT_EQ(level->objects[0].type, 0);
  EXPECT_EQ(level->objects[1].id, "c");
  EXPECT_EQ(level->objects[1].type, 11);

  level = ReadObjects(
      "{\"Type\":\"UI\",\"Fixed_To_Screen\":\"True\",\"ParticleEmmitters\":["
      "{\"Loop\":\"True\",\"Active\":\"true\"},{\"Loop\":\"true \",\"Active\":\"1\"}]}");
  ASSERT_NE(level, nullptr);
  ASSERT_EQ(level->objects.size(), 1u);
  EXPECT_FALSE(level->objects[0].fixedToScreen);
  ASSERT_EQ(level->objects[0].emitters.size(), 2u);
  const std::vector<EmitterRecord>& e = level->objects[0].emitters;
  EXPECT_EQ((std::vector<bool>{e[0].loop, e[0].active, e[1].loop, e[1].active}),
            (std::vector<bool>{false, true, false, false}));

  level = ReadObjects(
      "{\"Type\":\"Escapezone\",\"Escape_Direction\":\"DOWN\",\"Escape_Direction\":\"down\","
      "\"Filters\": [{\"Filter_Type\":\"RGBA\",\"Filter_Type\":\"Sepia\"}],"
      "\"ParticleEmmitters\":[{\"Type\":\"Line\",\"Type\":\"Cone\"}]}");
  ASSERT_NE(level, nullptr);
  const ObjectRecord& o = level->objects.at(0);
  EXPECT_EQ(o.escapeDirection, EscapeDirection::Down);
  ASSERT_EQ(o.filters.size(), 1u);
  EXPECT_EQ(o.filters[0].kind, 2u);
  ASSERT_EQ(o.emitters.size(), 1u);
  EXPECT_EQ(o.emitters[0].shape, 1u);
}

TEST_F(LevelReaderTest, FiltersAndEmittersBelongToTheirObject) {
  auto level = ReadObjects(
      "{\"ID\":\"Wall_1\",\"Type\":\"Wall\",\"Filters\": [{\"Filter_Type\":\"BW\",\"Saturation\":\"0.5\"},"
      "{\"Filter_Type\":\"RGBA\",\"R\":\"1\",\"G\":\"0.5\",\"B\":\"0.25\",\"A\":\"0.75\"}],"
      "\"ParticleEmmitters\":[{\"Type\":\"Line\",\"Texture\":\"dust.png\",\"Duration\":\"2\","
      "\"Emmition_Rate\":\"0.1\",\"Particles_Per_Emition\":\"3.9\",\"Life_Time_Min\":\"1\","
      "\"Life_Time_Max\":\"2\",\"Velocity_Min\":\"3\",\"Velocity_Max\":\"4\",\"Acceleration_Min\":\"5\","
      "\"Acceleration_Max\":\"6\",\"Rotation_Min\":\"7\",\"Rotation_Max\":\"8\",\"Direction_Min\":\"9\","
      "\"Direction_Max\":\"10\",\"Scale_Min\":\"11\",\"Scale_Max\":\"12\",\"Max_Particles\":\"99.9\","
      "\"Slow_To_Zero\":\"0.5\",\"Deceleration\":\"13\"}],\"RColor\":\"0.5\"},"
      "{\"ID\":\"Wall_2\",\"Type\":\"Wall\",\"ParticleEmmitters\":[{\"Slow_To_Zero\":\"0\"}]}");
  ASSERT_NE(level, nullptr);
  ASSERT_EQ(level->objects.size(), 2u);
  const ObjectRecord& first = level->objects[0];
  // After a list the object's own keys apply again.
  EXPECT_EQ(first.color[0], 0.5f);
  ASSERT_EQ(first.filters.size(), 2u);
  EXPECT_EQ(level_test::Fields(first.filters[0]), std::tuple(1u, 0.5f, 0.0f, 0.0f, 0.0f, 1.0f));
  EXPECT_EQ(level_test::Fields(first.filters[1]), std::tuple(2u, 0.0f, 1.0f, 0.5f, 0.25f, 0.75f));
  ASSERT_EQ(first.emitters.size(), 1u);
  const EmitterRecord& e = first.emitters[0];
  EXPECT_EQ(e.shape, 1u);
  EXPECT_EQ(e.texture, "dust.png");
  // Both counts are read as floats and truncated.
  EXPECT_EQ((std::vector<int32_t>{e.particlesPerEmission, e.maxParticles}), (std::vector<int32_t>{3, 99}));
  EXPECT_EQ((std::vector<float>{e.duration, e.emissionRate, e.lifeMin, e.directionMax, e.scaleMax, e.deceleration}),
            (std::vector<float>{2, 0.1f, 1, 10, 12, 13}));
  EXPECT_TRUE(e.slowToZero);
  ASSERT_EQ(level->objects[1].emitters.size(), 1u);
  EXPECT_FALSE(level->objects[1].emitters[0].slowToZero);
  EXPECT_TRUE(level->objects[1].filters.empty());
}

TEST_F(LevelReaderTest, LightBlockSetsTheLightAndReturnsToTheObject) {
  auto level = ReadObjects(
      "{\"Type\":\"Light\",\"Light\":{\"Intensity\":\"2\",\"R\":\"1\",\"G\":\"0.5\",\"B\":\"0.25\","
      "\"FallOffStart\":\"10\",\"FallOffEnd\":\"200\"},\"ID\":\"Light_7\"}");
  ASSERT_NE(level, nullptr);
  const ObjectRecord& o = level->objects.at(0);
  EXPECT_TRUE(o.hasLight);
  EXPECT_EQ((std::vector<float>{o.lightIntensity, o.lightColor[0], o.lightColor[1], o.lightColor[2],
                                o.lightFallOffStart, o.lightFallOffEnd}),
            (std::vector<float>{2, 1, 0.5f, 0.25f, 10, 200}));
  EXPECT_EQ(o.id, "Light_7");
  EXPECT_EQ(o.color[0], 0.0f);  // the light's "R" is not the object's colour
}

TEST_F(LevelReaderTest, KeysOutsideAnElementAndUnknownKeysAreIgnored) {
  auto level = Read(
      "{\"Level\":{\"ID\":\"stray\",\"Type\":\"Wall\",\"Whatever\":\"x\",\"Objects\": ["
      "{\"Type\":\"Food\",\"Duration\":\"not a number\",\"Saturation\":\"nor this\"}],"
      "\"Tiles\":[{\"TextureiD\":\"3\",\"U\":\"bad\",\"Collision\":\"1\"}]}}");
  ASSERT_NE(level, nullptr);
  ASSERT_EQ(level->objects.size(), 1u);
  EXPECT_EQ(level->objects[0].type, 2);
  EXPECT_TRUE(level->tiles.empty());  // tile entries are never read
  EXPECT_EQ(log.Take(), "");
}

// A file cut short keeps what was complete, and says where it ends: a designer must not find a
// level with objects missing and no word why.
TEST_F(LevelReaderTest, FileEndingInsideAnElementKeepsWhatWasCompletedAndSaysWhereItEnds) {
  auto level = Read("{\"Level\":{\"Objects\": [{\"Type\":\"Wall\"},\n{\"Type\":\"Food\",\"ID\":\"Fo");
  ASSERT_NE(level, nullptr);
  ASSERT_EQ(level->objects.size(), 1u);
  EXPECT_EQ(level->objects[0].type, 7);
  EXPECT_EQ(log.Take(),
            "-WARNING- Level file cut short: test.json:2: it ends inside the value of \"ID\"; "
            "what was read before is kept\n");
  const struct {
    const char* text;
    const char* where;
  } cut[] = {
      {"{\"Level\":{\"Objects\": [{\"Type\":\"Wall\"}", "1: it ends with 2 blocks open after \"Type\""},
      {"{\"Level\":{\"Objects\": [{\"Type\":\"Wall\"}]}", "1: it ends with 1 block open after \"Type\""},
      {"{\"Level\":{\"Textures\":[\"wall.p", "1: it ends inside an entry of \"Textures\""},
      {"{\"Level\":{\n\"Lives\":\"3\",\n\"Food_G", "3: it ends inside a key"},
      {"{", "1: it ends with 1 block open"},
  };
  for (const auto& c : cut) {
    EXPECT_NE(Read(c.text), nullptr) << c.text;
    EXPECT_EQ(log.Take(), std::string("-WARNING- Level file cut short: test.json:") + c.where +
                              "; what was read before is kept\n")
        << c.text;
  }
}

TEST_F(LevelReaderTest, LoadLevelReadsAFileAndKeepsItsPathButCannotOpenAMissingOne) {
  TempDir dir;
  WriteFile(dir.File("level9.json"), "{\"Level\":{\"Food_Goal\":\"3\"}}");
  auto level = LoadLevel(dir.File("level9.json"));
  ASSERT_NE(level, nullptr);
  EXPECT_EQ(level->path, dir.File("level9.json"));
  EXPECT_EQ(level->foodGoal, 3u);
  EXPECT_EQ(LoadLevel(dir.File("nothing.json")), nullptr);
  EXPECT_EQ(LoadLevel(dir.path()), nullptr);  // a folder is no file either
  EXPECT_EQ(log.Take(), "-ERROR- Could not open the level file " + dir.File("nothing.json") +
                            ": there is no such file\n-ERROR- Could not open the level file " + dir.path() +
                            ": it is a folder\n");
}

// ---- Files that are rejected ---------------------------------------------------------------

TEST_F(LevelReaderTest, FirstKeyMustBeLevel) {
  EXPECT_EQ(Rejected("{\"Levels\":{}}"),
            "-ERROR- Not a level File: test.json:1: the first key is \"Levels\", not \"Level\"\n");
  EXPECT_EQ(Rejected("\n{\"Objects\":[], \"Level\":{}}"),
            "-ERROR- Not a level File: test.json:2: the first key is \"Objects\", not \"Level\"\n");
}

// Each rejection names the file, the line and the key, and what is wrong with it.
TEST_F(LevelReaderTest, StringsAndElementsInTheWrongListAndNumbersThatDoNotConvertAreMalformed) {
  const std::string strings = " lists a string, which only \"Textures\", \"Music\" and \"Attributes\" may";
  const std::string elements =
      " lists an element, which only \"Objects\", \"Filters\", \"ParticleEmmitters\" and \"Tiles\" may";
  const std::string integer = ", which is not a whole number within range";
  const std::string number = ", which is not a finite number within range";
  const struct {
    const char* text;
    std::string reason;
  } bad[] = {
      {"{\"Level\":{\"Objects\": [\"Wall_1\"]}}", "1: \"Objects\"" + strings},
      {"{\"Level\":{\"Tiles\": [\"x\"]}}", "1: \"Tiles\"" + strings},
      {"{\"Level\":{\"Textures\": [{}]}}", "1: \"Textures\"" + elements},
      {"{\"Level\":{\"Attributes\": [{\"a\":\"b\"}]}}", "1: \"Attributes\"" + elements},
      {"{\"Level\":{\"Lives\": [\"3\"]}}", "1: \"Lives\"" + strings},
      {"{\"Level\":{\"Objects\": [{\"Type\":\"Wall\",\"Light\":[{}]}]}}", "1: \"Light\"" + elements},
      // Inside Objects the key stays an object key, so the strings of its list are malformed.
      {"{\"Level\":{\"Objects\": [{\"Type\":\"Wall\",\"Attributes\":[\"x\"]}]}}", "1: \"Attributes\"" + strings},
      // After an element the list is the one the element belongs to.
      {"{\"Level\":{\"Objects\": [{\"Type\":\"Wall\",\"Filters\":[{}]},\n\"Wall_2\"]}}", "2: \"Objects\"" + strings},
      {"{\"Level\":{\"Food_Goal\":\"five\"}}", "1: \"Food_Goal\" holds \"five\"" + integer},
      {"{\"Level\":{\n\"Food_Goal\":\"\"}}", "2: \"Food_Goal\" holds \"\"" + integer},
      {"{\"Level\":{\"Food_Goal\":\"4294967296\"}}", "1: \"Food_Goal\" holds \"4294967296\"" + integer},
      {"{\"Level\":{\"Lives\":\"-2147483649\"}}", "1: \"Lives\" holds \"-2147483649\"" + integer},
      {"{\"Level\":{\"S_Rank\":\"2147483648\"}}", "1: \"S_Rank\" holds \"2147483648\"" + integer},
      {"{\"Level\":{\"S_Rank\":\"99999999999999999999999\"}}",
       "1: \"S_Rank\" holds \"99999999999999999999999\"" + integer},
      {"{\"Level\":{\"AmbientR\":\"- 1\"}}", "1: \"AmbientR\" holds \"- 1\"" + number},
      {"{\"Level\":{\"AmbientG\":\"1e39\"}}", "1: \"AmbientG\" holds \"1e39\"" + number},
      {"{\"Level\":{\"AmbientB\":\"nan\"}}", "1: \"AmbientB\" holds \"nan\"" + number},
      {"{\"Level\":{\"AmbientI\":\"inf\"}}", "1: \"AmbientI\" holds \"inf\"" + number},
      {"{\"Level\":{\"TilesX\":\"many\"}}", "1: \"TilesX\" holds \"many\"" + integer},
      {"{\"Level\":{\"TileSizeY\":\"wide\"}}", "1: \"TileSizeY\" holds \"wide\"" + number},
      {"{\"Level\":{\"Objects\":[{\"Type\":\"Wall\",\n\n\"TranslationX\":\"left\"}]}}",
       "3: \"TranslationX\" holds \"left\"" + number},
      {"{\"Level\":{\"Objects\":[{\"Type\":\"Wall\",\"Filters\":[{\"Saturation\":\".\"}]}]}}",
       "1: \"Saturation\" holds \".\"" + number},
      {"{\"Level\":{\"Objects\":[{\"Type\":\"Wall\",\"Light\":{\"FallOffEnd\":\"far\"}}]}}",
       "1: \"FallOffEnd\" holds \"far\"" + number},
      {"{\"Level\":{\"Objects\":[{\"ParticleEmmitters\":[{\"Particles_Per_Emition\":\"3000000000\"}]}]}}",
       "1: \"Particles_Per_Emition\" holds \"3000000000\"" + integer},
      {"{\"Level\":{\"Objects\":[{\"ParticleEmmitters\":[{\"Max_Particles\":\"3e9\"}]}]}}",
       "1: \"Max_Particles\" holds \"3e9\"" + integer},
      {"{\"Level\":{\"Objects\":[{\"ParticleEmmitters\":[{\"Slow_To_Zero\":\"yes\"}]}]}}",
       "1: \"Slow_To_Zero\" holds \"yes\"" + number},
      // A value spread over lines is reported at its key's line, and cut to a readable length.
      {"{\"Level\":{\n\"Lives\":\"\nthree lives, and then a great many more words than anyone needs\"}}",
       "2: \"Lives\" holds \"\nthree lives, and then a great many more...\"" + integer},
  };
  for (const auto& b : bad) {
    EXPECT_EQ(Rejected(b.text), "-ERROR- Malformed Level file: test.json:" + b.reason + "\n") << b.text;
  }
}

// A count that fits a 32-bit integer reads back exactly, whatever its size; its fraction is dropped.
TEST_F(LevelReaderTest, MaxParticlesReadsEveryWholeNumberExactly) {
  auto level = ReadObjects(
      "{\"Type\":\"Food\",\"ParticleEmmitters\":[{\"Max_Particles\":\"2147483647\"},{\"Max_Particles\":\"16777217\"},"
      "{\"Max_Particles\":\"-2147483648\"},{\"Max_Particles\":\"12.9\"},{\"Max_Particles\":\"1e3\"}]}");
  ASSERT_NE(level, nullptr);
  ASSERT_EQ(level->objects.size(), 1u);
  std::vector<int32_t> counts;
  for (const EmitterRecord& e : level->objects[0].emitters) counts.push_back(e.maxParticles);
  EXPECT_EQ(counts, (std::vector<int32_t>{2147483647, 16777217, -2147483647 - 1, 12, 1000}));
}

TEST_F(LevelReaderTest, PathologicalInputIsRejectedOrReadWithoutHarm) {
  // A value longer than any level needs.
  std::string longValue = "{\"Level\":{\"Objects\":[{\"Type\":\"Text\",\"Text\":\"" +
                          std::string(size_t{2} << 20, 'x') + "\"}]}}";
  EXPECT_EQ(Read(longValue), nullptr);
  EXPECT_EQ(log.Take(), "-ERROR- Malformed Level file: test.json:1: the value of \"Text\" is longer than 1048576 bytes\n");
  // A file far larger than any level.
  std::string huge = "{\"Level\":{" + std::string(size_t{17} << 20, ' ') + "}}";
  EXPECT_EQ(Read(huge), nullptr);
  EXPECT_EQ(log.Take(), "-ERROR- Malformed Level file: test.json: the file is larger than 16777216 bytes\n");
  // Millions of empty entries would cost far more memory than the file holds.
  std::string entries = "{\"Level\":{\"Attributes\":[";
  for (int i = 0; i < 300000; ++i) entries += "\"\",";
  EXPECT_EQ(Read(entries + "]}}"), nullptr);
  EXPECT_EQ(log.Take(), "-ERROR- Malformed Level file: test.json:1: more than 262144 records and list entries\n");
  // Deep nesting is only characters to the reader.
  std::string deep = "{\"Level\":{" + std::string(200000, '{') + std::string(200000, '[') +
                     "\"Food_Goal\":\"2\"" + std::string(200000, '}') + "}";
  auto level = Read(deep);
  ASSERT_NE(level, nullptr);
  EXPECT_EQ(level->foodGoal, 2u);
}

// ---- Writer --------------------------------------------------------------------------------

// The head of a file for a level whose level values are all defaults.
std::string DefaultHead() {
  return "{\n\t\"Level\":{\n\t\t\"Food_Goal\":\"0\",\n\t\t\"S_Rank\":\"0\",\n\t\t\"A_Rank\":\"0\",\n"
         "\t\t\"B_Rank\":\"0\",\n\t\t\"Lives\":\"0\",\n\t\t\"AmbientR\":\"0\",\n\t\t\"AmbientG\":\"0\",\n"
         "\t\t\"AmbientB\":\"0\",\n\t\t\"AmbientI\":\"1\",\n\t\t\"Textures\":[],\n"
         "\t\t\"Attributes\": [],\n\t\t\"Objects\": [\n\t\t\t";
}
// The tail of a file without tiles, from the end of the object list.
const char* kNoTilesTail = "],\n\t\t\"Tiles\":[\n\t\t\t]\n\t}\n}";

using LevelWriterTest = level_test::WithoutMusicTest;

ObjectRecord MakeObject(const std::string& id, ObjectType type) {
  ObjectRecord o;
  o.id = id;
  o.type = static_cast<int32_t>(type);
  o.scaleX = 100.0f;
  o.scaleY = 20.0f;
  return o;
}

// The layout itself is pinned by the shipped scene files, which must read back and write out byte for
// byte, and by the generated round trips; text objects are in no shipped file, so their quirks are here.
TEST_F(LevelWriterTest, TextObjectsWriteTextAndNextIdInBothBlocks) {
  Level level;
  ObjectRecord label = MakeObject("Text_0", ObjectType::Text);
  label.text = "pLAY";
  label.nextId = "UI_1";
  ObjectRecord last = MakeObject("Text_1", ObjectType::Text);
  last.text = "qUIT";
  last.nextId = "UI_2";
  FilterRecord none;  // kind 0 writes an empty kind and nothing more
  last.filters = {none};
  ObjectRecord zone = MakeObject("Escapezone_3", ObjectType::EscapeZone);
  zone.escapeDirection = static_cast<EscapeDirection>(9);
  level.objects = {label, zone, last};
  const std::string colours =
      "\t\t\t\t\"TranslationX\":\"0\",\n\t\t\t\t\"TranslationY\":\"0\",\n\t\t\t\t\"ScaleX\":\"100\",\n"
      "\t\t\t\t\"ScaleY\":\"20\",\n\t\t\t\t\"Rotation\":\"0\",\n\t\t\t\t\"RColor\":\"0\",\n"
      "\t\t\t\t\"GColor\":\"0\",\n\t\t\t\t\"BColor\":\"0\",\n\t\t\t\t\"AColor\":\"1\",\n";
  EXPECT_EQ(LevelToText(level),
            DefaultHead() +
                "{\n\t\t\t\t\"ID\":\"Text_0\",\n\t\t\t\t\"Type\":\"Text\",\n" + colours +
                "\t\t\t\t\"Fixed_To_Screen\":\"false\",\n\t\t\t\"Text\":\"pLAY\",\n\t\t\t\"NextID\":\"UI_1\",\n"
                "\t\t\t},\n\t\t\t"
                "{\n\t\t\t\t\"ID\":\"Escapezone_3\",\n\t\t\t\t\"Type\":\"Escapezone\",\n" + colours +
                "\t\t\t\t\"Fixed_To_Screen\":\"false\",\n\t\t\t\"Escape_Direction\":\"\",\n\t\t\t\t\t},\n\t\t\t"
                "{\n\t\t\t\t\"ID\":\"Text_1\",\n\t\t\t\t\"Type\":\"Text\",\n" + colours +
                "\t\t\t\t\"Fixed_To_Screen\":\"false\",\n\t\t\t\t\"Text\":\"qUIT\"\n\t\t\t\t\"NextID\":\"UI_2\"\n"
                "\t\t\t\"Filters\": [\n\t\t\t\t\t{\n\t\t\t\t\t\t\"Filter_Type\":\"\",\n\t\t\t\t\t\t}\n\t\t\t\t],\n"
                "\t\t\t\t}\n\t\t" +
                kNoTilesTail);
}

TEST_F(LevelWriterTest, LargeAndTinyRankThresholdsAreWrittenAsTheWholeNumbersTheyReadBackAs) {
  Level level;
  level.sRank = 2000000.0f;
  level.aRank = 0.00001f;
  level.bRank = 3e10f;
  std::string text = LevelToText(level);
  EXPECT_NE(text.find("\"S_Rank\":\"2000000\""), std::string::npos);
  EXPECT_NE(text.find("\"A_Rank\":\"0\""), std::string::npos);
  EXPECT_NE(text.find("\"B_Rank\":\"2147483647\""), std::string::npos);
  auto back = LoadLevelFromText(text, "ranks.json");
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->sRank, 2000000.0f);
  EXPECT_EQ(back->aRank, 0.0f);
  EXPECT_EQ(back->bRank, 2147483648.0f);
}

}  // namespace
