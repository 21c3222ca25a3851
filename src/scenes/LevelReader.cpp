#include "scenes/LevelReader.h"

#include <memory>
#include <string_view>
#include <utility>

#include "audio/AudioSystem.h"
#include "core/FileSync.h"
#include "core/Logger.h"
#include "objects/ObjectType.h"
#include "scenes/Level.h"
#include "scenes/ValueText.h"

namespace {

// The bounds on the parts of a file (the whole file's is in LevelReader.h, with the reason for both).
constexpr size_t kMaxTextBytes = size_t{1} << 20;  // one key, value or list entry
constexpr size_t kMaxEntries = size_t{1} << 18;    // records and list entries together

struct LevelFileState {
  int32_t musicCounter = 0;  // names music entries "music" + N across the whole run
  bool registerMusic = true;
};

LevelFileState& FileState() {
  static LevelFileState state;
  return state;
}

enum class Context { Level, Textures, Music, Objects, Filters, Light, ParticleEmitters, Tiles, Attributes };

enum class ReadState {
  Between = 1,    // waiting for a key or the end of an element
  Key = 2,        // inside a key
  AfterKey = 3,   // waiting for its value, list or block
  Value = 4,      // inside a value
  InList = 5,     // between list entries
  ListString = 6  // inside a string entry of a list
};

// A value quoted in a message: long ones are cut, so one line of the log stays one line to read.
std::string Clipped(const std::string& value) {
  constexpr size_t kShown = 40;
  return value.size() <= kShown ? value : value.substr(0, kShown) + "...";
}

class LevelReader {
 public:
  // `registerMusic`: music entries are registered with the audio system (off for a save's check).
  LevelReader(Level& level, const std::string& path, bool registerMusic)
      : level_(level), path_(path), registerMusic_(registerMusic) {}

  // Walks the whole text. False when the file is rejected; Failure() then says why.
  bool Read(std::string_view text) {
    for (char c : text) {
      if (!Step(c)) return false;
    }
    for (int i = 0; i < 4; ++i) level_.ambient[i] = ambient_[i];
    NoteEarlyEnd();
    return true;
  }

  // The rejection: "Malformed Level file: PATH:LINE: reason" or "Not a level File: ...".
  const std::string& Failure() const { return failure_; }
  // The reason alone, with its line ("line 12: ..."), for a save that checks its own text.
  const std::string& Reason() const { return reason_; }
  // Set when the file ends inside a value or with blocks still open: it was cut short.
  const std::string& Warning() const { return warning_; }

 private:
  bool Reject(const char* kind, int line, const std::string& reason) {
    failure_ = std::string(kind) + path_ + ":" + std::to_string(line) + ": " + reason;
    reason_ = "line " + std::to_string(line) + ": " + reason;
    return false;
  }
  bool Malformed(int line, const std::string& reason) { return Reject("Malformed Level file: ", line, reason); }
  bool Malformed(const std::string& reason) { return Malformed(line_, reason); }

  static bool Fits(std::string& text, char c) {
    if (text.size() >= kMaxTextBytes) return false;
    text.push_back(c);
    return true;
  }
  bool TooLong(const std::string& what) {
    return Malformed(keyLine_, what + " is longer than " + std::to_string(kMaxTextBytes) + " bytes");
  }

  bool CountEntry() {
    if (++entries_ <= kMaxEntries) return true;
    return Malformed("more than " + std::to_string(kMaxEntries) + " records and list entries");
  }

  // Number conversions of the current value; a failure names the key and what it holds.
  bool Whole(int32_t* out) { return ParseInt32(value_, out) || NotA("whole number"); }
  bool WholeUnsigned(uint32_t* out) { return ParseUint32(value_, out) || NotA("whole number"); }
  bool Number(float* out) { return ParseFloat(value_, out) || NotA("finite number"); }
  bool NotA(const char* kind) {
    problem_ = "\"" + key_ + "\" holds \"" + Clipped(value_) + "\", which is not a " + kind + " within range";
    return false;
  }

  // The list being read: the key that opened it, or after an element the list that element is in.
  static const char* ContextWord(Context context) {
    switch (context) {
      case Context::Textures: return "Textures";
      case Context::Music: return "Music";
      case Context::Objects: return "Objects";
      case Context::Filters: return "Filters";
      case Context::Light: return "Light";
      case Context::ParticleEmitters: return "ParticleEmmitters";
      case Context::Tiles: return "Tiles";
      case Context::Attributes: return "Attributes";
      case Context::Level: break;
    }
    return "Level";
  }

  bool Step(char c) {
    if (c == '\n') ++line_;
    // Braces outside keys and values: how many blocks are open, to tell a file cut short.
    if (state_ != ReadState::Key && state_ != ReadState::Value && state_ != ReadState::ListString) {
      if (c == '{') ++depth_;
      if (c == '}') --depth_;
    }
    switch (state_) {
      case ReadState::Between:
        if (c == '"') {
          key_.clear();
          keyLine_ = line_;
          state_ = ReadState::Key;
        } else if (c == '}') {
          return CloseElement();
        }
        return true;

      case ReadState::Key:
        if (c != '"') return Fits(key_, c) || TooLong("a key");
        lastKey_ = key_;
        if (!firstKeyRead_) {
          firstKeyRead_ = true;
          if (key_ != "Level") {
            return Reject("Not a level File: ", keyLine_, "the first key is \"" + Clipped(key_) + "\", not \"Level\"");
          }
          state_ = ReadState::Between;
          return true;
        }
        SwitchContext();
        state_ = ReadState::AfterKey;
        return true;

      case ReadState::AfterKey:
        if (c == '"') {
          value_.clear();
          state_ = ReadState::Value;
        } else if (c == '[') {
          listKey_ = key_;
          state_ = ReadState::InList;
        } else if (c == '{') {
          key_.clear();
          state_ = ReadState::Between;
        }
        return true;

      case ReadState::Value:
        if (c != '"') return Fits(value_, c) || TooLong("the value of \"" + key_ + "\"");
        if (!ApplyPair()) return Malformed(keyLine_, problem_);
        key_.clear();
        value_.clear();
        state_ = ReadState::Between;
        return true;

      case ReadState::InList:
        if (c == '"') {
          if (context_ != Context::Textures && context_ != Context::Music &&
              context_ != Context::Attributes) {
            return Malformed("\"" + listKey_ + "\" lists a string, which only \"Textures\", \"Music\" and \"Attributes\" may");
          }
          value_.clear();
          state_ = ReadState::ListString;
        } else if (c == '{') {
          if (context_ != Context::Objects && context_ != Context::Filters &&
              context_ != Context::ParticleEmitters && context_ != Context::Tiles) {
            return Malformed("\"" + listKey_ +
                             "\" lists an element, which only \"Objects\", \"Filters\", \"ParticleEmmitters\" and \"Tiles\" may");
          }
          inElement_ = true;
          state_ = ReadState::Between;
        } else if (c == ']') {
          if (context_ == Context::Objects) {
            context_ = Context::Level;
          } else if (context_ == Context::Filters || context_ == Context::ParticleEmitters) {
            context_ = Context::Objects;
          }
          value_.clear();
          state_ = ReadState::Between;
        }
        return true;

      case ReadState::ListString:
        if (c != '"') return Fits(value_, c) || TooLong("an entry of \"" + listKey_ + "\"");
        state_ = ReadState::InList;
        return ApplyListEntry();
    }
    return true;
  }

  // What was read stays (a file cut short is not rejected), but the designer hears where it ends.
  void NoteEarlyEnd() {
    std::string where;
    if (state_ == ReadState::Key) {
      where = "it ends inside a key";
    } else if (state_ == ReadState::Value) {
      where = "it ends inside the value of \"" + Clipped(key_) + "\"";
    } else if (state_ == ReadState::ListString) {
      where = "it ends inside an entry of \"" + Clipped(listKey_) + "\"";
    } else if (depth_ > 0) {
      where = "it ends with " + std::to_string(depth_) + (depth_ == 1 ? " block" : " blocks") + " open";
      if (!lastKey_.empty()) where += " after \"" + Clipped(lastKey_) + "\"";
    }
    if (where.empty()) return;
    warning_ = "Level file cut short: " + path_ + ":" + std::to_string(line_) + ": " + where +
               "; what was read before is kept";
  }

  // A closing brace between entries ends the current element.
  bool CloseElement() {
    listKey_ = ContextWord(context_);
    switch (context_) {
      case Context::Objects:
        if (object_.type != -1) {
          if (!CountEntry()) return false;
          level_.objects.push_back(std::move(object_));
        }
        object_ = ObjectRecord{};
        inElement_ = false;
        state_ = ReadState::InList;
        break;
      case Context::Filters:
        if (!CountEntry()) return false;
        object_.filters.push_back(filter_);
        filter_ = FilterRecord{};
        state_ = ReadState::InList;
        break;
      case Context::ParticleEmitters:
        if (!CountEntry()) return false;
        object_.emitters.push_back(std::move(emitter_));
        emitter_ = EmitterRecord{};
        state_ = ReadState::InList;
        break;
      case Context::Light:
        context_ = Context::Objects;
        state_ = ReadState::Between;
        break;
      case Context::Tiles:
        inElement_ = false;
        state_ = ReadState::InList;
        break;
      default:
        break;
    }
    return true;
  }

  void SwitchContext() {
    if (key_ == "Textures") {
      context_ = Context::Textures;
    } else if (key_ == "Music") {
      context_ = Context::Music;
    } else if (key_ == "Objects") {
      context_ = Context::Objects;
    } else if (key_ == "Tiles") {
      context_ = Context::Tiles;
    } else if (key_ == "Attributes") {
      if (context_ != Context::Objects) context_ = Context::Attributes;
    } else if (context_ == Context::Objects) {
      if (key_ == "Filters") {
        context_ = Context::Filters;
      } else if (key_ == "ParticleEmmitters") {
        context_ = Context::ParticleEmitters;
      } else if (key_ == "Light") {
        context_ = Context::Light;
        object_.hasLight = true;
      }
    }
  }

  bool ApplyListEntry() {
    switch (context_) {
      case Context::Textures:
        if (value_.empty()) return true;
        if (!CountEntry()) return false;
        level_.textures.push_back(value_);
        return true;
      case Context::Music: {
        if (!CountEntry()) return false;
        std::string name = "music" + std::to_string(FileState().musicCounter++);
        std::string event = "event:/Music/" + value_;
        level_.music[name] = event;
        if (registerMusic_ && FileState().registerMusic) RegisterEvent(event, name);
        return true;
      }
      case Context::Attributes:
        if (!CountEntry()) return false;
        level_.attributes.push_back(value_);
        return true;
      default:
        return true;
    }
  }

  // Applies the key and value just read. False when a number does not convert (problem_ says why).
  bool ApplyPair() {
    const std::string& k = key_;
    // Level keys count wherever they appear.
    if (k == "Food_Goal") return WholeUnsigned(&level_.foodGoal);
    if (k == "S_Rank") return ReadThreshold(&level_.sRank);
    if (k == "A_Rank") return ReadThreshold(&level_.aRank);
    if (k == "B_Rank") return ReadThreshold(&level_.bRank);
    if (k == "Lives") return WholeUnsigned(&level_.lives);
    if (k == "AmbientR") return Number(&ambient_[0]);
    if (k == "AmbientG") return Number(&ambient_[1]);
    if (k == "AmbientB") return Number(&ambient_[2]);
    if (k == "AmbientI") return Number(&ambient_[3]);
    if (k == "TileTextureX" || k == "TileTextureY" || k == "TilesX" || k == "TilesY") {
      int32_t ignored = 0;
      return Whole(&ignored);
    }
    if (k == "TileSizeX" || k == "TileSizeY") {
      float ignored = 0.0f;
      return Number(&ignored);
    }
    if (!inElement_) return true;
    switch (context_) {
      case Context::Objects: return ApplyObjectKey();
      case Context::Filters: return ApplyFilterKey();
      case Context::Light: return ApplyLightKey();
      case Context::ParticleEmitters: return ApplyEmitterKey();
      default: return true;  // tile entries and the string lists carry nothing here
    }
  }

  bool ReadThreshold(float* out) {
    int32_t value = 0;
    if (!Whole(&value)) return false;
    *out = static_cast<float>(value);
    return true;
  }

  bool ApplyObjectKey() {
    const std::string& k = key_;
    const std::string& v = value_;
    ObjectRecord& o = object_;
    if (k == "ID") { o.id = v; return true; }
    if (k == "TextureiD") { o.texture = v; return true; }
    if (k == "Text") { o.text = v; return true; }
    if (k == "NextID") { o.nextId = v; return true; }
    if (k == "Type") { o.type = TypeFromName(v); return true; }
    if (k == "TranslationX") return Number(&o.translationX);
    if (k == "TranslationY") return Number(&o.translationY);
    if (k == "ScaleX") return Number(&o.scaleX);
    if (k == "ScaleY") return Number(&o.scaleY);
    if (k == "Rotation") return Number(&o.rotation);
    if (k == "RColor") return Number(&o.color[0]);
    if (k == "GColor") return Number(&o.color[1]);
    if (k == "BColor") return Number(&o.color[2]);
    if (k == "AColor") return Number(&o.color[3]);
    if (k == "Fixed_To_Screen") { o.fixedToScreen = TrueFlag(v); return true; }
    if (k == "Escape_Direction") {
      for (int32_t i = 0; i < 4; ++i) {
        if (v == kDirectionWords[i]) o.escapeDirection = static_cast<EscapeDirection>(i);
      }
      return true;
    }
    if (k == "Label") {
      o.hasLabel = true;
      o.label = v;
      return true;
    }
    if (k == "Label_Size") return Number(&o.labelSize);
    if (k == "Button_Active") { o.buttonActive = TrueFlag(v); return true; }
    if (k == "Label_Alignment") {
      for (uint32_t i = 0; i < 3; ++i) {
        if (v == kAlignmentWords[i]) o.labelAlignment = i;
      }
      return true;
    }
    return true;
  }

  bool ApplyFilterKey() {
    const std::string& k = key_;
    const std::string& v = value_;
    if (k == "Filter_Type") {
      if (v == "BW") filter_.kind = 1;
      else if (v == "RGBA") filter_.kind = 2;
      return true;
    }
    if (k == "Saturation") return Number(&filter_.saturation);
    if (k == "R") return Number(&filter_.color[0]);
    if (k == "G") return Number(&filter_.color[1]);
    if (k == "B") return Number(&filter_.color[2]);
    if (k == "A") return Number(&filter_.color[3]);
    return true;
  }

  bool ApplyLightKey() {
    const std::string& k = key_;
    ObjectRecord& o = object_;
    if (k == "Intensity") return Number(&o.lightIntensity);
    if (k == "R") return Number(&o.lightColor[0]);
    if (k == "G") return Number(&o.lightColor[1]);
    if (k == "B") return Number(&o.lightColor[2]);
    if (k == "FallOffStart") return Number(&o.lightFallOffStart);
    if (k == "FallOffEnd") return Number(&o.lightFallOffEnd);
    return true;
  }

  bool ApplyEmitterKey() {
    const std::string& k = key_;
    const std::string& v = value_;
    EmitterRecord& e = emitter_;
    if (k == "Type") {
      if (v == "Line") e.shape = 1;
      else if (v == "Circle") e.shape = 0;
      return true;
    }
    if (k == "Texture") { e.texture = v; return true; }
    if (k == "Duration") return Number(&e.duration);
    if (k == "Emmition_Rate") return Number(&e.emissionRate);
    if (k == "Life_Time_Min") return Number(&e.lifeMin);
    if (k == "Life_Time_Max") return Number(&e.lifeMax);
    if (k == "Velocity_Min") return Number(&e.velocityMin);
    if (k == "Velocity_Max") return Number(&e.velocityMax);
    if (k == "Acceleration_Min") return Number(&e.accelerationMin);
    if (k == "Acceleration_Max") return Number(&e.accelerationMax);
    if (k == "Rotation_Min") return Number(&e.rotationMin);
    if (k == "Rotation_Max") return Number(&e.rotationMax);
    if (k == "Direction_Min") return Number(&e.directionMin);
    if (k == "Direction_Max") return Number(&e.directionMax);
    if (k == "Scale_Min") return Number(&e.scaleMin);
    if (k == "Scale_Max") return Number(&e.scaleMax);
    if (k == "Deceleration") return Number(&e.deceleration);
    if (k == "Loop") { e.loop = TrueFlag(v); return true; }
    if (k == "Active") { e.active = TrueFlag(v); return true; }
    if (k == "Particles_Per_Emition") return Whole(&e.particlesPerEmission);
    if (k == "Max_Particles") {
      // A float truncated to a whole number, read in double precision so that every count the
      // writer writes (any 32-bit integer) comes back exactly; a float would round those above 2^24.
      double count = 0.0;
      if (!ParseDouble(v, &count) || !(count > -2147483649.0 && count < 2147483648.0)) return NotA("whole number");
      e.maxParticles = static_cast<int32_t>(count);
      return true;
    }
    if (k == "Slow_To_Zero") {
      float flag = 0.0f;
      if (!Number(&flag)) return false;
      e.slowToZero = flag != 0.0f;
      return true;
    }
    return true;
  }

  Level& level_;
  const std::string& path_;
  const bool registerMusic_;
  ReadState state_ = ReadState::Between;
  Context context_ = Context::Level;
  bool inElement_ = false;
  bool firstKeyRead_ = false;
  std::string key_;
  std::string value_;
  ObjectRecord object_;
  FilterRecord filter_;
  EmitterRecord emitter_;
  float ambient_[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  size_t entries_ = 0;
  // Where the reader is, for the messages: the line (from 1), the line the current key began on,
  // the last key read, the key of the list being read, and how many braces are open.
  int line_ = 1;
  int keyLine_ = 1;
  std::string lastKey_;
  std::string listKey_;
  long long depth_ = 0;
  std::string problem_;  // why the last number did not convert
  std::string failure_;
  std::string reason_;
  std::string warning_;
};

}  // namespace

std::unique_ptr<Level> LoadLevelFromText(const std::string& text, const std::string& path) {
  auto level = std::make_unique<Level>();
  level->path = path;
  if (text.size() > kMaxLevelFileBytes) {
    LogProblem("Malformed Level file: " + path + ": the file is larger than " + std::to_string(kMaxLevelFileBytes) +
                   " bytes",
               LogLevel::Error);
    return nullptr;
  }
  LevelReader reader(*level, path, true);
  if (!reader.Read(text)) {
    LogProblem(reader.Failure(), LogLevel::Error);
    return nullptr;
  }
  if (!reader.Warning().empty()) LogProblem(reader.Warning(), LogLevel::Warning);
  return level;
}

std::unique_ptr<Level> LoadLevel(const std::string& path) {
  std::string text, why;
  if (!files::ReadFileUpTo(path, kMaxLevelFileBytes, &text, &why)) {
    LogProblem("Could not open the level file " + path + ": " + why, LogLevel::Error);
    return nullptr;
  }
  return LoadLevelFromText(text, path);
}

bool LevelTextReadsBack(const std::string& text, const std::string& path, std::string* reason) {
  Level check;
  LevelReader reader(check, path, false);
  if (reader.Read(text)) return true;
  *reason = reader.Reason();
  return false;
}

void SetLevelMusicRegistration(bool enabled) { FileState().registerMusic = enabled; }
