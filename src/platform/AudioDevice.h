// The audio backend: decoded sounds and the voices that play them. The event layer
// (audio/EventLayer) is built on this and never sees the mixer library. Two implementations:
// an SDL2_mixer one with a real output device (64 mixer channels, 44.1 kHz, 16-bit stereo) and a
// null one for --headless runs and machines without a sound card, which decodes nothing, plays
// nothing and has no voices: every instance above it then runs on the clock alone.
// Everything here is called from the main thread. Voices that end by themselves are reported
// through CollectFinished, never by calling back into game code from the mixer's thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// Handles: 0 is "none"; a handle whose sound or voice is gone is simply ignored.
using SoundId = uint32_t;
using VoiceId = uint32_t;

inline constexpr int kMaxVoiceLayers = 4;

enum class SoundLoadStatus { Ok, FileNotFound, FileBad };

struct VoiceStart {
  SoundId sound = 0;
  bool loop = false;
  float gain = 1.0f;             // 0..1 (more is clipped)
  float pan = 0.0f;              // -1 left .. 0 centre .. +1 right
  float pitchSemitones = 0.0f;   // played from the closest prepared pitch copy
  // Sounds mixed in step with the main sound, each at its own gain (see SetLayerGain).
  SoundId layers[kMaxVoiceLayers] = {};
  float layerGains[kMaxVoiceLayers] = {};
  int layerCount = 0;
};

class AudioDevice {
 public:
  virtual ~AudioDevice() = default;

  // True when voices really reach an output (false for the null device).
  virtual bool IsAudible() const = 0;
  // Number of voices that can play at once.
  virtual int VoiceCount() const = 0;

  // Decodes a whole file. pitchRange (semitones) asks for copies pitched up to that far either way,
  // so instances can vary in pitch. On failure returns 0 and says why in *status.
  virtual SoundId LoadSound(const std::string& path, float pitchRange, SoundLoadStatus* status) = 0;
  // Frees a sound; voices still playing it stop first.
  virtual void FreeSound(SoundId sound) = 0;
  // Length in seconds at normal pitch; 0 for an unknown sound.
  virtual double SoundSeconds(SoundId sound) const = 0;

  // Starts a voice; 0 when every voice is busy (or there are none).
  virtual VoiceId Play(const VoiceStart& start) = 0;
  virtual void SetVoiceGain(VoiceId voice, float gain, float pan) = 0;
  // Moves layer `layer`'s gain towards `target` (0..1), taking `fadeSeconds` for a change of 1.
  virtual void SetLayerGain(VoiceId voice, int layer, float target, float fadeSeconds) = 0;
  // Stops a voice now; its voice is free for the next Play at once (a sound started while every
  // voice is busy takes one this way). Its end is reported by the next CollectFinished like any other.
  virtual void StopVoice(VoiceId voice) = 0;
  // Appends the voices that have ended since the previous call.
  virtual void CollectFinished(std::vector<VoiceId>* finished) = 0;
};

// Opens the default output through SDL2_mixer (honouring SDL_AUDIODRIVER). Null when no device
// can be opened; the reason is in *error.
std::unique_ptr<AudioDevice> CreateSdlAudioDevice(std::string* error);
// The silent device.
std::unique_ptr<AudioDevice> CreateNullAudioDevice();

}  // namespace platform
