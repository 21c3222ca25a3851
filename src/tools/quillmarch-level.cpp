// quillmarch-level: checks and rewrites level files with the game's own reader and writer.
//
//   quillmarch-level check [--assets DIR] FILE...
//       Reads each file as the game does and prints what the game would log, then checks what a
//       level needs to work: every texture it names exists under the Assets folder (by default the
//       folder above the file's own, as in Assets/Levels/), every NextID names an object of the
//       file, patrol chains are well formed, and a level scene (one with a Player object, or a file
//       named level*.json) has exactly one player, an escape zone, a collection zone and at least
//       as much food as its goal. It also names what the scene start would skip without a word: a
//       record whose type word is unknown or whose name gives no number after its "_", and a vent
//       listed before the player (a vent only takes the player in when it comes after it in the
//       list). One line per problem, prefixed with the file name; the exit code
//       is 1 when there was any problem.
//
//   quillmarch-level format IN OUT
//       Reads IN and writes it to OUT through the game's writer.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/Logger.h"
#include "objects/ObjectType.h"
#include "scenes/AttributeFile.h"
#include "scenes/Level.h"

namespace fs = std::filesystem;

namespace {

// Sends the game's log to a temporary file while it lives; Take() returns what was logged.
class LogToTempFile {
 public:
  LogToTempFile() {
    std::error_code ec;
    path_ = (fs::temp_directory_path(ec) / ("quillmarch-level-" + std::to_string(std::random_device{}()) + ".log"))
                .string();
    ClearLogSinks();
    SetLogToFile(1);
    AddLogFile(path_);
  }
  ~LogToTempFile() {
    CloseLogFiles();
    ClearLogSinks();
    std::error_code ec;
    fs::remove(path_, ec);
  }
  LogToTempFile(const LogToTempFile&) = delete;
  LogToTempFile& operator=(const LogToTempFile&) = delete;

  std::vector<std::string> Take() {
    CloseLogFiles();
    std::vector<std::string> lines;
    std::ifstream in(path_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    in.close();
    AddLogFile(path_);  // truncates: the next file starts clean
    return lines;
  }

 private:
  std::string path_;
};

class Checker {
 public:
  Checker(const std::string& file, const std::string& assets) : file_(file), assets_(assets) {}

  void Check(const Level& level) {
    CheckTextures(level);
    CheckAttributeFiles(level);
    CheckRecords(level);
    CheckLinks(level);
    CheckLevelRules(level);
  }
  int Count() const { return problems_; }

  void Problem(const std::string& text) {
    std::printf("%s: %s\n", file_.c_str(), text.c_str());
    ++problems_;
  }

 private:
  void CheckTexture(const std::string& name, const std::string& where) {
    if (name.empty()) return;
    std::error_code ec;
    if (!fs::is_regular_file(fs::path(assets_) / name, ec)) {
      Problem(where + " names texture \"" + name + "\", which is not a file in " + assets_);
    }
  }

  void CheckTextures(const Level& level) {
    for (const std::string& name : level.textures) CheckTexture(name, "the texture list");
    for (const ObjectRecord& o : level.objects) {
      CheckTexture(o.texture, "object " + o.id);
      for (const EmitterRecord& e : o.emitters) CheckTexture(e.texture, "a particle emitter of object " + o.id);
    }
  }

  // Every attribute file the level names must exist and read (the scene start reads them in order).
  void CheckAttributeFiles(const Level& level) {
    for (const std::string& name : level.attributes) {
      fs::path file = fs::path(assets_) / "Attributes" / (name + ".json");
      std::error_code ec;
      if (!fs::is_regular_file(file, ec)) {
        Problem("the attribute list names \"" + name + "\", which is not a file " + file.string());
      } else if (!LoadAttributesFromFile(file.string())) {
        Problem("the attribute file " + file.string() + " does not read");
      }
    }
  }

  // The number the factory reads from a name: the text after the first "_" as a base-10 integer in
  // the 32-bit range, with leading blanks and a sign allowed and anything after the digits ignored.
  static bool NameGivesNumber(const std::string& name) {
    const size_t underscore = name.find('_');
    if (underscore == std::string::npos) return false;
    const char* p = name.c_str() + underscore + 1;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (*p < '0' || *p > '9') return false;
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
      value = value * 10 + (*p - '0');
      if (value > int64_t{1} << 32) return false;
    }
    return negative ? -value >= INT32_MIN : value <= INT32_MAX;
  }

  // Records the scene start skips, and vents the player can never enter.
  void CheckRecords(const Level& level) {
    size_t player = level.objects.size();
    for (size_t i = 0; i < level.objects.size(); ++i) {
      const ObjectRecord& o = level.objects[i];
      const std::string which = "record " + std::to_string(i + 1) + " (\"" + o.id + "\")";
      if (o.type == 0) {
        Problem(which + " has an unknown type word, so the scene start skips it");
      }
      if (!o.id.empty() && !NameGivesNumber(o.id)) {
        Problem(which + " has a name that gives no number after its \"_\", so the scene start skips it");
      }
      if (o.type == static_cast<int32_t>(ObjectType::Player) && player == level.objects.size()) player = i;
    }
    for (size_t i = 0; i < player && player < level.objects.size(); ++i) {
      const ObjectRecord& o = level.objects[i];
      if (o.type == static_cast<int32_t>(ObjectType::Vent)) {
        Problem("vent " + o.id + " is listed before the player, so the player can never enter it");
      }
    }
  }

  void CheckLinks(const Level& level) {
    std::map<std::string, const ObjectRecord*> byId;
    for (const ObjectRecord& o : level.objects) {
      if (!byId.emplace(o.id, &o).second) Problem("two objects share the ID \"" + o.id + "\"");
    }
    const int32_t node = static_cast<int32_t>(ObjectType::Node);
    const int32_t enemy = static_cast<int32_t>(ObjectType::Enemy);
    std::map<std::string, std::vector<std::string>> predecessors;
    for (const ObjectRecord& o : level.objects) {
      if (o.nextId.empty()) continue;
      auto target = byId.find(o.nextId);
      if (target == byId.end()) {
        Problem("object " + o.id + " names NextID \"" + o.nextId + "\", which is no object of this file");
        continue;
      }
      if ((o.type == node || o.type == enemy) && target->second->type != node) {
        Problem("object " + o.id + " leads its patrol path to " + o.nextId + ", which is not a patrol node");
        continue;
      }
      if (o.type == node) predecessors[o.nextId].push_back(o.id);
    }
    for (const auto& [id, from] : predecessors) {
      if (from.size() < 2) continue;
      std::string list;
      for (const std::string& p : from) list += (list.empty() ? "" : ", ") + p;
      Problem("more than one patrol node leads to " + id + " (" + list + ")");
    }
  }

  void CheckLevelRules(const Level& level) {
    int players = 0, escapeZones = 0, collectionZones = 0;
    uint64_t food = 0;
    for (const ObjectRecord& o : level.objects) {
      switch (static_cast<ObjectType>(o.type)) {
        case ObjectType::Player: ++players; break;
        case ObjectType::EscapeZone: ++escapeZones; break;
        case ObjectType::Collection: ++collectionZones; break;
        case ObjectType::Food: ++food; break;
        default: break;
      }
    }
    const std::string name = fs::path(file_).filename().string();
    const bool isLevel = players > 0 || (name.rfind("level", 0) == 0 && fs::path(name).extension() == ".json");
    if (!isLevel) return;
    if (players != 1) Problem("a level needs exactly one player, this one has " + std::to_string(players));
    if (escapeZones == 0) Problem("a level needs an escape zone, this one has none");
    if (collectionZones == 0) Problem("a level needs a collection zone, this one has none");
    if (food < level.foodGoal) {
      Problem("the food goal is " + std::to_string(level.foodGoal) + " but the level holds only " +
              std::to_string(food) + " food");
    }
  }

  std::string file_;
  std::string assets_;
  int problems_ = 0;
};

// The Assets folder of a level file: the folder above the one it is in (Assets/Levels/x.json).
std::string AssetsFolderOf(const std::string& file) {
  fs::path folder = fs::path(file).parent_path();
  if (folder.empty()) folder = ".";
  return (folder / "..").lexically_normal().string();
}

int Check(const std::vector<std::string>& files, const std::string& assets) {
  LogToTempFile log;
  int problems = 0;
  for (const std::string& file : files) {
    std::unique_ptr<Level> level = LoadLevel(file);
    std::vector<std::string> logged = log.Take();
    Checker checker(file, assets.empty() ? AssetsFolderOf(file) : assets);
    for (const std::string& line : logged) checker.Problem("the game logs: " + line);
    if (!level) {
      if (logged.empty()) checker.Problem("the game cannot read this file");
    } else {
      checker.Check(*level);
      // What reading the level's attribute files logged belongs to this file too.
      for (const std::string& line : log.Take()) checker.Problem("the game logs: " + line);
    }
    problems += checker.Count();
  }
  if (problems > 0) std::printf("%d problem%s found\n", problems, problems == 1 ? "" : "s");
  return problems > 0 ? 1 : 0;
}

int Format(const std::string& in, const std::string& out) {
  LogToTempFile log;
  std::unique_ptr<Level> level = LoadLevel(in);
  for (const std::string& line : log.Take()) std::printf("%s: the game logs: %s\n", in.c_str(), line.c_str());
  if (!level) return 1;
  level->path = out;
  if (!SaveLevel(*level)) {
    for (const std::string& line : log.Take()) std::printf("%s: %s\n", out.c_str(), line.c_str());
    return 1;
  }
  return 0;
}

// Writes the default player and human tuning through the game's own writer, as the attribute
// files "player.json" and "human.json" in `folder`.
int WriteDefaultAttributes(const std::string& folder) {
  LogToTempFile log;
  bool ok = SaveAttributesToFile(nullptr, 1, folder + "/player.json") &&
            SaveAttributesToFile(nullptr, 3, folder + "/human.json");
  for (const std::string& line : log.Take()) std::printf("%s: %s\n", folder.c_str(), line.c_str());
  return ok ? 0 : 1;
}

int Usage() {
  std::fprintf(stderr,
               "usage: quillmarch-level check [--assets DIR] FILE...\n"
               "       quillmarch-level format IN OUT\n"
               "       quillmarch-level attributes FOLDER   (writes the default player.json and human.json)\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // No audio system runs here: music entries are only recorded.
  SetLevelMusicRegistration(false);
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage();
  if (args[0] == "format") {
    if (args.size() != 3) return Usage();
    return Format(args[1], args[2]);
  }
  if (args[0] == "attributes") {
    if (args.size() != 2) return Usage();
    return WriteDefaultAttributes(args[1]);
  }
  if (args[0] == "check") {
    std::string assets;
    std::vector<std::string> files;
    for (size_t i = 1; i < args.size(); ++i) {
      if (args[i] == "--assets") {
        if (i + 1 >= args.size()) return Usage();
        assets = args[++i];
      } else {
        files.push_back(args[i]);
      }
    }
    if (files.empty()) return Usage();
    return Check(files, assets);
  }
  return Usage();
}
