// The level writer: a Level in the file's one fixed layout, and the checks before it replaces a file.
#include <cmath>
#include <initializer_list>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

#include "core/FileSync.h"
#include "core/Logger.h"
#include "objects/ObjectType.h"
#include "scenes/Level.h"
#include "scenes/LevelReader.h"
#include "scenes/ValueText.h"

namespace {

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

bool IsUi(const ObjectRecord& o) { return o.type == static_cast<int32_t>(ObjectType::UI); }
// Only a UI object's label and button flag are written; on any other record they have no place
// in the file.
bool WritesLabel(const ObjectRecord& o) { return IsUi(o) && o.hasLabel; }
bool WritesButtonFlag(const ObjectRecord& o) { return IsUi(o) && !o.buttonActive; }

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
  std::string reason;
  if (!LevelTextReadsBack(text, level.path, &reason)) {
    problem = "the reader would refuse it (" + reason + ")";
    return refuse(problem, "Unable to write the level: " + problem);
  }
  std::string why;
  if (!files::ReplaceFileContents(level.path, text, &why)) return refuse(why, "Unable to open file to write: " + why);
  return true;
}
