#include "scenes/AttributeFile.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <vector>

#include "audio/Sound.h"
#include "core/FileSync.h"
#include "core/Logger.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/ObjectType.h"
#include "scenes/HumanTuning.h"
#include "scenes/PlayerTuning.h"
#include "scenes/ValueText.h"

namespace {

// Attribute files are a few hundred bytes; anything far larger is not one.
constexpr size_t kMaxAttributeFileBytes = size_t{1} << 20;
constexpr size_t kMaxTextBytes = size_t{64} << 10;

constexpr int kPlayerSection = static_cast<int>(ObjectType::Player);
constexpr int kHumanSection = static_cast<int>(ObjectType::Enemy);

struct PlayerKey {
  const char* key;
  float PlayerTuning::*value;
};

// File order. "throwMovementRatio" is written as the constant 2 and ignored when read.
const PlayerKey kPlayerKeys[] = {
    {"accel", &PlayerTuning::accel},
    {"accel_holding", &PlayerTuning::accel_holding},
    {"accel_vent", &PlayerTuning::accel_vent},
    {"maxVelocity", &PlayerTuning::maxVelocity},
    {"maxVelocity_holding", &PlayerTuning::maxVelocity_holding},
    {"maxVelocity_vent", &PlayerTuning::maxVelocity_vent},
    {"throwMovementRatio", nullptr},
    {"decel", &PlayerTuning::decel},
};

struct SoundKey {
  const char* key;
  const char* suffix;
  const char* event;
};

const SoundKey kSoundKeys[] = {
    {"footstep", "_footstep", "event:/SFX/Player/PlayerFootsteps"},
    {"footstep_grab", "_footstep_grab", "event:/SFX/Food/FoodGrab"},
    {"footstep_vent", "_footstep_vent", "event:/SFX/Player/PlayerFootstepsVent"},
    {"throw", "_throw", "event:/SFX/Player/PlayerThrow"},
    {"throw_init", "_throw_init", "event:/SFX/Player/PlayerWindup"},
    {"drop", "_drop", "event:/SFX/Food/FoodDrop"},
};

struct HumanKey {
  const char* key;
  float HumanTuning::*value;  // null for the angle, which is an integer
  bool comma;                 // the writer leaves the comma off after three of them
};

const HumanKey kHumanKeys[] = {
    {"max_aggro", &HumanTuning::max_aggro, true},
    {"return_agro", &HumanTuning::return_agro, true},
    {"detection_angle", nullptr, true},
    {"catch_radius", &HumanTuning::catch_radius, true},
    {"max_detection_radius", &HumanTuning::max_detection_radius, true},
    {"min_detection_radius", &HumanTuning::min_detection_radius, true},
    {"patrol_acceleration", &HumanTuning::patrol_acceleration, true},
    {"patrol_max_velocity", &HumanTuning::patrol_max_velocity, false},
    {"chase_aceleration", &HumanTuning::chase_aceleration, true},
    {"chase_max_velocity", &HumanTuning::chase_max_velocity, true},
    {"grace_acceleration", &HumanTuning::grace_acceleration, true},
    {"grace_max_velocity", &HumanTuning::grace_max_velocity, true},
    {"detection_run_speed_mod", &HumanTuning::detection_run_speed_mod, true},
    {"detection_idle_speed_mod", &HumanTuning::detection_idle_speed_mod, true},
    {"distance_mod", &HumanTuning::distance_mod, true},
    {"agro_recovery_rate", &HumanTuning::agro_recovery_rate, false},
    {"grace_max_time", &HumanTuning::grace_max_time, true},
    {"grace_timer_scale", &HumanTuning::grace_timer_scale, true},
    {"stun_max_time", &HumanTuning::stun_max_time, false},
};

// The vision cone angle: a float truncated to a whole number of degrees.
bool ParseAngle(const std::string& text, int32_t* out) {
  float value = 0.0f;
  if (!ParseFloat(text, &value)) return false;
  if (!(value >= -2147483648.0f && value < 2147483648.0f)) return false;
  *out = static_cast<int32_t>(value);
  return true;
}

void Line(std::string& out, int tabs, std::string_view text) {
  out.append(static_cast<size_t>(tabs), '\t');
  out.append(text);
  out.push_back('\n');
}

std::string KeyValue(std::string_view key, std::string_view value, bool comma) {
  std::string text;
  text.push_back('"');
  text.append(key);
  text.append("\": \"");
  text.append(value);
  text.push_back('"');
  if (comma) text.push_back(',');
  return text;
}

// The event an object's Sound component holds under `name`; empty when there is none.
std::string SoundEventOf(GameObject* object, const std::string& name) {
  if (!object) return std::string();
  Sound* sound = object->FindComponent<Sound>();
  if (!sound) return std::string();
  auto sounds = sound->GetSounds();
  auto it = sounds.find(name);
  return it == sounds.end() ? std::string() : it->second;
}

// Gives every player object the table's event under its own name + suffix, loaded afresh.
void ReRegisterPlayerSound(const SoundKey& entry) {
  const std::string prefix = TypeName(kPlayerSection) + "_";
  for (GameObject* object : Objects()) {
    if (!object || object->name.compare(0, prefix.size(), prefix) != 0) continue;
    Sound* sound = object->FindComponent<Sound>();
    if (!sound) continue;
    const std::string name = object->name + entry.suffix;
    sound->RemoveSound(name);
    sound->AddSound(name, entry.event);
    sound->LoadSound(name);
  }
}

enum class ReadState { Between, Key, AfterKey, Value, InList, ListString };

// Reads a whole file. The values go to copies of the shared tuning and are committed only when the
// whole file has been read, so a rejected file changes nothing.
class AttributeReader {
 public:
  explicit AttributeReader(const std::string& label)
      : label_(label), player_(PlayerTuningValues()), human_(HumanTuningValues()) {}

  bool Read(std::string_view text) {
    for (char c : text) {
      if (!Step(c)) return false;
    }
    Commit();
    return true;
  }

 private:
  // Names the file, the line of the key and what is wrong.
  bool Malformed(const std::string& reason) {
    LogProblem("Malformed attribute File: " + label_ + ":" + std::to_string(keyLine_) + ": " + reason, LogLevel::Warning);
    return false;
  }

  bool Append(std::string& text, char c, const char* what) {
    if (text.size() >= kMaxTextBytes) {
      return Malformed(std::string(what) + " is longer than " + std::to_string(kMaxTextBytes) + " bytes");
    }
    text.push_back(c);
    return true;
  }

  bool NotA(const char* kind) {
    std::string shown = value_.size() <= 40 ? value_ : value_.substr(0, 40) + "...";
    return Malformed("\"" + key_ + "\" holds \"" + shown + "\", which is not a " + kind + " within range");
  }

  bool Step(char c) {
    if (c == '\n') ++line_;
    switch (state_) {
      case ReadState::Between:
        if (c == '"') {
          key_.clear();
          keyLine_ = line_;
          state_ = ReadState::Key;
        }
        return true;
      case ReadState::Key:
        if (c != '"') return Append(key_, c, "a key");
        state_ = ReadState::AfterKey;
        if (section_ == 0) {
          // "Human" is the file's word for the Enemy section.
          int type = key_ == "Human" ? kHumanSection : TypeFromName(key_);
          if (type != kPlayerSection && type != kHumanSection) {
            return Malformed("\"" + key_ + "\" names no tuning section (only \"Player\" and \"Human\" do)");
          }
          section_ = type;
        }
        return true;
      case ReadState::AfterKey:
        if (c == '"') {
          value_.clear();
          state_ = ReadState::Value;
        } else if (c == '{') {
          state_ = ReadState::Between;  // nested blocks ("attributes", "sounds") are just entered
        } else if (c == '[') {
          state_ = ReadState::InList;
        }
        return true;
      case ReadState::Value:
        if (c != '"') return Append(value_, c, "a value");
        state_ = ReadState::Between;
        return Apply();
      case ReadState::InList:
        if (c == '"') state_ = ReadState::ListString;
        else if (c == ']') state_ = ReadState::Between;
        return true;
      case ReadState::ListString:
        if (c == '"') state_ = ReadState::InList;
        return true;
    }
    return true;
  }

  // False (after saying why) when a number does not convert.
  bool Apply() {
    if (section_ == kPlayerSection) {
      for (const PlayerKey& entry : kPlayerKeys) {
        if (key_ != entry.key) continue;
        float value = 0.0f;
        if (!ParseFloat(value_, &value)) return NotA("finite number");
        if (entry.value) player_.*entry.value = value;
        return true;
      }
      for (size_t i = 0; i < std::size(kSoundKeys); ++i) {
        if (key_ == kSoundKeys[i].key) soundsSeen_.push_back(i);  // the value is not used
      }
      return true;
    }
    for (const HumanKey& entry : kHumanKeys) {
      if (key_ != entry.key) continue;
      if (!entry.value) return ParseAngle(value_, &human_.detection_angle) || NotA("whole number");
      return ParseFloat(value_, &(human_.*entry.value)) || NotA("finite number");
    }
    return true;
  }

  void Commit() {
    if (section_ == kPlayerSection) {
      PlayerTuningValues() = player_;
      for (size_t index : soundsSeen_) ReRegisterPlayerSound(kSoundKeys[index]);
    } else if (section_ == kHumanSection) {
      HumanTuningValues() = human_;
    }
  }

  const std::string& label_;
  ReadState state_ = ReadState::Between;
  int section_ = 0;  // 0 until the first key names it
  std::string key_;
  std::string value_;
  PlayerTuning player_;
  HumanTuning human_;
  std::vector<size_t> soundsSeen_;
  int line_ = 1;     // the line being read, from 1
  int keyLine_ = 1;  // the line the current key began on
};

}  // namespace

std::string AttributeFilePath(const std::string& name) { return "./Assets/Attributes/" + name + ".json"; }

std::string AttributesToText(GameObject* object, int type) {
  std::string out;
  if (type == kPlayerSection) {
    const PlayerTuning& tuning = PlayerTuningValues();
    Line(out, 0, "{");
    Line(out, 1, "\"Player\": {");
    Line(out, 2, "\"attributes\": {");
    for (const PlayerKey& entry : kPlayerKeys) {
      float value = entry.value ? tuning.*entry.value : 2.0f;
      bool comma = &entry != &kPlayerKeys[std::size(kPlayerKeys) - 1];
      Line(out, 3, KeyValue(entry.key, FloatText(value), comma));
    }
    Line(out, 2, "},");
    Line(out, 2, "\"sounds\": {");
    const std::string owner = object ? object->name : std::string();
    for (const SoundKey& entry : kSoundKeys) {
      bool comma = &entry != &kSoundKeys[std::size(kSoundKeys) - 1];
      Line(out, 3, KeyValue(entry.key, SoundEventOf(object, owner + entry.suffix), comma));
    }
    Line(out, 2, "}");
    Line(out, 1, "}");
    out.append("}");
  } else if (type == kHumanSection) {
    const HumanTuning& tuning = HumanTuningValues();
    Line(out, 0, "{");
    Line(out, 1, "\"Human\": {");
    Line(out, 2, "\"attributes\": {");
    for (const HumanKey& entry : kHumanKeys) {
      float value = entry.value ? tuning.*entry.value : static_cast<float>(tuning.detection_angle);
      Line(out, 3, KeyValue(entry.key, FloatText(value), entry.comma));
    }
    Line(out, 2, "},");
    Line(out, 2, "\"sounds\": {");
    Line(out, 2, "}");
    Line(out, 1, "}");
    out.append("}");
  }
  return out;
}

// The first tuning key of the section whose value the reader could not read back (not finite).
std::string FindUnwritableKey(int type) {
  if (type == kPlayerSection) {
    for (const PlayerKey& entry : kPlayerKeys) {
      if (entry.value && !std::isfinite(PlayerTuningValues().*entry.value)) return entry.key;
    }
  } else if (type == kHumanSection) {
    for (const HumanKey& entry : kHumanKeys) {
      if (entry.value && !std::isfinite(HumanTuningValues().*entry.value)) return entry.key;
    }
  }
  return std::string();
}

bool SaveAttributesToFile(GameObject* object, int type, const std::string& path, std::string* error) {
  std::string key = FindUnwritableKey(type);
  if (!key.empty()) {
    const std::string reason = "\"" + key + "\" is not a finite number";
    if (error) *error = reason;
    Log("Unable to write the attributes: " + reason, LogLevel::Error);
    return false;
  }
  std::string why;
  if (!files::ReplaceFileContents(path, AttributesToText(object, type), &why)) {
    if (error) *error = why;
    Log("Unable to open file to write: " + why, LogLevel::Error);
    return false;
  }
  return true;
}

bool SaveAttributes(GameObject* object, int type, const std::string& name, std::string* error) {
  return SaveAttributesToFile(object, type, AttributeFilePath(name), error);
}

bool LoadAttributesFromText(const std::string& text, const std::string& label) {
  if (text.size() > kMaxAttributeFileBytes) {
    LogProblem("Malformed attribute File: " + label + ": the file is larger than " +
                   std::to_string(kMaxAttributeFileBytes) + " bytes",
               LogLevel::Warning);
    return false;
  }
  return AttributeReader(label).Read(text);
}

bool LoadAttributesFromFile(const std::string& path) {
  std::string text, why;
  if (!files::ReadFileUpTo(path, kMaxAttributeFileBytes, &text, &why)) {
    LogProblem("Could not open the attribute file " + path + ": " + why, LogLevel::Warning);
    return false;
  }
  return LoadAttributesFromText(text, path);
}

bool LoadAttributes(const std::string& name) { return LoadAttributesFromFile(AttributeFilePath(name)); }

int AttributeSectionOf(const std::string& name) {
  std::error_code ec;
  const std::string path = AttributeFilePath(name);
  std::ifstream in;
  if (!std::filesystem::is_directory(path, ec)) in.open(path, std::ios::in);
  if (!in.is_open()) return 0;
  // The first key, as the reader takes it: the text between the first two double quotes.
  std::string key;
  char c = 0;
  while (in.get(c) && c != '"') {
  }
  while (in.get(c) && c != '"' && key.size() < kMaxTextBytes) key.push_back(c);
  if (key == "Human") return kHumanSection;
  const int type = TypeFromName(key);
  return type == kPlayerSection || type == kHumanSection ? type : 0;
}
