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

#include "app/Logger.h"
#include "audio/AudioSystem.h"
#include "objects/ObjectType.h"
#include "platform/FileSync.h"
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

class LevelReader {
 public:
  LevelReader(Level& level, const std::string& path) : level_(level), path_(path) {}

  // Walks the whole text. False after logging why the file is rejected.
  bool Read(std::string_view text) {
    for (char c : text) {
      if (!Step(c)) return false;
    }
    for (int i = 0; i < 4; ++i) level_.ambient[i] = ambient_[i];
    return true;
  }

 private:
  bool Malformed() {
    Log("Malformed Level file: " + path_, LogLevel::Error);
    return false;
  }

  bool Append(std::string& text, char c) {
    if (text.size() >= kMaxTextBytes) return false;
    text.push_back(c);
    return true;
  }

  bool CountEntry() { return ++entries_ <= kMaxEntries; }

  bool Step(char c) {
    switch (state_) {
      case ReadState::Between:
        if (c == '"') {
          key_.clear();
          state_ = ReadState::Key;
        } else if (c == '}') {
          return CloseElement();
        }
        return true;

      case ReadState::Key:
        if (c != '"') return Append(key_, c) || Malformed();
        if (!firstKeyRead_) {
          firstKeyRead_ = true;
          if (key_ != "Level") {
            Log("Not a level File: " + path_, LogLevel::Error);
            return false;
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
          state_ = ReadState::InList;
        } else if (c == '{') {
          key_.clear();
          state_ = ReadState::Between;
        }
        return true;

      case ReadState::Value:
        if (c != '"') return Append(value_, c) || Malformed();
        if (!ApplyPair()) return Malformed();
        key_.clear();
        value_.clear();
        state_ = ReadState::Between;
        return true;

      case ReadState::InList:
        if (c == '"') {
          if (context_ != Context::Textures && context_ != Context::Music &&
              context_ != Context::Attributes) {
            return Malformed();
          }
          value_.clear();
          state_ = ReadState::ListString;
        } else if (c == '{') {
          if (context_ != Context::Objects && context_ != Context::Filters &&
              context_ != Context::ParticleEmitters && context_ != Context::Tiles) {
            return Malformed();
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
        if (c != '"') return Append(value_, c) || Malformed();
        state_ = ReadState::InList;
        return ApplyListEntry() || Malformed();
    }
    return true;
  }

  // A closing brace between entries ends the current element.
  bool CloseElement() {
    switch (context_) {
      case Context::Objects:
        if (object_.type != -1) {
          if (!CountEntry()) return Malformed();
          level_.objects.push_back(std::move(object_));
        }
        object_ = ObjectRecord{};
        inElement_ = false;
        state_ = ReadState::InList;
        break;
      case Context::Filters:
        if (!CountEntry()) return Malformed();
        object_.filters.push_back(filter_);
        filter_ = FilterRecord{};
        state_ = ReadState::InList;
        break;
      case Context::ParticleEmitters:
        if (!CountEntry()) return Malformed();
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
        if (FileState().registerMusic) RegisterEvent(event, name);
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

  // Applies the key and value just read. False when a number does not convert.
  bool ApplyPair() {
    const std::string& k = key_;
    const std::string& v = value_;
    // Level keys count wherever they appear.
    if (k == "Food_Goal") return ParseUint32(v, &level_.foodGoal);
    if (k == "S_Rank") return ReadThreshold(&level_.sRank);
    if (k == "A_Rank") return ReadThreshold(&level_.aRank);
    if (k == "B_Rank") return ReadThreshold(&level_.bRank);
    if (k == "Lives") return ParseUint32(v, &level_.lives);
    if (k == "AmbientR") return ParseFloat(v, &ambient_[0]);
    if (k == "AmbientG") return ParseFloat(v, &ambient_[1]);
    if (k == "AmbientB") return ParseFloat(v, &ambient_[2]);
    if (k == "AmbientI") return ParseFloat(v, &ambient_[3]);
    if (k == "TileTextureX" || k == "TileTextureY" || k == "TilesX" || k == "TilesY") {
      int32_t ignored = 0;
      return ParseInt32(v, &ignored);
    }
    if (k == "TileSizeX" || k == "TileSizeY") {
      float ignored = 0.0f;
      return ParseFloat(v, &ignored);
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
    if (!ParseInt32(value_, &value)) return false;
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
    if (k == "TranslationX") return ParseFloat(v, &o.translationX);
    if (k == "TranslationY") return ParseFloat(v, &o.translationY);
    if (k == "ScaleX") return ParseFloat(v, &o.scaleX);
    if (k == "ScaleY") return ParseFloat(v, &o.scaleY);
    if (k == "Rotation") return ParseFloat(v, &o.rotation);
    if (k == "RColor") return ParseFloat(v, &o.color[0]);
    if (k == "GColor") return ParseFloat(v, &o.color[1]);
    if (k == "BColor") return ParseFloat(v, &o.color[2]);
    if (k == "AColor") return ParseFloat(v, &o.color[3]);
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
    if (k == "Label_Size") return ParseFloat(v, &o.labelSize);
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
    if (k == "Saturation") return ParseFloat(v, &filter_.saturation);
    if (k == "R") return ParseFloat(v, &filter_.color[0]);
    if (k == "G") return ParseFloat(v, &filter_.color[1]);
    if (k == "B") return ParseFloat(v, &filter_.color[2]);
    if (k == "A") return ParseFloat(v, &filter_.color[3]);
    return true;
  }

  bool ApplyLightKey() {
    const std::string& k = key_;
    const std::string& v = value_;
    ObjectRecord& o = object_;
    if (k == "Intensity") return ParseFloat(v, &o.lightIntensity);
    if (k == "R") return ParseFloat(v, &o.lightColor[0]);
    if (k == "G") return ParseFloat(v, &o.lightColor[1]);
    if (k == "B") return ParseFloat(v, &o.lightColor[2]);
    if (k == "FallOffStart") return ParseFloat(v, &o.lightFallOffStart);
    if (k == "FallOffEnd") return ParseFloat(v, &o.lightFallOffEnd);
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
    if (k == "Duration") return ParseFloat(v, &e.duration);
    if (k == "Emmition_Rate") return ParseFloat(v, &e.emissionRate);
    if (k == "Life_Time_Min") return ParseFloat(v, &e.lifeMin);
    if (k == "Life_Time_Max") return ParseFloat(v, &e.lifeMax);
    if (k == "Velocity_Min") return ParseFloat(v, &e.velocityMin);
    if (k == "Velocity_Max") return ParseFloat(v, &e.velocityMax);
    if (k == "Acceleration_Min") return ParseFloat(v, &e.accelerationMin);
    if (k == "Acceleration_Max") return ParseFloat(v, &e.accelerationMax);
    if (k == "Rotation_Min") return ParseFloat(v, &e.rotationMin);
    if (k == "Rotation_Max") return ParseFloat(v, &e.rotationMax);
    if (k == "Direction_Min") return ParseFloat(v, &e.directionMin);
    if (k == "Direction_Max") return ParseFloat(v, &e.directionMax);
    if (k == "Scale_Min") return ParseFloat(v, &e.scaleMin);
    if (k == "Scale_Max") return ParseFloat(v, &e.scaleMax);
    if (k == "Deceleration") return ParseFloat(v, &e.deceleration);
    if (k == "Loop") { e.loop = TrueFlag(v); return true; }
    if (k == "Active") { e.active = TrueFlag(v); return true; }
    if (k == "Particles_Per_Emition") return ParseInt32(v, &e.particlesPerEmission);
    if (k == "Max_Particles") {
      float count = 0.0f;
      if (!ParseFloat(v, &count)) return false;
      // Truncating a float outside the int range is undefined; such a count does not convert.
      if (!(count >= -2147483648.0f && count < 2147483648.0f)) return false;
      e.maxParticles = static_cast<int32_t>(count);
      return true;
    }
    if (k == "Slow_To_Zero") {
      float flag = 0.0f;
      if (!ParseFloat(v, &flag)) return false;
      e.slowToZero = flag != 0.0f;
      return true;
    }
    return true;
  }

  Level& level_;
  const std::string& path_;
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
    Log("Malformed Level file: " + path, LogLevel::Error);
    return nullptr;
  }
  LevelReader reader(*level, path);
  if (!reader.Read(text)) return nullptr;
  return level;
}

std::unique_ptr<Level> LoadLevel(const std::string& path) {
  std::error_code ec;
  std::ifstream in;
  // A folder is not a level file (some systems open folders for reading).
  if (!std::filesystem::is_directory(path, ec)) in.open(path, std::ios::in);
  if (!in.is_open()) {
    Log("Could not open the level file", LogLevel::Error);
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
    Log("Could not open the level file", LogLevel::Error);
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

bool SaveLevel(const Level& level, std::string* reason) {
  std::string problem = FindUnwritableValue(level);
  if (!problem.empty()) {
    Log("Unable to write the level: " + problem, LogLevel::Error);
    if (reason != nullptr) *reason = problem;
    return false;
  }
  if (!platform::ReplaceFileContents(level.path, LevelToText(level), reason)) {
    Log("Unable to open file to write", LogLevel::Error);
    return false;
  }
  return true;
}

void SetLevelMusicRegistration(bool enabled) { FileState().registerMusic = enabled; }
