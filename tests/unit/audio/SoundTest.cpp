#include <gtest/gtest.h>

#include <memory>

#include "AudioTestHelpers.h"
#include "audio/AudioSystem.h"
#include "audio/Sound.h"
#include "objects/GameObject.h"

using audio_test::ErrorLines;
using audio_test::InstancesOf;
using audio_test::PathOf;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

const char* kSteps = "event:/SFX/Enemey/EnemyFootsteps";
const char* kChaseSteps = "event:/SFX/Enemey/EnemyFootstepsChase";

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override { audio_test::StartOnSilentOutput(); }
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

// Objects of one kind share their names: the name stays for the others until the last object that
// registered it goes.
TEST_F(SoundTest, ASharedNameStaysUntilTheLastObjectThatRegisteredItGoes) {
  std::unique_ptr<GameObject> first = Guard("Enemy_1");
  std::unique_ptr<GameObject> second = Guard("Enemy_2");
  CaptureStdout();
  first.reset();
  PlayEventAt("footstep_e", 100.0f, 0.0f);
  EXPECT_EQ(GetCapturedStdout(), "") << "the surviving guard's steps still sound";
  EXPECT_EQ(InstancesOf("footstep_e").size(), 1u);

  // A later object joins the survivor; the survivor's going leaves the name to it.
  std::unique_ptr<GameObject> third = Guard("Enemy_3");
  CaptureStdout();
  second.reset();
  PlayEvent("footstep_e");
  EXPECT_EQ(GetCapturedStdout(), "");

  // The last one takes the name and its instances with it.
  CaptureStdout();
  third.reset();
  EXPECT_EQ(GetCapturedStdout(), "");
  EXPECT_EQ(FindRegisteredEvent("footstep_e").generation, 0u) << "the name is gone from the table";
  CaptureStdout();
  PlayEvent("footstep_e");
  EXPECT_EQ(ErrorLines(GetCapturedStdout()), 3);
}

// A registration that failed holds nothing: its object's going unloads nothing, neither its own
// name nor the same name another object registers later.
TEST_F(SoundTest, AnObjectWhoseRegistrationFailedUnloadsNothing) {
  CaptureStdout();
  std::unique_ptr<GameObject> broken = Guard("Enemy_1", "event:/No/Such");
  EXPECT_EQ(ErrorLines(GetCapturedStdout()), 2);
  std::unique_ptr<GameObject> good = Guard("Enemy_2");
  CaptureStdout();
  broken.reset();
  PlayEvent("footstep_e");
  EXPECT_EQ(GetCapturedStdout(), "");
}

// The editor's "Load" and the player attribute file remove a name and load it again: the other
// objects that share it keep it throughout.
TEST_F(SoundTest, RemovingAndLoadingAgainKeepsTheNameForTheOthers) {
  std::unique_ptr<GameObject> first = Guard("Enemy_1");
  std::unique_ptr<GameObject> second = Guard("Enemy_2");
  Sound* sound = first->FindComponent<Sound>();
  CaptureStdout();
  sound->RemoveSound("footstep_e");
  PlayEvent("footstep_e");
  sound->AddSound("footstep_e", kSteps);
  sound->LoadSound("footstep_e");
  sound->LoadSound("footstep_e");  // twice: still one hold
  second.reset();
  PlayEvent("footstep_e");
  EXPECT_EQ(GetCapturedStdout(), "");
  CaptureStdout();
  first.reset();
  PlayEvent("footstep_e");
  EXPECT_EQ(ErrorLines(GetCapturedStdout()), 3);
}

// PlayAt looks the name up in the system's table, not the component's; RemoveSound unloads the name
// and forgets it.
TEST_F(SoundTest, PlayAtUsesTheSystemsTableAndRemoveSoundUnloadsAndForgetsTheName) {
  Sound owner;
  owner.AddSound("shatter", "event:/SFX/GlassShatter");
  owner.LoadSound("shatter");
  Sound stranger;  // never heard of "shatter"
  CaptureStdout();
  stranger.PlayAt("shatter", 500.0f, 0.0f);
  EXPECT_EQ(GetCapturedStdout(), "");
  ASSERT_EQ(InstancesOf("shatter").size(), 1u);
  EXPECT_FLOAT_EQ(audio_test::ParameterOf(InstancesOf("shatter")[0], "parameter:/NoAutoDirection"), 180.0f);
  CaptureStdout();
  owner.RemoveSound("shatter");
  EXPECT_EQ(GetCapturedStdout(), "");
  EXPECT_TRUE(owner.GetSounds().empty());
  CaptureStdout();
  PlayEvent("shatter");
  EXPECT_EQ(ErrorLines(GetCapturedStdout()), 3);
}
