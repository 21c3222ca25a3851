#include "audio/EventLayer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <map>
#include <random>

#include "audio/BankManifest.h"
#include "core/Logger.h"
#include "platform/AudioDevice.h"

namespace {

using platform::SoundId;
using platform::VoiceId;

// Records live in vectors and are never erased, only marked dead with their generation bumped, so a
// handle from before (even from before a Release) can never name a newer object.
struct Record {
  uint32_t generation = 1;
  bool alive = false;
  void Kill() {
    alive = false;
    if (++generation == 0) generation = 1;
  }
};

struct EventRecord : Record {
  BankEvent def;
  std::vector<std::string> soundFiles;  // full paths
  std::vector<std::string> layerFiles;
  uint32_t bank = 0;
  int sampleLoads = 0;   // LoadSampleData calls not yet undone
  bool samplesLoaded = false;
  std::vector<SoundId> sounds;
  std::vector<SoundId> layerSounds;
  int playing = 0;       // instances of it that are playing (they need the samples)
};

struct InstanceRecord : Record {
  uint32_t event = 0;
  bool playing = false;
  bool released = false;
  VoiceId voice = 0;
  uint64_t startOrder = 0;  // when it last started, counted in starts; the oldest gives up its voice first
  double endTime = -1.0;  // when a voiceless instance stops by itself; negative: never
  float distance = 0.0f;
  float direction = 0.0f;
  std::vector<float> layerValues;
};

struct BusRecord : Record {
  std::string path;
  int declarations = 0;  // loaded banks declaring it
  float volume = 1.0f;
  bool mute = false;
  bool changed = false;  // volume or mute changed since the last Update passed it to the mixer
};

struct BankRecord : Record {
  std::string path;
  std::vector<uint32_t> events;
  std::vector<uint32_t> buses;
};

template <class T>
uint32_t Allocate(std::vector<T>* records) {
  for (size_t i = 0; i < records->size(); ++i) {
    if (!(*records)[i].alive) {
      uint32_t generation = (*records)[i].generation;
      (*records)[i] = T{};
      (*records)[i].generation = generation;
      (*records)[i].alive = true;
      return static_cast<uint32_t>(i);
    }
  }
  records->emplace_back();
  records->back().alive = true;
  return static_cast<uint32_t>(records->size() - 1);
}

template <class T, class H>
T* Lookup(std::vector<T>& records, H handle) {
  if (handle.index >= records.size()) return nullptr;
  T& r = records[handle.index];
  return r.alive && r.generation == handle.generation ? &r : nullptr;
}

AudioResult FromLoadStatus(platform::SoundLoadStatus status) {
  switch (status) {
    case platform::SoundLoadStatus::Ok: return AudioResult::Ok;
    case platform::SoundLoadStatus::FileNotFound: return AudioResult::FileNotFound;
    case platform::SoundLoadStatus::FileBad: return AudioResult::FileBad;
  }
  return AudioResult::FileBad;
}

}  // namespace

struct EventSystem::State {
  bool initialized = false;
  int maxInstances = 0;
  int liveInstances = 0;
  std::unique_ptr<platform::AudioDevice> device;
  std::vector<BankRecord> banks;
  std::vector<EventRecord> events;
  std::vector<InstanceRecord> instances;
  std::vector<BusRecord> buses;
  std::map<std::string, uint32_t> eventByPath;
  std::map<std::string, uint32_t> busByPath;
  std::map<VoiceId, uint32_t> instanceByVoice;
  uint64_t starts = 0;
  std::minstd_rand random{0x5EED};
  std::chrono::steady_clock::time_point epoch = std::chrono::steady_clock::now();

  double Now() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - epoch).count(); }

  float BusGain(const std::string& path) const {
    auto it = busByPath.find(path);
    if (it == busByPath.end() || buses[it->second].declarations == 0) return 1.0f;
    const BusRecord& bus = buses[it->second];
    return bus.mute ? 0.0f : bus.volume;
  }
  float FinalGain(const InstanceRecord& inst) const {
    const EventRecord& ev = events[inst.event];
    float gain = ev.def.volume * BusGain(ev.def.bus);
    if (ev.def.positioned) gain *= DistanceAttenuation(inst.distance);
    return gain;
  }
  float Pan(const InstanceRecord& inst) const {
    return events[inst.event].def.positioned ? inst.direction / 180.0f : 0.0f;
  }

  AudioResult LoadSamples(EventRecord& ev) {
    if (ev.samplesLoaded) return AudioResult::Ok;
    // Layers play in step with the main sound, so a layered event is never pitched.
    float pitch = ev.def.layers.empty() ? ev.def.pitch : 0.0f;
    AudioResult result = AudioResult::Ok;
    for (const std::string& file : ev.soundFiles) {
      platform::SoundLoadStatus status;
      SoundId id = device->LoadSound(file, pitch, &status);
      if (id == 0) {
        result = FromLoadStatus(status);
        Log("Could not load sound " + file, LogLevel::Warning);
        break;
      }
      ev.sounds.push_back(id);
    }
    for (size_t i = 0; result == AudioResult::Ok && i < ev.layerFiles.size(); ++i) {
      platform::SoundLoadStatus status;
      SoundId id = device->LoadSound(ev.layerFiles[i], 0.0f, &status);
      if (id == 0) {
        result = FromLoadStatus(status);
        Log("Could not load sound " + ev.layerFiles[i], LogLevel::Warning);
        break;
      }
      ev.layerSounds.push_back(id);
    }
    ev.samplesLoaded = true;
    if (result != AudioResult::Ok) FreeSamples(ev);
    return result;
  }
  void FreeSamples(EventRecord& ev) {
    for (SoundId id : ev.sounds) device->FreeSound(id);
    for (SoundId id : ev.layerSounds) device->FreeSound(id);
    ev.sounds.clear();
    ev.layerSounds.clear();
    ev.samplesLoaded = false;
  }
  void FreeSamplesIfUnused(EventRecord& ev) {
    if (ev.samplesLoaded && ev.sampleLoads == 0 && ev.playing == 0) FreeSamples(ev);
  }

  // Ends playback of an instance. `voiceEnded` says the device already let the voice go.
  void StopPlaying(InstanceRecord& inst, bool voiceEnded) {
    if (!inst.playing) return;
    if (inst.voice != 0) {
      if (!voiceEnded) device->StopVoice(inst.voice);
      instanceByVoice.erase(inst.voice);
      inst.voice = 0;
    }
    inst.playing = false;
    --events[inst.event].playing;
  }
  // Every voice is busy: the one-shot that started longest ago stops, so a newer sound can have its
  // voice. Loops (the music) are never cut; false when nothing but loops has a voice.
  bool StopOldestOneShot() {
    InstanceRecord* oldest = nullptr;
    for (InstanceRecord& inst : instances) {
      if (!inst.alive || inst.voice == 0 || events[inst.event].def.loop) continue;
      if (oldest == nullptr || inst.startOrder < oldest->startOrder) oldest = &inst;
    }
    if (oldest == nullptr) return false;
    StopPlaying(*oldest, false);
    return true;
  }
  void FreeInstance(uint32_t index) {
    InstanceRecord& inst = instances[index];
    StopPlaying(inst, false);
    inst.Kill();
    --liveInstances;
  }
  void RefreshGain(InstanceRecord& inst) {
    if (inst.voice != 0) device->SetVoiceGain(inst.voice, FinalGain(inst), Pan(inst));
  }
  void RefreshBus(const std::string& path) {
    for (InstanceRecord& inst : instances) {
      if (inst.alive && inst.voice != 0 && events[inst.event].def.bus == path) RefreshGain(inst);
    }
  }
  void ReleaseInstancesOf(uint32_t event) {
    for (uint32_t i = 0; i < instances.size(); ++i) {
      if (instances[i].alive && instances[i].event == event) FreeInstance(i);
    }
  }
  void UnloadEventRecord(uint32_t index) {
    EventRecord& ev = events[index];
    ReleaseInstancesOf(index);
    FreeSamples(ev);
    eventByPath.erase(ev.def.path);
    ev.Kill();
  }
  void Undeclare(uint32_t busIndex) {
    BusRecord& bus = buses[busIndex];
    if (--bus.declarations == 0) {
      // The bus is gone: old handles stop working; a later declaration starts fresh.
      uint32_t generation = bus.generation + 1 == 0 ? 1 : bus.generation + 1;
      std::string path = bus.path;
      bus = BusRecord{};
      bus.generation = generation;
      bus.alive = true;
      bus.path = path;
    }
  }
};

int32_t AudioResultCode(AudioResult result) { return static_cast<int32_t>(result); }

float DistanceAttenuation(float distance) {
  if (!(distance > kFullVolumeDistance)) return 1.0f;  // also NaN
  if (distance >= kSilentDistance) return 0.0f;
  // A squared fall-off: it drops quickly past the full-volume radius and lands softly at silence.
  float t = 1.0f - (distance - kFullVolumeDistance) / (kSilentDistance - kFullVolumeDistance);
  return t * t;
}

AudioResult CreateEventSystem(std::unique_ptr<EventSystem>* system) {
  if (system == nullptr) return AudioResult::InvalidParam;
  *system = std::make_unique<EventSystem>();
  return AudioResult::Ok;
}

EventSystem::EventSystem() : state_(std::make_unique<State>()) {}

EventSystem::~EventSystem() {
  if (state_->initialized) Release();
}

bool EventSystem::IsInitialized() const { return state_->initialized; }

int EventSystem::InstanceCount() const { return state_->liveInstances; }

AudioResult EventSystem::Initialize(int maxInstances, std::unique_ptr<platform::AudioDevice> device) {
  State& s = *state_;
  if (s.initialized) return AudioResult::Initialized;
  if (maxInstances <= 0 || device == nullptr) return AudioResult::InvalidParam;
  s.device = std::move(device);
  s.maxInstances = maxInstances;
  s.liveInstances = 0;
  s.initialized = true;
  return AudioResult::Ok;
}

AudioResult EventSystem::Update() {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  std::vector<VoiceId> ended;
  s.device->CollectFinished(&ended);
  for (VoiceId voice : ended) {
    auto it = s.instanceByVoice.find(voice);
    if (it != s.instanceByVoice.end()) s.StopPlaying(s.instances[it->second], true);
  }
  double now = s.Now();
  for (uint32_t i = 0; i < s.instances.size(); ++i) {
    InstanceRecord& inst = s.instances[i];
    if (!inst.alive) continue;
    if (inst.playing && inst.voice == 0 && inst.endTime >= 0.0 && now >= inst.endTime) s.StopPlaying(inst, true);
    if (inst.released && !inst.playing) s.FreeInstance(i);
  }
  for (EventRecord& ev : s.events) {
    if (ev.alive) s.FreeSamplesIfUnused(ev);
  }
  // Bus changes reach the playing voices here, once per update, so a volume set and set back
  // within one pass of the game's loop is never heard. Voices started meanwhile already began at
  // the bus's new level.
  for (BusRecord& bus : s.buses) {
    if (!bus.alive || !bus.changed) continue;
    bus.changed = false;
    s.RefreshBus(bus.path);
  }
  return AudioResult::Ok;
}

AudioResult EventSystem::Release() {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  for (uint32_t i = 0; i < s.banks.size(); ++i) {
    if (s.banks[i].alive) UnloadBank(BankHandle{i, s.banks[i].generation});
  }
  for (uint32_t i = 0; i < s.instances.size(); ++i) {
    if (s.instances[i].alive) s.FreeInstance(i);
  }
  s.device.reset();
  s.instanceByVoice.clear();
  s.initialized = false;
  return AudioResult::Ok;
}

AudioResult EventSystem::LoadBankFile(const std::string& path, BankHandle* bank) {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  if (bank == nullptr) return AudioResult::InvalidParam;
  *bank = BankHandle{};
  for (const BankRecord& b : s.banks) {
    if (b.alive && b.path == path) return AudioResult::AlreadyLoaded;
  }
  BankManifest manifest;
  switch (ReadBankManifest(path, &manifest)) {
    case BankReadStatus::Ok: break;
    case BankReadStatus::FileNotFound: return AudioResult::FileNotFound;
    case BankReadStatus::FileBad: return AudioResult::FileBad;
  }
  for (const BankEvent& ev : manifest.events) {
    if (s.eventByPath.count(ev.path) != 0) {
      Log("Sound bank " + path + " declares " + ev.path + ", which another bank has loaded", LogLevel::Error);
      return AudioResult::AlreadyLoaded;
    }
  }

  uint32_t index = Allocate(&s.banks);
  s.banks[index].path = path;
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  auto resolve = [&folder](const std::string& file) {
    std::string full = (folder / file).string();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(full, ec)) Log("Sound file not found: " + full, LogLevel::Warning);
    return full;
  };
  for (BankEvent& def : manifest.events) {
    uint32_t e = Allocate(&s.events);
    EventRecord& ev = s.events[e];
    for (const std::string& file : def.sounds) ev.soundFiles.push_back(resolve(file));
    for (const BankLayer& layer : def.layers) ev.layerFiles.push_back(resolve(layer.file));
    ev.bank = index;
    ev.def = std::move(def);
    s.eventByPath[ev.def.path] = e;
    s.banks[index].events.push_back(e);
  }
  for (const std::string& busPath : manifest.buses) {
    auto it = s.busByPath.find(busPath);
    uint32_t b;
    if (it == s.busByPath.end()) {
      b = Allocate(&s.buses);
      s.buses[b].path = busPath;
      s.busByPath[busPath] = b;
    } else {
      b = it->second;
    }
    ++s.buses[b].declarations;
    s.banks[index].buses.push_back(b);
    s.RefreshBus(busPath);
  }
  *bank = BankHandle{index, s.banks[index].generation};
  return AudioResult::Ok;
}

AudioResult EventSystem::UnloadBank(BankHandle handle) {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  BankRecord* bank = Lookup(s.banks, handle);
  if (bank == nullptr) return AudioResult::InvalidHandle;
  for (uint32_t e : bank->events) s.UnloadEventRecord(e);
  // Sounds still playing on a bus that goes away keep the level they had: refreshing them now
  // would take a muted bus's music back to full volume for the moments before it stops.
  for (uint32_t b : bank->buses) s.Undeclare(b);
  bank->Kill();
  bank->events.clear();
  bank->buses.clear();
  return AudioResult::Ok;
}

AudioResult EventSystem::LoadBankSampleData(BankHandle handle) {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  BankRecord* bank = Lookup(s.banks, handle);
  if (bank == nullptr) return AudioResult::InvalidHandle;
  AudioResult first = AudioResult::Ok;
  for (uint32_t e : bank->events) {
    AudioResult r = LoadSampleData(EventDescription{e, s.events[e].generation});
    if (first == AudioResult::Ok) first = r;
  }
  return first;
}

AudioResult EventSystem::FlushSampleLoading() {
  return state_->initialized ? AudioResult::Ok : AudioResult::Uninitialized;
}

AudioResult EventSystem::GetEvent(const std::string& path, EventDescription* event) {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  if (event == nullptr) return AudioResult::InvalidParam;
  *event = EventDescription{};
  auto it = s.eventByPath.find(path);
  if (it == s.eventByPath.end()) return AudioResult::NotFound;
  *event = EventDescription{it->second, s.events[it->second].generation};
  return AudioResult::Ok;
}

AudioResult EventSystem::GetBus(const std::string& path, BusHandle* bus) {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  if (bus == nullptr) return AudioResult::InvalidParam;
  *bus = BusHandle{};
  auto it = s.busByPath.find(path);
  if (it == s.busByPath.end() || s.buses[it->second].declarations == 0) return AudioResult::NotFound;
  *bus = BusHandle{it->second, s.buses[it->second].generation};
  return AudioResult::Ok;
}

AudioResult EventSystem::LoadSampleData(EventDescription handle) {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  EventRecord* ev = Lookup(s.events, handle);
  if (ev == nullptr) return AudioResult::InvalidHandle;
  AudioResult r = s.LoadSamples(*ev);
  if (r == AudioResult::Ok) ++ev->sampleLoads;
  return r;
}

AudioResult EventSystem::UnloadSampleData(EventDescription handle) {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  EventRecord* ev = Lookup(s.events, handle);
  if (ev == nullptr) return AudioResult::InvalidHandle;
  if (ev->sampleLoads == 0) return AudioResult::NotLoaded;
  --ev->sampleLoads;
  s.FreeSamplesIfUnused(*ev);
  return AudioResult::Ok;
}

AudioResult EventSystem::CreateInstance(EventDescription handle, EventInstance* instance) {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  if (instance != nullptr) *instance = EventInstance{};
  EventRecord* ev = Lookup(s.events, handle);
  if (ev == nullptr) return AudioResult::InvalidHandle;
  if (instance == nullptr) return AudioResult::InvalidParam;
  if (s.liveInstances >= s.maxInstances) return AudioResult::MaxInstances;
  size_t layers = ev->def.layers.size();
  uint32_t index = Allocate(&s.instances);
  InstanceRecord& inst = s.instances[index];
  inst.event = handle.index;
  inst.layerValues.assign(layers, 0.0f);
  ++s.liveInstances;
  *instance = EventInstance{index, inst.generation};
  return AudioResult::Ok;
}

AudioResult EventSystem::GetInstanceCount(EventDescription handle, int* count) {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  if (count != nullptr) *count = 0;
  if (Lookup(s.events, handle) == nullptr) return AudioResult::InvalidHandle;
  if (count == nullptr) return AudioResult::InvalidParam;
  for (const InstanceRecord& inst : s.instances) {
    if (inst.alive && inst.event == handle.index) ++*count;
  }
  return AudioResult::Ok;
}

AudioResult EventSystem::GetInstanceList(EventDescription handle, EventInstance* list, int capacity, int* count) {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  if (count != nullptr) *count = 0;
  if (Lookup(s.events, handle) == nullptr) return AudioResult::InvalidHandle;
  if (count == nullptr || capacity < 0 || (capacity > 0 && list == nullptr)) return AudioResult::InvalidParam;
  for (uint32_t i = 0; i < s.instances.size() && *count < capacity; ++i) {
    const InstanceRecord& inst = s.instances[i];
    if (inst.alive && inst.event == handle.index) list[(*count)++] = EventInstance{i, inst.generation};
  }
  return AudioResult::Ok;
}

AudioResult EventSystem::ReleaseAllInstances(EventDescription handle) {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  EventRecord* ev = Lookup(s.events, handle);
  if (ev == nullptr) return AudioResult::InvalidHandle;
  s.ReleaseInstancesOf(handle.index);
  s.FreeSamplesIfUnused(*ev);
  return AudioResult::Ok;
}

AudioResult EventSystem::GetEventPath(EventDescription handle, std::string* path) {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  EventRecord* ev = Lookup(s.events, handle);
  if (ev == nullptr) return AudioResult::InvalidHandle;
  if (path == nullptr) return AudioResult::InvalidParam;
  *path = ev->def.path;
  return AudioResult::Ok;
}

AudioResult EventSystem::IsEventLoaded(EventDescription handle, bool* loaded) {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  EventRecord* ev = Lookup(s.events, handle);
  if (ev == nullptr) return AudioResult::InvalidHandle;
  if (loaded == nullptr) return AudioResult::InvalidParam;
  *loaded = ev->samplesLoaded;
  return AudioResult::Ok;
}

AudioResult EventSystem::Start(EventInstance handle) {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  InstanceRecord* inst = Lookup(s.instances, handle);
  if (inst == nullptr) return AudioResult::InvalidHandle;
  s.StopPlaying(*inst, false);
  EventRecord& ev = s.events[inst->event];
  AudioResult loaded = s.LoadSamples(ev);
  if (loaded != AudioResult::Ok) return loaded;

  platform::VoiceStart start;
  size_t pick = ev.sounds.size() > 1 ? s.random() % ev.sounds.size() : 0;
  start.sound = ev.sounds[pick];
  start.loop = ev.def.loop;
  start.gain = s.FinalGain(*inst);
  start.pan = s.Pan(*inst);
  if (ev.def.pitch > 0.0f && ev.def.layers.empty()) {
    start.pitchSemitones = std::uniform_real_distribution<float>(-ev.def.pitch, ev.def.pitch)(s.random);
  }
  start.layerCount = static_cast<int>(std::min<size_t>(ev.layerSounds.size(), platform::kMaxVoiceLayers));
  for (int l = 0; l < start.layerCount; ++l) {
    start.layers[l] = ev.layerSounds[l];
    start.layerGains[l] = inst->layerValues[l];
  }
  inst->voice = s.device->Play(start);
  const bool hasVoices = s.device->VoiceCount() > 0;
  if (inst->voice == 0 && hasVoices && s.StopOldestOneShot()) inst->voice = s.device->Play(start);
  // On a device with voices an instance plays only with one: a sound reported playing is heard.
  if (inst->voice == 0 && hasVoices) return AudioResult::NoVoice;
  inst->playing = true;
  inst->startOrder = ++s.starts;
  ++ev.playing;
  // The silent device has no voices: there an instance plays on the clock for the sound's length,
  // so one-shots still end and free themselves.
  inst->endTime = -1.0;
  if (inst->voice != 0) {
    s.instanceByVoice[inst->voice] = handle.index;
  } else if (!ev.def.loop) {
    double ratio = std::pow(2.0, start.pitchSemitones / 12.0);
    inst->endTime = s.Now() + s.device->SoundSeconds(start.sound) / ratio;
  }
  return AudioResult::Ok;
}

AudioResult EventSystem::Stop(EventInstance handle) {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  InstanceRecord* inst = Lookup(s.instances, handle);
  if (inst == nullptr) return AudioResult::InvalidHandle;
  s.StopPlaying(*inst, false);
  return AudioResult::Ok;
}

AudioResult EventSystem::Release(EventInstance handle) {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  InstanceRecord* inst = Lookup(s.instances, handle);
  if (inst == nullptr) return AudioResult::InvalidHandle;
  inst->released = true;
  return AudioResult::Ok;
}

AudioResult EventSystem::GetPlaybackState(EventInstance handle, PlaybackState* state) {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  InstanceRecord* inst = Lookup(s.instances, handle);
  if (inst == nullptr) return AudioResult::InvalidHandle;
  if (state == nullptr) return AudioResult::InvalidParam;
  *state = inst->playing ? PlaybackState::Playing : PlaybackState::Stopped;
  return AudioResult::Ok;
}

AudioResult EventSystem::SetParameterByName(EventInstance handle, const std::string& name, float value,
                                            bool ignoreSeekSpeed) {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  InstanceRecord* inst = Lookup(s.instances, handle);
  if (inst == nullptr) return AudioResult::InvalidHandle;
  if (!std::isfinite(value)) return AudioResult::InvalidParam;
  const BankEvent& def = s.events[inst->event].def;
  if (def.positioned && name == kDistanceParameter) {
    inst->distance = std::max(0.0f, value);
    s.RefreshGain(*inst);
    return AudioResult::Ok;
  }
  if (def.positioned && name == kDirectionParameter) {
    inst->direction = std::clamp(value, -180.0f, 180.0f);
    s.RefreshGain(*inst);
    return AudioResult::Ok;
  }
  for (size_t l = 0; l < def.layers.size(); ++l) {
    if (def.layers[l].parameter != name) continue;
    inst->layerValues[l] = std::clamp(value, 0.0f, 1.0f);
    if (inst->voice != 0) {
      s.device->SetLayerGain(inst->voice, static_cast<int>(l), inst->layerValues[l],
                             ignoreSeekSpeed ? 0.0f : def.layers[l].fadeSeconds);
    }
    return AudioResult::Ok;
  }
  return AudioResult::NotFound;
}

AudioResult EventSystem::GetParameterByName(EventInstance handle, const std::string& name, float* value) {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  InstanceRecord* inst = Lookup(s.instances, handle);
  if (inst == nullptr) return AudioResult::InvalidHandle;
  if (value == nullptr) return AudioResult::InvalidParam;
  const BankEvent& def = s.events[inst->event].def;
  if (def.positioned && name == kDistanceParameter) {
    *value = inst->distance;
    return AudioResult::Ok;
  }
  if (def.positioned && name == kDirectionParameter) {
    *value = inst->direction;
    return AudioResult::Ok;
  }
  for (size_t l = 0; l < def.layers.size(); ++l) {
    if (def.layers[l].parameter == name) {
      *value = inst->layerValues[l];
      return AudioResult::Ok;
    }
  }
  return AudioResult::NotFound;
}

AudioResult EventSystem::GetFinalVolume(EventInstance handle, float* finalVolume) {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  InstanceRecord* inst = Lookup(s.instances, handle);
  if (inst == nullptr) return AudioResult::InvalidHandle;
  if (finalVolume == nullptr) return AudioResult::InvalidParam;
  *finalVolume = s.FinalGain(*inst);
  return AudioResult::Ok;
}

AudioResult EventSystem::GetDescription(EventInstance handle, EventDescription* event) {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  InstanceRecord* inst = Lookup(s.instances, handle);
  if (inst == nullptr) return AudioResult::InvalidHandle;
  if (event == nullptr) return AudioResult::InvalidParam;
  *event = EventDescription{inst->event, s.events[inst->event].generation};
  return AudioResult::Ok;
}

AudioResult EventSystem::SetBusVolume(BusHandle handle, float volume) {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  BusRecord* bus = Lookup(s.buses, handle);
  if (bus == nullptr || bus->declarations == 0) return AudioResult::InvalidHandle;
  if (!std::isfinite(volume) || volume < 0.0f) return AudioResult::InvalidParam;
  // The game sets the music volume on every pass of its loop; a change reaches the mixer at the
  // next Update.
  if (bus->volume == volume) return AudioResult::Ok;
  bus->volume = volume;
  bus->changed = true;
  return AudioResult::Ok;
}

AudioResult EventSystem::GetBusVolume(BusHandle handle, float* volume) {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  BusRecord* bus = Lookup(s.buses, handle);
  if (bus == nullptr || bus->declarations == 0) return AudioResult::InvalidHandle;
  if (volume == nullptr) return AudioResult::InvalidParam;
  *volume = bus->volume;
  return AudioResult::Ok;
}

AudioResult EventSystem::SetBusMute(BusHandle handle, bool mute) {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  BusRecord* bus = Lookup(s.buses, handle);
  if (bus == nullptr || bus->declarations == 0) return AudioResult::InvalidHandle;
  if (bus->mute == mute) return AudioResult::Ok;
  bus->mute = mute;
  bus->changed = true;  // reaches the mixer at the next Update
  return AudioResult::Ok;
}

AudioResult EventSystem::GetBusMute(BusHandle handle, bool* mute) {
  State& s = *state_;
  if (!s.initialized) return AudioResult::Uninitialized;
  BusRecord* bus = Lookup(s.buses, handle);
  if (bus == nullptr || bus->declarations == 0) return AudioResult::InvalidHandle;
  if (mute == nullptr) return AudioResult::InvalidParam;
  *mute = bus->mute;
  return AudioResult::Ok;
}
