#include <gtest/gtest.h>

#include <memory>

#include "audio/AudioSystem.h"
#include "audio/Sound.h"
#include "objects/GameObject.h"
#include "AudioTestHelpers.h"

using audio_test::ErrorLines;
using audio_test::InstancesOf;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

const char* kSteps = "event:/SFX/Enemey/EnemyFootsteps";
const char* kChaseSteps = "event:/SFX/Enemey/EnemyFootstepsChase";

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    audio_test::UseAudioDriver("dummy");
    CaptureStdout();
    InitializeAudio(audio_test::MusicFolder());
    GetCapturedStdout();
  }
  void TearDown() override { ShutdownAudio(); }

  // A guard-like object whose Sound registers "footstep_e".
  static std::unique_ptr<GameObject> Guard(const std::string& name, const char* path = kSteps) {
    auto object = std::make_unique<GameObject>(name, 0.0f, 0.0f, 0.0f, 60.0f, 30.0f, ObjectType::Enemy);
    auto* sound = new Sound();
    sound->AddSound("footstep_e", path);
    sound->LoadSound("footstep_e");
    object->AddComponent(sound);
    return object;
  }
  static std::string PathOf(const std::string& name) {
    std::string path;
    GetEventSystem()->GetEventPath(FindRegisteredEvent(name), &path);
    return path;
  }
};

}  // namespace

// Loading a name that was never added registers an empty path.
TEST_F(SoundTest, AddingTwiceKeepsTheSecondPathButTheSystemKeepsTheFirstEvent) {
  Sound sound;
  sound.AddSound("footstep_e", kSteps);
  sound.LoadSound("footstep_e");
  sound.AddSound("footstep_e", kChaseSteps);
  sound.LoadSound("footstep_e");
  EXPECT_EQ(sound.GetSounds().at("footstep_e"), kChaseSteps);
  EXPECT_EQ(PathOf("footstep_e"), kSteps);
  CaptureStdout();
  sound.LoadSound("ghost");
  EXPECT_EQ(GetCapturedStdout(), "Audio Error! 7\nAudio Error! 1\n");
  ASSERT_EQ(sound.GetSounds().count("ghost"), 1u);
  EXPECT_EQ(sound.GetSounds().at("ghost"), "");
}

TEST_F(SoundTest, DestroyingOneOfTwoObjectsUnloadsTheSharedNameForBoth) {
  std::unique_ptr<GameObject> first = Guard("Enemy_1");
  std::unique_ptr<GameObject> second = Guard("Enemy_2");
  CaptureStdout();
  PlayEventAt("footstep_e", 100.0f, 0.0f);
  EXPECT_EQ(GetCapturedStdout(), "");

  first.reset();
  EXPECT_EQ(FindRegisteredEvent("footstep_e").generation, 0u) << "the name is gone from the table";
  EXPECT_TRUE(InstancesOf("footstep_e").empty());
  CaptureStdout();
  PlayEvent("footstep_e");
  EXPECT_EQ(ErrorLines(GetCapturedStdout()), 3) << "the surviving guard's steps are silent too";
  EXPECT_EQ(second->FindComponent<Sound>()->GetSounds().count("footstep_e"), 1u);

  // Until someone registers the name again.
  std::unique_ptr<GameObject> third = Guard("Enemy_3");
  CaptureStdout();
  PlayEvent("footstep_e");
  EXPECT_EQ(GetCapturedStdout(), "");
  // The second guard's destruction unloads it once more; unloading an unknown name reports twice.
  third.reset();
  CaptureStdout();
  second.reset();
  EXPECT_EQ(ErrorLines(GetCapturedStdout()), 2);
}

TEST_F(SoundTest, RemoveSoundUnloadsAndForgetsTheName) {
  Sound sound;
  sound.AddSound("shatter", "event:/SFX/GlassShatter");
  sound.LoadSound("shatter");
  sound.PlayAt("shatter", 0.0f, 90.0f);
  ASSERT_EQ(InstancesOf("shatter").size(), 1u);
  CaptureStdout();
  sound.RemoveSound("shatter");
  EXPECT_EQ(GetCapturedStdout(), "");
  EXPECT_TRUE(sound.GetSounds().empty());
  CaptureStdout();
  PlayEvent("shatter");
  EXPECT_EQ(ErrorLines(GetCapturedStdout()), 3);
}

TEST_F(SoundTest, PlayAtUsesTheSystemsTableNotTheComponents) {
  Sound owner;
  owner.AddSound("shatter", "event:/SFX/GlassShatter");
  owner.LoadSound("shatter");
  Sound stranger;  // never heard of "shatter"
  CaptureStdout();
  stranger.PlayAt("shatter", 500.0f, 0.0f);
  EXPECT_EQ(GetCapturedStdout(), "");
  ASSERT_EQ(InstancesOf("shatter").size(), 1u);
  EXPECT_FLOAT_EQ(audio_test::ParameterOf(InstancesOf("shatter")[0], "parameter:/NoAutoDirection"), 180.0f);
}
