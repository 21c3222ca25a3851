// What really comes out of the mixer: SDL's "disk" driver writes the mixed output (16-bit stereo,
// 44.1 kHz) to a file in real time, and the tests read it back.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "audio/AudioSystem.h"
#include "platform/AudioDevice.h"
#include "AudioTestHelpers.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;
using testing_support::WriteFile;

namespace {

struct Level {
  double rms = 0.0;  // of both channels, full scale = 1
  int peak = 0;
  size_t frames = 0;
};

// Level of the last `lastFrames` frames (all of them when 0). The file starts with the silence written
// while the banks load, so comparisons look at the end, where the music has been playing a while.
Level Measure(const std::string& raw, size_t lastFrames = 0) {
  Level level;
  const size_t frames = raw.size() / 4;
  const size_t skipFrames = lastFrames == 0 || lastFrames > frames ? 0 : frames - lastFrames;
  double sum = 0.0;
  for (size_t f = skipFrames; f < frames; ++f) {
    for (int c = 0; c < 2; ++c) {
      int16_t v;
      std::memcpy(&v, raw.data() + f * 4 + c * 2, 2);
      sum += static_cast<double>(v) * v;
      level.peak = std::max(level.peak, std::abs(static_cast<int>(v)));
    }
  }
  level.frames = frames > skipFrames ? frames - skipFrames : 0;
  level.rms = level.frames ? std::sqrt(sum / (2.0 * level.frames)) / 32768.0 : 0.0;
  return level;
}

class AudioOutputTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ShutdownAudio();
    audio_test::UseAudioDriver("dummy");
  }

  // Opens the disk output, registers the level music and the player's footsteps, lets `scene`
  // play them, runs the mixer for `seconds` and returns what it wrote.
  template <class F>
  std::string Record(double seconds, F scene) {
    std::string file = dir.File("out" + std::to_string(runs++) + ".raw");
    audio_test::UseAudioDriver("disk");
    ::setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    CaptureStdout();
    InitializeAudio(audio_test::MusicFolder());
    RegisterEvent("event:/Music/LevelOneMusic", "levelone");
    RegisterEvent("event:/SFX/Player/PlayerFootsteps", "footsteps_p");
    std::string setup = GetCapturedStdout();
    EXPECT_EQ(setup, "") << "the disk output must open and the banks load";
    scene();
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
      UpdateAudio();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ShutdownAudio();
    return testing_support::ReadFile(file);
  }

  testing_support::TempDir dir;
  int runs = 0;
};

}  // namespace

TEST_F(AudioOutputTest, MusicAndFootstepsReachTheOutputAndMutingMusicSilencesOnlyIt) {
  std::string both = Record(0.8, [] {
    PlayEvent("levelone");
    PlayEvent("footsteps_p");
  });
  std::string mutedMusic = Record(0.8, [] {
    MusicBus().SetMute(true);
    PlayEvent("levelone");
  });
  std::string mutedMusicAndStep = Record(0.8, [] {
    MusicBus().SetMute(true);
    PlayEvent("levelone");
    PlayEvent("footsteps_p");
  });
  Level a = Measure(both, 22050), b = Measure(mutedMusic), c = Measure(mutedMusicAndStep);
  std::printf("music and step: rms %.4f peak %d over %zu frames\n", a.rms, a.peak, a.frames);
  std::printf("muted music: rms %.4f peak %d over %zu frames\n", b.rms, b.peak, b.frames);
  std::printf("muted music and step: rms %.4f peak %d over %zu frames\n", c.rms, c.peak, c.frames);

  ASSERT_EQ(a.frames, 22050u) << "the disk output ran";
  EXPECT_GT(a.rms, 0.01) << "the level music is clearly audible";
  EXPECT_EQ(b.peak, 0) << "a muted music bus writes exact silence";
  ASSERT_GT(b.frames, 44100u / 4);
  EXPECT_GT(c.peak, 200) << "the footstep still sounds";
  EXPECT_LT(c.rms, a.rms);
}

TEST_F(AudioOutputTest, TheChaseLayerAddsToTheLevelMusic) {
  std::string calm = Record(1.2, [] { PlayEvent("levelone"); });
  std::string chase = Record(1.2, [] {
    PlayEvent("levelone");
    SetChaseMusic(true);
  });
  // The last half second, long after the layer's half-second fade-in.
  Level a = Measure(calm, 22050), b = Measure(chase, 22050);
  std::printf("calm: rms %.4f, chase: rms %.4f\n", a.rms, b.rms);
  EXPECT_GT(a.rms, 0.01);
  EXPECT_GT(b.rms, a.rms * 1.1);
}

// Every mixer voice busy with one-shots when the music starts (a burst of effects at a scene
// change): the music must still come out of the mixer, and keep coming out after the one-shots end.
TEST_F(AudioOutputTest, MusicStartedWhileEveryVoiceIsBusyIsHeardAfterTheOneShotsEnd) {
  WriteFile(dir.File("hush.wav"), audio_test::Wav(0.3, 0));
  WriteFile(dir.File("tune.wav"), audio_test::Wav(0.25));
  WriteFile(dir.File("busy.bank"),
            "quillbank 1\n"
            "event event:/Hush\n  sound hush.wav\nend\n"
            "event event:/Tune\n  sound tune.wav\n  loop yes\nend\n");
  std::string file = dir.File("busy.raw");
  audio_test::UseAudioDriver("disk");
  ::setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  std::string error;
  std::unique_ptr<platform::AudioDevice> device = platform::CreateSdlAudioDevice(&error);
  ASSERT_NE(device, nullptr) << error;
  const int voices = device->VoiceCount();
  EventSystem system;
  ASSERT_EQ(system.Initialize(512, std::move(device)), AudioResult::Ok);
  BankHandle bank;
  ASSERT_EQ(system.LoadBankFile(dir.File("busy.bank"), &bank), AudioResult::Ok);
  EventDescription hush, tune;
  ASSERT_EQ(system.GetEvent("event:/Hush", &hush), AudioResult::Ok);
  ASSERT_EQ(system.GetEvent("event:/Tune", &tune), AudioResult::Ok);

  for (int k = 0; k < voices + 6; ++k) {
    EventInstance shot;
    ASSERT_EQ(system.CreateInstance(hush, &shot), AudioResult::Ok);
    ASSERT_EQ(system.Start(shot), AudioResult::Ok);
    ASSERT_EQ(system.Release(shot), AudioResult::Ok);
  }
  EventInstance music;
  ASSERT_EQ(system.CreateInstance(tune, &music), AudioResult::Ok);
  ASSERT_EQ(system.Start(music), AudioResult::Ok);
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(900);
  while (std::chrono::steady_clock::now() < end) {
    ASSERT_EQ(system.Update(), AudioResult::Ok);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(system.InstanceCount(), 1) << "the one-shots ended and freed themselves";
  PlaybackState state = PlaybackState::Stopped;
  ASSERT_EQ(system.GetPlaybackState(music, &state), AudioResult::Ok);
  EXPECT_EQ(state, PlaybackState::Playing);
  ASSERT_EQ(system.Release(), AudioResult::Ok);

  Level tail = Measure(testing_support::ReadFile(file), 44100 / 4);
  std::printf("music after the one-shots: rms %.4f peak %d over %zu frames\n", tail.rms, tail.peak, tail.frames);
  ASSERT_EQ(tail.frames, 44100u / 4) << "the disk output ran";
  EXPECT_GT(tail.peak, 4000) << "the music reports itself playing but is silent";
}
