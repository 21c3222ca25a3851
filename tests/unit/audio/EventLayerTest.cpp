// The event layer on the silent device: banks, handles, instance lifetimes, parameters and buses,
// without depending on a sound card or on the game's own banks.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

#include "AudioTestHelpers.h"
#include "audio/EventLayer.h"
#include "platform/AudioDevice.h"
#include "support/TestSupport.h"

using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

using audio_test::Wav;

const char* kTestBank =
    "quillbank 1\n"
    "event event:/Short\n  bus bus:/SFX\n  sound short.wav\n  sound short2.wav\n  pitch 1\nend\n"
    "event event:/Loop\n  bus bus:/Music\n  sound long.wav\n  loop yes\n"
    "  layer parameter:/Chase long.wav 0.5\nend\n"
    "event event:/Near\n  bus bus:/SFX\n  sound short.wav\n  volume 0.5\n  positioned yes\nend\n"
    "event event:/Missing\n  sound not-there.wav\nend\n"
    "event event:/Garbage\n  sound garbage.wav\nend\n";

class EventLayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(dir.File("short.wav"), Wav(0.3));
    WriteFile(dir.File("short2.wav"), Wav(0.3));
    WriteFile(dir.File("long.wav"), Wav(0.5));
    WriteFile(dir.File("garbage.wav"), "this is not a sound");
    WriteFile(dir.File("test.bank"), kTestBank);
    WriteFile(dir.File("master.bank"), "quillbank 1\nbus bus:/Music\nbus bus:/SFX\n");
    ASSERT_EQ(system.Initialize(8, platform::CreateNullAudioDevice()), AudioResult::Ok);
    ASSERT_EQ(system.LoadBankFile(dir.File("test.bank"), &bank), AudioResult::Ok);
  }

  EventDescription Event(const std::string& path) {
    EventDescription e;
    EXPECT_EQ(system.GetEvent(path, &e), AudioResult::Ok) << path;
    return e;
  }
  EventInstance Start(const std::string& path) {
    EventInstance i;
    EXPECT_EQ(system.CreateInstance(Event(path), &i), AudioResult::Ok);
    EXPECT_EQ(system.Start(i), AudioResult::Ok);
    return i;
  }
  int Count(const std::string& path) {
    int n = -1;
    EXPECT_EQ(system.GetInstanceCount(Event(path), &n), AudioResult::Ok);
    return n;
  }
  // Whether the event's sample data is loaded, and an instance's state (Playing when not asked for).
  bool Loaded(EventDescription e) {
    bool loaded = false;
    EXPECT_EQ(system.IsEventLoaded(e, &loaded), AudioResult::Ok);
    return loaded;
  }
  PlaybackState StateOf(EventInstance i) {
    PlaybackState state = PlaybackState::Playing;
    EXPECT_EQ(system.GetPlaybackState(i, &state), AudioResult::Ok);
    return state;
  }
  void WaitAndUpdate(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    ASSERT_EQ(system.Update(), AudioResult::Ok);
  }

  TempDir dir;
  EventSystem system;
  BankHandle bank;
};

}  // namespace

// A released loop plays on past its sound's length until stopped, and goes at the next update.
TEST_F(EventLayerTest, AReleasedOneShotFreesItselfWhenItEndsALoopWhenStoppedAndAnUnreleasedOneStays) {
  EventInstance released = Start("event:/Short");
  EventInstance kept = Start("event:/Short");
  EventInstance loop = Start("event:/Loop");
  ASSERT_EQ(system.Release(released), AudioResult::Ok);
  ASSERT_EQ(system.Release(loop), AudioResult::Ok);
  ASSERT_EQ(system.Update(), AudioResult::Ok);
  EXPECT_EQ(Count("event:/Short"), 2) << "still playing";
  WaitAndUpdate(0.6);
  EXPECT_EQ(Count("event:/Short"), 1);
  EXPECT_EQ(Count("event:/Loop"), 1) << "a loop outlives its sound's length";
  ASSERT_EQ(system.Stop(loop), AudioResult::Ok);
  EXPECT_EQ(Count("event:/Loop"), 1);
  ASSERT_EQ(system.Update(), AudioResult::Ok);
  EXPECT_EQ(Count("event:/Loop"), 0);
  PlaybackState state = PlaybackState::Playing;
  EXPECT_EQ(system.GetPlaybackState(released, &state), AudioResult::InvalidHandle);
  EXPECT_EQ(StateOf(kept), PlaybackState::Stopped);
  EXPECT_EQ(system.Start(kept), AudioResult::Ok) << "a stopped instance can start again";
  ASSERT_EQ(system.Release(kept), AudioResult::Ok);
  WaitAndUpdate(0.6);
  EXPECT_EQ(Count("event:/Short"), 0);
}

TEST_F(EventLayerTest, InstanceListAndReleaseAllCoverOnlyTheirEvent) {
  EventInstance a = Start("event:/Loop");
  EventInstance b = Start("event:/Loop");
  Start("event:/Near");
  EventInstance list[4];
  int n = 0;
  ASSERT_EQ(system.GetInstanceList(Event("event:/Loop"), list, 4, &n), AudioResult::Ok);
  ASSERT_EQ(n, 2);
  EXPECT_EQ(list[0].index, a.index);
  EXPECT_EQ(list[1].index, b.index);
  ASSERT_EQ(system.GetInstanceList(Event("event:/Loop"), list, 1, &n), AudioResult::Ok);
  EXPECT_EQ(n, 1) << "never more than the capacity";
  ASSERT_EQ(system.ReleaseAllInstances(Event("event:/Loop")), AudioResult::Ok);
  EXPECT_EQ(Count("event:/Loop"), 0);
  EXPECT_EQ(Count("event:/Near"), 1);
  EXPECT_EQ(system.Stop(a), AudioResult::InvalidHandle);
}

TEST_F(EventLayerTest, TheInstanceBudgetIsEnforcedAndFreedSlotsComeBack) {
  std::vector<EventInstance> all;
  for (int k = 0; k < 8; ++k) all.push_back(Start("event:/Loop"));
  EventInstance extra;
  EXPECT_EQ(system.CreateInstance(Event("event:/Loop"), &extra), AudioResult::MaxInstances);
  ASSERT_EQ(system.Release(all[0]), AudioResult::Ok);
  ASSERT_EQ(system.Stop(all[0]), AudioResult::Ok);
  ASSERT_EQ(system.Update(), AudioResult::Ok);
  EXPECT_EQ(system.CreateInstance(Event("event:/Loop"), &extra), AudioResult::Ok);
  EXPECT_NE(extra.generation, all[0].generation) << "a reused slot must not revive the old handle";
  EXPECT_EQ(system.Stop(all[0]), AudioResult::InvalidHandle);
}

TEST_F(EventLayerTest, ParametersExistOnlyWhereTheEventDeclaresThem) {
  EventInstance near;
  ASSERT_EQ(system.CreateInstance(Event("event:/Near"), &near), AudioResult::Ok);
  EXPECT_EQ(system.SetParameterByName(near, kDistanceParameter, 1150.0f), AudioResult::Ok);
  EXPECT_EQ(system.SetParameterByName(near, kDirectionParameter, 400.0f), AudioResult::Ok);
  float v = 0.0f;
  ASSERT_EQ(system.GetParameterByName(near, kDirectionParameter, &v), AudioResult::Ok);
  EXPECT_FLOAT_EQ(v, 180.0f) << "clamped to -180..180";
  ASSERT_EQ(system.GetFinalVolume(near, &v), AudioResult::Ok);
  EXPECT_FLOAT_EQ(v, 0.5f * DistanceAttenuation(1150.0f));
  EXPECT_EQ(system.SetParameterByName(near, "parameter:/Chase", 1.0f), AudioResult::NotFound);
  EXPECT_EQ(system.SetParameterByName(near, kDistanceParameter, std::numeric_limits<float>::quiet_NaN()),
            AudioResult::InvalidParam);

  EventInstance loop;
  ASSERT_EQ(system.CreateInstance(Event("event:/Loop"), &loop), AudioResult::Ok);
  EXPECT_EQ(system.SetParameterByName(loop, kDistanceParameter, 10.0f), AudioResult::NotFound);
  EXPECT_EQ(system.SetParameterByName(loop, "parameter:/Chase", 3.0f), AudioResult::Ok);
  ASSERT_EQ(system.GetParameterByName(loop, "parameter:/Chase", &v), AudioResult::Ok);
  EXPECT_FLOAT_EQ(v, 1.0f) << "a layer's parameter is 0..1";
}

TEST(EventLayerAttenuationTest, FullUpToThreeHundredSilentFromTwoThousand) {
  EXPECT_FLOAT_EQ(DistanceAttenuation(0.0f), 1.0f);
  EXPECT_FLOAT_EQ(DistanceAttenuation(300.0f), 1.0f);
  EXPECT_FLOAT_EQ(DistanceAttenuation(1150.0f), 0.25f);
  EXPECT_FLOAT_EQ(DistanceAttenuation(2000.0f), 0.0f);
  EXPECT_FLOAT_EQ(DistanceAttenuation(1e9f), 0.0f);
  EXPECT_GT(DistanceAttenuation(500.0f), DistanceAttenuation(600.0f));
}

TEST_F(EventLayerTest, BusesScaleAndMuteOnlyTheirOwnEvents) {
  BusHandle music;
  EXPECT_EQ(system.GetBus("bus:/Music", &music), AudioResult::NotFound) << "no bank declares it yet";
  BankHandle master;
  ASSERT_EQ(system.LoadBankFile(dir.File("master.bank"), &master), AudioResult::Ok);
  BusHandle sfx;
  ASSERT_EQ(system.GetBus("bus:/Music", &music), AudioResult::Ok);
  ASSERT_EQ(system.GetBus("bus:/SFX", &sfx), AudioResult::Ok);

  EventInstance loop = Start("event:/Loop");
  EventInstance near = Start("event:/Near");
  float v = 0.0f;
  ASSERT_EQ(system.SetBusMute(music, true), AudioResult::Ok);
  ASSERT_EQ(system.SetBusVolume(sfx, 0.5f), AudioResult::Ok);
  ASSERT_EQ(system.GetFinalVolume(loop, &v), AudioResult::Ok);
  EXPECT_FLOAT_EQ(v, 0.0f);
  ASSERT_EQ(system.GetFinalVolume(near, &v), AudioResult::Ok);
  EXPECT_FLOAT_EQ(v, 0.25f);
  bool mute = false;
  ASSERT_EQ(system.GetBusMute(sfx, &mute), AudioResult::Ok);
  EXPECT_FALSE(mute);
  EXPECT_EQ(system.SetBusVolume(sfx, -1.0f), AudioResult::InvalidParam);

  // The bus goes away with the bank that declared it.
  ASSERT_EQ(system.UnloadBank(master), AudioResult::Ok);
  EXPECT_EQ(system.SetBusMute(music, false), AudioResult::InvalidHandle);
  ASSERT_EQ(system.GetFinalVolume(loop, &v), AudioResult::Ok);
  EXPECT_FLOAT_EQ(v, 1.0f) << "an undeclared bus no longer silences anything";
}

// Bank and sound failures come back as result codes; a sound fails when its data loads.
TEST_F(EventLayerTest, BankAndSoundFailuresGiveResultCodes) {
  BankHandle other;
  EXPECT_EQ(system.LoadBankFile(dir.File("none.bank"), &other), AudioResult::FileNotFound);
  WriteFile(dir.File("bad.bank"), "quillbank 1\nevent event:/Oops\n");
  EXPECT_EQ(system.LoadBankFile(dir.File("bad.bank"), &other), AudioResult::FileBad);
  EXPECT_EQ(system.LoadBankFile(dir.File("test.bank"), &other), AudioResult::AlreadyLoaded);
  WriteFile(dir.File("clash.bank"), "quillbank 1\nevent event:/Short\n  sound short.wav\nend\n");
  EXPECT_EQ(system.LoadBankFile(dir.File("clash.bank"), &other), AudioResult::AlreadyLoaded);
  EventDescription e;
  EXPECT_EQ(system.GetEvent("event:/Nowhere", &e), AudioResult::NotFound);
  EXPECT_EQ(system.LoadBankFile(dir.File("test.bank"), nullptr), AudioResult::InvalidParam);

  EXPECT_EQ(system.LoadSampleData(Event("event:/Missing")), AudioResult::FileNotFound);
  EXPECT_EQ(system.LoadSampleData(Event("event:/Garbage")), AudioResult::FileBad);
  EventInstance i;
  ASSERT_EQ(system.CreateInstance(Event("event:/Missing"), &i), AudioResult::Ok);
  EXPECT_EQ(system.Start(i), AudioResult::FileNotFound);
  EXPECT_EQ(StateOf(i), PlaybackState::Stopped);
  EXPECT_EQ(system.UnloadSampleData(Event("event:/Missing")), AudioResult::NotLoaded);
}

TEST_F(EventLayerTest, SampleDataIsCountedAndFreedOnlyWhenNothingNeedsIt) {
  EventDescription e = Event("event:/Short");
  EXPECT_FALSE(Loaded(e));
  ASSERT_EQ(system.LoadSampleData(e), AudioResult::Ok);
  ASSERT_EQ(system.LoadSampleData(e), AudioResult::Ok);
  ASSERT_EQ(system.UnloadSampleData(e), AudioResult::Ok);
  EXPECT_TRUE(Loaded(e)) << "one load is still outstanding";
  EventInstance i = Start("event:/Short");
  ASSERT_EQ(system.UnloadSampleData(e), AudioResult::Ok);
  EXPECT_TRUE(Loaded(e)) << "a playing instance keeps its data";
  ASSERT_EQ(system.Release(i), AudioResult::Ok);
  WaitAndUpdate(0.6);
  EXPECT_FALSE(Loaded(e));
}

TEST_F(EventLayerTest, UnloadingABankInvalidatesItsEventsAndInstances) {
  EventDescription e = Event("event:/Loop");
  EventInstance i = Start("event:/Loop");
  ASSERT_EQ(system.UnloadBank(bank), AudioResult::Ok);
  EXPECT_EQ(system.UnloadBank(bank), AudioResult::InvalidHandle);
  EXPECT_EQ(system.Start(i), AudioResult::InvalidHandle);
  EventInstance j;
  EXPECT_EQ(system.CreateInstance(e, &j), AudioResult::InvalidHandle);
  EXPECT_EQ(system.InstanceCount(), 0);
  // Loaded again, the same path is a new description; the old handle stays dead.
  ASSERT_EQ(system.LoadBankFile(dir.File("test.bank"), &bank), AudioResult::Ok);
  EXPECT_EQ(system.LoadSampleData(e), AudioResult::InvalidHandle);
  EXPECT_EQ(system.LoadSampleData(Event("event:/Loop")), AudioResult::Ok);
}

TEST_F(EventLayerTest, HandlesFromBeforeAReleaseNeverComeBack) {
  EventDescription e = Event("event:/Loop");
  ASSERT_EQ(system.Release(), AudioResult::Ok);
  EXPECT_EQ(system.LoadSampleData(e), AudioResult::Uninitialized);
  EXPECT_EQ(system.Update(), AudioResult::Uninitialized);
  EXPECT_EQ(system.Release(), AudioResult::Uninitialized);
  ASSERT_EQ(system.Initialize(8, platform::CreateNullAudioDevice()), AudioResult::Ok);
  EXPECT_EQ(system.Initialize(8, platform::CreateNullAudioDevice()), AudioResult::Initialized);
  ASSERT_EQ(system.LoadBankFile(dir.File("test.bank"), &bank), AudioResult::Ok);
  EXPECT_EQ(system.LoadSampleData(e), AudioResult::InvalidHandle);
}

TEST(EventLayerNoSystemTest, EverythingAnswersUninitializedAndDefaultHandlesAreInvalid) {
  EventSystem system;
  EventInstance i;
  EXPECT_EQ(system.CreateInstance(EventDescription{}, &i), AudioResult::Uninitialized);
  EXPECT_EQ(system.Start(EventInstance{}), AudioResult::Uninitialized);
  ASSERT_EQ(system.Initialize(4, platform::CreateNullAudioDevice()), AudioResult::Ok);
  EXPECT_EQ(system.CreateInstance(EventDescription{}, &i), AudioResult::InvalidHandle);
  EXPECT_EQ(system.Start(EventInstance{}), AudioResult::InvalidHandle);
  EXPECT_EQ(system.SetBusMute(BusHandle{}, true), AudioResult::InvalidHandle);
  EXPECT_EQ(system.Initialize(0, platform::CreateNullAudioDevice()), AudioResult::Initialized);
  EventSystem other;
  EXPECT_EQ(other.Initialize(0, platform::CreateNullAudioDevice()), AudioResult::InvalidParam);
  EXPECT_EQ(other.Initialize(4, nullptr), AudioResult::InvalidParam);
}

// A device with a few voices, like a sound card's mixer, that can record the gains it is given.
namespace {

class FewVoicesDevice final : public platform::AudioDevice {
 public:
  // With `gains`, every gain a voice is started with or set to is added to it, in order.
  explicit FewVoicesDevice(int voices, std::vector<float>* gains = nullptr)
      : sounds_(static_cast<size_t>(voices)), gains_(gains) {}
  bool IsAudible() const override { return true; }
  int VoiceCount() const override { return static_cast<int>(sounds_.size()); }
  platform::SoundId LoadSound(const std::string& path, float, platform::SoundLoadStatus* status) override {
    *status = platform::SoundLoadStatus::Ok;
    files_.push_back(path);
    return static_cast<platform::SoundId>(files_.size());
  }
  void FreeSound(platform::SoundId) override {}
  double SoundSeconds(platform::SoundId) const override { return 10.0; }
  // Voice ids are never reused, as a real device's are not: voice n plays on slot n % slots.
  platform::VoiceId Play(const platform::VoiceStart& start) override {
    if (gains_ != nullptr) gains_->push_back(start.gain);
    for (size_t v = 0; v < sounds_.size(); ++v) {
      if (sounds_[v] == 0) {
        sounds_[v] = start.sound;
        return static_cast<platform::VoiceId>(++plays_ * sounds_.size() + v);
      }
    }
    return 0;
  }
  void SetVoiceGain(platform::VoiceId, float gain, float) override {
    if (gains_ != nullptr) gains_->push_back(gain);
  }
  void SetLayerGain(platform::VoiceId, int, float, float) override {}
  // A stopped voice is free at once; its end is still reported.
  void StopVoice(platform::VoiceId voice) override {
    size_t slot = voice % sounds_.size();
    if (voice == 0 || sounds_[slot] == 0) return;
    sounds_[slot] = 0;
    finished_.push_back(voice);
  }
  void CollectFinished(std::vector<platform::VoiceId>* finished) override {
    finished->insert(finished->end(), finished_.begin(), finished_.end());
    finished_.clear();
  }

  // Voices now playing a sound whose file name ends with `file`.
  int Playing(const std::string& file) const {
    int n = 0;
    for (platform::SoundId s : sounds_) {
      const std::string& path = s == 0 ? std::string() : files_[s - 1];
      n += path.size() >= file.size() && path.compare(path.size() - file.size(), file.size(), file) == 0;
    }
    return n;
  }

 private:
  std::vector<platform::SoundId> sounds_;  // per voice; 0 when free
  std::vector<float>* gains_;
  std::vector<std::string> files_;
  std::vector<platform::VoiceId> finished_;
  platform::VoiceId plays_ = 0;
};

}  // namespace

// Bus changes and the mixer: the gains the device is given show that a bus volume or mute change
// is passed to the playing voices at the update, so one set and set back within a pass of the
// game's loop (the loop sets the music bus to 1 and back to 0 on every pass while a level is in
// the background) is never heard.
TEST(EventLayerBusTest, BusChangesReachPlayingVoicesAtTheUpdateOnly) {
  TempDir dir;
  WriteFile(dir.File("song.wav"), "decoded by nobody: the device takes any file");
  WriteFile(dir.File("music.bank"),
            "quillbank 1\nbus bus:/Music\nevent event:/Song\n  bus bus:/Music\n  sound song.wav\n  loop yes\nend\n");
  std::vector<float> gains;  // every gain the mixer was given for the song, in order
  EventSystem system;
  ASSERT_EQ(system.Initialize(4, std::make_unique<FewVoicesDevice>(8, &gains)), AudioResult::Ok);
  BankHandle bank;
  ASSERT_EQ(system.LoadBankFile(dir.File("music.bank"), &bank), AudioResult::Ok);
  EventDescription song;
  ASSERT_EQ(system.GetEvent("event:/Song", &song), AudioResult::Ok);
  BusHandle music;
  ASSERT_EQ(system.GetBus("bus:/Music", &music), AudioResult::Ok);

  // The window loses the focus in a level: the music goes silent at the next update.
  ASSERT_EQ(system.SetBusVolume(music, 0.0f), AudioResult::Ok);
  EventInstance instance;
  ASSERT_EQ(system.CreateInstance(song, &instance), AudioResult::Ok);
  ASSERT_EQ(system.Start(instance), AudioResult::Ok);
  ASSERT_EQ(system.Update(), AudioResult::Ok);
  ASSERT_FALSE(gains.empty());
  EXPECT_EQ(gains.front(), 0.0f) << "a voice started after the change begins at the bus's new level";

  // Passes of the loop while the level stays in the background.
  for (int pass = 0; pass < 3; ++pass) {
    ASSERT_EQ(system.SetBusVolume(music, 1.0f), AudioResult::Ok);
    float volume = -1.0f;
    ASSERT_EQ(system.GetBusVolume(music, &volume), AudioResult::Ok);
    EXPECT_EQ(volume, 1.0f);
    ASSERT_EQ(system.SetBusVolume(music, 0.0f), AudioResult::Ok);
    ASSERT_EQ(system.Update(), AudioResult::Ok);
  }
  for (float g : gains) EXPECT_EQ(g, 0.0f) << "full volume reached the mixer for a moment (a blip)";

  // A change that stays is passed on at the update, not before; so is a mute.
  const size_t before = gains.size();
  ASSERT_EQ(system.SetBusVolume(music, 1.0f), AudioResult::Ok);
  EXPECT_EQ(gains.size(), before);
  ASSERT_EQ(system.Update(), AudioResult::Ok);
  ASSERT_EQ(gains.size(), before + 1);
  EXPECT_EQ(gains.back(), 1.0f);
  ASSERT_EQ(system.SetBusMute(music, true), AudioResult::Ok);
  EXPECT_EQ(gains.size(), before + 1);
  ASSERT_EQ(system.Update(), AudioResult::Ok);
  EXPECT_EQ(gains.back(), 0.0f);
  ASSERT_EQ(system.Update(), AudioResult::Ok);
  EXPECT_EQ(gains.size(), before + 2) << "an update without a change passes nothing on";
}

// Voices: a device with few voices shows who gets one when every voice is busy. A loop (the
// music) must never end up "playing" without a voice, silent for good.
namespace {

class EventLayerVoicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(dir.File("voices.bank"),
              "quillbank 1\n"
              "event event:/Step\n  sound step.wav\nend\n"
              "event event:/Music\n  sound music.wav\n  loop yes\nend\n");
    auto owned = std::make_unique<FewVoicesDevice>(4);
    device = owned.get();
    ASSERT_EQ(system.Initialize(64, std::move(owned)), AudioResult::Ok);
    BankHandle bank;
    ASSERT_EQ(system.LoadBankFile(dir.File("voices.bank"), &bank), AudioResult::Ok);
  }
  EventInstance Create(const char* path) {
    EventDescription event;
    EventInstance instance;
    EXPECT_EQ(system.GetEvent(path, &event), AudioResult::Ok);
    EXPECT_EQ(system.CreateInstance(event, &instance), AudioResult::Ok);
    return instance;
  }
  // A new instance of `path` added to `list` and started; what the start answered.
  AudioResult StartNew(const char* path, std::vector<EventInstance>* list) {
    list->push_back(Create(path));
    return system.Start(list->back());
  }
  bool IsPlaying(EventInstance instance) {
    PlaybackState state = PlaybackState::Stopped;
    EXPECT_EQ(system.GetPlaybackState(instance, &state), AudioResult::Ok);
    return state == PlaybackState::Playing;
  }
  // Instances reported playing must match the voices the device is really playing.
  void ExpectPlayingHaveVoices(const std::vector<EventInstance>& steps, const std::vector<EventInstance>& loops) {
    int steps_playing = 0, loops_playing = 0;
    for (EventInstance i : steps) steps_playing += IsPlaying(i);
    for (EventInstance i : loops) loops_playing += IsPlaying(i);
    EXPECT_EQ(steps_playing, device->Playing("step.wav")) << "one-shots reported playing without a voice";
    EXPECT_EQ(loops_playing, device->Playing("music.wav")) << "loops reported playing without a voice";
  }

  TempDir dir;
  EventSystem system;
  FewVoicesDevice* device = nullptr;
};

}  // namespace

TEST_F(EventLayerVoicesTest, MusicStartedWhileEveryVoiceIsBusyTakesTheOldestOneShotsVoice) {
  std::vector<EventInstance> steps, loops;
  for (int k = 0; k < 4; ++k) ASSERT_EQ(StartNew("event:/Step", &steps), AudioResult::Ok);
  ASSERT_EQ(device->Playing("step.wav"), 4);
  ASSERT_EQ(StartNew("event:/Music", &loops), AudioResult::Ok);
  EXPECT_EQ(device->Playing("music.wav"), 1) << "the music must be heard";
  EXPECT_TRUE(IsPlaying(loops.back()));
  EXPECT_FALSE(IsPlaying(steps[0])) << "the oldest one-shot gave up its voice";
  EXPECT_TRUE(IsPlaying(steps[1]));
  ExpectPlayingHaveVoices(steps, loops);

  // More one-shots: the newest is heard, the oldest one-shot makes room, the music keeps its voice.
  for (int k = 0; k < 6; ++k) {
    ASSERT_EQ(StartNew("event:/Step", &steps), AudioResult::Ok);
    EXPECT_TRUE(IsPlaying(steps.back()));
    ASSERT_EQ(system.Update(), AudioResult::Ok);
    ExpectPlayingHaveVoices(steps, loops);
  }
  EXPECT_EQ(device->Playing("music.wav"), 1);
  EXPECT_EQ(device->Playing("step.wav"), 3);
}

TEST_F(EventLayerVoicesTest, WhenLoopsHoldEveryVoiceAnotherSoundIsRefusedAndReportedStopped) {
  std::vector<EventInstance> steps, loops;
  for (int k = 0; k < 4; ++k) ASSERT_EQ(StartNew("event:/Music", &loops), AudioResult::Ok);
  EXPECT_EQ(StartNew("event:/Music", &loops), AudioResult::NoVoice) << "a loop is never cut for another sound";
  EXPECT_FALSE(IsPlaying(loops.back()));
  EXPECT_EQ(StartNew("event:/Step", &steps), AudioResult::NoVoice);
  EXPECT_FALSE(IsPlaying(steps.back()));
  ExpectPlayingHaveVoices(steps, loops);

  // A voice comes free: the refused loop starts when asked again.
  ASSERT_EQ(system.Stop(loops[0]), AudioResult::Ok);
  ASSERT_EQ(system.Update(), AudioResult::Ok);
  EXPECT_EQ(system.Start(loops.back()), AudioResult::Ok);
  ExpectPlayingHaveVoices(steps, loops);
  EXPECT_EQ(device->Playing("music.wav"), 4);
}
