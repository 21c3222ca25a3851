// The game's audio system with the game's own banks, on SDL's dummy output (real mixer channels,
// real decoding, no sound card).
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

#include "AudioTestHelpers.h"
#include "audio/AudioSystem.h"
#include "core/Options.h"

using audio_test::ErrorLines;
using audio_test::FinalVolumeOf;
using audio_test::InstancesOf;
using audio_test::MusicFolder;
using audio_test::ParameterOf;
using audio_test::PathOf;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

const char* kLevelOne = "event:/Music/LevelOneMusic";
const char* kMenu = "event:/Music/MenuMusic";

class AudioSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string out;
    ASSERT_TRUE(audio_test::StartOnSilentOutput(&out));
    ASSERT_EQ(ErrorLines(out), 0) << out;
  }
  void TearDown() override { ShutdownAudio(); }

  // Runs `action` and returns what it wrote to standard output.
  template <class F>
  std::string Output(F action) {
    CaptureStdout();
    action();
    return GetCapturedStdout();
  }
  static PlaybackState StateOf(EventInstance i) {
    PlaybackState state = PlaybackState::Stopped;
    GetEventSystem()->GetPlaybackState(i, &state);
    return state;
  }
};

}  // namespace

TEST_F(AudioSystemTest, AnUnregisteredNamePrintsThreeErrorLinesAndPlaysNothing) {
  std::string out = Output([] { PlayEvent("never_registered"); });
  EXPECT_EQ(out, "Audio Error! 1\nAudio Error! 1\nAudio Error! 1\n");
  EXPECT_EQ(LastAudioResult(), AudioResult::InvalidHandle);
  EXPECT_EQ(GetEventSystem()->InstanceCount(), 0);
  // The positioned form fails at creation, both parameters, start and release.
  EXPECT_EQ(ErrorLines(Output([] { PlayEventAt("never_registered", 10.0f, 0.0f); })), 5);
  EXPECT_EQ(GetEventSystem()->InstanceCount(), 0);
  // Stopping it reports the count and the list.
  EXPECT_EQ(Output([] { StopEvent("nothing"); }), "Audio Error! 1\nAudio Error! 1\n");
}

TEST_F(AudioSystemTest, ANameKeepsItsFirstEventAndAFailedRegistrationReportsTwiceAndLeavesItFree) {
  std::string out = Output([] {
    RegisterEvent(kLevelOne, "levelone");
    RegisterEvent(kMenu, "levelone");
  });
  EXPECT_EQ(ErrorLines(out), 0) << out;
  EXPECT_EQ(PathOf("levelone"), kLevelOne);
  EXPECT_EQ(Output([] { RegisterEvent("event:/No/Such", "menu"); }), "Audio Error! 7\nAudio Error! 1\n");
  EXPECT_EQ(Output([] { RegisterEvent(kMenu, "menu"); }), "");
  EXPECT_EQ(PathOf("menu"), kMenu);
}

// Every object of a kind registers the kind's names: each registration is one user of the name, and
// the name (with its instances) goes with the last user's unload, not the first.
TEST_F(AudioSystemTest, EachRegistrationIsOneUserAndTheNameGoesWithTheLastUnload) {
  EXPECT_EQ(Output([] {
              RegisterEvent(kMenu, "menu");
              RegisterEvent(kMenu, "menu");
              UnloadEvent("menu");
              PlayEvent("menu");
            }),
            "");
  EXPECT_EQ(PathOf("menu"), kMenu);
  EXPECT_EQ(InstancesOf("menu").size(), 1u);
  EXPECT_EQ(Output([] { UnloadEvent("menu"); }), "");
  EXPECT_EQ(FindRegisteredEvent("menu").generation, 0u);
  EXPECT_EQ(GetEventSystem()->InstanceCount(), 0);
  // Nobody holds it any more: unloading it again is the misuse it always was.
  EXPECT_EQ(ErrorLines(Output([] { UnloadEvent("menu"); })), 2);
}

// The objects of the last scene go after the audio system has shut down (at exit): a guard that
// was chasing turns the chase music off and every Sound unloads its names. Outside the system's
// lifetime there is no layer to call: nothing happens, nothing is reported, nothing crashes.
TEST_F(AudioSystemTest, AfterTheShutdownNothingIsAskedOfTheLayerAndNothingIsReported) {
  RegisterEvent(kLevelOne, "levelone");
  PlayEvent("levelone");
  SetChaseMusic(true);
  ShutdownAudio();
  EXPECT_EQ(Output([] {
              SetChaseMusic(false);
              UnloadEvent("levelone");
              EXPECT_FALSE(RegisterEvent(kMenu, "menu"));
              PlayEvent("menu");
              PlayEventAt("menu", 10.0f, 0.0f);
              StopEvent("menu");
              EXPECT_FALSE(IsEventPlaying("menu"));
              MusicBus().SetMute(true);
              EXPECT_FALSE(MusicBus().GetMute());
              SfxBus().SetVolume(0.5f);
              UpdateAudio();
            }),
            "");
  EXPECT_EQ(LastAudioResult(), AudioResult::Ok);
  EXPECT_EQ(FindRegisteredEvent("menu").generation, 0u);
}

TEST(AudioDirectionTest, TheTableAndTheLowerLeftQuarter) {
  // The source's angle from the camera (0 to its right, 90 straight above, 180 to its left, 270
  // straight below; the lower left mirrors the upper left) and the parameter it gives.
  const float table[][2] = {{0.0f, 180.0f},  {45.0f, 90.0f},  {90.0f, 0.0f},   {135.0f, -90.0f}, {180.0f, -180.0f},
                            {225.0f, -90.0f}, {270.0f, 0.0f},  {315.0f, 90.0f}, {360.0f, 180.0f}, {-0.5f, 0.0f},
                            {360.5f, 0.0f},   {std::numeric_limits<float>::quiet_NaN(), 0.0f}};
  for (const auto& [angle, parameter] : table) EXPECT_FLOAT_EQ(DirectionParameter(angle), parameter) << angle;
  EXPECT_NEAR(DirectionParameter(180.5f), -179.0f, 1e-3f);
  EXPECT_NEAR(DirectionParameter(269.5f), -1.0f, 1e-3f);
  // No jump anywhere round the circle: a half-degree step moves the value by at most one.
  for (float a = 0.5f; a <= 360.0f; a += 0.5f) {
    EXPECT_LE(std::fabs(DirectionParameter(a) - DirectionParameter(a - 0.5f)), 1.0f + 1e-3f) << a;
  }
}

TEST_F(AudioSystemTest, StopEndsEveryInstanceOfTheNameAndNoOther) {
  RegisterEvent(kMenu, "menu");
  RegisterEvent(kLevelOne, "levelone");
  for (int i = 0; i < 3; ++i) PlayEvent("menu");
  PlayEvent("levelone");
  std::vector<EventInstance> menu = InstancesOf("menu");
  ASSERT_EQ(menu.size(), 3u);
  for (EventInstance i : menu) EXPECT_EQ(StateOf(i), PlaybackState::Playing);

  EXPECT_EQ(Output([] { StopEvent("menu"); }), "");
  for (EventInstance i : menu) EXPECT_EQ(StateOf(i), PlaybackState::Stopped);
  UpdateAudio();
  EXPECT_TRUE(InstancesOf("menu").empty()) << "released one-shots free themselves once stopped";
  ASSERT_EQ(InstancesOf("levelone").size(), 1u);
  EXPECT_EQ(StateOf(InstancesOf("levelone")[0]), PlaybackState::Playing);
}

TEST_F(AudioSystemTest, ChaseIsSetOnEveryLevelMusicInstanceAndQuietly) {
  RegisterEvent(kLevelOne, "levelone");
  RegisterEvent(kMenu, "menu");
  // Without level music playing it does nothing.
  EXPECT_EQ(Output([] { SetChaseMusic(true); }), "");
  EXPECT_EQ(LastAudioResult(), AudioResult::Ok);
  EXPECT_EQ(GetEventSystem()->InstanceCount(), 0);
  PlayEvent("levelone");
  PlayEvent("levelone");
  PlayEvent("menu");
  EXPECT_EQ(Output([] { SetChaseMusic(true); }), "");
  std::vector<EventInstance> level = InstancesOf("levelone");
  ASSERT_EQ(level.size(), 2u);
  for (EventInstance i : level) EXPECT_FLOAT_EQ(ParameterOf(i, "parameter:/Chase"), 1.0f);
  EXPECT_EQ(LastAudioResult(), AudioResult::Ok);
  SetChaseMusic(false);
  for (EventInstance i : level) EXPECT_FLOAT_EQ(ParameterOf(i, "parameter:/Chase"), 0.0f);
}

TEST_F(AudioSystemTest, BusMuteAndVolumeReachOnlyTheirOwnEvents) {
  RegisterEvent(kMenu, "menu");
  RegisterEvent("event:/SFX/Player/PlayerWindup", "windup");
  PlayEvent("menu");
  PlayEvent("windup");
  EventInstance music = InstancesOf("menu").at(0);
  EventInstance effect = InstancesOf("windup").at(0);
  const float musicVolume = FinalVolumeOf(music);
  const float effectVolume = FinalVolumeOf(effect);
  ASSERT_GT(musicVolume, 0.0f);
  ASSERT_GT(effectVolume, 0.0f);

  std::string out = Output([] {
    MusicBus().SetMute(true);
    SfxBus().SetVolume(0.5f);
  });
  EXPECT_EQ(out, "");
  EXPECT_TRUE(MusicBus().GetMute());
  EXPECT_FALSE(SfxBus().GetMute());
  EXPECT_FLOAT_EQ(SfxBus().GetVolume(), 0.5f);
  EXPECT_FLOAT_EQ(FinalVolumeOf(music), 0.0f);
  EXPECT_FLOAT_EQ(FinalVolumeOf(effect), 0.5f * effectVolume);

  MusicBus().SetMute(false);
  MusicBus().SetVolume(0.0f);  // what the game does while its window is minimised
  EXPECT_FLOAT_EQ(FinalVolumeOf(music), 0.0f);
  MusicBus().SetVolume(1.0f);
  EXPECT_FLOAT_EQ(FinalVolumeOf(music), musicVolume);
  EXPECT_FLOAT_EQ(FinalVolumeOf(effect), 0.5f * effectVolume);
}

TEST_F(AudioSystemTest, APositionedOneShotCarriesDistanceAndDirection) {
  RegisterEvent("event:/SFX/Enemey/EnemyFootsteps", "footstep_e");
  EXPECT_EQ(Output([] { PlayEventAt("footstep_e", 1150.0f, 180.0f); }), "");
  EventInstance step = InstancesOf("footstep_e").at(0);
  EXPECT_FLOAT_EQ(ParameterOf(step, "parameter:/NoAutoDistance"), 1150.0f);
  EXPECT_FLOAT_EQ(ParameterOf(step, "parameter:/NoAutoDirection"), -180.0f);
  EXPECT_LT(FinalVolumeOf(step), 0.3f) << "a quarter of the event's volume at 1150 units";
  // An event without position has no such parameters.
  RegisterEvent("event:/SFX/Menu/MenuForward", "menuforward");
  EXPECT_EQ(ErrorLines(Output([] { PlayEventAt("menuforward", 10.0f, 0.0f); })), 2);
}

TEST_F(AudioSystemTest, EveryEventTheGameUsesIsInTheBanksAndDecodes) {
  const char* paths[] = {
      "event:/SFX/Player/PlayerWindup",   "event:/SFX/Player/PlayerThrow",     "event:/SFX/Player/PlayerFootsteps",
      "event:/SFX/Player/PlayerFootstepsVent", "event:/SFX/Player/PlayerFootstepsWood", "event:/SFX/Food/FoodDrop",
      "event:/SFX/Food/FoodGrab",         "event:/SFX/Food/FoodCollision",     "event:/SFX/Food/FoodCollect",
      "event:/SFX/Food/FoodNeeded",       "event:/SFX/Food/FoodMax",           "event:/SFX/Enemey/EnemyCatch",
      "event:/SFX/Enemey/EnemyFootsteps", "event:/SFX/Enemey/EnemyFootstepsChase", "event:/SFX/Enemey/EnemyFullAlert",
      "event:/SFX/Enemey/EnemyGiveUp",    "event:/SFX/Enemey/EnemyHalfAlert",  "event:/SFX/Enemey/EnemyHit",
      "event:/SFX/GlassShatter",          "event:/SFX/Menu/Pause",             "event:/SFX/Menu/PauseEnd",
      "event:/SFX/Menu/MenuForward",      "event:/SFX/Menu/MenuBack",          "event:/SFX/Menu/CorvanLogo",
      "event:/SFX/Menu/LullwickLogo",     "event:/Music/MenuMusic",            "event:/Music/LevelOneMusic",
  };
  int n = 0;
  for (const char* path : paths) {
    std::string name = "sound" + std::to_string(n++);
    EXPECT_EQ(Output([&] { RegisterEvent(path, name); }), "") << path;
    bool loaded = false;
    EXPECT_EQ(GetEventSystem()->IsEventLoaded(FindRegisteredEvent(name), &loaded), AudioResult::Ok) << path;
    EXPECT_TRUE(loaded) << path;
  }
}

TEST_F(AudioSystemTest, WithoutTheMusicFolderEverythingFailsWithErrorLinesOnly) {
  ShutdownAudio();
  testing_support::TempDir empty;
  // Five banks, the music's sample data and the two buses.
  EXPECT_EQ(ErrorLines(Output([&] { EXPECT_TRUE(InitializeAudio(empty.File("Music"))); })), 8);
  EXPECT_EQ(ErrorLines(Output([] { RegisterEvent(kMenu, "menu"); })), 2);
  EXPECT_EQ(ErrorLines(Output([] { PlayEvent("menu"); })), 3);
  EXPECT_EQ(ErrorLines(Output([] { MusicBus().SetVolume(1.0f); })), 1);
  EXPECT_EQ(ErrorLines(Output([] { SetChaseMusic(true); })), 2);
  EXPECT_EQ(ErrorLines(Output([] { UpdateAudio(); })), 0);
  EXPECT_EQ(ErrorLines(Output([] { ShutdownAudio(); })), 5);

  EXPECT_EQ(GetEventSystem(), nullptr);
  EXPECT_EQ(Output([] { ShutdownAudio(); }), "");
}

TEST(AudioHeadlessTest, HeadlessRunsTheEventsOnTheClockWithoutAnOutput) {
  RunOptions saved = GetRunOptions();
  RunOptions headless = saved;
  headless.headless = true;
  SetRunOptions(headless);
  CaptureStdout();
  ASSERT_TRUE(InitializeAudio(MusicFolder()));
  RegisterEvent("event:/SFX/Menu/MenuForward", "menuforward");
  RegisterEvent(kLevelOne, "levelone");
  PlayEvent("menuforward");
  PlayEvent("levelone");
  SetChaseMusic(true);
  std::string out = GetCapturedStdout();
  EXPECT_EQ(out, "");
  ASSERT_EQ(InstancesOf("menuforward").size(), 1u);
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  UpdateAudio();
  EXPECT_TRUE(InstancesOf("menuforward").empty()) << "the one-shot ended after its length";
  ASSERT_EQ(InstancesOf("levelone").size(), 1u) << "the loop goes on";
  EXPECT_FLOAT_EQ(ParameterOf(InstancesOf("levelone")[0], "parameter:/Chase"), 1.0f);
  ShutdownAudio();
  SetRunOptions(saved);
}
