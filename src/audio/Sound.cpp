#include "audio/Sound.h"

#include "audio/AudioSystem.h"

Sound::Sound() : Component(ComponentType::Sound) {}

Sound::~Sound() {
  for (const auto& [name, path] : sounds) UnloadEvent(name);
}

void Sound::AddSound(const std::string& name, const std::string& path) { sounds[name] = path; }

void Sound::LoadSound(const std::string& name) { RegisterEvent(sounds[name], name); }

void Sound::RemoveSound(const std::string& name) {
  // A name this object never added has nothing of its to unload (reading a player attribute file
  // removes its six sound names before adding them the first time).
  if (sounds.erase(name) == 0) return;
  UnloadEvent(name);
}

std::map<std::string, std::string> Sound::GetSounds() const { return sounds; }

void Sound::PlayAt(const std::string& name, float distance, float direction) {
  PlayEventAt(name, distance, direction);
}
