// Bus changes and the mixer: a device that records what reaches it shows that a bus volume or
// mute change is passed to the playing voices at the update, so one set and set back within a pass
// of the game's loop (the loop sets the music bus to 1 and back to 0 on every pass while a level is
// in the background) is never heard.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "audio/EventLayer.h"
#include "platform/AudioDevice.h"
#include "support/TestSupport.h"

using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

class RecordingDevice final : public platform::AudioDevice {
 public:
  explicit RecordingDevice(std::vector<float>* gains) : gains_(gains) {}
  bool IsAudible() const override { return true; }
  int VoiceCount() const override { return 8; }
  platform::SoundId LoadSound(const std::string&, float, platform::SoundLoadStatus* status) override {
    *status = platform::SoundLoadStatus::Ok;
    return ++lastSound_;
  }
  void FreeSound(platform::SoundId) override {}
  double SoundSeconds(platform::SoundId) const override { return 1.0; }
  platform::VoiceId Play(const platform::VoiceStart& start) override {
    gains_->push_back(start.gain);
    return ++lastVoice_;
  }
  void SetVoiceGain(platform::VoiceId, float gain, float) override { gains_->push_back(gain); }
  void SetLayerGain(platform::VoiceId, int, float, float) override {}
  void StopVoice(platform::VoiceId voice) override { finished_.push_back(voice); }
  void CollectFinished(std::vector<platform::VoiceId>* finished) override {
    finished->insert(finished->end(), finished_.begin(), finished_.end());
    finished_.clear();
  }

 private:
  std::vector<float>* gains_;
  std::vector<platform::VoiceId> finished_;
  platform::SoundId lastSound_ = 0;
  platform::VoiceId lastVoice_ = 0;
};

}  // namespace

TEST(EventLayerBusTest, BusChangesReachPlayingVoicesAtTheUpdateOnly) {
  TempDir dir;
  WriteFile(dir.File("song.wav"), "decoded by nobody: the recording device takes any file");
  WriteFile(dir.File("music.bank"),
            "quillbank 1\nbus bus:/Music\nevent event:/Song\n  bus bus:/Music\n  sound song.wav\n  loop yes\nend\n");
  std::vector<float> gains;  // every gain the mixer was given for the song, in order
  EventSystem system;
  ASSERT_EQ(system.Initialize(4, std::make_unique<RecordingDevice>(&gains)), AudioResult::Ok);
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
