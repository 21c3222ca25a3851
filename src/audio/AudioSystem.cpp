#include "audio/AudioSystem.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "core/Logger.h"
#include "core/Options.h"
#include "platform/AudioDevice.h"

namespace {

// The instance budget: instances that may exist at once. The device plays as many as it has voices.
constexpr int kMaxInstances = 512;
constexpr const char* kChaseParameter = "parameter:/Chase";
constexpr const char* kLevelMusicName = "levelone";

enum BankSlot { kSfxBank, kMusicBank, kMasterBank, kMasterStringsBank, kAmbienceBank, kBankCount };
constexpr const char* kBankFiles[kBankCount] = {"SFX.bank", "Music.bank", "Master.bank", "Master.strings.bank",
                                                "Ambience.bank"};

struct AudioModule {
  std::unique_ptr<EventSystem> system;
  BankHandle banks[kBankCount];
  // Every object of a kind registers the kind's names, so a name counts its registrations and is
  // unloaded with the last of them.
  struct Registration {
    EventDescription event;
    int users = 0;
  };
  std::map<std::string, Registration> events;
  AudioResult last = AudioResult::Ok;
  AudioBus music{"bus:/Music"};
  AudioBus sfx{"bus:/SFX"};
};

AudioModule& Module() {
  static AudioModule module;
  return module;
}

// Outside the system's lifetime (before InitializeAudio, after ShutdownAudio, or when no system
// could be made) there is no layer to call: the objects of the last scene go after the shutdown at
// exit, and unit tests run the game's code without sound. Every operation asks first.
bool Running() { return Module().system != nullptr; }

// Only while Running().
EventSystem& System() { return *Module().system; }

// Stores the result and reports a failure on standard output.
AudioResult Check(AudioResult result) {
  Module().last = result;
  if (result != AudioResult::Ok) {
    std::printf("Audio Error! %d\n", static_cast<int>(AudioResultCode(result)));
    std::fflush(stdout);
  }
  return result;
}

// Stores the result without reporting it.
void Store(AudioResult result) { Module().last = result; }

// The instances of the event registered under `name` (empty when it has none or is unknown).
std::vector<EventInstance> InstancesOf(const std::string& name) {
  EventDescription event = FindRegisteredEvent(name);
  int count = 0;
  Check(System().GetInstanceCount(event, &count));
  std::vector<EventInstance> list(static_cast<size_t>(std::max(count, 0)));
  int written = 0;
  Check(System().GetInstanceList(event, list.data(), count, &written));
  list.resize(static_cast<size_t>(std::max(written, 0)));
  return list;
}

}  // namespace

bool InitializeAudio(const std::string& folder) {
  AudioModule& m = Module();
  if (m.system) return true;
  std::unique_ptr<EventSystem> system;
  if (Check(CreateEventSystem(&system)) != AudioResult::Ok || !system) return false;

  std::unique_ptr<platform::AudioDevice> device;
  if (GetRunOptions().headless) {
    device = platform::CreateNullAudioDevice();
  } else {
    std::string error;
    device = platform::CreateSdlAudioDevice(&error);
    if (!device) {
      LogCategoryMessage("Could not open the audio device (" + error + "); the game plays silently", LogCategory::Sound);
      device = platform::CreateNullAudioDevice();
    }
  }
  Check(system->Initialize(kMaxInstances, std::move(device)));
  m.system = std::move(system);

  std::string base = folder;
  if (!base.empty() && base.back() != '/') base += '/';
  for (int i = 0; i < kBankCount; ++i) Check(System().LoadBankFile(base + kBankFiles[i], &m.banks[i]));
  Check(System().LoadBankSampleData(m.banks[kMusicBank]));
  Check(System().GetBus(m.music.path, &m.music.handle));
  Check(System().GetBus(m.sfx.path, &m.sfx.handle));
  return true;
}

void ShutdownAudio() {
  AudioModule& m = Module();
  if (!m.system) return;
  for (int slot : {kMasterStringsBank, kMasterBank, kMusicBank, kSfxBank, kAmbienceBank}) {
    Check(System().UnloadBank(m.banks[slot]));
    m.banks[slot] = BankHandle{};
  }
  Check(System().FlushSampleLoading());
  Check(System().Release());
  m.system.reset();
  m.events.clear();
  m.music.handle = BusHandle{};
  m.sfx.handle = BusHandle{};
}

void UpdateAudio() {
  if (Running()) Check(System().Update());
}

bool RegisterEvent(const std::string& path, const std::string& name) {
  if (!Running()) return false;
  EventDescription event;
  AudioResult found = Check(System().GetEvent(path, &event));
  auto held = Module().events.find(name);
  if (held != Module().events.end()) {
    ++held->second.users;
    return true;
  }
  Check(System().LoadSampleData(event));
  // A failed look-up does not claim the name, so a later registration with a good path still works.
  if (found != AudioResult::Ok) return false;
  Module().events.emplace(name, AudioModule::Registration{event, 1});
  return true;
}

void PlayEvent(const std::string& name) {
  if (!Running()) return;
  EventInstance instance;
  Check(System().CreateInstance(FindRegisteredEvent(name), &instance));
  Check(System().Start(instance));
  Check(System().Release(instance));
}

void PlayEventAt(const std::string& name, float distance, float direction) {
  if (!Running()) return;
  EventInstance instance;
  Check(System().CreateInstance(FindRegisteredEvent(name), &instance));
  Check(System().SetParameterByName(instance, kDistanceParameter, distance));
  Check(System().SetParameterByName(instance, kDirectionParameter, DirectionParameter(direction)));
  Check(System().Start(instance));
  Check(System().Release(instance));
}

void StopEvent(const std::string& name) {
  if (!Running()) return;
  for (EventInstance instance : InstancesOf(name)) System().Stop(instance);
}

bool IsEventPlaying(const std::string& name) {
  if (!Running()) return false;
  for (EventInstance instance : InstancesOf(name)) {
    PlaybackState state = PlaybackState::Stopped;
    if (System().GetPlaybackState(instance, &state) == AudioResult::Ok && state == PlaybackState::Playing) return true;
  }
  return false;
}

void UnloadEvent(const std::string& name) {
  // Objects still alive when the audio system has shut down (the last scene's, at exit) have
  // nothing left to unload: the system freed every event with itself.
  if (!Running()) {
    Module().events.erase(name);
    return;
  }
  auto held = Module().events.find(name);
  if (held != Module().events.end() && --held->second.users > 0) return;
  EventDescription event = FindRegisteredEvent(name);
  Check(System().UnloadSampleData(event));
  Check(System().ReleaseAllInstances(event));
  Module().events.erase(name);
}

void SetChaseMusic(bool on) {
  // The music went with the system: a chasing guard that goes with the last scene at exit, after
  // the shutdown, has nothing to turn off.
  if (!Running()) return;
  for (EventInstance instance : InstancesOf(kLevelMusicName)) {
    Store(System().SetParameterByName(instance, kChaseParameter, on ? 1.0f : 0.0f, false));
  }
}

float DirectionParameter(float a) {
  if (a >= 0.0f && a < 90.0f) return 180.0f - 2.0f * a;
  if (a > 90.0f && a <= 180.0f) return -2.0f * (a - 90.0f);
  // Lower left: from -180 at the left (a = 180) back to 0 straight below (a = 270), the mirror of the
  // upper-left quarter, so the value is continuous all the way round.
  if (a > 180.0f && a < 270.0f) return -180.0f + 2.0f * (a - 180.0f);
  if (a > 270.0f && a <= 360.0f) return 2.0f * (a - 270.0f);
  return 0.0f;  // exactly 90 or 270, outside 0..360, or not a number
}

void AudioBus::SetVolume(float volume) {
  if (Running()) Check(System().SetBusVolume(handle, volume));
}

float AudioBus::GetVolume() {
  float volume = 0.0f;
  if (Running()) Check(System().GetBusVolume(handle, &volume));
  return volume;
}

void AudioBus::SetMute(bool mute) {
  if (Running()) Check(System().SetBusMute(handle, mute));
}

bool AudioBus::GetMute() {
  bool mute = false;
  if (Running()) Check(System().GetBusMute(handle, &mute));
  return mute;
}

AudioBus& MusicBus() { return Module().music; }
AudioBus& SfxBus() { return Module().sfx; }

AudioResult LastAudioResult() { return Module().last; }

EventSystem* GetEventSystem() { return Module().system.get(); }

EventDescription FindRegisteredEvent(const std::string& name) {
  auto it = Module().events.find(name);
  return it == Module().events.end() ? EventDescription{} : it->second.event;
}
