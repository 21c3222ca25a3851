// Helpers shared by the audio tests.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "audio/AudioSystem.h"
#include "support/TestSupport.h"

namespace audio_test {

// SDL reads the driver name when the audio subsystem starts, so this must run before InitializeAudio.
inline void UseAudioDriver(const char* driver) { ::setenv("SDL_AUDIODRIVER", driver, 1); }

inline std::string MusicFolder() { return testing_support::SourceDir() + "/Assets/Music/"; }

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
