#include "audio/Sound.h"

#include "audio/AudioSystem.h"

Sound::Sound() : Component(ComponentType::Sound) {}

Sound::~Sound() {
  for (const std::string& name : held_) UnloadEvent(name);
}

void Sound::AddSound(const std::string& name, const std::string& path) { sounds[name] = path; }

void Sound::LoadSound(const std::string& name) {
  const std::string& path = sounds[name];
  if (held_.count(name) != 0) return;
  if (RegisterEvent(path, name)) held_.insert(name);
}

void Sound::RemoveSound(const std::string& name) {
  sounds.erase(name);
  // A name this object does not hold has nothing of its to unload (reading a player attribute file
  // removes its six sound names before adding them the first time).
  if (held_.erase(name) != 0) UnloadEvent(name);
}

std::map<std::string, std::string> Sound::GetSounds() const { return sounds; }

void Sound::PlayAt(const std::string& name, float distance, float direction) {
  PlayEventAt(name, distance, direction);
}
