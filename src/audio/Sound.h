// The Sound component (kind 12, always appended after the fixed slots): the table of sound names an
// object owns and the event path of each. LoadSound registers a name with the audio system so any
// part of the game can play it by name; the component unloads all its names when it is destroyed.
// The audio system's table is keyed by name alone, so two objects that register the same name share
// one event (the first registration wins); the name stays until the last of them unloads it.
// Reads and writes no sibling component.
#pragma once

#include <map>
#include <set>
#include <string>

#include "objects/Component.h"

class Sound final : public Component {
 public:
  Sound();
  // Unloads every name of the table from the audio system.
  ~Sound() override;

  void Update(float) override {}
  void Draw() override {}

  // Sets the event path of `name` (replacing an earlier one). The audio system is not touched.
  void AddSound(const std::string& name, const std::string& path);
  // Registers `name` with the audio system under the path the table holds for it (an empty path
  // for a name that was never added, which the audio system reports as an error). A name this
  // object already holds is not registered twice.
  void LoadSound(const std::string& name);
  // Gives up this object's hold on `name` in the audio system and drops it from the table.
  void RemoveSound(const std::string& name);
  // A copy of the table.
  std::map<std::string, std::string> GetSounds() const;
  // Plays the registered `name` as a positioned one-shot; the table is not consulted.
  void PlayAt(const std::string& name, float distance, float direction);

  std::map<std::string, std::string> sounds;  // name -> event path

 private:
  // The names this object has registered successfully: each is unloaded once, and only by it.
  std::set<std::string> held_;
};
