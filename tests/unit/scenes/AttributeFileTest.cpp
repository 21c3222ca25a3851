#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "LevelTestHelpers.h"
#include "audio/AudioSystem.h"
#include "audio/Sound.h"
#include "core/FileSync.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "scenes/AttributeFile.h"
#include "scenes/HumanTuning.h"
#include "scenes/PlayerTuning.h"
#include "support/TestSupport.h"

using level_test::LogCapture;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace fs = std::filesystem;

namespace {

class AttributeFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPlayerTuning();
    ResetHumanTuning();
  }
  void TearDown() override {
    ClearObjects();
    ResetPlayerTuning();
    ResetHumanTuning();
  }

  // An object with a Sound component holding `sounds`, added to the object list.
  GameObject* AddWithSounds(const std::string& name, ObjectType type,
                            const std::map<std::string, std::string>& sounds) {
    auto* object = new GameObject(name, 0.0f, 0.0f, 0.0f, 10.0f, 10.0f, type);
    auto* sound = new Sound();
    for (const auto& [n, path] : sounds) sound->AddSound(n, path);
    object->AddComponent(sound);
    AddObject(object);
    return object;
  }

  bool LoadText(const std::string& text) { return LoadAttributesFromText(text, "test.json"); }

  TempDir dir;
  LogCapture log;
};

const char* kHumanDefaultsText =
    "{\n\t\"Human\": {\n\t\t\"attributes\": {\n"
    "\t\t\t\"max_aggro\": \"1\",\n\t\t\t\"return_agro\": \"0.2\",\n\t\t\t\"detection_angle\": \"120\",\n"
    "\t\t\t\"catch_radius\": \"20\",\n\t\t\t\"max_detection_radius\": \"500\",\n"
    "\t\t\t\"min_detection_radius\": \"70\",\n\t\t\t\"patrol_acceleration\": \"15000\",\n"
    "\t\t\t\"patrol_max_velocity\": \"150\"\n\t\t\t\"chase_aceleration\": \"20000\",\n"
    "\t\t\t\"chase_max_velocity\": \"250\",\n\t\t\t\"grace_acceleration\": \"15000\",\n"
    "\t\t\t\"grace_max_velocity\": \"100\",\n\t\t\t\"detection_run_speed_mod\": \"4\",\n"
    "\t\t\t\"detection_idle_speed_mod\": \"4\",\n\t\t\t\"distance_mod\": \"3\",\n"
    "\t\t\t\"agro_recovery_rate\": \"0.3\"\n\t\t\t\"grace_max_time\": \"2\",\n"
    "\t\t\t\"grace_timer_scale\": \"1\",\n\t\t\t\"stun_max_time\": \"2\"\n"
    "\t\t},\n\t\t\"sounds\": {\n\t\t}\n\t}\n}";

// ---- Writer --------------------------------------------------------------------------------

TEST_F(AttributeFileTest, PlayerFileHoldsTheTuningTheConstantRatioAndTheObjectsSounds) {
  PlayerTuningValues().accel = 1234.5f;
  PlayerTuningValues().throwMovementRatio = 0.75f;
  GameObject* player = AddWithSounds("Player_0", ObjectType::Player,
                                     {{"Player_0_footstep", "event:/SFX/Custom/Steps"},
                                      {"Player_0_drop", "event:/SFX/Custom/Drop"},
                                      {"Player_1_throw", "event:/SFX/Other/Throw"}});
  EXPECT_EQ(AttributesToText(player, 1),
            "{\n\t\"Player\": {\n\t\t\"attributes\": {\n"
            "\t\t\t\"accel\": \"1234.5\",\n\t\t\t\"accel_holding\": \"20000\",\n\t\t\t\"accel_vent\": \"40000\",\n"
            "\t\t\t\"maxVelocity\": \"450\",\n\t\t\t\"maxVelocity_holding\": \"200\",\n"
            "\t\t\t\"maxVelocity_vent\": \"350\",\n\t\t\t\"throwMovementRatio\": \"2\",\n"
            "\t\t\t\"decel\": \"20000\"\n\t\t},\n\t\t\"sounds\": {\n"
            "\t\t\t\"footstep\": \"event:/SFX/Custom/Steps\",\n\t\t\t\"footstep_grab\": \"\",\n"
            "\t\t\t\"footstep_vent\": \"\",\n\t\t\t\"throw\": \"\",\n\t\t\t\"throw_init\": \"\",\n"
            "\t\t\t\"drop\": \"event:/SFX/Custom/Drop\"\n\t\t}\n\t}\n}");
}

TEST_F(AttributeFileTest, OtherTypesWriteAnEmptyFile) {
  const std::string path = dir.File("wall.json");
  WriteFile(path, "old");
  EXPECT_TRUE(SaveAttributesToFile(nullptr, 7, path));
  EXPECT_EQ(ReadFile(path), "");
  EXPECT_TRUE(LoadAttributesFromFile(path));  // an empty file names no section and changes nothing
}

// The human file holds the nineteen values and an empty sound block.
TEST_F(AttributeFileTest, HumanFileIsWrittenWholeAndAFailedSaveKeepsIt) {
  const std::string path = dir.File("human.json");
  ASSERT_TRUE(SaveAttributesToFile(nullptr, 3, path));
  EXPECT_EQ(ReadFile(path), kHumanDefaultsText);
  HumanTuningValues().max_aggro = 5.0f;
  files::SetReplaceFaultForTesting(files::ReplaceFault::Write);
  EXPECT_FALSE(SaveAttributesToFile(nullptr, 3, path));
  files::SetReplaceFaultForTesting(files::ReplaceFault::None);
  fs::create_directory(dir.File("folder.json"));
  EXPECT_FALSE(SaveAttributesToFile(nullptr, 3, dir.File("folder.json")));
  EXPECT_FALSE(SaveAttributesToFile(nullptr, 3, dir.File("missing/human.json")));
  // Each failure says why, naming the file.
  EXPECT_EQ(log.Take(),
            "-ERROR- Unable to open file to write: cannot write " + path + "\n"
            "-ERROR- Unable to open file to write: " + dir.File("folder.json") + " is a folder, not a file\n"
            "-ERROR- Unable to open file to write: cannot create a temporary file beside " +
                dir.File("missing/human.json") + ": No such file or directory\n");
  std::string why;
  EXPECT_FALSE(SaveAttributesToFile(nullptr, 3, dir.File("folder.json"), &why));
  EXPECT_EQ(why, dir.File("folder.json") + " is a folder, not a file");
  log.Take();
  EXPECT_EQ(ReadFile(path), kHumanDefaultsText);
  EXPECT_TRUE(fs::is_directory(dir.File("folder.json")));
  // A value the reader would reject is not written either.
  HumanTuningValues().grace_max_time = std::numeric_limits<float>::infinity();
  EXPECT_FALSE(SaveAttributesToFile(nullptr, 3, path));
  EXPECT_EQ(log.Take(), "-ERROR- Unable to write the attributes: \"grace_max_time\" is not a finite number\n");
  EXPECT_EQ(ReadFile(path), kHumanDefaultsText);
}

// ---- Reader --------------------------------------------------------------------------------

TEST_F(AttributeFileTest, HumanValuesRoundTrip) {
  struct Value {
    const char* name;
    float HumanTuning::*field;
    float value;
  };
#define QM_FIELD(name, value) Value{#name, &HumanTuning::name, value}
  const Value values[] = {
      QM_FIELD(max_aggro, 2.5f),           QM_FIELD(return_agro, 0.125f),          QM_FIELD(catch_radius, 33.0f),
      QM_FIELD(max_detection_radius, 640.5f), QM_FIELD(min_detection_radius, 55.0f),
      QM_FIELD(patrol_acceleration, 12000.0f), QM_FIELD(patrol_max_velocity, 140.0f),
      QM_FIELD(chase_aceleration, 21000.0f),  QM_FIELD(chase_max_velocity, 260.0f),
      QM_FIELD(grace_acceleration, 9000.0f),  QM_FIELD(grace_max_velocity, 90.0f),
      QM_FIELD(detection_run_speed_mod, 5.5f), QM_FIELD(detection_idle_speed_mod, 2.25f),
      QM_FIELD(distance_mod, 3.75f),        QM_FIELD(agro_recovery_rate, 0.35f), QM_FIELD(grace_max_time, 1.5f),
      QM_FIELD(grace_timer_scale, 0.8f),    QM_FIELD(stun_max_time, 2.75f),
  };
#undef QM_FIELD
  for (const Value& v : values) HumanTuningValues().*v.field = v.value;
  HumanTuningValues().detection_angle = 95;
  const std::string path = dir.File("human.json");
  ASSERT_TRUE(SaveAttributesToFile(nullptr, 3, path));
  ResetHumanTuning();
  ASSERT_TRUE(LoadAttributesFromFile(path));
  for (const Value& v : values) EXPECT_EQ(HumanTuningValues().*v.field, v.value) << v.name;
  EXPECT_EQ(HumanTuningValues().detection_angle, 95);
  EXPECT_EQ(log.Take(), "");
}

TEST_F(AttributeFileTest, PlayerValuesAreReadButTheThrowRatioIsIgnored) {
  PlayerTuningValues().throwMovementRatio = 0.5f;
  ASSERT_TRUE(LoadText(
      "{\"Player\": {\"attributes\": {\"accel\": \"100\", \"accel_holding\": \"200\", \"accel_vent\": \"300\","
      "\"maxVelocity\": \"400\" \"maxVelocity_holding\": \"500\" \"maxVelocity_vent\": \"600.5\","
      "\"throwMovementRatio\": \"9\", \"decel\": \"700x\", \"max_aggro\": \"3\"}}}"));
  const PlayerTuning& p = PlayerTuningValues();
  EXPECT_EQ((std::vector<float>{p.accel, p.accel_holding, p.accel_vent, p.maxVelocity, p.maxVelocity_holding,
                                p.maxVelocity_vent, p.decel, p.throwMovementRatio, p.movementPenalty}),
            (std::vector<float>{100, 200, 300, 400, 500, 600.5f, 700, 0.5f, 0.3f}));
  EXPECT_EQ(HumanTuningValues().max_aggro, 1.0f);  // a human key in a player file is ignored
}

TEST_F(AttributeFileTest, EnemyAndHumanBothNameTheHumanSectionAndTheAngleIsTruncated) {
  ASSERT_TRUE(LoadText("{\"Human\": {\"attributes\": {\"detection_angle\": \"90.9\", \"accel\": \"5\"}}}"));
  EXPECT_EQ(HumanTuningValues().detection_angle, 90);
  EXPECT_EQ(PlayerTuningValues().accel, 40000.0f);
  ASSERT_TRUE(LoadText("{\"Enemy\": {\"attributes\": {\"stun_max_time\": \"4\"}}}"));
  EXPECT_EQ(HumanTuningValues().stun_max_time, 4.0f);
  // Lists and commas are optional decoration.
  ASSERT_TRUE(LoadText("{\"Human\" {\"notes\": [\"max_aggro\", \"7\"]\n\"max_aggro\" \"2\"}"));
  EXPECT_EQ(HumanTuningValues().max_aggro, 2.0f);
}

// A number that does not convert, or a section that names no tuning, rejects the whole file.
TEST_F(AttributeFileTest, NumberThatDoesNotConvertRejectsTheWholeFileAndIsNamedWithItsLine) {
  const std::string number = ", which is not a finite number within range\n";
  const std::string noSection = " names no tuning section (only \"Player\" and \"Human\" do)\n";
  const struct {
    const char* text;
    std::string reason;
  } bad[] = {
      {"{\"Human\": {\"attributes\": {\"max_aggro\": \"3\",\n \"return_agro\": \"lots\"}}}",
       "2: \"return_agro\" holds \"lots\"" + number},
      {"{\"Human\": {\"attributes\": {\"max_aggro\": \"3\", \"detection_angle\": \"1e10\"}}}",
       "1: \"detection_angle\" holds \"1e10\", which is not a whole number within range\n"},
      {"{\"Human\": {\"attributes\": {\"max_aggro\": \"3\", \"catch_radius\": \"1e40\"}}}",
       "1: \"catch_radius\" holds \"1e40\"" + number},
      {"{\"Player\": {\"attributes\": {\"accel\": \"3\",\n\n \"throwMovementRatio\": \"two\"}}}",
       "3: \"throwMovementRatio\" holds \"two\"" + number},
      {"{\"Player\": {\"attributes\": {\"accel\": \"3\", \"decel\": \"nan\"}}}", "1: \"decel\" holds \"nan\"" + number},
      {"{\"Wall\": {\"attributes\": {\"max_aggro\": \"3\"}}}", "1: \"Wall\"" + noSection},
      {"{\"Humans\": {}}", "1: \"Humans\"" + noSection},
  };
  for (const auto& b : bad) {
    EXPECT_FALSE(LoadText(b.text)) << b.text;
    EXPECT_EQ(log.Take(), "-WARNING- Malformed attribute File: test.json:" + b.reason) << b.text;
  }
  // Nothing read before the bad value stays applied.
  EXPECT_EQ(HumanTuningValues().max_aggro, 1.0f);
  EXPECT_EQ(PlayerTuningValues().accel, 40000.0f);
}

// A level that names an attribute file nobody can read must say so: the tuning silently stays
// whatever the last level left.
TEST_F(AttributeFileTest, AFileThatCannotBeOpenedIsReportedWithItsPath) {
  EXPECT_FALSE(LoadAttributesFromFile(dir.File("missing.json")));
  EXPECT_FALSE(LoadAttributesFromFile(dir.path()));
  EXPECT_EQ(log.Take(), "-WARNING- Could not open the attribute file " + dir.File("missing.json") +
                            ": there is no such file\n-WARNING- Could not open the attribute file " + dir.path() +
                            ": it is a folder\n");
}

TEST_F(AttributeFileTest, PlayerSoundKeysReRegisterEveryPlayersSoundWithTheTablesEvent) {
  ASSERT_TRUE(InitializeAudio("./Assets/Music/"));
  GameObject* first = AddWithSounds("Player_0", ObjectType::Player,
                                    {{"Player_0_footstep", "event:/SFX/Old/Steps"}, {"walk", "event:/SFX/Keep"}});
  GameObject* second = AddWithSounds("Player_1", ObjectType::Player, {});
  GameObject* plain = AddWithSounds("Player", ObjectType::Player, {});
  GameObject* food = AddWithSounds("Food_0", ObjectType::Food, {});
  ASSERT_TRUE(LoadText(
      "{\"Player\": {\"sounds\": {\"footstep\": \"event:/SFX/Whatever\", \"drop\": \"\"}}}"));
  auto sounds = [](GameObject* o) { return o->FindComponent<Sound>()->GetSounds(); };
  EXPECT_EQ(sounds(first),
            (std::map<std::string, std::string>{{"Player_0_drop", "event:/SFX/Food/FoodDrop"},
                                                 {"Player_0_footstep", "event:/SFX/Player/PlayerFootsteps"},
                                                 {"walk", "event:/SFX/Keep"}}));
  EXPECT_EQ(sounds(second),
            (std::map<std::string, std::string>{{"Player_1_drop", "event:/SFX/Food/FoodDrop"},
                                                 {"Player_1_footstep", "event:/SFX/Player/PlayerFootsteps"}}));
  EXPECT_TRUE(sounds(plain).empty());
  EXPECT_TRUE(sounds(food).empty());
  EXPECT_NE(FindRegisteredEvent("Player_1_footstep").generation, 0u);
  ClearObjects();
  ShutdownAudio();
}

TEST_F(AttributeFileTest, ShippedAttributeFilesLoad) {
  std::error_code ec;
  int count = 0;
  for (const auto& entry : fs::directory_iterator("./Assets/Attributes", ec)) {
    if (entry.path().extension() != ".json") continue;
    ++count;
    EXPECT_TRUE(LoadAttributesFromFile(entry.path().string())) << entry.path();
  }
  if (count == 0) GTEST_SKIP() << "no attribute files shipped yet";
  EXPECT_EQ(log.Take(), "");
}

}  // namespace
