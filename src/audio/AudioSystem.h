// The game's audio system: one event system with the five sound banks, the music and effects buses,
// and the table from short sound names ("windup", "levelone") to event descriptions. Objects
// register their names through their Sound component; anyone may then play them by name.
//
// Every call into the event layer stores its result as the last result; a failure also writes
// "Audio Error! " and the numeric code on a line of its own to standard output. That is all that
// happens: the game goes on without the sound. Missing banks, unknown event paths and names that
// were never registered all end this way.
//
// Outside the system's lifetime (before InitializeAudio, after ShutdownAudio, or when no system
// could be made) the operations below do nothing and report nothing: there is no layer to call.
#pragma once

#include <string>

#include "audio/EventLayer.h"

// Where the game's banks live (relative to the working folder).
inline constexpr const char* kMusicFolder = "./Assets/Music/";

// Creates the event system, opens the output (none under --headless: a silent device stands in),
// loads the banks from `folder` in the order SFX, Music, Master, Master strings, Ambience, loads the
// music's sample data and looks up the two buses. Returns false only when no system could be made.
bool InitializeAudio(const std::string& folder = kMusicFolder);
// Unloads the banks, releases the system and forgets every name.
void ShutdownAudio();
// Once per frame: ends finished sounds and frees one-shots that are done.
void UpdateAudio();

// Looks `path` up and loads its sample data, then files it under `name`. A name that is already
// registered keeps its first event and counts one more user. A path no bank has leaves the name
// free. True when the caller now holds the name (and owes it one UnloadEvent).
bool RegisterEvent(const std::string& path, const std::string& name);
// Plays a one-shot instance of the named event; it frees itself when it ends.
void PlayEvent(const std::string& name);
// As PlayEvent, heard from `distance` world units away in the direction `direction` (degrees
// counter-clockwise from +x, seen from the listener): the event's distance and direction parameters.
void PlayEventAt(const std::string& name, float distance, float direction);
// Stops every instance of the named event at once.
void StopEvent(const std::string& name);
// True while some instance of the named event is playing (false for an unknown name).
bool IsEventPlaying(const std::string& name);
// Gives up one registration of the name. The last one unloads the event's sample data, frees all
// its instances and forgets the name; the others leave it to the objects that still share it.
void UnloadEvent(const std::string& name);
// Turns the chase layer of every "levelone" instance on (1) or off (0), fading.
void SetChaseMusic(bool on);

// The value of the direction parameter for a direction angle a in degrees: 180 for a sound to the
// listener's right, -180 to its left, 0 straight above or below.
float DirectionParameter(float a);

// A bus as the game uses it: volume and mute, each call reported like every other.
class AudioBus {
 public:
  explicit AudioBus(const char* path) : path(path) {}
  void SetVolume(float volume);
  float GetVolume();
  void SetMute(bool mute);
  bool GetMute();

  const char* path;
  BusHandle handle;
};

AudioBus& MusicBus();  // "bus:/Music"
AudioBus& SfxBus();    // "bus:/SFX"

// The result of the most recent event-layer call.
AudioResult LastAudioResult();
// The running event system (null outside InitializeAudio .. ShutdownAudio), for tools and tests.
EventSystem* GetEventSystem();
// The description registered under `name`; an invalid handle when there is none.
EventDescription FindRegisteredEvent(const std::string& name);
