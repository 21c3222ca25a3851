// Helpers shared by the audio tests.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "audio/AudioSystem.h"
#include "support/TestSupport.h"

namespace audio_test {

// SDL reads the driver name when the audio subsystem starts, so this must run before InitializeAudio.
inline void UseAudioDriver(const char* driver) { ::setenv("SDL_AUDIODRIVER", driver, 1); }

// A 16-bit mono 44.1 kHz WAV file's bytes: a sine of the given length and amplitude (0 is silence).
inline std::string Wav(double seconds, double amplitude = 8000) {
  const uint32_t frames = static_cast<uint32_t>(seconds * 44100);
  std::string data;
  for (uint32_t i = 0; i < frames; ++i) {
    int16_t v = static_cast<int16_t>(amplitude * std::sin(i * 0.06));
    data.append(reinterpret_cast<const char*>(&v), 2);
  }
  auto u32 = [](uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [](uint16_t v) { return std::string(reinterpret_cast<const char*>(&v), 2); };
  return "RIFF" + u32(36 + static_cast<uint32_t>(data.size())) + "WAVE" + "fmt " + u32(16) + u16(1) + u16(1) +
         u32(44100) + u32(88200) + u16(2) + u16(16) + "data" + u32(static_cast<uint32_t>(data.size())) + data;
}

inline std::string MusicFolder() { return testing_support::SourceDir() + "/Assets/Music/"; }

// Starts the audio system with the game's banks on SDL's silent output; what it printed goes to
// `printed` when given. Tests that start it this way call ShutdownAudio() in their tear-down.
inline bool StartOnSilentOutput(std::string* printed = nullptr) {
  UseAudioDriver("dummy");
  testing::internal::CaptureStdout();
  const bool ok = InitializeAudio(MusicFolder());
  const std::string out = testing::internal::GetCapturedStdout();
  if (printed != nullptr) *printed = out;
  return ok;
}

// The event path a registered name plays.
inline std::string PathOf(const std::string& name) {
  std::string path;
  GetEventSystem()->GetEventPath(FindRegisteredEvent(name), &path);
  return path;
}

// Number of "Audio Error! N" lines in captured standard output.
inline int ErrorLines(const std::string& out) {
  int lines = 0;
  for (size_t at = out.find("Audio Error! "); at != std::string::npos; at = out.find("Audio Error! ", at + 1)) {
    ++lines;
  }
  return lines;
}

// The instances that exist of the event registered under `name`.
inline std::vector<EventInstance> InstancesOf(const std::string& name) {
  EventSystem* system = GetEventSystem();
  std::vector<EventInstance> list(64);
  int count = 0;
  if (system == nullptr ||
      system->GetInstanceList(FindRegisteredEvent(name), list.data(), static_cast<int>(list.size()), &count) !=
          AudioResult::Ok) {
    return {};
  }
  list.resize(static_cast<size_t>(count));
  return list;
}

inline float ParameterOf(EventInstance instance, const char* parameter) {
  float value = -1.0f;
  GetEventSystem()->GetParameterByName(instance, parameter, &value);
  return value;
}

inline float FinalVolumeOf(EventInstance instance) {
  float value = -1.0f;
  GetEventSystem()->GetFinalVolume(instance, &value);
  return value;
}

}  // namespace audio_test
