// The event layer: sound banks, events, instances, parameters and buses on top of the audio device.
// A bank is a manifest (audio/BankManifest) naming events; an event description is one event of a
// loaded bank; an instance is one playing of it; a bus groups events for volume and mute.
//
// Every operation returns an AudioResult; nothing throws and nothing a file holds can crash it.
// Handles are small values checked on every use: a handle whose object is gone (a released
// instance that finished, an event of an unloaded bank) gives InvalidHandle, never a dangling
// pointer. All calls come from the main thread; sound ends reported by the device are picked up in
// Update, which also frees released instances that have stopped.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class AudioDevice;
}

// The layer's own result codes. The numbers are what "Audio Error! " lines print.
enum class AudioResult : int32_t {
  Ok = 0,
  InvalidHandle = 1,    // a handle that never was valid, or whose object is gone
  InvalidParam = 2,     // a bad argument: a null output, a value that is not a number ...
  Uninitialized = 3,    // the system is not initialised (or was released)
  Initialized = 4,      // initialise called twice
  FileNotFound = 5,     // a bank or sound file that does not exist
  FileBad = 6,          // a bank that does not parse, or a sound that does not decode
  NotFound = 7,         // no loaded bank has this event or bus, or the event lacks this parameter
  AlreadyLoaded = 8,    // the bank, or an event it declares, is loaded already
  NotLoaded = 9,        // unloading sample data that was not loaded
  MaxInstances = 10,    // the instance budget is spent
  NoVoice = 11,         // every voice of the device is playing a loop
};

int32_t AudioResultCode(AudioResult result);

enum class PlaybackState { Playing, Stopped };

// Handles. A default-constructed handle is invalid.
struct BankHandle {
  uint32_t index = 0;
  uint32_t generation = 0;
};
struct EventDescription {
  uint32_t index = 0;
  uint32_t generation = 0;
};
struct EventInstance {
  uint32_t index = 0;
  uint32_t generation = 0;
};
struct BusHandle {
  uint32_t index = 0;
  uint32_t generation = 0;
};

// Positioned events have these two parameters; layers bring their own.
inline constexpr const char* kDistanceParameter = "parameter:/NoAutoDistance";
inline constexpr const char* kDirectionParameter = "parameter:/NoAutoDirection";
// Positioned events play at full volume up to this distance (world units) and fade to silence
// at the second one.
inline constexpr float kFullVolumeDistance = 300.0f;
inline constexpr float kSilentDistance = 2000.0f;

// Gain of a positioned event at `distance` world units from the listener.
float DistanceAttenuation(float distance);

class EventSystem {
 public:
  EventSystem();
  ~EventSystem();
  EventSystem(const EventSystem&) = delete;
  EventSystem& operator=(const EventSystem&) = delete;

  // Starts the system on `device` (owned from here on). maxInstances is the number of instances
  // that may exist at once. An instance plays on a voice of the device; a device without voices
  // (the silent one) lets every instance run on the clock until it ends.
  AudioResult Initialize(int maxInstances, std::unique_ptr<platform::AudioDevice> device);
  // Collects ended voices, ends instances whose time is up, frees released instances that stopped,
  // frees sample data nobody needs any more.
  AudioResult Update();
  // Stops everything, unloads every bank and frees the device. The system can be initialised again.
  AudioResult Release();
  bool IsInitialized() const;

  // Banks. A bank's sound files are found relative to the manifest's folder.
  AudioResult LoadBankFile(const std::string& path, BankHandle* bank);
  AudioResult UnloadBank(BankHandle bank);
  // Loads the sample data of every event of the bank (as LoadSampleData on each).
  AudioResult LoadBankSampleData(BankHandle bank);
  // Waits for pending sample loading; loading is synchronous here, so this only checks the system.
  AudioResult FlushSampleLoading();

  AudioResult GetEvent(const std::string& path, EventDescription* event);
  AudioResult GetBus(const std::string& path, BusHandle* bus);

  // Event descriptions. Sample data is counted: each load needs an unload. An instance that starts
  // while its event's data is not loaded loads it for itself (and frees it when done).
  AudioResult LoadSampleData(EventDescription event);
  AudioResult UnloadSampleData(EventDescription event);
  AudioResult CreateInstance(EventDescription event, EventInstance* instance);
  // Number of instances of the event that exist (created and not yet freed).
  AudioResult GetInstanceCount(EventDescription event, int* count);
  // Writes up to `capacity` of them to `list`; *count is how many were written.
  AudioResult GetInstanceList(EventDescription event, EventInstance* list, int capacity, int* count);
  // Stops and frees every instance of the event at once.
  AudioResult ReleaseAllInstances(EventDescription event);
  AudioResult GetEventPath(EventDescription event, std::string* path);
  AudioResult IsEventLoaded(EventDescription event, bool* loaded);

  // Instances.
  // Starts the instance (again from the top if it is playing). When every voice is busy it takes the
  // voice of the one-shot that started longest ago; when only loops hold voices it stays stopped and
  // the answer is NoVoice.
  AudioResult Start(EventInstance instance);
  // Stops at once; there are no fade-outs.
  AudioResult Stop(EventInstance instance);
  // The instance frees itself once it has stopped (at once if it is not playing).
  AudioResult Release(EventInstance instance);
  AudioResult GetPlaybackState(EventInstance instance, PlaybackState* state);
  // Parameters: the position parameters of positioned events, and each layer's parameter (0..1).
  // A layer's gain follows its parameter over the layer's fade time unless ignoreSeekSpeed is set.
  AudioResult SetParameterByName(EventInstance instance, const std::string& name, float value,
                                 bool ignoreSeekSpeed = false);
  AudioResult GetParameterByName(EventInstance instance, const std::string& name, float* value);
  // The event's volume, and the final gain the mixer applies (volume x distance x bus).
  AudioResult GetFinalVolume(EventInstance instance, float* finalVolume);
  AudioResult GetDescription(EventInstance instance, EventDescription* event);

  // Buses. Volume is a linear gain, 0..1 and above; a muted bus plays silence but keeps time.
  // Playing voices follow a change at the next Update (a change undone before it is never heard);
  // instances started meanwhile, and the Get functions, see the new value at once.
  AudioResult SetBusVolume(BusHandle bus, float volume);
  AudioResult GetBusVolume(BusHandle bus, float* volume);
  AudioResult SetBusMute(BusHandle bus, bool mute);
  AudioResult GetBusMute(BusHandle bus, bool* mute);

  // Number of instances that exist, of every event.
  int InstanceCount() const;

  struct State;

 private:
  std::unique_ptr<State> state_;
};

// Makes a system, as the game's audio start-up expects: null only when memory runs out.
AudioResult CreateEventSystem(std::unique_ptr<EventSystem>* system);
