#include "scenes/Level.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <fstream>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

#include "audio/AudioSystem.h"
#include "core/FileSync.h"
#include "core/Logger.h"
#include "objects/ObjectType.h"
#include "scenes/ValueText.h"

// ================================================================================================
// Shared helpers: value forms
// ================================================================================================

namespace {

// Bounds that keep a hostile file from eating the machine. Real levels are a few hundred
// kilobytes with a few thousand records, far inside them. The reader walks the text with a flat
// state machine and never recurses, so deep nesting costs nothing.
constexpr size_t kMaxLevelFileBytes = size_t{16} << 20;
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

// The rank thresholds are read back as integers, so a value whose float form would use exponent
// notation ("1e+06", "1e-05") would come back as its first digit. Such values are written as the
// whole number they read back as instead, held to the range an integer read accepts.
std::string ThresholdText(float value) {
  float magnitude = std::fabs(value);
  if (magnitude == 0.0f || (magnitude >= 1e-4f && magnitude < 1e6f)) return FloatText(value);
  double whole = std::trunc(static_cast<double>(value));
  if (std::isnan(whole)) whole = 0.0;
  if (whole > std::numeric_limits<int32_t>::max()) whole = std::numeric_limits<int32_t>::max();
  if (whole < std::numeric_limits<int32_t>::min()) whole = std::numeric_limits<int32_t>::min();
  return std::to_string(static_cast<long long>(whole));
}

const char* kDirectionWords[] = {"UP", "DOWN", "LEFT", "RIGHT"};
const char* kAlignmentWords[] = {"Left", "Center", "Right"};

bool IsUi(const ObjectRecord& o) { return o.type == static_cast<int32_t>(ObjectType::UI); }
// Only a UI object's label and button flag are written; on any other record they have no place
// in the file.
bool WritesLabel(const ObjectRecord& o) { return IsUi(o) && o.hasLabel; }
bool WritesButtonFlag(const ObjectRecord& o) { return IsUi(o) && !o.buttonActive; }

// ================================================================================================
// Reader
// ================================================================================================

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

// ================================================================================================
// Writer
// ================================================================================================

class LevelWriter {
 public:
  explicit LevelWriter(std::string& out) : out_(out) {}

  void Write(const Level& level) {
    Put("{");
    LineBreak(1);
    Put("\"Level\":{");
    LineBreak(2);
    Pair("Food_Goal", std::to_string(level.foodGoal));
    CommaBreak(2);
    Pair("S_Rank", ThresholdText(level.sRank));
    CommaBreak(2);
    Pair("A_Rank", ThresholdText(level.aRank));
    CommaBreak(2);
    Pair("B_Rank", ThresholdText(level.bRank));
    CommaBreak(2);
    Pair("Lives", std::to_string(level.lives));
    CommaBreak(2);
    const char* ambientKeys[] = {"AmbientR", "AmbientG", "AmbientB", "AmbientI"};
    for (int i = 0; i < 4; ++i) {
      Pair(ambientKeys[i], FloatText(level.ambient[i]));
      CommaBreak(2);
    }

    Put("\"Textures\":[");
    for (size_t i = 0; i < level.textures.size(); ++i) {
      if (i > 0) Put(", ");
      Quoted(level.textures[i]);
    }
    Put("],");
    LineBreak(2);
    Put("\"Attributes\": [");
    for (size_t i = 0; i < level.attributes.size(); ++i) {
      if (i > 0) Put(",");
      Quoted(level.attributes[i]);
    }
    Put("],");
    LineBreak(2);
    Put("\"Objects\": [");
    LineBreak(3);
    for (size_t i = 0; i < level.objects.size(); ++i) {
      ObjectBlock(level.objects[i], i + 1 == level.objects.size());
    }

    Put("],");
    LineBreak(2);
    Put("\"Tiles\":[");
    LineBreak(3);
    for (size_t i = 0; i < level.tiles.size(); ++i) {
      TileBlock(level.tiles[i]);
      if (i + 1 < level.tiles.size()) {
        Put("},");
        LineBreak(3);
      } else {
        Put("}");
        LineBreak(2);
      }
    }
    Put("]");
    LineBreak(1);
    Put("}\n}");
  }

 private:
  void Put(std::string_view text) { out_.append(text); }
  void Tabs(int n) { out_.append(static_cast<size_t>(n), '\t'); }
  void LineBreak(int n) {
    out_.push_back('\n');
    Tabs(n);
  }
  void CommaBreak(int n) {
    out_.push_back(',');
    LineBreak(n);
  }
  void Quoted(std::string_view text) {
    out_.push_back('"');
    out_.append(text);
    out_.push_back('"');
  }
  void Pair(std::string_view key, std::string_view value) {
    Quoted(key);
    out_.push_back(':');
    Quoted(value);
  }
  void FloatPair(std::string_view key, float value) { Pair(key, FloatText(value)); }
  static const char* Flag(bool value) { return value ? "true" : "false"; }

  void ObjectBlock(const ObjectRecord& o, bool last) {
    Put("{");
    LineBreak(4);
    Pair("ID", o.id);
    CommaBreak(4);
    Pair("Type", TypeName(o.type));
    CommaBreak(4);
    FloatPair("TranslationX", o.translationX);
    CommaBreak(4);
    FloatPair("TranslationY", o.translationY);
    CommaBreak(4);
    FloatPair("ScaleX", o.scaleX);
    CommaBreak(4);
    FloatPair("ScaleY", o.scaleY);
    CommaBreak(4);
    FloatPair("Rotation", o.rotation);
    CommaBreak(4);
    if (o.texture.empty()) {
      const char* keys[] = {"RColor", "GColor", "BColor", "AColor"};
      for (int i = 0; i < 4; ++i) {
        FloatPair(keys[i], o.color[i]);
        CommaBreak(4);
      }
    } else {
      Pair("TextureiD", o.texture);
      CommaBreak(4);
    }

    const bool isText = o.type == static_cast<int32_t>(ObjectType::Text);
    const bool hasNext = isText || o.type == static_cast<int32_t>(ObjectType::Node) ||
                         o.type == static_cast<int32_t>(ObjectType::Enemy);
    if (last) {
      // The last object carries its emitters and exit side before the screen flag.
      Emitters(o);
      EscapeDirectionPair(o);
      Pair("Fixed_To_Screen", Flag(o.fixedToScreen));
      CommaBreak(3);
      if (isText) {
        Put("\t");
        Pair("Text", o.text);
        LineBreak(3);
      }
      if (hasNext) {
        Put("\t");
        Pair("NextID", o.nextId);
        LineBreak(3);
      }
      for (const auto& [key, value] : ButtonPairs(o)) {
        Put("\t");
        Pair(key, value);
        LineBreak(3);
      }
      Filters(o);
      LightBlock(o, 3);
      Put("}");
      LineBreak(2);
      return;
    }
    Pair("Fixed_To_Screen", Flag(o.fixedToScreen));
    CommaBreak(3);
    Emitters(o);
    EscapeDirectionPair(o);
    if (isText) {
      Pair("Text", o.text);
      CommaBreak(3);
    }
    if (hasNext) {
      Pair("NextID", o.nextId);
      CommaBreak(3);
    }
    for (const auto& [key, value] : ButtonPairs(o)) {
      Pair(key, value);
      CommaBreak(3);
    }
    Filters(o);
    LightBlock(o, 4);
    Put("},");
    LineBreak(3);
  }

  // A button's label (its text, glyph size and alignment word; an alignment outside the three
  // words is written empty and reads back as centred), and its flag when it does not call back.
  static std::vector<std::pair<std::string_view, std::string>> ButtonPairs(const ObjectRecord& o) {
    std::vector<std::pair<std::string_view, std::string>> pairs;
    if (WritesLabel(o)) {
      const char* alignment = o.labelAlignment < 3 ? kAlignmentWords[o.labelAlignment] : "";
      pairs = {{"Label", o.label}, {"Label_Size", FloatText(o.labelSize)}, {"Label_Alignment", alignment}};
    }
    if (WritesButtonFlag(o)) pairs.emplace_back("Button_Active", Flag(false));
    return pairs;
  }

  void Emitters(const ObjectRecord& o) {
    if (o.emitters.empty()) return;
    Put("\"ParticleEmmitters\":[");
    LineBreak(4);
    for (size_t i = 0; i < o.emitters.size(); ++i) {
      EmitterBlock(o.emitters[i]);
      Put(i + 1 < o.emitters.size() ? "}," : "}],");
      LineBreak(4);
    }
  }

  void EscapeDirectionPair(const ObjectRecord& o) {
    if (o.type != static_cast<int32_t>(ObjectType::EscapeZone)) return;
    int32_t d = static_cast<int32_t>(o.escapeDirection);
    Pair("Escape_Direction", d >= 0 && d <= 3 ? kDirectionWords[d] : "");
    CommaBreak(5);
  }

  void Filters(const ObjectRecord& o) {
    if (o.filters.empty()) return;
    Put("\"Filters\": [");
    LineBreak(5);
    for (size_t i = 0; i < o.filters.size(); ++i) {
      FilterBlock(o.filters[i]);
      if (i + 1 < o.filters.size()) {
        Put("},");
        LineBreak(5);
      } else {
        Put("}");
        LineBreak(4);
        Put("],");
        LineBreak(4);
      }
    }
  }

  void LightBlock(const ObjectRecord& o, int closingTabs) {
    if (!o.hasLight) return;
    Put("\"Light\":{");
    LineBreak(5);
    FloatPair("Intensity", o.lightIntensity);
    CommaBreak(5);
    FloatPair("R", o.lightColor[0]);
    CommaBreak(5);
    FloatPair("G", o.lightColor[1]);
    CommaBreak(5);
    FloatPair("B", o.lightColor[2]);
    CommaBreak(5);
    FloatPair("FallOffStart", o.lightFallOffStart);
    CommaBreak(5);
    FloatPair("FallOffEnd", o.lightFallOffEnd);
    LineBreak(4);
    Put("}");
    LineBreak(closingTabs);
  }

  void EmitterBlock(const EmitterRecord& e) {
    Put("{");
    LineBreak(5);
    auto pair = [this](std::string_view key, std::string_view value) {
      Pair(key, value);
      CommaBreak(5);
    };
    auto number = [&pair](std::string_view key, float value) { pair(key, FloatText(value)); };
    pair("Type", e.shape == 1 ? "Line" : e.shape == 0 ? "Circle" : "invalid");
    number("Duration", e.duration);
    pair("Loop", Flag(e.loop));
    pair("Active", Flag(e.active));
    number("Emmition_Rate", e.emissionRate);
    pair("Particles_Per_Emition", std::to_string(e.particlesPerEmission));
    number("Life_Time_Min", e.lifeMin);
    number("Life_Time_Max", e.lifeMax);
    number("Velocity_Min", e.velocityMin);
    number("Velocity_Max", e.velocityMax);
    number("Acceleration_Min", e.accelerationMin);
    number("Acceleration_Max", e.accelerationMax);
    number("Rotation_Min", e.rotationMin);
    number("Rotation_Max", e.rotationMax);
    number("Direction_Min", e.directionMin);
    number("Direction_Max", e.directionMax);
    number("Scale_Min", e.scaleMin);
    number("Scale_Max", e.scaleMax);
    pair("Max_Particles", std::to_string(e.maxParticles));
    pair("Slow_To_Zero", e.slowToZero ? "1" : "0");
    number("Deceleration", e.deceleration);
    pair("Texture", e.texture);
  }

  void FilterBlock(const FilterRecord& f) {
    Put("{");
    LineBreak(6);
    Pair("Filter_Type", f.kind == 1 ? "BW" : f.kind == 2 ? "RGBA" : "");
    CommaBreak(6);
    if (f.kind == 1) {
      FloatPair("Saturation", f.saturation);
      LineBreak(5);
    } else if (f.kind == 2) {
      FloatPair("R", f.color[0]);
      CommaBreak(6);
      FloatPair("G", f.color[1]);
      CommaBreak(6);
      FloatPair("B", f.color[2]);
      CommaBreak(6);
      FloatPair("A", f.color[3]);
      LineBreak(5);
    }
  }

  void TileBlock(const TileRecord& t) {
    Put("{");
    LineBreak(4);
    Pair("TextureiD", std::to_string(t.texture));
    CommaBreak(4);
    FloatPair("U", t.u);
    CommaBreak(4);
    FloatPair("V", t.v);
    CommaBreak(4);
    Pair("Collision", t.collision ? "1" : "0");
    CommaBreak(3);
  }

  std::string& out_;
};

}  // namespace

// ================================================================================================
// Public operations
// ================================================================================================

void Level::ResetSceneState() {
  time = 0.0f;
  exitStarted = false;
  followLimit = 1.0f;
  exitDelay = 3.0f;
  exitTimer = 0.0f;
  exitStartTime = 0.0f;
  exitTimeTaken = false;
  fadeTimer = 0.0f;
  skipFadeTimer = 0.0f;
  fadeDuration = 1.0f;
  fadeInDone = false;
  leaveRequested = false;
  gameOver = false;
  splashSkipped = false;
  isSplash = false;
}

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
  std::error_code ec;
  std::ifstream in;
  // A folder is not a level file (some systems open folders for reading).
  if (!std::filesystem::is_directory(path, ec)) in.open(path, std::ios::in);
  if (!in.is_open()) {
    LogProblem("Could not open the level file " + path + ": " + files::WhyUnreadable(path), LogLevel::Error);
    return nullptr;
  }
  // Read at most one byte past the limit: enough to know the file is too big.
  std::string text;
  char buffer[1 << 16];
  while (in && text.size() <= kMaxLevelFileBytes) {
    in.read(buffer, sizeof buffer);
    text.append(buffer, static_cast<size_t>(in.gcount()));
  }
  if (in.bad()) {
    LogProblem("Could not open the level file " + path + ": reading it failed", LogLevel::Error);
    return nullptr;
  }
  return LoadLevelFromText(text, path);
}

std::string LevelToText(const Level& level) {
  std::string text;
  text.reserve(4096 + level.objects.size() * 512);
  LevelWriter(text).Write(level);
  return text;
}

std::string FindUnwritableValue(const Level& level) {
  // Texts have no escapes: a quote would end the value early. Infinities and not-a-numbers would
  // be written, but the reader rejects them.
  auto quoted = [](const std::string& s) { return s.find('"') != std::string::npos; };
  auto notFinite = [](std::initializer_list<float> values) {
    for (float v : values) {
      if (!std::isfinite(v)) return true;
    }
    return false;
  };
  for (const std::string& t : level.textures) {
    if (quoted(t)) return "texture name " + t + " holds a double quote";
  }
  for (const std::string& a : level.attributes) {
    if (quoted(a)) return "attribute name " + a + " holds a double quote";
  }
  if (notFinite({level.ambient[0], level.ambient[1], level.ambient[2], level.ambient[3]})) {
    return "the ambient colour is not a finite number";
  }
  for (const ObjectRecord& o : level.objects) {
    // Only what the writer puts in the file counts.
    const bool isText = o.type == static_cast<int32_t>(ObjectType::Text);
    const bool hasNext = isText || o.type == static_cast<int32_t>(ObjectType::Node) ||
                         o.type == static_cast<int32_t>(ObjectType::Enemy);
    const std::string name = "object " + o.id;
    if (quoted(o.id)) return name + " has a double quote in its ID";
    if (quoted(o.texture)) return name + " has a double quote in its texture name";
    if (isText && quoted(o.text)) return name + " has a double quote in its text";
    if (hasNext && quoted(o.nextId)) return name + " has a double quote in its NextID";
    if (WritesLabel(o) && quoted(o.label)) return name + " has a double quote in its label";
    if (WritesLabel(o) && notFinite({o.labelSize})) return name + " has a label size that is not a finite number";
    if (notFinite({o.translationX, o.translationY, o.scaleX, o.scaleY, o.rotation}) ||
        (o.texture.empty() && notFinite({o.color[0], o.color[1], o.color[2], o.color[3]}))) {
      return name + " has a value that is not a finite number";
    }
    if (o.hasLight && notFinite({o.lightIntensity, o.lightColor[0], o.lightColor[1], o.lightColor[2],
                                 o.lightFallOffStart, o.lightFallOffEnd})) {
      return name + " has a light value that is not a finite number";
    }
    for (const FilterRecord& f : o.filters) {
      if ((f.kind == 1 && notFinite({f.saturation})) ||
          (f.kind == 2 && notFinite({f.color[0], f.color[1], f.color[2], f.color[3]}))) {
        return name + " has a filter value that is not a finite number";
      }
    }
    for (const EmitterRecord& e : o.emitters) {
      if (quoted(e.texture)) return name + " has a double quote in an emitter's texture name";
      if (notFinite({e.duration, e.emissionRate, e.lifeMin, e.lifeMax, e.velocityMin, e.velocityMax,
                     e.accelerationMin, e.accelerationMax, e.rotationMin, e.rotationMax, e.directionMin,
                     e.directionMax, e.scaleMin, e.scaleMax, e.deceleration})) {
        return name + " has an emitter value that is not a finite number";
      }
    }
  }
  for (const TileRecord& t : level.tiles) {
    if (notFinite({t.u, t.v})) return "a tile has a value that is not a finite number";
  }
  return std::string();
}

bool SaveLevel(const Level& level, std::string* error) {
  auto refuse = [error](const std::string& reason, const std::string& line) {
    if (error) *error = reason;
    Log(line, LogLevel::Error);
    return false;
  };
  std::string problem = FindUnwritableValue(level);
  if (!problem.empty()) return refuse(problem, "Unable to write the level: " + problem);
  const std::string text = LevelToText(level);
  // A file the reader would turn down must not replace one it takes: the text is read back first.
  if (text.size() > kMaxLevelFileBytes) {
    problem = "the file would be larger than " + std::to_string(kMaxLevelFileBytes) + " bytes, which the reader refuses";
    return refuse(problem, "Unable to write the level: " + problem);
  }
  Level check;
  LevelReader reader(check, level.path, false);
  if (!reader.Read(text)) {
    problem = "the reader would refuse it (" + reader.Reason() + ")";
    return refuse(problem, "Unable to write the level: " + problem);
  }
  std::string why;
  if (!files::ReplaceFileContents(level.path, text, &why)) return refuse(why, "Unable to open file to write: " + why);
  return true;
}

void SetLevelMusicRegistration(bool enabled) { FileState().registerMusic = enabled; }
