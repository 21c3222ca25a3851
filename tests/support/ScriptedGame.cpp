#include "support/ScriptedGame.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <memory>
#include <sstream>

namespace fs = std::filesystem;

namespace testing_support {

namespace {

// A JSON value, just enough for the dumps: the reader checks the whole grammar and escapes.
struct Json {
  enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
  bool boolean = false;
  double number = 0.0;
  std::string text;
  std::vector<Json> items;
  // An object's members in order (a vector of pairs could not hold the type being defined).
  std::vector<std::string> keys;
  std::vector<Json> values;

  const Json* Get(const std::string& key) const {
    for (size_t i = 0; i < keys.size(); ++i) {
      if (keys[i] == key) return &values[i];
    }
    return nullptr;
  }
};

class JsonReader {
 public:
  explicit JsonReader(const std::string& text) : s_(text) {}

  bool ReadDocument(Json* out, std::string* error) {
    bool ok = Value(out, 0);
    Space();
    if (ok && i_ != s_.size()) ok = Fail("text after the value");
    if (!ok) *error = "invalid JSON at byte " + std::to_string(i_) + ": " + why_;
    return ok;
  }

 private:
  bool Fail(const std::string& why) {
    if (why_.empty()) why_ = why;
    return false;
  }
  void Space() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\r' || s_[i_] == '\t')) ++i_;
  }
  bool Literal(const char* word) {
    std::string w(word);
    if (s_.compare(i_, w.size(), w) != 0) return Fail("unknown word");
    i_ += w.size();
    return true;
  }
  bool Value(Json* out, int depth) {
    if (depth > 64) return Fail("nested too deeply");
    Space();
    if (i_ >= s_.size()) return Fail("unexpected end");
    char c = s_[i_];
    if (c == '{') return Object(out, depth);
    if (c == '[') return Array(out, depth);
    if (c == '"') {
      out->kind = Json::Kind::String;
      return String(&out->text);
    }
    if (c == 't' || c == 'f') {
      out->kind = Json::Kind::Bool;
      out->boolean = c == 't';
      return Literal(c == 't' ? "true" : "false");
    }
    if (c == 'n') return Literal("null");
    return Number(out);
  }
  bool Number(Json* out) {
    size_t start = i_;
    if (i_ < s_.size() && s_[i_] == '-') ++i_;
    while (i_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[i_])) || s_[i_] == '.' || s_[i_] == 'e' ||
                              s_[i_] == 'E' || s_[i_] == '+' || s_[i_] == '-')) {
      ++i_;
    }
    std::string number = s_.substr(start, i_ - start);
    char* end = nullptr;
    out->kind = Json::Kind::Number;
    out->number = std::strtod(number.c_str(), &end);
    if (number.empty() || end != number.c_str() + number.size()) return Fail("bad number");
    return true;
  }
  bool String(std::string* out) {
    ++i_;  // the opening quote
    while (i_ < s_.size() && s_[i_] != '"') {
      unsigned char c = static_cast<unsigned char>(s_[i_]);
      if (c < 0x20) return Fail("control character in a string");
      if (c != '\\') {
        *out += static_cast<char>(c);
        ++i_;
        continue;
      }
      if (++i_ >= s_.size()) return Fail("unfinished escape");
      char e = s_[i_++];
      switch (e) {
        case '"': *out += '"'; break;
        case '\\': *out += '\\'; break;
        case '/': *out += '/'; break;
        case 'n': *out += '\n'; break;
        case 'r': *out += '\r'; break;
        case 't': *out += '\t'; break;
        case 'b': *out += '\b'; break;
        case 'f': *out += '\f'; break;
        case 'u': {
          if (i_ + 4 > s_.size()) return Fail("short \\u escape");
          char* end = nullptr;
          std::string hex = s_.substr(i_, 4);
          long code = std::strtol(hex.c_str(), &end, 16);
          if (end != hex.c_str() + 4) return Fail("bad \\u escape");
          // The dumps escape single bytes this way; give the byte back.
          *out += static_cast<char>(code & 0xFF);
          i_ += 4;
          break;
        }
        default: return Fail("unknown escape");
      }
    }
    if (i_ >= s_.size()) return Fail("unfinished string");
    ++i_;
    return true;
  }
  bool Array(Json* out, int depth) {
    out->kind = Json::Kind::Array;
    ++i_;
    Space();
    if (i_ < s_.size() && s_[i_] == ']') return ++i_, true;
    while (true) {
      out->items.emplace_back();
      if (!Value(&out->items.back(), depth + 1)) return false;
      Space();
      if (i_ < s_.size() && s_[i_] == ',') { ++i_; continue; }
      if (i_ < s_.size() && s_[i_] == ']') return ++i_, true;
      return Fail("expected , or ]");
    }
  }
  bool Object(Json* out, int depth) {
    out->kind = Json::Kind::Object;
    ++i_;
    Space();
    if (i_ < s_.size() && s_[i_] == '}') return ++i_, true;
    while (true) {
      Space();
      if (i_ >= s_.size() || s_[i_] != '"') return Fail("expected a key");
      std::string key;
      if (!String(&key)) return false;
      Space();
      if (i_ >= s_.size() || s_[i_] != ':') return Fail("expected :");
      ++i_;
      out->keys.push_back(key);
      out->values.emplace_back();
      if (!Value(&out->values.back(), depth + 1)) return false;
      Space();
      if (i_ < s_.size() && s_[i_] == ',') { ++i_; continue; }
      if (i_ < s_.size() && s_[i_] == '}') return ++i_, true;
      return Fail("expected , or }");
    }
  }

  const std::string& s_;
  size_t i_ = 0;
  std::string why_;
};

// Field readers that note what is missing or of the wrong kind.
struct Fields {
  const Json& object;
  std::string* error;
  const Json* Need(const char* key, Json::Kind kind) {
    const Json* value = object.Get(key);
    if (value == nullptr || value->kind != kind) {
      if (error->empty()) *error = std::string("missing or mistyped \"") + key + "\"";
      return nullptr;
    }
    return value;
  }
  void Num(const char* key, float* out) {
    // The game writes a number that is not finite as null.
    const Json* value = object.Get(key);
    if (value != nullptr && value->kind == Json::Kind::Null) {
      *out = std::numeric_limits<float>::quiet_NaN();
    } else if (const Json* v = Need(key, Json::Kind::Number)) {
      *out = static_cast<float>(v->number);
    }
  }
  void Int(const char* key, int* out) {
    if (const Json* v = Need(key, Json::Kind::Number)) *out = static_cast<int>(v->number);
  }
  void Bool(const char* key, bool* out) {
    if (const Json* v = Need(key, Json::Kind::Bool)) *out = v->boolean;
  }
  void Text(const char* key, std::string* out) {
    if (const Json* v = Need(key, Json::Kind::String)) *out = v->text;
  }
};

std::string Format(float v) {
  std::ostringstream s;
  s << v;
  return s.str();
}

}  // namespace

const DumpedObject* ObjectDump::Find(const std::string& name) const {
  for (const DumpedObject& object : objects) {
    if (object.name == name) return &object;
  }
  return nullptr;
}

int ObjectDump::CountType(const std::string& type) const {
  int count = 0;
  for (const DumpedObject& object : objects) count += object.type == type ? 1 : 0;
  return count;
}

bool ParseObjectDump(const std::string& json, ObjectDump* dump, std::string* error) {
  *dump = ObjectDump{};
  error->clear();
  Json root;
  if (!JsonReader(json).ReadDocument(&root, error)) return false;
  if (root.kind != Json::Kind::Object) return *error = "the dump is not an object", false;
  Fields top{root, error};
  top.Int("frame", &dump->frame);
  if (const Json* scene = root.Get("scene"); scene != nullptr && scene->kind == Json::Kind::Object) {
    dump->hasScene = true;
    Fields f{*scene, error};
    f.Int("index", &dump->scene.index);
    f.Int("id", &dump->scene.id);
    f.Num("time", &dump->scene.time);
    f.Int("foodCount", &dump->scene.foodCount);
    f.Int("foodCollected", &dump->scene.foodCollected);
    f.Bool("goalReached", &dump->scene.goalReached);
    f.Bool("gameOver", &dump->scene.gameOver);
    f.Bool("exitStarted", &dump->scene.exitStarted);
    f.Bool("paused", &dump->scene.paused);
  }
  if (const Json* camera = top.Need("camera", Json::Kind::Object)) {
    Fields f{*camera, error};
    f.Num("x", &dump->cameraX);
    f.Num("y", &dump->cameraY);
  }
  if (const Json* objects = top.Need("objects", Json::Kind::Array)) {
    for (const Json& item : objects->items) {
      if (item.kind != Json::Kind::Object) return *error = "an object entry is not an object", false;
      DumpedObject object;
      Fields f{item, error};
      f.Text("name", &object.name);
      f.Text("type", &object.type);
      f.Num("x", &object.x);
      f.Num("y", &object.y);
      f.Num("rotation", &object.rotation);
      f.Num("vx", &object.vx);
      f.Num("vy", &object.vy);
      f.Bool("visible", &object.visible);
      const Json* state = item.Get("state");
      if (state == nullptr) return *error = "an object without \"state\"", false;
      if (state->kind == Json::Kind::Number) object.state = static_cast<int>(state->number);
      if (const Json* tint = item.Get("filterAlpha"); tint != nullptr && tint->kind == Json::Kind::Number) {
        object.filterAlpha = static_cast<float>(tint->number);
      }
      dump->objects.push_back(object);
    }
  }
  return error->empty();
}

namespace {

bool ReadBox(const Json& value, PixelBox* box) {
  if (value.kind != Json::Kind::Array || value.items.size() != 4) return false;
  float v[4] = {};
  for (size_t i = 0; i < 4; ++i) {
    if (value.items[i].kind != Json::Kind::Number) return false;
    v[i] = static_cast<float>(value.items[i].number);
  }
  *box = {v[0], v[1], v[2], v[3]};
  return true;
}

}  // namespace

bool ParseTextDump(const std::string& json, TextDump* dump, std::string* error) {
  *dump = TextDump{};
  error->clear();
  Json root;
  if (!JsonReader(json).ReadDocument(&root, error)) return false;
  if (root.kind != Json::Kind::Object) return *error = "the dump is not an object", false;
  Fields top{root, error};
  top.Int("frame", &dump->frame);
  top.Int("width", &dump->width);
  top.Int("height", &dump->height);
  const Json* texts = top.Need("texts", Json::Kind::Array);
  if (texts == nullptr) return false;
  for (const Json& item : texts->items) {
    if (item.kind != Json::Kind::Object) return *error = "a text entry is not an object", false;
    DumpedText text;
    Fields f{item, error};
    f.Text("text", &text.text);
    std::string font;
    f.Text("font", &font);
    text.lightFont = font == "light";
    f.Bool("scrolls", &text.scrolls);
    if (const Json* glyphs = f.Need("glyphs", Json::Kind::Array)) {
      for (const Json& glyph : glyphs->items) {
        PixelBox box;
        if (!ReadBox(glyph, &box)) return *error = "a glyph box is not four numbers", false;
        text.glyphs.push_back(box);
      }
    }
    const Json* plate = item.Get("plate");
    if (plate == nullptr) return *error = "a text without \"plate\"", false;
    if (plate->kind == Json::Kind::Object) {
      text.hasPlate = true;
      Fields p{*plate, error};
      const Json* box = p.Need("box", Json::Kind::Array);
      if (box == nullptr || !ReadBox(*box, &text.plate)) return *error = "a plate box is not four numbers", false;
      p.Num("alpha", &text.plateAlpha);
      p.Bool("picture", &text.platePicture);
    }
    dump->texts.push_back(text);
  }
  return error->empty();
}

bool ParseStateLog(const std::string& text, std::vector<StateLine>* lines, std::string* error) {
  lines->clear();
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    StateLine entry;
    std::string rest;
    if (!(fields >> entry.frame >> entry.sceneIndex >> entry.hash) || (fields >> rest) || entry.hash.size() != 16) {
      *error = "malformed state log line '" + line + "'";
      return false;
    }
    lines->push_back(entry);
  }
  return true;
}

std::string ScriptRun::Problems() const {
  std::string out = "exit code " + std::to_string(process.exitCode) + "\n";
  for (const std::string& p : problems) out += p + "\n";
  return out + "stderr:\n" + process.err;
}

const DumpedObject& ScriptRun::At(int frame, const std::string& name) const {
  static const DumpedObject missing;
  auto dump = dumps.find(frame);
  if (dump == dumps.end()) {
    ADD_FAILURE() << "no dump after frame " << frame;
    return missing;
  }
  const DumpedObject* object = dump->second.Find(name);
  if (object == nullptr) ADD_FAILURE() << name << " missing after frame " << frame;
  return object != nullptr ? *object : missing;
}

ScreenPicture ScriptRun::Shot(int frame) const {
  ScreenPicture picture;
  auto shot = shots.find(frame);
  if (shot == shots.end()) {
    ADD_FAILURE() << "no screenshot asked for after frame " << frame;
  } else if (!LoadScreenPicture(shot->second, &picture)) {
    ADD_FAILURE() << "cannot read the screenshot " << shot->second;
  }
  return picture;
}

int ScriptRun::SceneAt(int frame) const {
  for (const StateLine& line : stateLog) {
    if (line.frame == frame) return line.sceneIndex;
  }
  return -1;
}

int ScriptRun::FirstFrameIn(int index, int from) const {
  for (const StateLine& line : stateLog) {
    if (line.frame >= from && line.sceneIndex == index) return line.frame;
  }
  return -1;
}

std::vector<int> ScriptRun::ScenePath() const {
  std::vector<int> path;
  for (const StateLine& line : stateLog) {
    if (path.empty() || path.back() != line.sceneIndex) path.push_back(line.sceneIndex);
  }
  return path;
}

int ScriptRun::FirstDump(const std::function<bool(const ObjectDump&)>& test) const {
  for (const auto& [frame, dump] : dumps) {
    if (test(dump)) return frame;
  }
  return -1;
}

bool TextDump::Shows(const std::string& text) const {
  for (const DumpedText& shown : texts) {
    if (shown.text == text) return true;
  }
  return false;
}

std::string TextDump::AllTexts() const {
  std::string all;
  for (const DumpedText& t : texts) all += "[" + t.text + "] ";
  return all;
}

ScriptedGame::ScriptedGame() {
  // Scene files must be replaceable one by one: the levels are copies of the build's.
  MakeEditableDataDir(dir_, "");
}

void ScriptedGame::SetLevel(const std::string& fileName, const std::string& levelText) {
  const fs::path file = fs::path(dir_.path()) / "Assets" / "Levels" / fileName;
  std::error_code ec;
  fs::remove(file, ec);
  WriteFile(file.string(), levelText);
}

ScriptRun ScriptedGame::Run(const std::string& script, const Options& options) {
  const std::string n = std::to_string(++runs_);
  const std::string scriptFile = File("run" + n + ".qinput");
  const std::string stateFile = File("state" + n + ".log");
  const std::string recordFile = File("record" + n + ".qinput");
  WriteFile(scriptFile, script);
  WriteFile(File("Config.lullwick"), options.config);

  ScriptRun run;
  std::vector<std::string> args = {"--frames", std::to_string(options.frames), "--seed", std::to_string(options.seed),
                                   "--fixed-dt", options.fixedDt, "--no-dialogs", "--data", dir_.path(),
                                   "--input", scriptFile, "--state-log", stateFile};
  // Both kinds of run are in a window, so that they differ only in drawing: the display mode is
  // game state (the options overlay shows it).
  if (options.headless && options.shotAfter.empty()) {
    args.insert(args.end(), {"--headless", "--windowed"});
  } else {
    args.insert(args.end(), {"--windowed", "--size", "640x360"});
  }
  if (options.scene >= 0) args.insert(args.end(), {"--scene", std::to_string(options.scene)});
  for (int frame : options.dumpAfter) {
    args.insert(args.end(), {"--dump-objects", std::to_string(frame) + ":" + File("dump" + n + "-" + std::to_string(frame) + ".json")});
  }
  for (int frame : options.textDumpAfter) {
    args.insert(args.end(), {"--dump-texts", std::to_string(frame) + ":" + File("texts" + n + "-" + std::to_string(frame) + ".json")});
  }
  for (int frame : options.shotAfter) {
    run.shots[frame] = File("shot" + n + "-" + std::to_string(frame) + ".png");
    args.insert(args.end(), {"--screenshot", std::to_string(frame) + ":" + run.shots[frame]});
  }
  if (options.record) args.insert(args.end(), {"--record", recordFile});
  args.insert(args.end(), options.extraArgs.begin(), options.extraArgs.end());

  run.process = RunGame(args, {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy"});
  if (run.process.exitCode != 0) return run;  // a refused script or a failed start leaves nothing to read

  run.stateLogText = ReadFile(stateFile);
  std::string error;
  if (!ParseStateLog(run.stateLogText, &run.stateLog, &error)) run.problems.push_back("state log: " + error);
  for (int frame : options.dumpAfter) {
    const std::string file = File("dump" + n + "-" + std::to_string(frame) + ".json");
    if (!FileExists(file)) {
      run.problems.push_back("no dump after frame " + std::to_string(frame));
      continue;
    }
    ObjectDump dump;
    if (!ParseObjectDump(ReadFile(file), &dump, &error)) {
      run.problems.push_back("dump after frame " + std::to_string(frame) + ": " + error);
      continue;
    }
    run.dumps[frame] = dump;
  }
  for (int frame : options.textDumpAfter) {
    const std::string file = File("texts" + n + "-" + std::to_string(frame) + ".json");
    TextDump dump;
    if (!FileExists(file) || !ParseTextDump(ReadFile(file), &dump, &error)) {
      run.problems.push_back("text dump after frame " + std::to_string(frame) + ": " + (FileExists(file) ? error : "missing"));
      continue;
    }
    run.textDumps[frame] = dump;
  }
  if (options.record) {
    if (FileExists(recordFile)) {
      run.recorded = ReadFile(recordFile);
    } else {
      run.problems.push_back("no recording");
    }
  }
  return run;
}

ScriptRun ScriptedGame::PlayLevel(const std::string& level, const std::string& script, int frames,
                                  std::vector<int> dumps, Options base) {
  SetLevel("level1.json", level);
  base.scene = kTestLevelId;
  base.frames = frames;
  base.dumpAfter = std::move(dumps);
  return Run(script, base);
}

int ScriptWriter::Hold(int frames, const std::string& keys) {
  if (frames <= 0) return frame_;
  text_ += std::to_string(frames);
  if (!keys.empty()) text_ += " " + keys;
  text_ += "\n";
  frame_ += frames;
  return frame_;
}

int ScriptWriter::Tap(const std::string& key, int times) {
  for (int i = 0; i < times; ++i) {
    Hold(1, key);
    Hold(1);
  }
  return frame_;
}

std::string TestLevel(const std::vector<std::string>& objects, int foodGoal) {
  std::string out =
      "{\n\t\"Level\":{\n"
      "\t\t\"Food_Goal\":\"" + std::to_string(foodGoal) + "\",\n"
      "\t\t\"S_Rank\":\"60\",\n\t\t\"A_Rank\":\"90\",\n\t\t\"B_Rank\":\"120\",\n\t\t\"Lives\":\"3\",\n"
      "\t\t\"AmbientR\":\"1\",\n\t\t\"AmbientG\":\"1\",\n\t\t\"AmbientB\":\"1\",\n\t\t\"AmbientI\":\"1\",\n"
      "\t\t\"Textures\":[\"floor_alley.png\", \"player.png\", \"hitCircle.png\", \"food.png\", \"enemy.png\", "
      "\"wall.png\", \"vent.png\", \"cover.png\", \"collection.png\", \"patrolPoint.png\", \"lightbulb.png\", "
      "\"footstep.png\", \"footstep2.png\", \"dust.png\", \"exclaim.png\", \"madfoot.png\", \"questionMark.png\", "
      "\"star.png\", \"killzone.png\", \"glass.png\", \"glass2.png\", \"FontSheet.png\", \"FontSheet_Black.png\", "
      "\"level_1_escape.png\"],\n"
      "\t\t\"Attributes\": [\"player\",\"human\"],\n"
      "\t\t\"Objects\": [\n";
  for (size_t i = 0; i < objects.size(); ++i) out += objects[i] + (i + 1 < objects.size() ? ",\n" : "\n");
  return out + "\t\t],\n\t\t\"Tiles\":[\n\t\t\t]\n\t}\n}\n";
}

std::string LevelObject(const std::string& id, const std::string& type, float x, float y, float scaleX,
                        float scaleY, const std::string& texture) {
  std::string out = "\t\t\t{\n\t\t\t\t\"ID\":\"" + id + "\",\n\t\t\t\t\"Type\":\"" + type + "\",\n" +
                    "\t\t\t\t\"TranslationX\":\"" + Format(x) + "\",\n\t\t\t\t\"TranslationY\":\"" + Format(y) +
                    "\",\n\t\t\t\t\"ScaleX\":\"" + Format(scaleX) + "\",\n\t\t\t\t\"ScaleY\":\"" + Format(scaleY) +
                    "\",\n\t\t\t\t\"Rotation\":\"0\",\n";
  if (texture.empty()) {
    out += "\t\t\t\t\"RColor\":\"0\",\n\t\t\t\t\"GColor\":\"0\",\n\t\t\t\t\"BColor\":\"0\",\n\t\t\t\t\"AColor\":\"1\",\n";
  } else {
    out += "\t\t\t\t\"TextureiD\":\"" + texture + "\",\n";
  }
  return out + "\t\t\t\t\"Fixed_To_Screen\":\"false\",\n\t\t\t}";
}

std::string PlayerObject(float x, float y) { return LevelObject("Player_1", "Player", x, y, 43, 116, "player.png"); }
std::string FoodObject(const std::string& id, float x, float y) {
  return LevelObject(id, "Food", x, y, 20, 20, "food.png");
}
std::string EnemyObject(const std::string& id, float x, float y) {
  return LevelObject(id, "Enemy", x, y, 60, 30, "enemy.png");
}

std::vector<int> FramesEvery(int step, int last) {
  std::vector<int> frames;
  for (int f = step; f <= last; f += step) frames.push_back(f);
  return frames;
}

}  // namespace testing_support
