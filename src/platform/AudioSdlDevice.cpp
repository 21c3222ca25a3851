// The SDL2_mixer audio device. Sounds are decoded whole into the device format (16-bit stereo,
// 44.1 kHz) with Mix_LoadWAV_RW; each voice is one mixer channel. Layers (the chase music) are mixed
// by a channel effect into the voice's own stream, sample by sample, so they cannot drift from it.
//
// Threads: SDL_mixer mixes on SDL's audio thread with the device lock held, and calls the
// channel-finished callback from there (or from the caller of Mix_HaltChannel). The callback only
// queues the channel number; the main thread drains the queue in CollectFinished. A channel that
// ends by itself counts as busy until its end has been drained, so a channel is never reused while
// the mixer may still be finishing with it. A channel stopped by StopVoice is done with once
// Mix_HaltChannel returns (the halt runs under the mixer's lock), so it is free at once and its queued
// end is taken out of the queue, lest it later end the channel's next voice.
#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>

#include "platform/AudioDevice.h"

namespace platform {
namespace {

constexpr int kFrequency = 44100;
constexpr int kOutputChannels = 2;
constexpr int kMixerChannels = 64;
constexpr int kChunkFrames = 1024;
constexpr int kBytesPerFrame = 4;  // 16-bit stereo
constexpr int64_t kMaxSoundFileBytes = 64 << 20;
// Pitch copies either side of the original, as fractions of the event's pitch range.
constexpr float kPitchSteps[] = {-1.0f, -0.5f, 0.5f, 1.0f};

struct PitchCopy {
  float semitones = 0.0f;
  std::vector<int16_t> samples;  // owned here; the chunk only points at them
  Mix_Chunk* chunk = nullptr;
};

struct LoadedSound {
  Mix_Chunk* chunk = nullptr;
  std::vector<PitchCopy> copies;
  double seconds = 0.0;
};

// What the layer effect reads on the audio thread. The main thread fills the plain fields while the
// channel is idle, then only writes the atomics.
struct LayerMix {
  int count = 0;
  bool loop = false;
  const int16_t* data[kMaxVoiceLayers] = {};
  uint64_t frames[kMaxVoiceLayers] = {};
  std::atomic<float> target[kMaxVoiceLayers] = {};
  std::atomic<float> step[kMaxVoiceLayers] = {};
  float gain[kMaxVoiceLayers] = {};  // audio thread only once playing
  uint64_t position = 0;             // frames mixed so far; audio thread only once playing
};

struct Channel {
  uint32_t generation = 0;
  bool busy = false;
  SoundId sound = 0;
  SoundId layers[kMaxVoiceLayers] = {};
  LayerMix mix;
};

// Shared with the mixer callback, which has no user pointer. One SDL device exists at a time.
struct FinishedQueue {
  std::mutex mutex;
  std::vector<int> channels;
  bool deviceOpen = false;
};

// Never destroyed: a device left open until exit still finds its queue while it closes.
FinishedQueue& Queue() {
  static FinishedQueue* queue = new FinishedQueue;
  return *queue;
}

void OnChannelFinished(int channel) {
  std::lock_guard<std::mutex> lock(Queue().mutex);
  Queue().channels.push_back(channel);
}

int16_t Clamp16(int32_t v) { return static_cast<int16_t>(std::clamp<int32_t>(v, -32768, 32767)); }

// Channel effect: adds each layer at its current gain, moving the gain towards its target.
void MixLayers(int, void* stream, int length, void* user) {
  auto* mix = static_cast<LayerMix*>(user);
  auto* out = static_cast<int16_t*>(stream);
  const uint64_t frames = static_cast<uint64_t>(length) / kBytesPerFrame;
  for (int l = 0; l < mix->count; ++l) {
    float gain = mix->gain[l];
    const float target = mix->target[l].load(std::memory_order_relaxed);
    const float step = mix->step[l].load(std::memory_order_relaxed);
    const uint64_t size = mix->frames[l];
    if (size == 0 || (gain <= 0.0f && target <= 0.0f)) continue;
    for (uint64_t f = 0; f < frames; ++f) {
      gain = gain < target ? std::min(target, gain + step) : std::max(target, gain - step);
      uint64_t at = mix->position + f;
      if (mix->loop) at %= size;
      if (at >= size) break;
      const int16_t* in = mix->data[l] + at * 2;
      out[f * 2] = Clamp16(out[f * 2] + static_cast<int32_t>(std::lrint(gain * in[0])));
      out[f * 2 + 1] = Clamp16(out[f * 2 + 1] + static_cast<int32_t>(std::lrint(gain * in[1])));
    }
    mix->gain[l] = gain;
  }
  mix->position += frames;
}

// A copy of 16-bit stereo frames played `semitones` higher (linear interpolation).
std::vector<int16_t> Repitch(const int16_t* in, uint64_t frames, float semitones) {
  const double ratio = std::pow(2.0, semitones / 12.0);
  const uint64_t outFrames = frames < 2 ? frames : static_cast<uint64_t>((frames - 1) / ratio) + 1;
  std::vector<int16_t> out(outFrames * 2);
  for (uint64_t i = 0; i < outFrames; ++i) {
    double pos = static_cast<double>(i) * ratio;
    uint64_t a = std::min<uint64_t>(static_cast<uint64_t>(pos), frames - 1);
    uint64_t b = std::min<uint64_t>(a + 1, frames - 1);
    double t = pos - static_cast<double>(a);
    for (int c = 0; c < 2; ++c) {
      out[i * 2 + c] = Clamp16(static_cast<int32_t>(std::lrint(in[a * 2 + c] * (1.0 - t) + in[b * 2 + c] * t)));
    }
  }
  return out;
}

uint64_t FramesOf(const Mix_Chunk* chunk) { return chunk->alen / kBytesPerFrame; }

class SdlAudioDevice final : public AudioDevice {
 public:
  SdlAudioDevice() : channels_(kMixerChannels) {}
  ~SdlAudioDevice() override;

  bool IsAudible() const override { return true; }
  int VoiceCount() const override { return kMixerChannels; }

  SoundId LoadSound(const std::string& path, float pitchRange, SoundLoadStatus* status) override;
  void FreeSound(SoundId sound) override;
  double SoundSeconds(SoundId sound) const override {
    const LoadedSound* s = Find(sound);
    return s == nullptr ? 0.0 : s->seconds;
  }

  VoiceId Play(const VoiceStart& start) override;
  void SetVoiceGain(VoiceId voice, float gain, float pan) override;
  void SetLayerGain(VoiceId voice, int layer, float target, float fadeSeconds) override;
  void StopVoice(VoiceId voice) override;
  void CollectFinished(std::vector<VoiceId>* finished) override;

 private:
  const LoadedSound* Find(SoundId id) const {
    return id != 0 && id <= sounds_.size() && sounds_[id - 1].chunk != nullptr ? &sounds_[id - 1] : nullptr;
  }
  // The channel of a voice that is still the one playing there, or -1.
  int ChannelOf(VoiceId voice) const {
    int channel = static_cast<int>(voice & 0xFF);
    if (voice == 0 || channel >= kMixerChannels) return -1;
    const Channel& c = channels_[channel];
    return c.busy && (voice >> 8) == c.generation ? channel : -1;
  }
  static void ApplyGain(int channel, float gain, float pan);

  std::vector<LoadedSound> sounds_;  // SoundId n is sounds_[n - 1]; freed slots are reused
  std::vector<Channel> channels_;
  std::vector<VoiceId> stopped_;  // voices StopVoice ended, reported by the next CollectFinished
  int nextChannel_ = 0;
};

SdlAudioDevice::~SdlAudioDevice() {
  Mix_HaltChannel(-1);
  Mix_ChannelFinished(nullptr);
  for (size_t i = 0; i < sounds_.size(); ++i) FreeSound(static_cast<SoundId>(i + 1));
  Mix_CloseAudio();
  Mix_Quit();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  std::lock_guard<std::mutex> lock(Queue().mutex);
  Queue().channels.clear();
  Queue().deviceOpen = false;
}

SoundId SdlAudioDevice::LoadSound(const std::string& path, float pitchRange, SoundLoadStatus* status) {
  SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
  if (file == nullptr) {
    *status = SoundLoadStatus::FileNotFound;
    return 0;
  }
  Sint64 size = SDL_RWsize(file);
  if (size <= 0 || size > kMaxSoundFileBytes) {
    SDL_RWclose(file);
    *status = SoundLoadStatus::FileBad;
    return 0;
  }
  Mix_Chunk* chunk = Mix_LoadWAV_RW(file, 1);
  if (chunk == nullptr || chunk->alen < kBytesPerFrame) {
    if (chunk != nullptr) Mix_FreeChunk(chunk);
    *status = SoundLoadStatus::FileBad;
    return 0;
  }
  LoadedSound sound;
  sound.chunk = chunk;
  sound.seconds = static_cast<double>(FramesOf(chunk)) / kFrequency;
  if (pitchRange > 0.0f) {
    const auto* samples = reinterpret_cast<const int16_t*>(chunk->abuf);
    for (float step : kPitchSteps) {
      PitchCopy copy;
      copy.semitones = step * pitchRange;
      copy.samples = Repitch(samples, FramesOf(chunk), copy.semitones);
      copy.chunk = Mix_QuickLoad_RAW(reinterpret_cast<Uint8*>(copy.samples.data()),
                                     static_cast<Uint32>(copy.samples.size() * sizeof(int16_t)));
      if (copy.chunk != nullptr) sound.copies.push_back(std::move(copy));
    }
  }
  auto slot = std::find_if(sounds_.begin(), sounds_.end(), [](const LoadedSound& s) { return s.chunk == nullptr; });
  if (slot == sounds_.end()) slot = sounds_.insert(sounds_.end(), LoadedSound{});
  *slot = std::move(sound);
  *status = SoundLoadStatus::Ok;
  return static_cast<SoundId>(slot - sounds_.begin() + 1);
}

void SdlAudioDevice::FreeSound(SoundId id) {
  if (Find(id) == nullptr) return;
  // The layer effect reads the layer's samples directly, so a voice using the sound in any role
  // must stop before the memory goes.
  for (int ch = 0; ch < kMixerChannels; ++ch) {
    Channel& c = channels_[ch];
    if (!c.busy) continue;
    bool uses = c.sound == id;
    for (int l = 0; l < c.mix.count; ++l) uses = uses || c.layers[l] == id;
    if (uses) Mix_HaltChannel(ch);
  }
  LoadedSound& sound = sounds_[id - 1];
  for (PitchCopy& copy : sound.copies) Mix_FreeChunk(copy.chunk);
  Mix_FreeChunk(sound.chunk);
  sound = LoadedSound{};
}

void SdlAudioDevice::ApplyGain(int channel, float gain, float pan) {
  Mix_Volume(channel, static_cast<int>(std::lrint(std::clamp(gain, 0.0f, 1.0f) * MIX_MAX_VOLUME)));
  // Balance law: the near side stays at full level, the far side falls to silence at the edge.
  const float theta = (std::clamp(pan, -1.0f, 1.0f) + 1.0f) * 0.78539816f;
  const float left = std::min(1.0f, 1.41421356f * std::cos(theta));
  const float right = std::min(1.0f, 1.41421356f * std::sin(theta));
  Mix_SetPanning(channel, static_cast<Uint8>(std::lrint(std::max(0.0f, left) * 255.0f)),
                 static_cast<Uint8>(std::lrint(std::max(0.0f, right) * 255.0f)));
}

VoiceId SdlAudioDevice::Play(const VoiceStart& start) {
  const LoadedSound* sound = Find(start.sound);
  if (sound == nullptr) return 0;
  int channel = -1;
  for (int i = 0; i < kMixerChannels; ++i) {
    int candidate = (nextChannel_ + i) % kMixerChannels;
    if (!channels_[candidate].busy) {
      channel = candidate;
      break;
    }
  }
  if (channel < 0) return 0;
  nextChannel_ = (channel + 1) % kMixerChannels;

  Mix_Chunk* chunk = sound->chunk;
  float nearest = std::fabs(start.pitchSemitones);
  for (const PitchCopy& copy : sound->copies) {
    if (std::fabs(copy.semitones - start.pitchSemitones) < nearest) {
      nearest = std::fabs(copy.semitones - start.pitchSemitones);
      chunk = copy.chunk;
    }
  }

  Channel& c = channels_[channel];
  c.sound = start.sound;
  c.mix.count = 0;
  c.mix.loop = start.loop;
  c.mix.position = 0;
  for (int l = 0; l < std::min(start.layerCount, kMaxVoiceLayers); ++l) {
    const LoadedSound* layer = Find(start.layers[l]);
    if (layer == nullptr) continue;
    int i = c.mix.count++;
    c.layers[i] = start.layers[l];
    c.mix.data[i] = reinterpret_cast<const int16_t*>(layer->chunk->abuf);
    c.mix.frames[i] = FramesOf(layer->chunk);
    c.mix.gain[i] = std::clamp(start.layerGains[l], 0.0f, 1.0f);
    c.mix.target[i].store(c.mix.gain[i]);
    c.mix.step[i].store(1.0f);
  }
  ApplyGain(channel, start.gain, start.pan);
  if (c.mix.count > 0 && Mix_RegisterEffect(channel, MixLayers, nullptr, &c.mix) == 0) c.mix.count = 0;
  if (Mix_PlayChannel(channel, chunk, start.loop ? -1 : 0) < 0) {
    Mix_UnregisterAllEffects(channel);
    return 0;
  }
  c.busy = true;
  c.generation = (c.generation + 1) & 0xFFFFFF;
  if (c.generation == 0) c.generation = 1;
  return c.generation << 8 | static_cast<uint32_t>(channel);
}

void SdlAudioDevice::SetVoiceGain(VoiceId voice, float gain, float pan) {
  int channel = ChannelOf(voice);
  if (channel >= 0) ApplyGain(channel, gain, pan);
}

void SdlAudioDevice::SetLayerGain(VoiceId voice, int layer, float target, float fadeSeconds) {
  int channel = ChannelOf(voice);
  if (channel < 0 || layer < 0 || layer >= channels_[channel].mix.count) return;
  LayerMix& mix = channels_[channel].mix;
  float step = fadeSeconds > 0.0f ? 1.0f / (fadeSeconds * kFrequency) : 1.0f;
  mix.step[layer].store(step, std::memory_order_relaxed);
  mix.target[layer].store(std::clamp(target, 0.0f, 1.0f), std::memory_order_relaxed);
}

void SdlAudioDevice::StopVoice(VoiceId voice) {
  int channel = ChannelOf(voice);
  if (channel < 0) return;
  Mix_HaltChannel(channel);
  {
    // The channel's end is queued exactly once, by the halt or by the mixer just before it.
    std::lock_guard<std::mutex> lock(Queue().mutex);
    std::vector<int>& queued = Queue().channels;
    queued.erase(std::remove(queued.begin(), queued.end(), channel), queued.end());
  }
  Channel& c = channels_[channel];
  c.busy = false;
  c.sound = 0;
  c.mix.count = 0;
  stopped_.push_back(voice);
}

void SdlAudioDevice::CollectFinished(std::vector<VoiceId>* finished) {
  std::vector<int> ended;
  {
    std::lock_guard<std::mutex> lock(Queue().mutex);
    ended.swap(Queue().channels);
  }
  finished->insert(finished->end(), stopped_.begin(), stopped_.end());
  stopped_.clear();
  for (int channel : ended) {
    if (channel < 0 || channel >= kMixerChannels || !channels_[channel].busy) continue;
    Channel& c = channels_[channel];
    c.busy = false;
    c.sound = 0;
    c.mix.count = 0;
    finished->push_back(c.generation << 8 | static_cast<uint32_t>(channel));
  }
}

}  // namespace

std::unique_ptr<AudioDevice> CreateSdlAudioDevice(std::string* error) {
  {
    std::lock_guard<std::mutex> lock(Queue().mutex);
    if (Queue().deviceOpen) {
      *error = "the audio device is already open";
      return nullptr;
    }
  }
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    *error = SDL_GetError();
    return nullptr;
  }
  Mix_Init(MIX_INIT_OGG);
  // No format changes allowed: SDL converts to the card, and every chunk is 16-bit stereo, which
  // the layer effect and the pitch copies rely on.
  if (Mix_OpenAudioDevice(kFrequency, AUDIO_S16SYS, kOutputChannels, kChunkFrames, nullptr, 0) != 0) {
    *error = Mix_GetError();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  Mix_AllocateChannels(kMixerChannels);
  {
    std::lock_guard<std::mutex> lock(Queue().mutex);
    Queue().channels.clear();
    Queue().deviceOpen = true;
  }
  Mix_ChannelFinished(OnChannelFinished);
  return std::make_unique<SdlAudioDevice>();
}

}  // namespace platform
